#pragma once

#include <windows.h>

// Posted by CBrowserClient to its owner window once the browser exists; lParam
// is the browser's window. The owner then places the browser.
constexpr UINT WM_BROWSER_CREATED = WM_USER + 0x30;
