#pragma once

// What the sign-in windows decide without a window: the busy animation's
// next text, whether a server version is newer, the failure texts, and the
// checks of a new password.

#include <cstdint>
#include <string>

#include "app/ui/BusyButton.h"

namespace signin {

using mireloomwnd::BusyKeys;
inline constexpr BusyKeys kCheckingKeys{"CheckDomainOne", "CheckDomainTwo", "CheckDomainThree"};
inline constexpr BusyKeys kLoggingKeys{"LoggingOne", "LoggingTwo", "LoggingThree"};

// Versions from 16 on are newer than this client.
inline constexpr int64_t ClientVersionThreshold = 16;
[[nodiscard]] inline bool IsNewerClientVersion(int64_t version) { return version >= ClientVersionThreshold; }

// " (code:N)", as every failure text that shows its code ends.
[[nodiscard]] std::wstring CodeSuffix(int64_t code);

[[nodiscard]] std::wstring TeamLookupFailureText(int32_t code);
[[nodiscard]] std::wstring LoginFailureText(int64_t code);
[[nodiscard]] std::wstring InitPasswordFailureText(int64_t code);

enum class NewPasswordCheck { Accepted, Mismatch, TooShort };
// The entries must agree first; then the password needs 6 bytes of UTF-8.
[[nodiscard]] NewPasswordCheck CheckNewPassword(const std::wstring& password, const std::wstring& confirmation);
[[nodiscard]] std::wstring NewPasswordCheckText(NewPasswordCheck check);

// The request number the web interface is configured with at each log-in:
// a units digit plus one random digit per power of ten up to 10^7.
[[nodiscard]] int MakeLoginRequestNumber();

}  // namespace signin
