#include "dialogs/calls/TelephoneCallingWnd.h"

#include "app/text/StringTable.h"
#include "app/text/TextHelpers.h"
#include "app/ui/SkinControls.h"
#include "app/ui/WindowConventions.h"
#include "mireloom/CallManager.h"
#include "mireloom/UserManager.h"

namespace mireloomwnd {

using namespace DuiLib;

namespace {

constexpr int kAvatarSize = 160;
constexpr wchar_t kRobotText[] = L"不能与机器人进行通话";

}  // namespace

void WindowManager::ShowTelephoneCallingWnd(const std::string& uid) {
  Show<TelephoneCallingWnd>(WindowSlot::TelephoneCallingWnd, {}, uid);
}

TelephoneCallingWnd::TelephoneCallingWnd(const std::string& uid) : m_calleeUid(uid) {}

CDuiString TelephoneCallingWnd::GetSkinFolder() { return SkinFolder(); }

LRESULT TelephoneCallingWnd::OnCreate(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled) {
  return CreateWithShadow(*this, m_shadow, uMsg, wParam, lParam, bHandled);
}

void TelephoneCallingWnd::InitWindow() {
  ApplyTexts(m_PaintManager, {{L"closeBtn", "CloseTips", TextTarget::ToolTip},
                              {L"call_wnd_title", "SingleCallWndTitle"},
                              {L"delete_calling_btn", "HangUpBtn"}});
  const std::unique_ptr<mireloom::User> callee =
      mireloom::UserManager::DefaultManager()->FetchUserFromCacheByUid(m_calleeUid);
  m_avatar = FindSkinControl<CButtonUI>(m_PaintManager, L"avatar_btn", L"Button");
  m_callingName = FindSkinControl(m_PaintManager, L"calling_name");
  if (callee && !callee->phone_number().empty()) {
    PlaceCall(*callee);
  } else {
    ShowWhyNoCall(callee.get());
  }
}

void TelephoneCallingWnd::PlaceCall(const mireloom::User& callee) {
  SetCallingLine(LocalizedText("SingleCallLableFront") + Utf8ToWide(callee.display_name()) +
                 LocalizedText("SingleCallLableBack"));
  ShowCalleeAvatar(&callee);
  mireloom::CallManager::DefaultManager()->MakeCallByUid(
      m_calleeUid, m_call.OnUiThread([this](bool ok, const std::string&, std::string callId) {
        m_call.OnCallPlaced(ok, std::move(callId));
      }));
}

void TelephoneCallingWnd::ShowWhyNoCall(const mireloom::User* callee) {
  SetCallingLine(callee && callee->IsBot() ? std::wstring(kRobotText) : LocalizedText("NotBoundPhoneTip"));
  ShowCalleeAvatar(callee);
  if (CControlUI* hangUp = FindSkinControl(m_PaintManager, L"delete_calling_btn")) hangUp->SetVisible(false);
}

void TelephoneCallingWnd::ShowCalleeAvatar(const mireloom::User* callee) {
  // A callee missing from the cache has no key to mark: no picture, no download.
  m_call.ShowCallAvatar(m_avatar, callee, kAvatarSize, CallAvatarMark::LargeCallee);
}

void TelephoneCallingWnd::SetCallingLine(const std::wstring& text) {
  if (m_callingName) m_callingName->SetText(text.c_str());
}

void TelephoneCallingWnd::Notify(TNotifyUI& msg) {
  m_call.OnNotify(msg);
  WindowImplBase::Notify(msg);
}

LRESULT TelephoneCallingWnd::HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) {
  return m_call.HandleMessage(uMsg, wParam, lParam);
}

void TelephoneCallingWnd::OnFinalMessage(HWND hWnd) {
  WindowManager::GetInstance()->SetTelephoneCallingWnd(nullptr, this);
}

}  // namespace mireloomwnd
