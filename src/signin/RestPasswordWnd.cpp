#include "signin/RestPasswordWnd.h"

#include "app/frame/QuitSequence.h"
#include "app/frame/WindowManager.h"
#include "app/storage/Credentials.h"
#include "app/text/StringTable.h"
#include "app/text/TextHelpers.h"
#include "app/ui/BusyButton.h"
#include "app/ui/PlatformSeam.h"
#include "app/ui/SkinControls.h"
#include "app/ui/WindowConventions.h"
#include "mireloom/WebApi.h"
#include "quennet/EventLog.h"
#include "signin/LoginWnd.h"
#include "signin/SessionFetchChain.h"
#include "signin/SessionStart.h"
#include "signin/SigninMessages.h"
#include "signin/SigninTexts.h"

namespace mireloomwnd {

using namespace DuiLib;

RestPasswordWnd::RestPasswordWnd(const mireloom::Team& team, std::string userName)
    : m_team(team.Clone()), m_userName(std::move(userName)) {}

CDuiString RestPasswordWnd::GetSkinFolder() { return SkinFolder(); }

LRESULT RestPasswordWnd::OnCreate(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled) {
  return CreateWithShadow(*this, m_shadow, uMsg, wParam, lParam, bHandled);
}

void RestPasswordWnd::InitWindow() {
  m_newPasswordEdit = FindSkinControl<CEditUI>(m_PaintManager, L"new_pwd_edit", L"Edit");
  m_confirmPasswordEdit = FindSkinControl<CEditUI>(m_PaintManager, L"confirm_pwd_edit", L"Edit");
  m_sureButton = FindSkinControl<CButtonUI>(m_PaintManager, L"sure_btn", L"Button");
  ApplyTexts(m_PaintManager, {{L"closebtn", "CloseTips", TextTarget::ToolTip},
                              {L"minbtn", "MinimizeTips", TextTarget::ToolTip},
                              {L"reset_password_label", "ResetPasswordLabel"},
                              {L"new_password_label", "NewPasswordLabel"},
                              {L"confirm_password_label", "ConfirmPasswordLabel"},
                              {L"sure_btn", "ConfirmButton"}});
  if (m_newPasswordEdit) m_newPasswordEdit->SetFocus();
}

void RestPasswordWnd::SubmitPassword() {
  if (m_submitPending) return;
  const std::wstring password = m_newPasswordEdit ? m_newPasswordEdit->GetText().GetData() : L"";
  const std::wstring confirmation = m_confirmPasswordEdit ? m_confirmPasswordEdit->GetText().GetData() : L"";
  const signin::NewPasswordCheck check = signin::CheckNewPassword(password, confirmation);
  if (check != signin::NewPasswordCheck::Accepted) {
    Platform().ShowMessageBox(nullptr, signin::NewPasswordCheckText(check), L"", MB_OK);
    return;
  }
  m_submitPending = true;
  SetSubmittingState(true);
  m_submittedPassword = WideToUtf8(password);
  mireloom::WebApi::Api()->PutInitPassword(
      m_submittedPassword, [window = Recipient()](bool ok, int64_t code) { OnInitPasswordResult(window, ok, code); });
}

void RestPasswordWnd::SetSubmittingState(bool submitting) {
  SetButtonLook(m_sureButton, submitting ? ButtonLook::Busy : ButtonLook::Idle,
                        submitting ? L"登录中..." : L"登录");
}

void RestPasswordWnd::OnInitPasswordResult(const WindowRecipient& window, bool ok, int64_t code) {
  if (ok) {
    DeliverMessage(window, WM_INIT_PASSWORD_SUCCEEDED);
    return;
  }
  DeliverRecord(window, WM_INIT_PASSWORD_FAILED, std::make_unique<int64_t>(code));
}

LRESULT RestPasswordWnd::OnInitPasswordSucceeded() {
  quennet::log_event("OnInitPasswordSuccess");
  // The new password is the one to remember: the initial one no longer works.
  SaveCredential(m_team->team_id(), m_userName, m_submittedPassword);
  LoginWnd::ConnectToIMServer();
  signin::CSessionFetchChain<RestPasswordWnd>::Start(Recipient());
  return 0;
}

void RestPasswordWnd::OnMembersFetched(const WindowRecipient& window, bool ok, const std::string& error,
                                       std::vector<std::unique_ptr<mireloom::User>>) {
  signin::CSessionFetchChain<RestPasswordWnd>::AfterMembers(window, ok, error);
}

void RestPasswordWnd::OnUsersStatusFetched(const WindowRecipient& window, bool ok, const std::string& error) {
  signin::CSessionFetchChain<RestPasswordWnd>::AfterUsersStatus(window, ok, error);
}

void RestPasswordWnd::OnServicesFetched(const WindowRecipient& window, bool ok, const std::string& error,
                                        std::vector<std::unique_ptr<mireloom::Service>>) {
  signin::CSessionFetchChain<RestPasswordWnd>::AfterServices(window, ok, error);
}

void RestPasswordWnd::DownloadAllAvatars() { signin::DownloadAvatarsIntoCache(); }

LRESULT RestPasswordWnd::OnSessionFetchFailed() {
  EndSubmission();
  Platform().ShowMessageBox(nullptr, LocalizedText("LogInFailed"), L"", MB_OK);
  return 0;
}

void RestPasswordWnd::EndSubmission() {
  m_submitPending = false;
  SetSubmittingState(false);
}

LRESULT RestPasswordWnd::OnInitPasswordFailed(const int64_t* code) {
  const int64_t value = code ? *code : 0;
  quennet::log_error("Login failed, code is : %lld", static_cast<long long>(value));
  EndSubmission();
  Platform().ShowMessageBox(nullptr, signin::InitPasswordFailureText(value), L"", MB_OK);
  return 0;
}

LRESULT RestPasswordWnd::OnMainWndDataPrepared() {
  quennet::log_event("MainWnd data prepared");
  SetSubmittingState(false);
  Close(1);
  if (WindowManager* manager = WindowManager::GetInstance()) manager->ShowMainWnd();
  return 0;
}

LRESULT RestPasswordWnd::HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) {
  switch (uMsg) {
    case WM_INIT_PASSWORD_SUCCEEDED:
      return OnInitPasswordSucceeded();
    case WM_INIT_PASSWORD_FAILED: {
      std::unique_ptr<int64_t> code(reinterpret_cast<int64_t*>(lParam));
      OnInitPasswordFailed(code.get());
      return code ? kRecordTaken : 0;
    }
    case WM_MAINWND_DATA_PREPARED:
      return OnMainWndDataPrepared();
    case WM_SESSION_FETCH_FAILED:
      return OnSessionFetchFailed();
    default:
      return WindowImplBase::HandleMessage(uMsg, wParam, lParam);
  }
}

void RestPasswordWnd::Notify(TNotifyUI& msg) {
  const CDuiString sender = msg.pSender ? msg.pSender->GetName() : CDuiString();
  if (msg.sType == L"click") {
    if (sender == L"sure_btn") {
      SubmitPassword();
    } else if (sender == L"closebtn") {
      RunQuitSequence();
    }
  } else if (msg.sType == L"return" && (sender == L"new_pwd_edit" || sender == L"confirm_pwd_edit")) {
    SubmitPassword();
  }
  WindowImplBase::Notify(msg);
}

}  // namespace mireloomwnd
