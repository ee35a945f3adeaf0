#pragma once

// A plain top-level window on the test's thread, standing in for the
// program's windows that host a browser.

#include <windows.h>

#include <vector>

namespace cef_testing {

class HostWindow final {
 public:
  explicit HostWindow(int width = 640, int height = 420, const wchar_t* title = L"Browser host");
  ~HostWindow();
  HostWindow(const HostWindow&) = delete;
  HostWindow& operator=(const HostWindow&) = delete;

  [[nodiscard]] HWND Handle() const { return m_window; }
  void Destroy();

  // Takes the posted messages of this number out of the queue.
  std::vector<MSG> TakePosted(UINT message);

 private:
  HWND m_window = nullptr;
};

// Dispatches what is queued for this thread's windows, for up to `ms`.
void PumpMessages(DWORD ms);

// The browser windows that are children of `parent`.
std::vector<HWND> BrowserWindowsOf(HWND parent);

}  // namespace cef_testing
