#pragma once

// Colours the service sends as text.

#include <windows.h>

#include <optional>
#include <string>

// A channel's colour (`Channel::HexColor`, "#RRGGBB") as the opaque ARGB value
// 0xFFRRGGBB; nothing for any other text, which then gives no background.
[[nodiscard]] std::optional<DWORD> ParseChannelColor(const std::string& text);
