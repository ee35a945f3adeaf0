#pragma once

// A channel's members as a side panel over the main window's right edge, in
// the cache's order, each with a "Messages" button that opens the one-to-one
// conversation with that member in the main window. The panel closes by its
// close button, when it loses the focus, or once a conversation request has
// been answered.

#include <string>

#include "app/ui/UiThread.h"
#include "app/ui/WndShadow.h"
#include "dialogs/common/SearchRule.h"
#include "duilib/UIlib.h"

namespace mireloomwnd {

class ViewGroupMembersWnd final : public DuiLib::WindowImplBase {
 public:
  ViewGroupMembersWnd(const std::string& channelId, int x, int y, int height);

  LPCTSTR GetWindowClassName() const override { return L"ViewGroupMembersWnd"; }
  DuiLib::CDuiString GetSkinFolder() override;
  DuiLib::CDuiString GetSkinFile() override { return L"skin_view_group_members.xml"; }
  LRESULT OnCreate(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled) override;
  void InitWindow() override;
  void Notify(DuiLib::TNotifyUI& msg) override;
  LRESULT HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) override;
  void OnFinalMessage(HWND hWnd) override;

  // The uid of a row control's name ("ueid_" and the uid).
  static bool GetUidFromControlName(const std::wstring& name, std::string* uid = nullptr);

 private:
  void BuildMemberList();
  [[nodiscard]] DuiLib::CListContainerElementUI* CreateMemberItem(const mireloom::User& member);
  void OpenIm(const std::string& uid);

  CWndShadow m_shadow;
  DuiLib::CContainerUI* m_list = nullptr;
  const std::string m_channelId;
  const int m_x;
  const int m_y;
  const int m_height;
  UserList m_members;  // in the cache's order
  CLifetimeGuard m_guard;  // last member: late completions find the panel gone first
};

}  // namespace mireloomwnd
