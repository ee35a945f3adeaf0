#pragma once

#include <windows.h>

// Posted by CBrowserClient to its owner window once the browser exists; lParam
// is the browser's window. The owner then places the browser.
constexpr UINT WM_BROWSER_CREATED = WM_USER + 0x30;

// Posted by a host to itself on WM_SIZE: by the time it arrives the framework
// has laid the controls out again, so the browser can follow its area.
constexpr UINT WM_BROWSER_RELAYOUT = WM_USER + 0x31;
