#pragma once

// State shared by the modal loops of a thread: which windows run a loop now,
// and the watchdog that keeps a test from hanging in one.

#include <windows.h>

#include <string>
#include <vector>

namespace DuiLib {
class CWindowWnd;
}

namespace DuiLib::detail {

// Posted to the thread when a window is destroyed, so a loop waiting for it wakes.
UINT WakeMessage();
// Framework windows of the calling thread.
std::vector<CWindowWnd*> LiveWindows();
// Window objects of the process set to free themselves and not freed yet.
size_t LiveAutoDeleteWindowCount();

// One running modal loop, innermost last.
class ModalFrame final {
 public:
  explicit ModalFrame(HWND window);
  ~ModalFrame();
  ModalFrame(const ModalFrame&) = delete;
  ModalFrame& operator=(const ModalFrame&) = delete;

 private:
  HWND m_window;
  UINT_PTR m_timer = 0;
};

[[nodiscard]] std::vector<HWND> ModalWindows();
void SetModalWatchdog(DWORD milliseconds);
std::vector<std::wstring> TakeWatchdogFailures();

}  // namespace DuiLib::detail
