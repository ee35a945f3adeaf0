#pragma once

// Hooks for tests only: the client's code never includes this header. They
// go through the same paths as real input (messages, hit testing, the key
// routing of the modal loops), so a test that passes here exercises what a
// user does.

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "duilib/UIlib.h"

namespace DuiLib::Testing {

// ---- Notifications ----
// Finds the control by name and raises the notification on its window's manager.
bool RaiseNotify(HWND window, LPCTSTR name, LPCTSTR type, WPARAM wParam = 0, LPARAM lParam = 0);

struct NotifyRecord {
  std::wstring type;
  std::wstring sender;  // the sender's name when it was raised
  WPARAM wParam = 0;
  LPARAM lParam = 0;
  HWND window = nullptr;
};

// Records notifications, of one window (attached as its last notifier) or,
// default-constructed, of every window of the process.
class NotifyRecorder final : public INotifyUI {
 public:
  NotifyRecorder();
  explicit NotifyRecorder(HWND window);
  ~NotifyRecorder() override;
  NotifyRecorder(const NotifyRecorder&) = delete;
  NotifyRecorder& operator=(const NotifyRecorder&) = delete;

  void Notify(TNotifyUI& msg) override;
  [[nodiscard]] const std::vector<NotifyRecord>& Records() const { return m_records; }
  // "type:sender" per record, in order.
  [[nodiscard]] std::vector<std::wstring> Summary() const;
  [[nodiscard]] size_t Count(LPCTSTR type) const;
  void Clear() { m_records.clear(); }

 private:
  HWND m_window = nullptr;
  std::vector<NotifyRecord> m_records;
};

// Called for every synchronous notification of the process; empty to stop.
void SetNotifyTrace(std::function<void(const TNotifyUI&, HWND)> trace);

// ---- Input (through hit testing, at the control's centre) ----
bool Click(HWND window, LPCTSTR name);
bool RightClick(HWND window, LPCTSTR name);
bool DoubleClick(HWND window, LPCTSTR name);
bool ClickAt(HWND window, POINT pt);
// Presses and releases the middle of a markup link's first piece.
bool ClickLink(HWND window, LPCTSTR name, int index);
bool Wheel(HWND window, LPCTSTR name, int notches);
// WM_MOUSEHOVER / WM_MOUSELEAVE, which need real pointer motion under Xvfb.
bool Hover(HWND window, LPCTSTR name);
void Leave(HWND window);
// Posts key down and up to the target with the modifiers held, through the
// routing of the loops; the keyboard state is restored afterwards.
void PressKey(HWND target, UINT vk, bool shift = false, bool ctrl = false);
// Focuses the edit or rich edit and types each character as WM_CHAR.
bool TypeText(HWND window, LPCTSTR editName, LPCTSTR text);

// ---- State ----
std::wstring Describe(CControlUI* control);
// One line per control: class, name, visibility, position, text; indented by depth.
std::wstring DumpTree(HWND window);
[[nodiscard]] size_t LiveControlCount();
// Window objects set to free themselves (SetAutoDelete) that have not been
// freed yet: popup menus and combo drops.
[[nodiscard]] size_t LiveAutoDeleteWindowCount();

// ---- Windows and loops ----
std::vector<HWND> FrameworkWindows();
CPaintManagerUI* ManagerOf(HWND window);
// Pumps while waiting; NULL on timeout.
HWND WaitForWindow(LPCTSTR cls, LPCTSTR title, DWORD timeoutMs);
bool PumpUntil(const std::function<bool()>& predicate, DWORD timeoutMs);
void PumpPending();
// Runs the closure inside whichever loop runs next on this thread (a window
// sitting in ShowModal is scripted this way).
void PostToLoop(std::function<void()> closure);
// A modal loop that outlives the deadline records a failure and its
// innermost window is destroyed. 0 turns it off.
void SetModalWatchdog(DWORD milliseconds);
std::vector<std::wstring> TakeWatchdogFailures();
// How many modal loops run on this thread now, one inside the other.
[[nodiscard]] size_t ModalLoopDepth();
// Destroys every framework window of the thread.
void CloseAllWindows();

// ---- Pictures ----
// The window painted through the normal paint path into a DIB (no screen
// needed), with its native children printed over it. The caller deletes it.
HBITMAP RenderWindow(HWND window);
bool SaveWindowPng(HWND window, LPCWSTR path);
// Saves any bitmap as PNG (GDI+ must be started).
bool SaveBitmapPng(HBITMAP bitmap, LPCWSTR path);
// The same in the format of a MIME type GDI+ encodes ("image/jpeg", "image/gif").
bool SaveBitmapAs(HBITMAP bitmap, LPCWSTR path, LPCWSTR mime);
// Pixel of a rendered bitmap as 0xRRGGBB.
DWORD PixelAt(HBITMAP bitmap, int x, int y);
// Forgets every decoded picture, as a new start of the program would: the
// next paint reads each file again.
void ClearImageCache();

}  // namespace DuiLib::Testing
