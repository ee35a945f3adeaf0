#pragma once

// The child window of a browser. With no web engine behind it, it shows what
// a page would be given: the address, the names of the cookies that go with
// it (never their values: the session token must not show up in a
// screenshot) and the last script the page received.

#include <windows.h>

#include <string>
#include <vector>

namespace cef_internal {

struct BrowserState;

// The lines a page shows, top down.
[[nodiscard]] std::vector<std::wstring> ComposePageLines(const std::wstring& url,
                                                         const std::vector<std::wstring>& cookie_names,
                                                         const std::wstring& last_script);

class BrowserWindow final {
 public:
  static constexpr wchar_t kClassName[] = L"CefBrowserWindow";

  // On the UI thread, which then owns the window. The state must outlive it.
  static HWND Create(HWND parent, const RECT& rect, BrowserState* state);
  // Paints the page now (UI thread), so that what it shows follows each
  // change before the next task runs.
  static void Repaint(HWND window);

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
  static void Paint(HWND window, BrowserState& state);
};

}  // namespace cef_internal
