#pragma once

// Runs the real sign-in windows against the embedded service: a fresh
// service, an empty user data folder, the English texts, and a recording
// platform in place of message boxes and the shell.

#include <gtest/gtest.h>

#include <string>

#include "duilib/UIlib.h"
#include "mireloom/testing.h"
#include "support/RecordingPlatform.h"
#include "support/StepRunner.h"
#include "support/WindowFinders.h"

namespace signin_test {

using test_support::FindOwnWindow;
using test_support::StepRunner;

class SigninWindowTest : public testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Creates the team-subdomain window as start-up does and runs its modal
  // loop with the script; returns when every window has ended.
  void RunSession(StepRunner& script);


 public:
  // Remembers zhou's account and password for the demo team, as a earlier
  // log-in would have.
  static void RememberZhou(const std::string& password);

  // A control of a visible window of this process.
  static DuiLib::CControlUI* Control(const wchar_t* window_class, const wchar_t* name) {
    return test_support::ControlIn(window_class, name);
  }
  static std::wstring TextOf(const wchar_t* window_class, const wchar_t* name) {
    return test_support::TextIn(window_class, name);
  }
  static bool IsOpen(const wchar_t* window_class) { return FindOwnWindow(window_class) != nullptr; }

  // Opens the log-in window for the demo team the way a user does.
  static StepRunner& OpenLoginWindow(StepRunner& script);
  // Waits for the main window the session hands over to, and closes it.
  static StepRunner& CloseMainWindow(StepRunner& script);

  // Once the operation's call is held: answers it, lets its completion run,
  // and destroys the window before the user-interface thread can deliver.
  static StepRunner& AnswerForAWindowThatGoes(StepRunner& script, const std::string& operation, HWND (*window)());

  // How many times the core library was asked for the operation.
  static int CallCount(const std::string& operation);

  // Empties the edit, then types the text into it as a user would.
  static void Retype(HWND window, const wchar_t* edit, const wchar_t* text);

 protected:
  // The texts of the message boxes shown so far.
  [[nodiscard]] std::vector<std::wstring> MessageBoxTexts() const;

  mireloom::testing::ScopedCore m_core;
  CRecordingPlatform m_platform;
};

}  // namespace signin_test
