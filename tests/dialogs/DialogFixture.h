#pragma once

// The dialogs for real: opened through the window manager on the demo team,
// signed in as zhou, with the laid-out skins, the English texts and a
// recording platform. No main window exists here, so every dialog opens
// without an owner. TearDown checks what every closing must leave behind.

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "duilib/UIlib.h"
#include "mireloom/testing.h"
#include "support/LaidOutProgram.h"
#include "support/RecordingPlatform.h"

namespace dialogs_test {

class DialogTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

 public:
  // Runs `script` with the dialog of `windowClass` inside its modal loop while
  // `show` runs it; the script closes the dialog.
  static void Drive(const wchar_t* windowClass, const std::function<void()>& show,
                    const std::function<void(HWND)>& script);
  static bool WaitUntil(const std::function<bool()>& condition);
  // The core finished, and what it handed the user-interface thread handled.
  static void Settle();

  static DuiLib::CControlUI* Find(HWND window, const wchar_t* name);
  static std::wstring TextOf(HWND window, const wchar_t* name);
  // Each row of a list as the texts of its controls, joined by "|".
  static std::vector<std::wstring> RowTexts(HWND window, const wchar_t* listName);
  // A button's normal image ("" for anything else).
  static std::wstring ImageOf(DuiLib::CControlUI* control);
  // Whether the service's object storage was asked for the key.
  static bool AvatarRequested(const std::string& key);

  // A picture of the window, in the folder the test started in.
  void SaveShot(HWND window, const wchar_t* name) const;
  // The key's picture in the download cache (true) or not (false), as if an
  // earlier download had or had not happened; undone by TearDown.
  void SetCached(const std::string& key, bool cached);

 protected:
  test_support::LaidOutProgram m_program;
  mireloom::testing::ScopedCore m_core;
  CRecordingPlatform m_platform;

 private:
  size_t m_controlsAtStart = 0;
  std::vector<std::string> m_cachedKeys;
};

}  // namespace dialogs_test
