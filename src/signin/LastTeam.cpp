#include "signin/LastTeam.h"

#include <future>
#include <mutex>

#include "mireloom/AccountManager.h"
#include "signin/SessionStart.h"

namespace signin {
namespace {

std::mutex g_mutex;
std::future<std::string> g_startRead;

std::string ReadLastTeamSubdomain() {
  mireloom::AccountManager accounts(CoreDataFolder());
  if (!accounts.InitOrDie()) return {};
  const std::string teamId = accounts.LastTeamId();
  if (teamId.empty()) return {};
  const std::unique_ptr<mireloom::Team> team = accounts.TeamForTeamId(teamId);
  return team ? team->team_subdomain() : std::string();
}

}  // namespace

void StartReadingLastTeam() {
  std::lock_guard<std::mutex> lock(g_mutex);
  if (!g_startRead.valid()) g_startRead = std::async(std::launch::async, &ReadLastTeamSubdomain);
}

std::string LastTeamSubdomain() {
  std::future<std::string> startRead;
  {
    std::lock_guard<std::mutex> lock(g_mutex);
    startRead = std::move(g_startRead);
  }
  return startRead.valid() ? startRead.get() : ReadLastTeamSubdomain();
}

}  // namespace signin
