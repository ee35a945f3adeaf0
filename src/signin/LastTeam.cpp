#include "signin/LastTeam.h"

#include "app/storage/ReadAhead.h"
#include "mireloom/AccountManager.h"
#include "signin/SessionStart.h"

namespace signin {
namespace {

std::string ReadLastTeamSubdomain() {
  mireloom::AccountManager accounts(CoreDataFolder());
  if (!accounts.InitOrDie()) return {};
  const std::string teamId = accounts.LastTeamId();
  if (teamId.empty()) return {};
  const std::unique_ptr<mireloom::Team> team = accounts.TeamForTeamId(teamId);
  return team ? team->team_subdomain() : std::string();
}

CReadAhead<std::string> g_lastTeam(&ReadLastTeamSubdomain);

}  // namespace

void StartReadingLastTeam() { g_lastTeam.Start(); }

std::string LastTeamSubdomain() { return g_lastTeam.Take(); }

}  // namespace signin
