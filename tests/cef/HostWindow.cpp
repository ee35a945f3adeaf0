#include "HostWindow.h"

namespace cef_testing {

namespace {

constexpr wchar_t kHostClass[] = L"CefTestHostWindow";

// Paints its whole update area, as the program's windows do: the browser
// window uncovers parts of its parent without asking for an erase.
LRESULT CALLBACK HostProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_PAINT) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    FillRect(dc, &paint.rcPaint, GetSysColorBrush(COLOR_BTNFACE));
    EndPaint(window, &paint);
    return 0;
  }
  return DefWindowProcW(window, message, wparam, lparam);
}

void RegisterHostClass() {
  static const bool registered = [] {
    WNDCLASSEXW window_class = {};
    window_class.cbSize = sizeof window_class;
    window_class.lpfnWndProc = HostProc;
    window_class.hInstance = GetModuleHandleW(nullptr);
    window_class.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    window_class.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    window_class.lpszClassName = kHostClass;
    return RegisterClassExW(&window_class) != 0;
  }();
  (void)registered;
}

}  // namespace

HostWindow::HostWindow(int width, int height, const wchar_t* title) {
  RegisterHostClass();
  // A popup without a caption, shown without activation: Wine then waits for
  // no window manager (Xvfb has none) when the window goes, which would cost
  // two seconds per window.
  m_window = CreateWindowExW(0, kHostClass, title, WS_POPUP | WS_BORDER | WS_CLIPCHILDREN, 40, 40, width, height,
                             nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
  ShowWindow(m_window, SW_SHOWNOACTIVATE);
}

HostWindow::~HostWindow() { Destroy(); }

void HostWindow::Destroy() {
  if (m_window) DestroyWindow(m_window);
  m_window = nullptr;
}

std::vector<MSG> HostWindow::TakePosted(UINT message) {
  std::vector<MSG> taken;
  MSG msg;
  while (m_window && PeekMessageW(&msg, m_window, message, message, PM_REMOVE)) taken.push_back(msg);
  return taken;
}

void PumpMessages(DWORD ms) {
  const ULONGLONG deadline = GetTickCount64() + ms;
  do {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    if (ms > 0) MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  } while (GetTickCount64() < deadline);
}

std::vector<HWND> BrowserWindowsOf(HWND parent) {
  std::vector<HWND> windows;
  for (HWND child = FindWindowExW(parent, nullptr, L"CefBrowserWindow", nullptr); child;
       child = FindWindowExW(parent, child, L"CefBrowserWindow", nullptr)) {
    windows.push_back(child);
  }
  return windows;
}

}  // namespace cef_testing
