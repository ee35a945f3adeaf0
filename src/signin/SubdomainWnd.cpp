#include "signin/SubdomainWnd.h"

#include "app/frame/DamagedSkin.h"
#include "app/frame/QuitSequence.h"
#include "app/text/ServiceConstants.h"
#include "app/text/StringTable.h"
#include "app/text/TextHelpers.h"
#include "app/ui/BusyButton.h"
#include "app/ui/PlatformSeam.h"
#include "app/ui/SkinControls.h"
#include "app/ui/WindowConventions.h"
#include "mireloom/WebApi.h"
#include "quennet/EventLog.h"
#include "signin/LastTeam.h"
#include "signin/LoginWnd.h"
#include "signin/SessionStart.h"
#include "signin/SigninMessages.h"
#include "signin/SigninTexts.h"
#include "signin/UpdateWnd.h"

namespace mireloomwnd {

using namespace DuiLib;

CDuiString SubdomainWnd::GetSkinFolder() { return SkinFolder(); }

LRESULT SubdomainWnd::OnCreate(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled) {
  return CreateWithShadow(*this, m_shadow, uMsg, wParam, lParam, bHandled);
}

void SubdomainWnd::InitWindow() {
  m_subdomainEdit = FindSkinControl<CEditUI>(m_PaintManager, L"subdomain_edit", L"Edit");
  m_continueButton = FindSkinControl<CButtonUI>(m_PaintManager, L"continue_btn", L"Button");
  ApplyTexts(m_PaintManager, {{L"subdomain_edit", "SubdomainTips", TextTarget::TipValue},
                              {L"subdomaintitle", "SubdomainTitle"},
                              {L"continue_btn", "SubdomainContinue"},
                              {L"closebtn", "CloseTips", TextTarget::ToolTip},
                              {L"create_team_btn", "CreateCompany"},
                              {L"forgot_team_btn", "ForgotDomain"}});

  PrefillLastTeam();
  // The caret waits where the user types first. Its native field is made once
  // the window is on the screen, as the posted message arrives before the
  // first paint: made here, it would hold back the window's first showing.
  ::PostMessageW(GetHWND(), WM_FOCUS_TEAM_FIELD, 0, 0);
  mireloom::WebApi::Api()->GetClientVersion(
      false, [window = Recipient()](bool ok, int64_t, int64_t version, const std::string&,
                                    const std::string& releaseNotes, bool, int64_t, const std::string& downloadUrl,
                                    const std::string&) {
        OnClientVersion(window, ok, version, releaseNotes, downloadUrl);
      });
}

void SubdomainWnd::PrefillLastTeam() {
  const std::string subdomain = signin::LastTeamSubdomain();
  if (!subdomain.empty() && m_subdomainEdit) m_subdomainEdit->SetText(Utf8ToWide(subdomain).c_str());
}

void SubdomainWnd::OnClientVersion(const WindowRecipient& window, bool ok, int64_t version,
                                   const std::string& releaseNotes, const std::string& downloadUrl) {
  if (!ok || !signin::IsNewerClientVersion(version)) return;
  DeliverRecord(window, WM_NEW_VERSION_AVAILABLE,
                std::make_unique<ClientVersionRecord>(ClientVersionRecord{version, downloadUrl, releaseNotes}));
}

void SubdomainWnd::CheckSubdomain() {
  if (m_lookupPending) return;
  m_lookupPending = true;
  SetCheckingState(true);
  const std::string subdomain = m_subdomainEdit ? WideToUtf8(m_subdomainEdit->GetText().GetData()) : std::string();
  mireloom::WebApi::Api()->GetTeamLiteBySubdomain(
      subdomain, [window = Recipient()](bool ok, int64_t code, const std::string& teamId, const std::string& teamName,
                                        const std::string& teamSubdomain, bool) {
        OnTeamLite(window, ok, code, teamId, teamName, teamSubdomain);
      });
}

void SubdomainWnd::OnTeamLite(const WindowRecipient& window, bool ok, int64_t code, const std::string& teamId,
                              const std::string& teamName, const std::string& teamSubdomain) {
  if (!ok) {
    DeliverValue(window, WM_TEAM_NOT_FOUND, static_cast<LPARAM>(static_cast<int32_t>(code)));
    return;
  }
  quennet::log_event("team id is %s", teamId.c_str());
  quennet::log_event("team name is %s", teamName.c_str());
  quennet::log_event("team domain is %s", teamSubdomain.c_str());
  // The window takes the team over; for one that has gone it is freed.
  DeliverRecord(window, WM_TEAM_FOUND, std::make_unique<mireloom::Team>(teamId, teamSubdomain, teamName));
}

void SubdomainWnd::SetCheckingState(bool checking) {
  if (checking) {
    SetButtonLook(m_continueButton, ButtonLook::Busy, LocalizedText("CheckDomainThree"));
    SetTimer(GetHWND(), kCheckingTimer, kBusyTickMs, nullptr);
  } else {
    SetButtonLook(m_continueButton, ButtonLook::Idle, LocalizedText("SubdomainContinue"));
    KillTimer(GetHWND(), kCheckingTimer);
  }
}

void SubdomainWnd::StepCheckingAnimation() {
  if (!m_continueButton) return;
  const std::wstring next = NextBusyText(m_continueButton->GetText().GetData(), signin::kCheckingKeys);
  if (!next.empty()) m_continueButton->SetText(next.c_str());
}

void SubdomainWnd::OnTeamFound(std::unique_ptr<mireloom::Team> team) {
  quennet::log_event("Team auth success with ID : %s", team->team_id().c_str());
  Close(1);
  LoginWnd login;
  login.SetTeam(*team);
  if (!login.Create(nullptr, L"登录", kDialogStyle, kWindowExStyle, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                    CW_USEDEFAULT)) {
    ReportDamagedSkin(login);
    return;
  }
  team.reset();
  login.CenterWindow();
  login.ShowModal();
}

void SubdomainWnd::OnTeamNotFound(LPARAM lParam) {
  m_lookupPending = false;
  SetCheckingState(false);
  const std::wstring text = signin::TeamLookupFailureText(static_cast<int32_t>(lParam));
  Platform().ShowMessageBox(nullptr, text, L"", MB_OK);
}

void SubdomainWnd::OnNewVersion(const ClientVersionRecord& record) {
  UpdateWnd notice(record.description, record.download_url);
  if (!notice.Create(nullptr, L"更新", kOverlappedStyle, kWindowExStyle, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                     CW_USEDEFAULT)) {
    ReportDamagedSkin(notice);
    return;
  }
  notice.CenterWindow();
  notice.ShowModal();
  // The notice has no owner, so nothing hands the keyboard back when it
  // closes: the team window takes it, with the caret where it was.
  if (!IsWindow(GetHWND())) return;
  SetForegroundWindow(GetHWND());
  if (m_subdomainEdit && !m_PaintManager.GetFocus()) m_subdomainEdit->SetFocus();
}

LRESULT SubdomainWnd::HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) {
  switch (uMsg) {
    case WM_TEAM_FOUND:
      if (!lParam) return 0;
      // The log-in window's loop runs in here; this window has closed by then.
      OnTeamFound(std::unique_ptr<mireloom::Team>(reinterpret_cast<mireloom::Team*>(lParam)));
      return kRecordTaken;
    case WM_TEAM_NOT_FOUND:
      OnTeamNotFound(lParam);
      break;
    case WM_NEW_VERSION_AVAILABLE: {
      if (!lParam) break;
      const std::unique_ptr<ClientVersionRecord> record(reinterpret_cast<ClientVersionRecord*>(lParam));
      OnNewVersion(*record);
      return PassOnMessage(*this, uMsg, wParam, lParam, kRecordTaken);
    }
    case WM_FOCUS_TEAM_FIELD:
      if (m_subdomainEdit && !m_PaintManager.GetFocus()) m_subdomainEdit->SetFocus();
      return 0;
    case WM_TIMER:
      if (wParam == kCheckingTimer) StepCheckingAnimation();
      break;
    case WM_KEYDOWN:
      // Esc takes the close button's road (the skin names it); Enter on a
      // focused button presses that button.
      if (wParam == VK_RETURN && !IsButtonFocused(m_PaintManager)) {
        CheckSubdomain();
        return 0;
      }
      break;
    default:
      break;
  }
  return WindowImplBase::HandleMessage(uMsg, wParam, lParam);
}

void SubdomainWnd::Notify(TNotifyUI& msg) {
  const CDuiString& sender = msg.pSender ? msg.pSender->GetName() : CDuiString();
  if (msg.sType == L"click") {
    if (sender == L"continue_btn") {
      CheckSubdomain();
    } else if (sender == L"create_team_btn") {
      OpenAddress(Utf8ToWide("https://" + SignupHost + "/signup"));
    } else if (sender == L"forgot_team_btn") {
      OpenAddress(Utf8ToWide("https://" + SignupHost + "/find"));
    } else if (sender == L"closebtn") {
      RunQuitSequence();
    }
  } else if (msg.sType == L"return" && sender == L"subdomain_edit") {
    CheckSubdomain();
  }
  WindowImplBase::Notify(msg);
}

}  // namespace mireloomwnd
