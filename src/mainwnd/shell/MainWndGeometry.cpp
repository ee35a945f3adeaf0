#include "mainwnd/shell/MainWndGeometry.h"

namespace mireloomwnd {

namespace {

constexpr int kSideCardTopMargin = 30;
constexpr int kEmojiPickerWidth = 432;
constexpr int kEmojiPickerHeight = 236;
constexpr int kSessionRowStep = 30;
constexpr int kSessionScrollBase = 50;

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

std::optional<int> SessionScrollOffset(int index, bool scroll) {
  if (!scroll || index == 0) return std::nullopt;
  return index * kSessionRowStep + kSessionScrollBase;
}

}  // namespace mireloomwnd
