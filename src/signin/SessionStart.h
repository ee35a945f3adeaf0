#pragma once

// What starts a session once the service has accepted a log-in: the pieces
// both sign-in roads share (the log-in window's, and the initial-password
// window's after the new password is set).

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "mireloom/Service.h"
#include "mireloom/Team.h"
#include "mireloom/Types.h"
#include "mireloom/User.h"

// The web token of the signed-in session: the value of the team's session
// cookie in its web pages. Written at each log-in, read on the UI thread.
extern std::string SessionWebToken;

namespace signin {

// The data folder the core library is given: the user data folder in code page 936.
[[nodiscard]] std::string CoreDataFolder();

// Registers the account on this machine (the last team and its user name).
void RegisterAccount(const mireloom::Team& team, const std::string& userName);
// Remembers the password and registers the account.
void RememberAccount(const mireloom::Team& team, const std::string& userName, const std::string& password);

// Brings the local databases up to the current schema. After a migration the
// old caches are obsolete: the data folder is emptied but for the account
// store and the program's own files (settings, crash dump, log).
void CheckLocalDatabase(const std::string& dataFolder);
// The files a clean-up of the data folder keeps.
[[nodiscard]] const std::vector<std::string>& FilesKeptByCleanUp();

// Builds the session's director and installs it as the default one.
void InstallDirector(const mireloom::User& me, const mireloom::Team& team, const mireloom::Token& token,
                     const std::string& dataFolder);

// The database check and the director of the session, on the data folder.
void StartDirector(const mireloom::User& me, const mireloom::Team& team, const mireloom::Token& token);

// Asks which instant-messaging server to use and connects to it; only logged.
void ConnectToIMServer();

// The chain that fills the core library's cache before the main window
// opens: members, then their statuses, then the services, then the avatars
// are asked for; each step only after the previous one succeeded. When the
// last step is done, WM_MAINWND_DATA_PREPARED is posted to the window. A
// failed step ends the chain silently.
class CSessionFetchChain final {
 public:
  static void Start(HWND window);

  static void OnMembersFetched(HWND window, bool ok, const std::string& error,
                               std::vector<std::unique_ptr<mireloom::User>> users);
  static void OnUsersStatusFetched(HWND window, bool ok, const std::string& error);
  static void OnServicesFetched(HWND window, bool ok, const std::string& error,
                                std::vector<std::unique_ptr<mireloom::Service>> services);
  // Every member's and service's avatar into the download cache; nothing waits.
  static void DownloadAllAvatars();
};

}  // namespace signin
