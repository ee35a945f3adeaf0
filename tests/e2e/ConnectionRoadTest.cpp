// The real program keeps hearing messages through a dropped connection that
// meets an outage: the robot's "drop" and "outage" make the service act, the
// tray icon (in Wine's own tray window) shows the connection down while it
// is, and the answer of a message sent afterwards arrives once. A message
// sent during the outage comes back and goes once the service is back.

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "ProgramRoad.h"
#include "quennet/WinHandles.h"

namespace e2e {
namespace {

// In the list as the demo starts: the robot's conversation; once the
// commands are sent it is the first, and lin's the fourth.
constexpr int kRobotItem = 7;
constexpr int kRobotItemAfterCommands = 0;
constexpr int kLinItemAfterCommands = 3;

// The outage must outlast the main window's ten-second network check, so
// that the check's reconnection happens while the service is away.
constexpr DWORD kOutageSeconds = 15;
constexpr DWORD kNetworkCheckMs = 10000;

enum class TrayIcon { kNone, kNormal, kGrey };

// The icon the program shows in Wine's tray window, which draws each icon in
// a child window of its own: the normal icon has the program's green, the
// grey one only greys on a white ground.
TrayIcon ShownTrayIcon() {
  HWND tray = FindWindowW(L"__winex11_standalone_tray", nullptr);
  HWND icon = tray ? FindWindowExW(tray, nullptr, L"__winex11_tray_icon", nullptr) : nullptr;
  RECT client = {};
  if (!icon || !IsWindowVisible(icon) || !GetClientRect(icon, &client)) return TrayIcon::kNone;
  POINT origin = {0, 0};
  ClientToScreen(icon, &origin);
  quennet::WindowDc screen(nullptr);
  bool grey = false;
  for (int y = 0; y < client.bottom; ++y) {
    for (int x = 0; x < client.right; ++x) {
      const COLORREF pixel = GetPixel(screen.get(), origin.x + x, origin.y + y);
      const int r = GetRValue(pixel), g = GetGValue(pixel), b = GetBValue(pixel);
      if (g - r > 60 && b - r > 60) return TrayIcon::kNormal;
      if (r < 200 && std::abs(r - g) < 12 && std::abs(g - b) < 12) grey = true;
    }
  }
  return grey ? TrayIcon::kGrey : TrayIcon::kNone;
}

bool WaitForTrayIcon(TrayIcon wanted, DWORD timeout_ms) {
  return WaitUntil([wanted] { return ShownTrayIcon() == wanted; }, timeout_ms);
}

// Characters as the keyboard gives them, queued behind whatever the program
// has not taken yet.
void TypeKeys(HWND edit, const std::wstring& text) {
  for (const wchar_t ch : text) PostMessageW(edit, WM_CHAR, ch, 1);
}

// Whether the line left of the send button shows its red text, in the main
// window at its first size.
bool ShowsNotSentNotice(HWND main) {
  for (const int y : {688, 692, 695, 698}) {
    for (int x = 560; x < 962; ++x) {
      const COLORREF pixel = ScreenPixel(main, {x, y});
      if (GetRValue(pixel) > 150 && GetGValue(pixel) < 110 && GetBValue(pixel) < 110) return true;
    }
  }
  return false;
}

class ConnectionRoadTest : public ProgramRoadTest {
 protected:
  // The chat input's text with its line breaks as "\n".
  static std::wstring InputLines(HWND input) {
    std::wstring lines;
    const std::wstring text = EditText(input);
    for (size_t i = 0; i < text.size(); ++i) {
      if (text[i] == L'\r' && i + 1 < text.size() && text[i + 1] == L'\n') continue;
      lines += text[i] == L'\r' ? L'\n' : text[i];
    }
    return lines;
  }
};

TEST_F(ConnectionRoadTest, ADroppedConnectionThatMeetsAnOutageComesBackAndHearsAgain) {
  ProgramDriver program;
  HWND main = StartSignedInAsZhou(program, L"30-team.png");
  ASSERT_NE(main, nullptr) << "no filled main window";
  ASSERT_TRUE(WaitForTrayIcon(TrayIcon::kNormal, 5000)) << "no tray icon";

  ASSERT_TRUE(SendInConversation(main, SessionItem(kRobotItem), L"drop"));
  ASSERT_TRUE(WaitForLogLine("IM connection lost; retrying"));
  EXPECT_TRUE(WaitForTrayIcon(TrayIcon::kGrey, 5000)) << "a lost connection looks connected";
  ASSERT_TRUE(WaitForLogLine("IM connection is back", kNetworkCheckMs + 5000));

  ASSERT_TRUE(SendInConversation(main, SessionItem(kRobotItemAfterCommands),
                                 L"outage " + std::to_wstring(kOutageSeconds)));
  ASSERT_TRUE(WaitForLogLine("IM connection lost; retrying", 10000, 2));
  // The network check reconnects while the service is still away: that
  // fails, the icon stays grey and retrying goes on.
  ASSERT_TRUE(WaitForLogLine("IM connection still down", kNetworkCheckMs + 5000));
  EXPECT_TRUE(WaitForTrayIcon(TrayIcon::kGrey, 3000)) << "a failed reconnection looks connected";
  EXPECT_TRUE(SaveScreenshot(GetDesktopWindow(), Shot(L"31-outage.png")));

  ASSERT_TRUE(WaitForLogLine("IM connection is back", kOutageSeconds * 1000 + 5000, 2))
      << "the connection did not come back after the outage";
  EXPECT_TRUE(WaitForTrayIcon(TrayIcon::kNormal, kNetworkCheckMs + 5000)) << "back, but the tray still says down";

  ASSERT_TRUE(SendInConversation(main, SessionItem(kLinItemAfterCommands), L"ping"));
  ASSERT_TRUE(WaitForLogLine("Recv direct message : 收到：ping")) << "lin's answer was not heard";
  Sleep(100);  // the view scrolls to the answer 40 ms after it
  EXPECT_TRUE(SaveScreenshot(GetDesktopWindow(), Shot(L"32-back.png")));
  RECT client = {};
  GetClientRect(main, &client);
  ProgramDriver::ClickAt(main, client.right - 26, 28);
  ASSERT_EQ(program.WaitForExit(), 0);

  const std::string log = EventLog();
  const std::string answer = "Recv direct message : 收到：ping";
  EXPECT_EQ(log.find(answer), log.rfind(answer)) << "the answer was shown twice";
  const auto stored = StoredMessages("im-zhou-lin");
  EXPECT_EQ(std::count_if(stored.begin(), stored.end(),
                          [](const mireloom::Message::Data& message) {
                            return message.uid == "usr-lin" && message.content == "收到：ping";
                          }),
            1);
}

// Zhou sends during an outage and types on at once: the text comes back
// ahead of what was typed, with the caret at the end, the window says that
// it was not sent, and once the service is back the whole text goes, once.
TEST_F(ConnectionRoadTest, ATextSentDuringAnOutageComesBackAndGoesOnceTheServiceIsBack) {
  ProgramDriver program;
  HWND main = StartSignedInAsZhou(program, L"33-team.png");
  ASSERT_NE(main, nullptr) << "no filled main window";
  ASSERT_TRUE(SendInConversation(main, SessionItem(kRobotItem), L"outage " + std::to_wstring(kOutageSeconds)));
  ASSERT_TRUE(WaitForLogLine("IM connection lost; retrying"));
  const HWND input = FocusedChatInput(main);
  ASSERT_NE(input, nullptr);
  EXPECT_FALSE(ShowsNotSentNotice(main));

  // Enter and the keys after it wait in the program's queue together, so
  // "second" is typed before the failure can come back.
  // Posted to the main window, the click that gave the input the keyboard
  // leaves the rich edit's own window waiting for the button to come up, and
  // until then it takes no characters; a real click ends on it.
  PostMessageW(input, WM_LBUTTONUP, 0, 0);
  ProgramDriver::SetText(input, L"first");
  ProgramDriver::PressEnter(input);
  TypeKeys(input, L"second");
  ASSERT_TRUE(WaitForLogLine("Sending a message to im-zhou-bot failed; its text is back in the input"));
  TypeKeys(input, L"!");
  EXPECT_TRUE(WaitUntil([input] { return InputLines(input) == L"first\nsecond!"; }, 5000))
      << "the input reads: " << testing::PrintToString(InputLines(input));
  EXPECT_TRUE(WaitUntil([main] { return ShowsNotSentNotice(main); }, 3000)) << "nothing says it was not sent";
  EXPECT_TRUE(SaveScreenshot(main, Shot(L"34-not-sent.png")));

  ASSERT_TRUE(WaitForLogLine("IM connection is back", kOutageSeconds * 1000 + kNetworkCheckMs + 5000))
      << "the connection did not come back after the outage";
  ProgramDriver::PressEnter(input);
  ASSERT_TRUE(WaitForLogLine("Recv direct message : first\\nsecond!")) << "not sent once the service was back";
  EXPECT_TRUE(WaitUntil([&] { return InputLines(input).empty() && !ShowsNotSentNotice(main); }, 5000))
      << "the input or the notice stayed";
  EXPECT_TRUE(SaveScreenshot(main, Shot(L"35-sent-after-outage.png")));
  CloseMainWindow(main);
  ASSERT_EQ(program.WaitForExit(), 0);

  std::vector<std::string> sent;
  for (const auto& message : StoredMessages("im-zhou-bot")) {
    if (message.uid == "usr-zhou") sent.push_back(message.content);
  }
  ASSERT_FALSE(sent.empty());
  EXPECT_EQ(sent.back(), "first\nsecond!");
  EXPECT_EQ(std::count(sent.begin(), sent.end(), "first\nsecond!"), 1);
  EXPECT_EQ(std::count(sent.begin(), sent.end(), "second"), 0) << "typed on, it went on its own";
}

}  // namespace
}  // namespace e2e
