#pragma once

// The messages and timers of the sign-in windows. The numbers are fixed per
// window; the same number may mean something else in another window.

#include <windows.h>

namespace mireloomwnd {

// Team-subdomain window.
inline constexpr UINT WM_TEAM_FOUND = 0x401;             // lParam: new mireloom::Team
inline constexpr UINT WM_TEAM_NOT_FOUND = 0x419;         // lParam: error code (low 32 bits)
inline constexpr UINT WM_NEW_VERSION_AVAILABLE = 0x430;  // lParam: new ClientVersionRecord
inline constexpr UINT WM_FOCUS_TEAM_FIELD = 0x431;
inline constexpr UINT_PTR kCheckingTimer = 1076;

// Log-in window.
inline constexpr UINT WM_LOGIN_SUCCEEDED = 0x402;            // lParam: new LoginSuccessResponse
inline constexpr UINT WM_LOGIN_FAILED = 0x403;               // lParam: new int64_t code
inline constexpr UINT WM_MAINWND_DATA_PREPARED = 0x404;      // also the initial-password window's
inline constexpr UINT WM_LOGIN_NEEDS_INIT_PASSWORD = 0x440;  // lParam: new LoginSuccessResponse
// A step of the session's fetch chain failed; also the initial-password window's.
inline constexpr UINT WM_SESSION_FETCH_FAILED = 0x405;
inline constexpr UINT_PTR kLoggingTimer = 1058;

// Initial-password window.
inline constexpr UINT WM_INIT_PASSWORD_SUCCEEDED = 0x460;
inline constexpr UINT WM_INIT_PASSWORD_FAILED = 0x461;  // lParam: new int64_t code

}  // namespace mireloomwnd
