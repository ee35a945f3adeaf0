#pragma once

// Every member's and service's avatar into the download cache after a
// sign-in, so that lists show them without waiting. Nothing waits for it: it
// runs on a thread of its own, skips the pictures the cache folder holds and
// keeps only a few downloads
// going at once, so that a team of thousands neither holds the main window
// back nor queues ahead of the pictures the main window asks for itself. It
// ends with the session.

#include <windows.h>

#include <string>
#include <vector>

#include "app/ui/MemberAvatar.h"

namespace signin {

class CAvatarPrefetch final {
 public:
  // Downloads of the prefetch under way at once; the HTTP client runs eight.
  static constexpr int kDownloadsAtOnce = 4;

  // Starts fetching the pictures of the team in the core library's cache,
  // read on the prefetch's own thread while the session that started it
  // lasts. A prefetch of an earlier sign-in stops at its next picture.
  static void Start();
  // Waits until the prefetch begun last has asked for every picture and seen
  // every download end; false on timeout. For tests and benchmarks.
  [[nodiscard]] static bool WaitUntilDone(DWORD timeoutMs);

  // The pictures of the team in the core library's cache: the members', then
  // the services', each in the cache's order; none without a picture.
  [[nodiscard]] static std::vector<AvatarPicture> TeamPictures();
};

}  // namespace signin
