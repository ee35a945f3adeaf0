#pragma once

// The first window of every session: the user types the team's subdomain,
// the service resolves it, and the log-in window opens for that team. It also
// fills in the last team used here and tells of a newer client version.

#include <cstdint>
#include <string>

#include "app/frame/WndShadow.h"
#include "duilib/UIlib.h"

namespace mireloomwnd {

// What the version check hands to the window when the service has a newer client.
struct ClientVersionRecord {
  int64_t version = 0;
  std::string download_url;  // UTF-8
  std::string description;   // release notes, UTF-8
};

class SubdomainWnd : public DuiLib::WindowImplBase {
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

  // Completions of the core library, on its threads. They touch no control
  // and hold only the window's handle: the window may be gone when they run.
  static void OnClientVersion(HWND window, bool ok, int64_t version, const std::string& releaseNotes,
                              const std::string& downloadUrl);
  static void OnTeamLite(HWND window, bool ok, int64_t code, const std::string& teamId, const std::string& teamName,
                         const std::string& teamSubdomain);

 private:
  void PrefillLastTeam();
  void OnTeamFound(LPARAM team);
  void OnTeamNotFound(LPARAM code);
  void OnNewVersion(LPARAM record);
  void StepCheckingAnimation();

  CWndShadow m_shadow;
  // One look-up at a time: set when it starts, cleared when it is answered.
  bool m_lookupPending = false;
  DuiLib::CEditUI* m_subdomainEdit = nullptr;
  DuiLib::CButtonUI* m_continueButton = nullptr;
};

}  // namespace mireloomwnd
