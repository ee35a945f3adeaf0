#pragma once

// A first sign-in: the account still has the password it was created with,
// and the user chooses a new one before working. Once the service has taken
// it, the session starts as after any log-in and the main window opens.

#include <cstdint>
#include <memory>
#include <string>

#include "app/ui/UiThread.h"
#include "app/ui/WindowRecords.h"
#include "app/ui/WndShadow.h"
#include "duilib/UIlib.h"
#include "mireloom/Service.h"
#include "mireloom/Team.h"
#include "mireloom/User.h"

namespace mireloomwnd {

class RestPasswordWnd final : public DuiLib::WindowImplBase {
 public:
  // The team and the user name the log-in was made with; the new password is
  // remembered for them.
  RestPasswordWnd(const mireloom::Team& team, std::string userName);

  LPCTSTR GetWindowClassName() const override { return L"RestPwdWnd"; }
  DuiLib::CDuiString GetSkinFolder() override;
  DuiLib::CDuiString GetSkinFile() override { return L"skin_reset_pwd_wnd.xml"; }
  LRESULT OnCreate(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled) override;
  void InitWindow() override;
  void Notify(DuiLib::TNotifyUI& msg) override;
  LRESULT HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) override;

  void SubmitPassword();
  void SetSubmittingState(bool submitting);
  // Completion of the password change, on the core library's thread.
  static void OnInitPasswordResult(const WindowRecipient& window, bool ok, int64_t code);
  LRESULT OnInitPasswordSucceeded();
  LRESULT OnInitPasswordFailed(const int64_t* code);
  LRESULT OnMainWndDataPrepared();

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
  LRESULT OnSessionFetchFailed();
  void EndSubmission();

  CWndShadow m_shadow;
  std::unique_ptr<mireloom::Team> m_team;
  std::string m_userName;
  std::string m_submittedPassword;
  // One submission at a time: set when it starts, cleared on every outcome.
  bool m_submitPending = false;
  DuiLib::CEditUI* m_newPasswordEdit = nullptr;
  DuiLib::CEditUI* m_confirmPasswordEdit = nullptr;
  DuiLib::CButtonUI* m_sureButton = nullptr;
  // Last: completions check it before they touch the window, so it must
  // expire before any other member goes.
  CLifetimeGuard m_guard;
};

}  // namespace mireloomwnd
