#pragma once

// The fixture of the tests that walk a road of the real program as a user
// does: a fresh service store for each test, the team and log-in windows
// filled in, the main window's conversations and input, and what the program
// leaves behind (its event log, the service's store, screenshots).

#include <windows.h>
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "mireloom/Message.h"
#include "ProgramDriver.h"
#include "support/TempFolder.h"

namespace e2e {

// Polls until `done` holds; false when it did not in time.
bool WaitUntil(const std::function<bool()>& done, DWORD timeout_ms);
// How often the line occurs in the text.
[[nodiscard]] size_t CountOf(const std::string& text, const std::string& line);

class ProgramRoadTest : public testing::Test {
 protected:
  void SetUp() override;
  // A failed road prints the program's event log: the roads run under load
  // in CI, and the log is all that tells what the program did.
  void TearDown() override;

  // A fresh service store, so that every run starts from the demo files.
  [[nodiscard]] std::map<std::wstring, std::wstring> Environment() const;

  // Fills the team window and goes on to the log-in window.
  static HWND ChooseTeam(ProgramDriver& program, const wchar_t* screenshot);
  static void SignIn(HWND login, const wchar_t* user, const wchar_t* password);
  // Starts the program and signs in as zhou, typing the account or, at a
  // later start, with the one the log-in window remembered: the main window
  // once its list is filled, or null. With a notice, the sign-in first shows
  // a message box whose text holds it, which is read and closed.
  enum class Account { Typed, Remembered };
  HWND StartSignedInAsZhou(ProgramDriver& program, const wchar_t* teamScreenshot,
                           Account account = Account::Typed, const wchar_t* notice = nullptr);
  // The program's message box: its text once it shows (then it is closed
  // with its OK button), or "" when none came.
  static std::wstring CloseMessageBox(ProgramDriver& program, const wchar_t* screenshot);

  static bool WaitForFirstSessionItem(HWND main, DWORD timeout_ms = 10000);
  // The session list's item at the index, in the main window at its first size.
  [[nodiscard]] static POINT SessionItem(int index);
  // Opens the conversation and clicks into the chat input: the input once it
  // has the keyboard, or null.
  static HWND OpenChatInput(HWND main, POINT item);
  // Opens the conversation, clicks into the chat input and sends the text
  // with Enter; false when the input never took the keyboard.
  static bool SendInConversation(HWND main, POINT item, const std::wstring& text);
  // The chat input when it has the keyboard, or null.
  static HWND FocusedChatInput(HWND main);
  // The text of a native edit (a rich edit too) of the program.
  static std::wstring EditText(HWND edit);
  // Clicks the main window's close button, which quits.
  static void CloseMainWindow(HWND main);
  // Clicks the upload button of the open conversation; in the system's open
  // dialog goes to the root of drive C first, as a user looking for the file
  // would, then picks the file by its full path. The upload window, or null.
  static HWND OpenUploadWindow(ProgramDriver& program, HWND main, const std::wstring& file);
  // The upload window's upload button, in its client area.
  [[nodiscard]] static POINT UploadWindowButton();

  static std::string EventLog();
  // Waits until the event log holds the line at least `times` times.
  static bool WaitForLogLine(const char* line, DWORD timeout_ms = 10000, size_t times = 1);
  static std::wstring Shot(const wchar_t* name);

  // The service's store as the program left it: read back by a service of
  // this process once the program has ended.
  [[nodiscard]] std::vector<mireloom::Message::Data> StoredMessages(const std::string& conversation) const;

  test_support::TempFolder m_store;
};

}  // namespace e2e
