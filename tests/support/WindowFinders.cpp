#include "support/WindowFinders.h"

#include "duilib/testing.h"

namespace test_support {

HWND FindOwnWindow(const wchar_t* window_class, const wchar_t* title) {
  HWND window = nullptr;
  while ((window = FindWindowExW(nullptr, window, window_class, title)) != nullptr) {
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process == GetCurrentProcessId() && IsWindowVisible(window)) return window;
  }
  return nullptr;
}

DuiLib::CControlUI* ControlIn(const wchar_t* window_class, const wchar_t* name) {
  HWND window = FindOwnWindow(window_class);
  DuiLib::CPaintManagerUI* manager = window ? DuiLib::Testing::ManagerOf(window) : nullptr;
  return manager ? manager->FindControl(name) : nullptr;
}

std::wstring TextIn(const wchar_t* window_class, const wchar_t* name) {
  DuiLib::CControlUI* control = ControlIn(window_class, name);
  return control ? std::wstring(control->GetText().GetData()) : L"<missing>";
}

}  // namespace test_support
