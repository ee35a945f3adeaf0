#pragma once

// The main button of a window while it waits for the service: white with
// grey text, deaf to the mouse, its text counting dots once a tick; idle
// again in the team colour.

#include <windows.h>

#include <string>

namespace DuiLib {
class CButtonUI;
}

namespace mireloomwnd {

enum class ButtonLook { Idle, Busy };

inline constexpr unsigned long kIdleBkColor = 0xFF3FD1BE;
inline constexpr unsigned long kIdleTextColor = 0xFFFFFFFF;
inline constexpr unsigned long kBusyBkColor = 0xFFFFFFFF;
inline constexpr unsigned long kBusyTextColor = 0xFFBABABA;
// How often a busy text moves on.
inline constexpr UINT kBusyTickMs = 1000;

// Sets the text and the look; nothing when there is no button.
void SetButtonLook(DuiLib::CButtonUI* button, ButtonLook look, const std::wstring& text);

// The three texts of a busy animation, as keys of the string table.
struct BusyKeys {
  const char* one;
  const char* two;
  const char* three;
};

// The text after `current` in the cycle three -> one -> two -> three, in the
// current language; "" when `current` is none of them (the text stays).
[[nodiscard]] std::wstring NextBusyText(const std::wstring& current, const BusyKeys& keys);

}  // namespace mireloomwnd
