#pragma once

// The subdomain of the team signed in to last, which the team window fills
// in. The program's start reads it on a thread of its own while Windows sets
// up the user interface, so that the first window does not wait for the
// account store to open.

#include <string>

namespace signin {

// Starts reading the account store; called once, as the program starts.
void StartReadingLastTeam();

// The subdomain of the team signed in to last; empty when there is none.
// The first call after StartReadingLastTeam answers with what that read found
// (waiting for it if need be); every other call reads the store itself, which
// a sign-in may have changed since.
std::string LastTeamSubdomain();

}  // namespace signin
