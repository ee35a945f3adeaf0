#pragma once

// The main button of a sign-in window while it waits for the service: white
// with grey text and deaf to the mouse; idle again in the team colour.

#include <string>

namespace DuiLib {
class CButtonUI;
}

namespace signin {

enum class ButtonLook { Idle, Busy };

inline constexpr unsigned long kIdleBkColor = 0xFF3FD1BE;
inline constexpr unsigned long kIdleTextColor = 0xFFFFFFFF;
inline constexpr unsigned long kBusyBkColor = 0xFFFFFFFF;
inline constexpr unsigned long kBusyTextColor = 0xFFBABABA;

// Sets the text and the look; nothing when there is no button.
void SetButtonLook(DuiLib::CButtonUI* button, ButtonLook look, const std::wstring& text);

}  // namespace signin
