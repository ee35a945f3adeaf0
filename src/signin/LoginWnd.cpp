#include "signin/LoginWnd.h"

#include "app/frame/DamagedSkin.h"
#include "app/frame/QuitSequence.h"
#include "app/frame/WindowManager.h"
#include "app/storage/Credentials.h"
#include "app/text/ServiceConstants.h"
#include "app/text/StringTable.h"
#include "app/text/TextHelpers.h"
#include "app/ui/AppIcons.h"
#include "app/ui/BusyButton.h"
#include "app/ui/PlatformSeam.h"
#include "app/ui/SkinControls.h"
#include "app/ui/WindowConventions.h"
#include "mireloom/AccountManager.h"
#include "mireloom/Auth.h"
#include "mireloom/WebApi.h"
#include "mireloom/WebApiSetting.h"
#include "quennet/EventLog.h"
#include "signin/RestPasswordWnd.h"
#include "signin/SessionFetchChain.h"
#include "signin/SessionStart.h"
#include "signin/SigninMessages.h"
#include "signin/SigninTexts.h"
#include "signin/SubdomainWnd.h"

namespace mireloomwnd {

using namespace DuiLib;

namespace {

constexpr int64_t kSignedIn = 200;
constexpr int64_t kNeedsInitialPassword = 201;
constexpr int64_t kSignedInAfterStoreRepair = 202;

}  // namespace

void LoginWnd::SetTeam(const mireloom::Team& team) { m_team = team.Clone(); }

CDuiString LoginWnd::GetSkinFolder() { return SkinFolder(); }

LRESULT LoginWnd::OnCreate(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled) {
  return CreateWithShadow(*this, m_shadow, uMsg, wParam, lParam, bHandled);
}

void LoginWnd::InitWindow() {
  m_userNameEdit = FindSkinControl<CEditUI>(m_PaintManager, L"username_edit", L"Edit");
  m_passwordEdit = FindSkinControl<CEditUI>(m_PaintManager, L"password_edit", L"Edit");
  m_loginButton = FindSkinControl<CButtonUI>(m_PaintManager, L"login_btn", L"Button");
  m_returnButton = FindSkinControl<CButtonUI>(m_PaintManager, L"return_domain_btn", L"Button");
  ApplyTexts(m_PaintManager, {{L"username_edit", "UsernameTips", TextTarget::TipValue},
                              {L"login_btn", "SignIn"},
                              {L"closebtn", "CloseTips", TextTarget::ToolTip},
                              {L"account_label", "AccountLabel"},
                              {L"password_label", "PasswordLabel"},
                              {L"forgot_pwd_btn", "ForgotPassword"},
                              {L"return_domain_btn", "ReturnToDomain"}});
  if (CControlUI* teamName = m_PaintManager.FindControl(L"team_name_label")) {
    teamName->SetText((LocalizedText("LoginTo") + L" " + Utf8ToWide(m_team->team_name())).c_str());
  }
  PrefillRememberedAccount();
  // The caret waits where the user types first: the password once the
  // account is filled in.
  const bool accountFilled = m_userNameEdit && !m_userNameEdit->GetText().IsEmpty();
  if (CEditUI* first = accountFilled ? m_passwordEdit : m_userNameEdit) first->SetFocus();
}

void LoginWnd::PrefillRememberedAccount() {
  mireloom::AccountManager accounts(signin::CoreDataFolder());
  if (!accounts.InitOrDie()) return;
  const std::string userName = accounts.UsernameForTeamId(m_team->team_id());
  if (userName.empty()) return;
  const std::wstring password = LoadCredential(m_team->team_id(), userName);
  if (password.empty()) return;
  if (m_userNameEdit) m_userNameEdit->SetText(Utf8ToWide(userName).c_str());
  if (m_passwordEdit) m_passwordEdit->SetText(password.c_str());
  m_prefilledUserName = Utf8ToWide(userName);
}

void LoginWnd::ForgetPrefilledPasswordIfAccountChanged() {
  if (m_prefilledUserName.empty() || !m_userNameEdit) return;
  if (m_userNameEdit->GetText().GetData() == m_prefilledUserName) return;
  // The remembered password is that account's alone: never sent for another.
  if (m_passwordEdit) m_passwordEdit->SetText(L"");
  m_prefilledUserName.clear();
}

void LoginWnd::DoLogin() {
  if (m_loginPending) return;
  ForgetPrefilledPasswordIfAccountChanged();
  m_loginPending = true;
  SetLoggingState(true);
  m_sentUserName = m_userNameEdit ? WideToUtf8(m_userNameEdit->GetText().GetData()) : std::string();
  m_sentPassword = m_passwordEdit ? WideToUtf8(m_passwordEdit->GetText().GetData()) : std::string();
  quennet::log_event("Try to login with username : %s, team id : %s", m_sentUserName.c_str(),
                     m_team->team_id().c_str());

  auto* setting = new mireloom::WebApiSetting("15", std::to_string(signin::MakeLoginRequestNumber()), ClientChannel);
  mireloom::WebApi::Api()->InitWithConfiguration(*setting);
  mireloom::WebApiSetting::ResetInstance(setting);

  mireloom::Auth::SharedAuth()->PostLoginRequest(
      m_sentUserName, m_sentPassword, m_team->team_id(), m_team->team_subdomain(),
      [window = Recipient()](bool ok, int64_t code, std::unique_ptr<mireloom::Token> token,
                             std::unique_ptr<mireloom::User> user) {
        OnLoginResult(window, ok, code, std::move(token), std::move(user));
      });
}

void LoginWnd::OnLoginResult(const WindowRecipient& window, bool ok, int64_t code,
                             std::unique_ptr<mireloom::Token> token, std::unique_ptr<mireloom::User> user) {
  if (ok && (code == kSignedIn || code == kSignedInAfterStoreRepair || code == kNeedsInitialPassword)) {
    auto response = std::make_unique<LoginSuccessResponse>();
    response->token = std::move(token);
    response->user = std::move(user);
    response->storeRepaired = code == kSignedInAfterStoreRepair;
    DeliverRecord(window, code == kNeedsInitialPassword ? WM_LOGIN_NEEDS_INIT_PASSWORD : WM_LOGIN_SUCCEEDED,
                  std::move(response));
    return;
  }
  // Any other answer is a failure too, with its code, so the form never
  // stays busy.
  DeliverRecord(window, WM_LOGIN_FAILED, std::make_unique<int64_t>(code));
}

void LoginWnd::SetLoggingState(bool logging) {
  if (logging) {
    SetButtonLook(m_loginButton, ButtonLook::Busy, LocalizedText("LoggingThree"));
    SetTimer(GetHWND(), kLoggingTimer, kBusyTickMs, nullptr);
  } else {
    SetButtonLook(m_loginButton, ButtonLook::Idle, LocalizedText("SignIn"));
    KillTimer(GetHWND(), kLoggingTimer);
  }
}

void LoginWnd::StepLoggingAnimation() {
  if (!m_loginButton) return;
  const std::wstring next = NextBusyText(m_loginButton->GetText().GetData(), signin::kLoggingKeys);
  if (!next.empty()) m_loginButton->SetText(next.c_str());
}

LRESULT LoginWnd::OnLoginSuccess(const LoginSuccessResponse& response) {
  quennet::log_event("Login success, my name is : %s", response.user->display_name().c_str());
  if (EndedByBlockedSessionFolder(*response.user)) return 0;
  StartReadingAppIcons();
  signin::StartDirector(*response.user, *m_team, *response.token);
  // After the data folder's check, which may empty the folder around it.
  m_rememberingAccount = signin::StartRememberingAccount(*m_team, m_sentUserName, m_sentPassword);
  ConnectToIMServer();
  signin::CSessionFetchChain<LoginWnd>::Start(Recipient());
  return 0;
}

void LoginWnd::ConnectToIMServer() { signin::AskForIMProtocol(OnIMProtocol); }

void LoginWnd::OnIMProtocol(bool ok, const std::string&, mireloom::IMProtocol protocol) {
  if (!ok) {
    quennet::log_event("Director::GetIMProtocol failed");
    return;
  }
  signin::ConnectToIMServer(protocol, [protocol](bool connected) { OnIMConnected(connected, protocol); });
}

void LoginWnd::OnIMConnected(bool ok, mireloom::IMProtocol protocol) { signin::LogIMConnection(protocol, ok); }

void LoginWnd::OnMembersFetched(const WindowRecipient& window, bool ok, const std::string& error,
                                std::vector<std::unique_ptr<mireloom::User>>) {
  signin::CSessionFetchChain<LoginWnd>::AfterMembers(window, ok, error);
}

void LoginWnd::OnUsersStatusFetched(const WindowRecipient& window, bool ok, const std::string& error) {
  signin::CSessionFetchChain<LoginWnd>::AfterUsersStatus(window, ok, error);
}

void LoginWnd::OnServicesFetched(const WindowRecipient& window, bool ok, const std::string& error,
                                 std::vector<std::unique_ptr<mireloom::Service>>) {
  signin::CSessionFetchChain<LoginWnd>::AfterServices(window, ok, error);
}

void LoginWnd::DownloadAllAvatars() { signin::DownloadAvatarsIntoCache(); }

LRESULT LoginWnd::OnSessionFetchFailed() {
  EndLoginRequest();
  Platform().ShowMessageBox(nullptr, LocalizedText("LogInFailed"), L"", MB_OK);
  return 0;
}

bool LoginWnd::EndedByBlockedSessionFolder(const mireloom::User& me) {
  // Nothing of the session is kept before its folder is there: without it the
  // main window would stay empty for good.
  const std::optional<std::wstring> blocked = signin::BlockedSessionFolder(me, *m_team);
  if (!blocked) return false;
  EndLoginRequest();
  signin::TellBlockedSessionFolder(*blocked);
  return true;
}

void LoginWnd::FinishRememberingAccount() {
  if (m_rememberingAccount.valid()) m_rememberingAccount.get();
}

void LoginWnd::EndLoginRequest() {
  m_loginPending = false;
  SetLoggingState(false);
  if (m_returnButton) m_returnButton->SetEnabled(true);
}

LRESULT LoginWnd::OnInitPassword(const LoginSuccessResponse& response) {
  quennet::log_event("Need to init password");
  if (EndedByBlockedSessionFolder(*response.user)) return 0;
  // The password typed here is about to be replaced: only the account is
  // remembered now, the new password once the service has taken it.
  signin::RegisterAccount(*m_team, m_sentUserName);
  signin::StartDirector(*response.user, *m_team, *response.token);
  m_loginPending = false;
  SetLoggingState(false);
  Close(1);

  RestPasswordWnd reset(*m_team, m_sentUserName);
  if (!reset.Create(nullptr, L"重置初始密码", kOverlappedStyle, kWindowExStyle, CW_USEDEFAULT, CW_USEDEFAULT,
                    CW_USEDEFAULT, CW_USEDEFAULT)) {
    ReportDamagedSkin(reset);
    return 0;
  }
  reset.CenterWindow();
  reset.ShowModal();
  return 0;
}

LRESULT LoginWnd::OnLoginFailed(const int64_t* code) {
  const int64_t value = code ? *code : 0;
  quennet::log_error("Login failed, code is : %lld", static_cast<long long>(value));
  EndLoginRequest();
  const std::wstring text = signin::LoginFailureText(value);
  Platform().ShowMessageBox(nullptr, text, L"", MB_OK);
  return 0;
}

LRESULT LoginWnd::OnMainWndDataPrepared() {
  quennet::log_event("MainWnd data prepared");
  FinishRememberingAccount();
  Close(1);
  if (WindowManager* manager = WindowManager::GetInstance()) manager->ShowMainWnd();
  return 0;
}

void LoginWnd::ReturnToSubdomainWindow() {
  Close(1);
  if (FindWindowW(L"SubdomainWnd", L"登录团队")) return;
  SubdomainWnd subdomain;
  if (!subdomain.Create(nullptr, L"登录团队", kDialogStyle, kWindowExStyle, CW_USEDEFAULT, CW_USEDEFAULT,
                        CW_USEDEFAULT, CW_USEDEFAULT)) {
    ReportDamagedSkin(subdomain);
    return;
  }
  subdomain.CenterWindow();
  subdomain.ShowModal();
}

LRESULT LoginWnd::HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) {
  switch (uMsg) {
    case WM_LOGIN_SUCCEEDED: {
      std::unique_ptr<LoginSuccessResponse> response(reinterpret_cast<LoginSuccessResponse*>(lParam));
      if (!response) return 0;
      SessionWebToken = response->token->web_token();
      if (response->storeRepaired) Platform().ShowMessageBox(nullptr, LocalizedText("ServiceStoreRepaired"), L"", MB_OK);
      OnLoginSuccess(*response);
      return kRecordTaken;
    }
    case WM_LOGIN_NEEDS_INIT_PASSWORD: {
      std::unique_ptr<LoginSuccessResponse> response(reinterpret_cast<LoginSuccessResponse*>(lParam));
      if (!response) return 0;
      // The session goes on with this token once the new password is set.
      SessionWebToken = response->token->web_token();
      // The initial-password window's loop runs in here.
      OnInitPassword(*response);
      return kRecordTaken;
    }
    case WM_LOGIN_FAILED: {
      std::unique_ptr<int64_t> code(reinterpret_cast<int64_t*>(lParam));
      OnLoginFailed(code.get());
      return code ? kRecordTaken : 0;
    }
    case WM_MAINWND_DATA_PREPARED:
      return OnMainWndDataPrepared();
    case WM_SESSION_FETCH_FAILED:
      return OnSessionFetchFailed();
    case WM_TIMER:
      if (wParam == kLoggingTimer && m_loginButton) StepLoggingAnimation();
      break;
    case WM_KEYDOWN:
      // Esc takes the close button's road (the skin names it); Enter on a
      // focused button presses that button.
      if (wParam == VK_RETURN && !IsButtonFocused(m_PaintManager)) {
        DoLogin();
        return 0;
      }
      break;
    default:
      break;
  }
  return WindowImplBase::HandleMessage(uMsg, wParam, lParam);
}

void LoginWnd::Notify(TNotifyUI& msg) {
  const CDuiString sender = msg.pSender ? msg.pSender->GetName() : CDuiString();
  if (msg.sType == L"click") {
    if (sender == L"login_btn" && !m_loginPending) {
      if (m_returnButton) m_returnButton->SetEnabled(false);
      DoLogin();
    } else if (sender == L"forgot_pwd_btn") {
      OpenAddress(Utf8ToWide("https://" + TeamHost(m_team->team_subdomain()) + "/forgot"));
    } else if (sender == L"return_domain_btn") {
      ReturnToSubdomainWindow();
      return;  // this window has closed and its loop ended
    } else if (sender == L"closebtn") {
      RunQuitSequence();
    }
  } else if (msg.sType == L"return" && (sender == L"username_edit" || sender == L"password_edit")) {
    DoLogin();
  } else if (msg.sType == L"textchanged" && sender == L"username_edit") {
    ForgetPrefilledPasswordIfAccountChanged();
  }
  WindowImplBase::Notify(msg);
}

}  // namespace mireloomwnd
