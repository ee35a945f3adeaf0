#include "mireloom/AccountManager.h"

#include <sqlite3.h>

#include <functional>
#include <initializer_list>

#include "Database.h"
#include "quennet/EventLog.h"
#include "Text.h"

namespace mireloom {
namespace {

constexpr const char* kSchema =
    "CREATE TABLE IF NOT EXISTS teams (team_id TEXT PRIMARY KEY, subdomain TEXT NOT NULL, name TEXT NOT NULL,"
    " user_name TEXT NOT NULL);"
    "CREATE TABLE IF NOT EXISTS settings (key TEXT PRIMARY KEY, value TEXT NOT NULL);";

// Runs one statement with text arguments; calls `row` for each result row.
bool Query(sqlite3* db, const char* sql, std::initializer_list<std::string> arguments,
           const std::function<void(sqlite3_stmt*)>& row = nullptr) {
  if (!db) return false;
  sqlite3_stmt* statement = nullptr;
  if (sqlite3_prepare_v2(db, sql, -1, &statement, nullptr) != SQLITE_OK) {
    quennet::log_error("Account store: %s", sqlite3_errmsg(db));
    return false;
  }
  int index = 1;
  for (const std::string& argument : arguments) {
    sqlite3_bind_text(statement, index++, argument.data(), static_cast<int>(argument.size()), SQLITE_TRANSIENT);
  }
  int result;
  while ((result = sqlite3_step(statement)) == SQLITE_ROW) {
    if (row) row(statement);
  }
  sqlite3_finalize(statement);
  return result == SQLITE_DONE;
}

std::string Column(sqlite3_stmt* statement, int column) {
  const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, column));
  return text ? text : "";
}

}  // namespace

AccountManager::AccountManager(const std::string& dataFolderCp936) : m_folder(dataFolderCp936) {}

AccountManager::~AccountManager() { sqlite3_close(m_db); }

bool AccountManager::InitOrDie() {
  if (m_db) return true;
  const std::wstring folder = detail::Cp936ToWide(m_folder);
  if (folder.empty() || !detail::MakeFolders(folder)) {
    quennet::log_error("Account store: cannot create the data folder");
    return false;
  }
  const std::wstring path = detail::JoinPath(folder, L"Accounts.db");
  m_db = detail::OpenRepairingSqlite(path, detail::StoreKind::Cache);
  if (!m_db) {
    quennet::log_error("Account store: cannot open Accounts.db");
    return false;
  }
  if (sqlite3_exec(m_db, kSchema, nullptr, nullptr, nullptr) != SQLITE_OK) {
    quennet::log_error("Account store: %s", sqlite3_errmsg(m_db));
    sqlite3_close(m_db);
    m_db = nullptr;
    return false;
  }
  return true;
}

std::string AccountManager::LastTeamId() {
  std::string team_id;
  Query(m_db, "SELECT value FROM settings WHERE key = 'last_team'", {},
        [&](sqlite3_stmt* row) { team_id = Column(row, 0); });
  return team_id;
}

std::unique_ptr<Team> AccountManager::TeamForTeamId(const std::string& teamId) {
  std::unique_ptr<Team> team;
  Query(m_db, "SELECT team_id, subdomain, name FROM teams WHERE team_id = ?", {teamId}, [&](sqlite3_stmt* row) {
    team = std::make_unique<Team>(Column(row, 0), Column(row, 1), Column(row, 2));
  });
  return team;
}

std::string AccountManager::UsernameForTeamId(const std::string& teamId) {
  std::string user_name;
  Query(m_db, "SELECT user_name FROM teams WHERE team_id = ?", {teamId},
        [&](sqlite3_stmt* row) { user_name = Column(row, 0); });
  return user_name;
}

void AccountManager::Register(const Team& team, const std::string& userName) {
  const bool stored = Query(m_db, "INSERT OR REPLACE INTO teams (team_id, subdomain, name, user_name) VALUES (?, ?, ?, ?)",
                            {team.team_id(), team.team_subdomain(), team.team_name(), userName}) &&
                      Query(m_db, "INSERT OR REPLACE INTO settings (key, value) VALUES ('last_team', ?)",
                            {team.team_id()});
  if (!stored) quennet::log_error("Account store: registering team %s failed", team.team_id().c_str());
}

}  // namespace mireloom
