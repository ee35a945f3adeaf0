#include "mainwnd/shell/MainWndGeometry.h"

namespace mireloomwnd {

namespace {

constexpr int kSideCardTopMargin = 30;
constexpr int kEmojiPickerWidth = 432;
constexpr int kEmojiPickerHeight = 236;

}  // namespace

Placement SideCardPlacement(const RECT& mainWindow) {
  Placement placement;
  placement.x = mainWindow.right - kSideCardWidth;
  placement.y = mainWindow.top + kSideCardTopMargin;
  placement.height = (mainWindow.bottom - mainWindow.top) - kSideCardTopMargin;
  return placement;
}

POINT EmojiPickerPosition(const RECT& buttonOnScreen) {
  return {buttonOnScreen.left - kEmojiPickerWidth / 2, buttonOnScreen.top - kEmojiPickerHeight};
}

}  // namespace mireloomwnd
