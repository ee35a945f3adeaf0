#pragma once

// The messages, commands and timers of the file windows. The numbers are
// fixed per window; the same number may mean something else elsewhere.

#include <windows.h>

namespace mireloomwnd {

// File list and file details: lParam is a DownloadedImage record, sent by a
// download of the download cache and taken over by the window's handler.
inline constexpr UINT WM_FILE_IMAGE_DOWNLOADED = 0x421;   // thumbnails
inline constexpr UINT WM_FILE_AVATAR_DOWNLOADED = 0x422;  // avatars (file details)

// The one item of the copy menu (file details, snippet viewer).
inline constexpr UINT kCopyMenuCommand = 0x423;

// Image viewer: hides the zoom badge.
inline constexpr UINT_PTR kZoomBadgeTimer = 1;
inline constexpr UINT kZoomBadgeMs = 500;

}  // namespace mireloomwnd
