#pragma once

// Calls one member through the service: the member's large avatar, a calling
// line around the member's name and a hang-up button. A member without a
// phone number, a robot or an unknown uid gets no call: the window says why.

#include <string>

#include "app/ui/WndShadow.h"
#include "dialogs/calls/CallCore.h"
#include "dialogs/common/DialogMessages.h"
#include "duilib/UIlib.h"

namespace mireloom {
class User;
}

namespace mireloomwnd {

class TelephoneCallingWnd final : public DuiLib::WindowImplBase {
 public:
  explicit TelephoneCallingWnd(const std::string& uid);

  LPCTSTR GetWindowClassName() const override { return L"TelephoneCallingWnd"; }
  DuiLib::CDuiString GetSkinFolder() override;
  DuiLib::CDuiString GetSkinFile() override { return L"skin_telephone_call_wnd.xml"; }
  LRESULT OnCreate(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled) override;
  void InitWindow() override;
  void Notify(DuiLib::TNotifyUI& msg) override;
  LRESULT HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) override;
  void OnFinalMessage(HWND hWnd) override;

 private:
  void PlaceCall(const mireloom::User& callee);
  void ShowWhyNoCall(const mireloom::User* callee);
  void ShowCalleeAvatar(const mireloom::User* callee);
  void SetCallingLine(const std::wstring& text);

  CWndShadow m_shadow;
  const std::string m_calleeUid;
  DuiLib::CButtonUI* m_avatar = nullptr;
  DuiLib::CControlUI* m_callingName = nullptr;
  // Last: its answers stop before the controls and the shadow go.
  CCallCore m_call{*this, &WindowManager::CloseTelephoneCallingWnd, WM_CALLEE_AVATAR_DOWNLOADED};
};

}  // namespace mireloomwnd
