#include "browser/SessionPageCookies.h"

#include "mireloom/Director.h"
#include "signin/SessionStart.h"

std::optional<PageCookieSession> CurrentPageCookieSession() {
  const mireloom::Director* director = mireloom::Director::DefaultDirector();
  if (!director) return std::nullopt;
  const mireloom::Team* team = director->current_team();
  if (!team) return std::nullopt;
  return PageCookieSession{team->team_id(), team->team_subdomain(), SessionWebToken};
}

bool PostSessionPageCookies(PageCookieHost host) {
  const std::optional<PageCookieSession> session = CurrentPageCookieSession();
  return session && PostPageCookieSet(BuildPageCookieSet(*session, host));
}
