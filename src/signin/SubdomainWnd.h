#pragma once

// The first window of every session: the user types the team's subdomain,
// the service resolves it, and the log-in window opens for that team. It also
// fills in the last team used here and tells of a newer client version.

#include <cstdint>
#include <memory>
#include <string>

#include "app/ui/UiThread.h"
#include "app/ui/WindowRecords.h"
#include "app/ui/WndShadow.h"
#include "duilib/UIlib.h"
#include "mireloom/Team.h"

namespace mireloomwnd {

// What the version check hands to the window when the service has a newer client.
struct ClientVersionRecord {
  int64_t version = 0;
  std::string download_url;  // UTF-8
  std::string description;   // release notes, UTF-8
};

class SubdomainWnd final : public DuiLib::WindowImplBase {
 public:
  SubdomainWnd() = default;

  LPCTSTR GetWindowClassName() const override { return L"SubdomainWnd"; }
  DuiLib::CDuiString GetSkinFolder() override;
  DuiLib::CDuiString GetSkinFile() override { return L"skin_domain_wnd.xml"; }
  LRESULT OnCreate(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled) override;
  void InitWindow() override;
  void Notify(DuiLib::TNotifyUI& msg) override;
  LRESULT HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) override;

  void CheckSubdomain();
  void SetCheckingState(bool checking);

  // Completions of the core library, on its threads. They touch no control:
  // their answers reach the window on the user-interface thread, if it lives.
  static void OnClientVersion(const WindowRecipient& window, bool ok, int64_t version, const std::string& releaseNotes,
                              const std::string& downloadUrl);
  static void OnTeamLite(const WindowRecipient& window, bool ok, int64_t code, const std::string& teamId,
                         const std::string& teamName, const std::string& teamSubdomain);

 private:
  // Where this window's completions deliver their answers.
  [[nodiscard]] WindowRecipient Recipient() { return {m_guard.Token(), this}; }
  void PrefillLastTeam();
  void OnTeamFound(std::unique_ptr<mireloom::Team> team);
  void OnTeamNotFound(LPARAM code);
  void OnNewVersion(const ClientVersionRecord& record);
  void StepCheckingAnimation();

  CWndShadow m_shadow;
  // One look-up at a time: set when it starts, cleared when it is answered.
  bool m_lookupPending = false;
  DuiLib::CEditUI* m_subdomainEdit = nullptr;
  DuiLib::CButtonUI* m_continueButton = nullptr;
  // Last: completions check it before they touch the window, so it must
  // expire before any other member goes.
  CLifetimeGuard m_guard;
};

}  // namespace mireloomwnd
