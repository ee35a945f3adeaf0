#pragma once

// The chain that fills the core library's cache before the main window
// opens: members, then their statuses, then the services, then the avatars;
// each step only after the previous one succeeded. Both sign-in roads run it
// with their own window's steps (the window class names them), which call
// back into the chain. The last step sends WM_MAINWND_DATA_PREPARED to the
// window; a failed step sends WM_SESSION_FETCH_FAILED, so that the window
// stops waiting and the user can try again. Both reach the window on the
// user-interface thread, and only while it lives.

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "app/ui/WindowRecords.h"
#include "mireloom/Service.h"
#include "mireloom/ServiceManager.h"
#include "mireloom/User.h"
#include "mireloom/UserManager.h"
#include "quennet/EventLog.h"
#include "signin/SigninMessages.h"

namespace signin {

// Every member's and service's avatar into the download cache, in the
// background (see AvatarPrefetch.h); nothing waits.
void DownloadAvatarsIntoCache();

// Tells the window that a step failed; false when it did.
bool ContinueFetchChain(const mireloomwnd::WindowRecipient& window, bool ok, const char* step,
                        const std::string& error);

// Window: a class with the static steps OnMembersFetched, OnUsersStatusFetched,
// OnServicesFetched (the completions, each with the window first) and
// DownloadAllAvatars.
template <class Window>
class CSessionFetchChain final {
 public:
  static void Start(const mireloomwnd::WindowRecipient& window) {
    mireloom::UserManager::DefaultManager()->GetTeamMembers(
        [window](bool ok, const std::string& error, std::vector<std::unique_ptr<mireloom::User>> users) {
          Window::OnMembersFetched(window, ok, error, std::move(users));
        });
  }

  static void AfterMembers(const mireloomwnd::WindowRecipient& window, bool ok, const std::string& error) {
    if (!ContinueFetchChain(window, ok, "GetTeamMembers", error)) return;
    mireloom::UserManager::DefaultManager()->GetUsersStatus(
        [window](bool status_ok, const std::string& status_error) {
          Window::OnUsersStatusFetched(window, status_ok, status_error);
        });
  }

  static void AfterUsersStatus(const mireloomwnd::WindowRecipient& window, bool ok, const std::string& error) {
    if (!ContinueFetchChain(window, ok, "GetUsersStatus", error)) return;
    quennet::log_event("updating services");
    mireloom::ServiceManager::DefaultManager()->GetServices(
        [window](bool services_ok, const std::string& services_error,
                 std::vector<std::unique_ptr<mireloom::Service>> services) {
          Window::OnServicesFetched(window, services_ok, services_error, std::move(services));
        });
  }

  static void AfterServices(const mireloomwnd::WindowRecipient& window, bool ok, const std::string& error) {
    if (!ContinueFetchChain(window, ok, "GetServices", error)) return;
    quennet::log_event("start to download all avatars");
    Window::DownloadAllAvatars();
    mireloomwnd::DeliverMessage(window, mireloomwnd::WM_MAINWND_DATA_PREPARED);
  }
};

}  // namespace signin
