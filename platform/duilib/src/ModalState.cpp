#include "ModalState.h"

#include <algorithm>

#include "quennet/EventLog.h"

namespace DuiLib::detail {

namespace {

struct FrameRecord {
  HWND window;
  UINT_PTR timer;
};

thread_local std::vector<FrameRecord> t_frames;
DWORD g_watchdogMs = 0;
std::vector<std::wstring>& Failures() {
  static auto* failures = new std::vector<std::wstring>;
  return *failures;
}

std::wstring Describe(HWND window) {
  wchar_t cls[128] = L"";
  wchar_t title[256] = L"";
  GetClassNameW(window, cls, 128);
  GetWindowTextW(window, title, 256);
  return std::wstring(cls) + L" \"" + title + L"\"";
}

void CALLBACK WatchdogProc(HWND, UINT, UINT_PTR timer, DWORD) {
  KillTimer(nullptr, timer);
  const auto it = std::find_if(t_frames.begin(), t_frames.end(), [timer](const FrameRecord& f) { return f.timer == timer; });
  if (it == t_frames.end()) return;
  it->timer = 0;
  Failures().push_back(L"modal loop of " + Describe(it->window) + L" outlived the watchdog");
  quennet::log_error("A modal loop outlived the watchdog; its innermost window is destroyed");
  // End the innermost loop; the outer ones see their own deadlines.
  HWND innermost = t_frames.back().window;
  if (IsWindow(innermost)) DestroyWindow(innermost);
}

}  // namespace

ModalFrame::ModalFrame(HWND window) : m_window(window) {
  if (g_watchdogMs) m_timer = SetTimer(nullptr, 0, g_watchdogMs, WatchdogProc);
  t_frames.push_back(FrameRecord{window, m_timer});
}

ModalFrame::~ModalFrame() {
  const auto it = std::find_if(t_frames.rbegin(), t_frames.rend(), [this](const FrameRecord& f) { return f.window == m_window; });
  if (it != t_frames.rend()) {
    if (it->timer) KillTimer(nullptr, it->timer);
    t_frames.erase(std::next(it).base());
  }
}

std::vector<HWND> ModalWindows() {
  std::vector<HWND> windows;
  for (const FrameRecord& frame : t_frames) windows.push_back(frame.window);
  return windows;
}

void SetModalWatchdog(DWORD milliseconds) { g_watchdogMs = milliseconds; }

std::vector<std::wstring> TakeWatchdogFailures() {
  std::vector<std::wstring> failures;
  failures.swap(Failures());
  return failures;
}

}  // namespace DuiLib::detail
