#pragma once

// A member's card as a side panel over the main window's right edge: avatar,
// names, phone, email, job title and department from the user cache. Nothing
// on it can be changed; it closes by its close button.

#include <string>

#include "app/ui/UiThread.h"
#include "app/ui/WndShadow.h"
#include "duilib/UIlib.h"

namespace mireloom {
class User;
}

namespace mireloomwnd {

class ViewImMemberWnd final : public DuiLib::WindowImplBase {
 public:
  ViewImMemberWnd(const std::string& uid, int x, int y, int height);

  LPCTSTR GetWindowClassName() const override { return L"ViewImMemberWnd"; }
  DuiLib::CDuiString GetSkinFolder() override;
  DuiLib::CDuiString GetSkinFile() override { return L"skin_view_im_member.xml"; }
  LRESULT OnCreate(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled) override;
  void InitWindow() override;
  void Notify(DuiLib::TNotifyUI& msg) override;
  LRESULT HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) override;
  void OnFinalMessage(HWND hWnd) override;

 private:
  void ShowMemberAvatar(const mireloom::User& user);
  void ShowFields(const mireloom::User& user);

  CWndShadow m_shadow;
  const std::string m_uid;
  const int m_x;
  const int m_y;
  const int m_height;
  CLifetimeGuard m_guard;  // last member: a late download finds the card gone first
};

}  // namespace mireloomwnd
