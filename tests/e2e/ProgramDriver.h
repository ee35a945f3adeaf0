#pragma once

// Starts the real program from its laid-out folder and drives it from
// outside, as a user would: through its windows' handles, native edits and
// keys, with screenshots of what it shows.

#include <windows.h>

#include <initializer_list>
#include <map>
#include <string>
#include <vector>

namespace e2e {

class ProgramDriver final {
 public:
  ProgramDriver() = default;
  ~ProgramDriver();  // ends the program if it still runs
  ProgramDriver(const ProgramDriver&) = delete;
  ProgramDriver& operator=(const ProgramDriver&) = delete;

  // Starts dist/bin/Corvanel.exe in its folder with these extra variables.
  bool Launch(const std::map<std::wstring, std::wstring>& environment);
  // A visible top-level window of the program; NULL on timeout.
  HWND WaitForWindow(const wchar_t* window_class, const wchar_t* title, DWORD timeout_ms = 10000) const;
  // Waits until no such window of the program is left.
  bool WaitForWindowGone(const wchar_t* window_class, DWORD timeout_ms = 10000) const;
  // The window's native edit children, in creation order.
  static std::vector<HWND> Edits(HWND window);
  static void SetText(HWND edit, const std::wstring& text);
  // Moves the keyboard focus on with Tab, as a user would, and types the
  // text into the edit that took it (an edit's native window exists only
  // while it has the focus or text). False when no edit took the focus.
  static bool TabAndType(HWND window, const std::wstring& text, DWORD timeout_ms = 3000);
  // Types the text into the edit that has the keyboard focus, as the window
  // gives it when it opens. False when no edit has it.
  static bool TypeIntoFocus(HWND window, const std::wstring& text, DWORD timeout_ms = 3000);
  // Enter, as the window receives it from the keyboard.
  static void PressEnter(HWND window);
  // Keys, and text, as the keyboard sends them: to whichever window has the
  // keyboard now, not to a window of the test's choosing.
  static void PressKeys(std::initializer_list<WORD> keys);
  static void TypeKeys(const std::wstring& text);
  // A left click at a point of the window's client area.
  static void ClickAt(HWND window, int x, int y);
  // The same click, returning once the window has handled it: what the test
  // does next (set a control's text, say) cannot overtake it. Only for a
  // click that opens no modal window.
  static void ClickAndWait(HWND window, int x, int y);
  // Threads the program runs now.
  [[nodiscard]] int ThreadCount() const;
  // What the program holds in memory now (its resident pages).
  [[nodiscard]] double WorkingSetMegabytes() const;
  // Waits for the program to end; its exit code, or -1 on timeout.
  int WaitForExit(DWORD timeout_ms = 15000);
  [[nodiscard]] DWORD ProcessId() const { return m_process_id; }
  [[nodiscard]] static DWORD StartTick(const ProgramDriver& driver) { return driver.m_start_tick; }

 private:
  HANDLE m_process = nullptr;
  DWORD m_process_id = 0;
  DWORD m_start_tick = 0;
};

// The program's folder (dist/bin), as Windows sees it.
std::wstring ProgramFolder();
// The colour the screen shows at a point of the window's client area.
COLORREF ScreenPixel(HWND window, POINT client);
// Whether the main window shows on the screen its list's first item and the
// user's avatar (by the skin's layout and colours).
bool ShowsFilledMainWindow(HWND main);
// Saves what the screen shows of the window as a PNG.
bool SaveScreenshot(HWND window, const std::wstring& path);
// The event log the program writes in the user data folder.
std::wstring EventLogPath();

}  // namespace e2e
