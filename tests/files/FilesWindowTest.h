#pragma once

// The file windows for real: opened through the window manager (with no main
// window, so without an owner), with the laid-out skins and English texts,
// signed in as zhou on the demo team, and a recording platform in place of
// menus, dialogs, the shell and downloads.

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "app/frame/WindowManager.h"
#include "duilib/UIlib.h"
#include "mireloom/testing.h"
#include "support/LaidOutProgram.h"
#include "support/RecordingPlatform.h"

namespace files_test {

namespace mt = mireloom::testing;
using mireloomwnd::WindowManager;
using mireloomwnd::WindowSlot;

class FilesWindowTest : public testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Runs `script` with the window of the class inside the modal loop that
  // `open` starts (a Show of the window manager), then closes the slot's
  // window if the script left it open. Returns when the window has ended.
  static void OpenAndRun(WindowSlot slot, const wchar_t* windowClass, const std::function<void()>& open,
                         const std::function<void(HWND)>& script);

  // The first window of this process with the class, or NULL.
  static HWND WindowOf(const wchar_t* windowClass);
  static DuiLib::CControlUI* Control(HWND window, const wchar_t* name);
  template <class Control>
  static Control* ControlAs(HWND window, const wchar_t* name, const wchar_t* interfaceName) {
    DuiLib::CControlUI* control = FilesWindowTest::Control(window, name);
    return control ? static_cast<Control*>(control->GetInterface(interfaceName)) : nullptr;
  }
  static std::wstring TextOf(HWND window, const wchar_t* name);
  // Pumps until the predicate holds; false after 10 seconds.
  static bool WaitFor(const std::function<bool()>& predicate);
  // Presses and releases the left button at the middle of the control.
  static void ClickControl(HWND window, DuiLib::CControlUI* control);
  // The system clipboard itself (a rich edit copies there, not through the platform).
  static void SetClipboard(HWND owner, const std::wstring& text);
  static std::wstring ClipboardText(HWND owner);
  // Saves the window as <name>.png where the test started, for a person to look at.
  void Screenshot(HWND window, const wchar_t* name) const;

  test_support::LaidOutProgram m_program;
  mireloom::testing::ScopedCore m_core;
  CRecordingPlatform m_platform;

 private:
  size_t m_controlsAtStart = 0;
};

}  // namespace files_test
