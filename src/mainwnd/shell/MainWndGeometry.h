#pragma once

// Where the main window puts what it opens.

#include <windows.h>

#include "app/frame/WindowManager.h"

namespace mireloomwnd {

inline constexpr int kSideCardWidth = 320;

// A side card (member card, channel members, file list) covers the right-hand
// 320 pixels of the main window below its top 30.
[[nodiscard]] Placement SideCardPlacement(const RECT& mainWindow);
// The emoji picker (432 x 236) stands right above its button, centred on the
// button's left edge; the button's rectangle is in screen coordinates.
[[nodiscard]] POINT EmojiPickerPosition(const RECT& buttonOnScreen);

}  // namespace mireloomwnd
