#pragma once

// Runs the dialogs for real: opened through the window manager on the demo
// team, signed in as zhou, with the laid-out skins, the English texts and a
// recording platform. No main window exists here, so every dialog opens
// without an owner. TearDown checks what every closing must leave behind.

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "app/RecordingPlatform.h"
#include "duilib/UIlib.h"
#include "mireloom/testing.h"
#include "support/LaidOutProgram.h"

namespace dialogs_test {

class DialogTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

 public:
  // Runs `script` inside the dialog's modal loop, with the dialog's window
  // (of class `windowClass`), while `show` runs the dialog; returns when the
  // dialog has ended. The script is expected to close the dialog.
  static void Drive(const wchar_t* windowClass, const std::function<void()>& show,
                    const std::function<void(HWND)>& script);

  // Pumps until the condition holds; false after the timeout.
  static bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs = 5000);
  // Lets the core finish what it is doing and the user-interface thread
  // handle what the core handed it.
  static void Settle();

  static DuiLib::CControlUI* Find(HWND window, const wchar_t* name);
  static std::wstring TextOf(HWND window, const wchar_t* name);
  // Each row of a list as the texts of its labels and buttons, joined by "|".
  static std::vector<std::wstring> RowTexts(HWND window, const wchar_t* listName);
  // The normal image of a button, or "" for any other control.
  static std::wstring NormalImage(DuiLib::CControlUI* control);
  // Leaves a picture of the window in the folder the test started in.
  void SaveShot(HWND window, const wchar_t* name) const;

 protected:
  // Puts a picture into the download cache under the key, as an earlier
  // download would have; the file is removed again by TearDown.
  void CacheAvatar(const std::string& key);
  // Removes the key's cached file, so that the picture must be fetched.
  void ForgetAvatar(const std::string& key);
  // Whether anything asked the service's object storage for the key.
  static bool AvatarRequested(const std::string& key);

  [[nodiscard]] std::vector<std::wstring> MessageBoxTexts() const;

  test_support::LaidOutProgram m_program;
  mireloom::testing::ScopedCore m_core;
  CRecordingPlatform m_platform;

 private:
  size_t m_controlsAtStart = 0;
  std::vector<std::string> m_cachedKeys;
};

}  // namespace dialogs_test
