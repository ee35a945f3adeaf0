#pragma once

#include <memory>
#include <string>

#include "mireloom/Team.h"

struct sqlite3;

namespace mireloom {

// The accounts signed in on this machine ("Accounts.db" in the data folder):
// their teams, user names and the team used last.
class AccountManager final {
 public:
  // The folder in code page 936, with or without a trailing separator.
  explicit AccountManager(const std::string& dataFolderCp936);
  ~AccountManager();
  AccountManager(const AccountManager&) = delete;
  AccountManager& operator=(const AccountManager&) = delete;

  // Creates the folder and the store when missing; false when impossible.
  [[nodiscard]] bool InitOrDie();

  [[nodiscard]] std::string LastTeamId();
  [[nodiscard]] std::unique_ptr<Team> TeamForTeamId(const std::string& teamId);
  [[nodiscard]] std::string UsernameForTeamId(const std::string& teamId);
  // Stores the team and the user name and makes the team the last one.
  void Register(const Team& team, const std::string& userName);

 private:
  std::string m_folder;
  sqlite3* m_db = nullptr;
};

}  // namespace mireloom
