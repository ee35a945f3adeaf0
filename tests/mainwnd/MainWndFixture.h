#pragma once

// Runs the real main window the way the sign-in road opens it: zhou signed in
// to the demo team of a fresh embedded service, the window shown through the
// window manager, the English texts, and a recording platform in place of the
// tray, sounds, menus and message boxes. A script drives the window inside its
// modal loop; TearDown checks what every window must leave behind.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "duilib/UIlib.h"
#include "mainwnd/MainWnd.h"
#include "mireloom/testing.h"
#include "support/LaidOutProgram.h"
#include "support/RecordingPlatform.h"
#include "support/StepRunner.h"
#include "support/WindowFinders.h"

namespace mainwnd_test {

using test_support::FindOwnWindow;
using test_support::StepRunner;

class MainWindowTest : public testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Shows the main window through the window manager and runs its loop with
  // the script; returns when the window has ended.
  void RunMainWindow(StepRunner& script);

 public:
  // The window manager's main window; null while none is open.
  static mireloomwnd::MainWnd* Main();
  // Its window handle, also while it is hidden.
  static HWND MainWindow();
  static DuiLib::CControlUI* Control(const wchar_t* name);
  static std::wstring Text(const wchar_t* name);
  static bool IsShown(const wchar_t* name);
  static DuiLib::CListUI* SessionList();
  // The names of the session list's items, in order.
  static std::vector<std::wstring> SessionItemNames();
  // The title an item promises: the name it shows, "#" first for a channel.
  static std::wstring TitleOf(const std::wstring& itemName);
  // Waits for the list as the start-up chain fills it: on a first sign-in
  // the cache holds no conversation before.
  static StepRunner& WaitForFilledList(StepRunner& script);
  // Where the core's call log first has a call of the operation; -1 without one.
  static std::ptrdiff_t CallPosition(const std::string& operation);
  // Closes the main window as the program's own parts do.
  static void CloseMainWindow();
  // The settings file's "CLOSE_ACTION"; an empty value removes the key.
  static void WriteCloseAction(const wchar_t* value);

 protected:
  [[nodiscard]] std::vector<CRecordingPlatform::Call> TrayCalls() const;

  // The skins and the English texts of the laid-out program.
  test_support::LaidOutProgram m_program;
  mireloom::testing::ScopedCore m_core;
  CRecordingPlatform m_platform;
  size_t m_liveControls = 0;
};

// Counts the messages of one kind that the thread's loops take for a window.
class PostedMessageCounter final {
 public:
  explicit PostedMessageCounter(UINT message);
  ~PostedMessageCounter();
  PostedMessageCounter(const PostedMessageCounter&) = delete;
  PostedMessageCounter& operator=(const PostedMessageCounter&) = delete;

  [[nodiscard]] int Count() const { return s_count; }

 private:
  static LRESULT CALLBACK OnMessage(int code, WPARAM wParam, LPARAM lParam);
  static inline UINT s_message = 0;
  static inline int s_count = 0;
  HHOOK m_hook = nullptr;
};

}  // namespace mainwnd_test
