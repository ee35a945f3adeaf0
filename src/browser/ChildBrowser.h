#pragma once

// A page browser that lives as a child window of one of our windows: created
// once with the window's address, then kept on the window's layout area.

#include <windows.h>

#include <string>

#include "browser/BrowserClient.h"
#include "duilib/UIlib.h"

namespace mireloomwnd {

// Creates the browser of `client` as a windowed child of `parent` at
// `firstRect`, loading `address`; UTF-8 is the default encoding and file pages
// may reach every address. False when the browser layer refused. The browser
// itself arrives later, announced by WM_BROWSER_CREATED.
[[nodiscard]] bool CreateChildBrowser(HWND parent, const CefRefPtr<CBrowserClient>& client,
                                      const std::wstring& address, const RECT& firstRect);

// While its layout area has no height (hidden, or not laid out yet) the
// browser stays where it was last placed: tells the client and moves the
// window back there, and returns true. False for an area with a height.
bool KeepChildBrowserAtLastPlace(CBrowserClient& client, HWND browserWindow, const DuiLib::CDuiRect& area,
                                 const DuiLib::CDuiRect& lastPlace);

void MoveBrowserWindow(HWND window, const RECT& rect);

}  // namespace mireloomwnd
