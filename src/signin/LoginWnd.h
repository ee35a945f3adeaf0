#pragma once

// The log-in window: the user signs in to the team that was found. On
// success it starts the session and hands over to the main window; when the
// account still has its initial password it hands over to the
// initial-password window; on failure it says why.

#include <cstdint>
#include <future>
#include <memory>
#include <string>
#include <vector>

#include "app/ui/UiThread.h"
#include "app/ui/WindowRecords.h"
#include "app/ui/WndShadow.h"
#include "duilib/UIlib.h"
#include "mireloom/Service.h"
#include "mireloom/Team.h"
#include "mireloom/Types.h"
#include "mireloom/User.h"

namespace mireloomwnd {

class LoginWnd final : public DuiLib::WindowImplBase {
 public:
  // The accepted log-in, handed from the core library's thread to the window.
  struct LoginSuccessResponse {
    virtual ~LoginSuccessResponse() = default;
    std::unique_ptr<mireloom::Token> token;
    std::unique_ptr<mireloom::User> user;
    // The service repaired its damaged store since the last sign-in: the user
    // is told before the session starts.
    bool storeRepaired = false;
  };

  LoginWnd() = default;

  // Before Create: the team to sign in to (a copy is kept).
  void SetTeam(const mireloom::Team& team);

  LPCTSTR GetWindowClassName() const override { return L"LoginWindow"; }
  DuiLib::CDuiString GetSkinFolder() override;
  DuiLib::CDuiString GetSkinFile() override { return L"skin_login_wnd.xml"; }
  LRESULT OnCreate(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled) override;
  void InitWindow() override;
  void Notify(DuiLib::TNotifyUI& msg) override;
  LRESULT HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) override;

  void DoLogin();
  void SetLoggingState(bool logging);
  // Completion of the log-in request, on the core library's thread.
  static void OnLoginResult(const WindowRecipient& window, bool ok, int64_t code,
                            std::unique_ptr<mireloom::Token> token, std::unique_ptr<mireloom::User> user);
  LRESULT OnLoginSuccess(const LoginSuccessResponse& response);
  LRESULT OnInitPassword(const LoginSuccessResponse& response);
  LRESULT OnLoginFailed(const int64_t* code);
  LRESULT OnMainWndDataPrepared();

  // The instant-messaging connection of the session; only logged.
  static void ConnectToIMServer();
  static void OnIMProtocol(bool ok, const std::string& error, mireloom::IMProtocol protocol);
  static void OnIMConnected(bool ok, mireloom::IMProtocol protocol);

  // The steps of the session's fetch chain, on the core library's threads.
  static void OnMembersFetched(const WindowRecipient& window, bool ok, const std::string& error,
                               std::vector<std::unique_ptr<mireloom::User>> users);
  static void OnUsersStatusFetched(const WindowRecipient& window, bool ok, const std::string& error);
  static void OnServicesFetched(const WindowRecipient& window, bool ok, const std::string& error,
                                std::vector<std::unique_ptr<mireloom::Service>> services);
  static void DownloadAllAvatars();

 private:
  // Where this window's completions deliver their answers.
  [[nodiscard]] WindowRecipient Recipient() { return {m_guard.Token(), this}; }
  void PrefillRememberedAccount();
  // Empties a pre-filled password once the account differs from the one it
  // was remembered for.
  void ForgetPrefilledPasswordIfAccountChanged();
  void StepLoggingAnimation();
  void ReturnToSubdomainWindow();
  LRESULT OnSessionFetchFailed();
  void EndLoginRequest();
  // Waits until the account of this sign-in is remembered.
  void FinishRememberingAccount();
  // True when the session's folder cannot be made: the user has been told and
  // the sign-in has ended as a failed one does.
  bool EndedByBlockedSessionFolder(const mireloom::User& me);

  // Remembering the account of a sign-in that succeeded runs beside the
  // session's start; waited for before the main window opens.
  std::future<void> m_rememberingAccount;
  CWndShadow m_shadow;
  std::unique_ptr<mireloom::Team> m_team;
  // What the running log-in sent: stored once the service accepts it, so that
  // later edits of the form cannot change what is remembered.
  std::string m_sentUserName;
  std::string m_sentPassword;
  // The account whose remembered password the form holds; empty when none.
  std::wstring m_prefilledUserName;
  // One log-in at a time: set when a request starts, cleared on every outcome.
  bool m_loginPending = false;

  DuiLib::CEditUI* m_userNameEdit = nullptr;
  DuiLib::CEditUI* m_passwordEdit = nullptr;
  DuiLib::CButtonUI* m_loginButton = nullptr;
  DuiLib::CButtonUI* m_returnButton = nullptr;
  // Last: completions check it before they touch the window, so it must
  // expire before any other member goes.
  CLifetimeGuard m_guard;
};

}  // namespace mireloomwnd
