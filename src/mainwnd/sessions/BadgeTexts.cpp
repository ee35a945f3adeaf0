#include "mainwnd/sessions/BadgeTexts.h"

namespace mireloomwnd {

namespace {

constexpr int kLargestShownCount = 99;

}  // namespace

std::optional<std::wstring> UnreadBadgeText(int count) {
  if (count <= 0) return std::nullopt;
  if (count > kLargestShownCount) return std::wstring(L"99+");
  return std::to_wstring(count);
}

}  // namespace mireloomwnd
