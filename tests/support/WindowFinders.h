#pragma once

// Finds the windows and controls of this process that tests drive.

#include <windows.h>

#include <string>

#include "duilib/UIlib.h"

namespace test_support {

// The first visible top-level window of this process with the class (and title).
HWND FindOwnWindow(const wchar_t* window_class, const wchar_t* title = nullptr);
// A control of such a window; null when the window or the control is missing.
DuiLib::CControlUI* ControlIn(const wchar_t* window_class, const wchar_t* name);
// Its text, "<missing>" without the control.
std::wstring TextIn(const wchar_t* window_class, const wchar_t* name);

}  // namespace test_support
