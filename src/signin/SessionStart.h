#pragma once

// What starts a session once the service has accepted a log-in: the pieces
// both sign-in roads share (the log-in window's, and the initial-password
// window's after the new password is set).

#include <windows.h>

#include <functional>
#include <future>
#include <memory>
#include <optional>
#include <string>
#include <vector>

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
// RememberAccount on a thread of its own: the account store waits for the
// disk, and nothing of the sign-in reads it. The caller waits for the future
// before the session's main window opens.
[[nodiscard]] std::future<void> StartRememberingAccount(const mireloom::Team& team, const std::string& userName,
                                                        const std::string& password);

// The session's folder under the data folder, made before anything of the
// session is kept: nullopt when it is there, else the folder that cannot be
// made (a file in its place, no right to write), whose sign-in ends here.
[[nodiscard]] std::optional<std::wstring> BlockedSessionFolder(const mireloom::User& me, const mireloom::Team& team);
// Tells the user, in a message box that names it, that the session's folder
// cannot be made.
void TellBlockedSessionFolder(const std::wstring& folder);

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

// Asks which instant-messaging server to use; the answer goes to the callback.
void AskForIMProtocol(std::function<void(bool ok, const std::string& error, mireloom::IMProtocol protocol)> answer);
// Connects to the server of the protocol; the outcome goes to the callback.
void ConnectToIMServer(mireloom::IMProtocol protocol, std::function<void(bool connected)> connected);
// The log lines of a finished connection attempt.
void LogIMConnection(mireloom::IMProtocol protocol, bool connected);

}  // namespace signin
