#pragma once

// A group call, placed when the window opens: one tile per participant (the
// signed-in user's first, duplicates kept), the number of people on the call,
// and a hang-up button. The close button leaves the call running.

#include <string>
#include <vector>

#include "app/ui/WndShadow.h"
#include "dialogs/calls/CallCore.h"
#include "dialogs/common/DialogMessages.h"
#include "dialogs/common/RowAvatar.h"
#include "duilib/UIlib.h"

namespace mireloomwnd {

class GroupTelephoneCallingWnd final : public DuiLib::WindowImplBase {
 public:
  explicit GroupTelephoneCallingWnd(const std::vector<std::string>& uids);

  LPCTSTR GetWindowClassName() const override { return L"GroupTelephoneCallingWnd"; }
  DuiLib::CDuiString GetSkinFolder() override;
  DuiLib::CDuiString GetSkinFile() override { return L"skin_group_telephone_call_wnd.xml"; }
  LRESULT OnCreate(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled) override;
  void InitWindow() override;
  void Notify(DuiLib::TNotifyUI& msg) override;
  LRESULT HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) override;
  void OnFinalMessage(HWND hWnd) override;

 private:
  [[nodiscard]] DuiLib::CVerticalLayoutUI* CreateTile(const std::string& uid);
  // The answers of the core, on the user-interface thread while the window lives.
  void OnMakeCallResult(bool ok, const std::string& error, std::string callId);
  void OnCancelCallResult(bool ok, const std::string& error);
  // The download completion of a tile's avatar, on the thread that finished it.
  static void OnCalleeAvatarDownloaded(const AvatarDelivery& delivery, const std::string& localPath);

  CWndShadow m_shadow;
  const std::vector<std::string> m_calleeUids;
  // Last: its answers stop before the rest goes.
  CCallCore m_call{*this, &WindowManager::CloseGroupTelephoneCallingWnd, WM_GROUP_CALLEE_AVATAR_DOWNLOADED};
};

}  // namespace mireloomwnd
