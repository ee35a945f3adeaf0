#pragma once

// The page cookie set of the signed-in session: the default director's
// current team and the session's web token, as the hosts of the team's web
// pages write them before they load or switch a page. Window thread only.

#include <optional>

#include "browser/PageCookieSet.h"

// Empty without a director or without a current team (no one signed in).
[[nodiscard]] std::optional<PageCookieSession> CurrentPageCookieSession();

// Queues the host's steps for the current session. False, with nothing
// queued, without a session or without a cookie store.
bool PostSessionPageCookies(PageCookieHost host);
