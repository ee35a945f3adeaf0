#pragma once

// Cached pictures that cannot be drawn (damaged, emptied, far larger than any
// picture the service serves) are deleted and fetched again, once for each
// key in a run of the program: a file that is still broken after that stays
// as it is, so that a service answering garbage is not asked forever.

#include <cstddef>
#include <string>

// The largest picture the service serves: an avatar is at most 1024 x 1024
// pixels, whose PNG stays under 4.2 MB even stored without compression, and
// thumbnails are far smaller. Anything larger in the cache is damaged, and
// is never read on the user-interface thread.
inline constexpr size_t kLargestServedPicture = size_t{8} << 20;

// Makes the window framework refuse picture files above the largest served
// one and hand the pictures it cannot draw to the repair. Start-up, on the
// user-interface thread.
void InstallCachedPictureRepair();

// What the framework calls for a picture it cannot draw. For a file of the
// download cache not repaired yet in this run: deletes it and, when its
// address is known, fetches it again; once the new file is there, every
// window draws it. True when a repair began. User-interface thread.
bool RepairCachedPicture(const std::wstring& path);
