// The real program with messages far longer than anyone types: a short code
// that never closes, 100 KB of plain words pasted into the input, 100 KB of
// code spans. The window keeps answering while each is pasted, sent and
// shown, and the next start opens the conversation that holds them again.

#include <algorithm>

#include "app/text/TextHelpers.h"
#include "ProgramRoad.h"
#include "support/Clipboard.h"

namespace e2e {
namespace {

// lin's conversation, third in the list by the demo's times; once a message
// to lin went, it is the first.
constexpr int kLinItem = 2;
constexpr int kLinItemAfterSending = 0;
// Far above what a paste or a send takes, far below the seconds a text that
// costs the square of its length takes.
constexpr DWORD kLongestPauseMs = 3000;
// How long the window is watched after each step.
constexpr DWORD kWatchMs = 2500;

std::wstring Repeated(const wchar_t* unit, size_t length) {
  std::wstring text;
  while (text.size() < length) text += unit;
  return text;
}

// The longest the window took to answer while it was asked every 20 ms for
// `watch_ms`; INFINITE when it stopped answering.
DWORD LongestPause(HWND window, DWORD watch_ms) {
  DWORD longest = 0;
  const DWORD start = GetTickCount();
  while (GetTickCount() - start < watch_ms) {
    const DWORD asked = GetTickCount();
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, 30000, &result)) return INFINITE;
    longest = std::max(longest, GetTickCount() - asked);
    Sleep(20);
  }
  return longest;
}

// The line the event log holds for a message shown in the open conversation;
// the log keeps the beginning of a long text.
std::string ShownLine(const std::wstring& text) {
  return "Recv direct message : " + WideToUtf8(text.substr(0, 40));
}

class LongTextRoadTest : public ProgramRoadTest {};

TEST_F(LongTextRoadTest, LongMessagesKeepTheWindowAnsweringAndTheirConversationOpensAgain) {
  const std::wstring openShortcode = L":" + std::wstring(6000, L'a');
  const std::wstring words = Repeated(L"abc ", 100 * 1024);
  const std::wstring codeSpans = Repeated(L"`a` ", 100 * 1024);
  {
    ProgramDriver program;
    HWND main = StartSignedInAsZhou(program, L"60-team.png");
    ASSERT_NE(main, nullptr);
    ASSERT_TRUE(SendInConversation(main, SessionItem(kLinItem), openShortcode));
    EXPECT_LE(LongestPause(main, kWatchMs), kLongestPauseMs) << "the open short code";
    ASSERT_TRUE(WaitForLogLine(ShownLine(openShortcode).c_str()));

    // The input's own window may be a new one after a long text left it.
    HWND input = FocusedChatInput(main);
    ASSERT_NE(input, nullptr);
    ASSERT_TRUE(test_support::PutOnClipboard(words));
    PostMessageW(input, WM_PASTE, 0, 0);
    EXPECT_LE(LongestPause(main, kWatchMs), kLongestPauseMs) << "pasting the words";
    // Asked of the window itself: Wine answers GetWindowTextLength for
    // another process's window from what it knows of the window, not its text.
    EXPECT_EQ(static_cast<size_t>(SendMessageW(input, WM_GETTEXTLENGTH, 0, 0)), words.size());
    ProgramDriver::PressEnter(input);
    EXPECT_LE(LongestPause(main, kWatchMs), kLongestPauseMs) << "sending the words";
    EXPECT_TRUE(WaitForLogLine(ShownLine(words).c_str()));

    input = FocusedChatInput(main);
    ASSERT_NE(input, nullptr);
    ProgramDriver::SetText(input, codeSpans);
    ProgramDriver::PressEnter(input);
    EXPECT_LE(LongestPause(main, kWatchMs), kLongestPauseMs) << "sending the code spans";
    EXPECT_TRUE(WaitForLogLine(ShownLine(codeSpans).c_str()));
    EXPECT_TRUE(SaveScreenshot(main, Shot(L"61-long-messages.png")));
    CloseMainWindow(main);
    ASSERT_EQ(program.WaitForExit(), 0);
  }
  // The next start opens the latest conversation, lin's, from the cache.
  ProgramDriver program;
  HWND main = StartSignedInAsZhou(program, L"62-team.png", Account::Remembered);
  ASSERT_NE(main, nullptr) << "the next start did not get to a filled main window";
  ProgramDriver::ClickAt(main, SessionItem(kLinItemAfterSending).x, SessionItem(kLinItemAfterSending).y);
  EXPECT_LE(LongestPause(main, kWatchMs), kLongestPauseMs) << "opening the conversation again";
  EXPECT_TRUE(SaveScreenshot(main, Shot(L"63-long-messages-again.png")));
  CloseMainWindow(main);
  ASSERT_EQ(program.WaitForExit(), 0);

  size_t stored = 0;
  for (const auto& message : StoredMessages("im-zhou-lin")) {
    for (const std::wstring* text : {&openShortcode, &words, &codeSpans}) stored += message.content == WideToUtf8(*text);
  }
  EXPECT_EQ(stored, 3u) << "each long text is stored whole";
}

}  // namespace
}  // namespace e2e
