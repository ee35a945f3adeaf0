// The real program keeps hearing messages through a dropped connection that
// meets an outage: the robot's "drop" and "outage" make the service act, the
// tray icon (in Wine's own tray window) shows the connection down while it
// is, and the answer of a message sent afterwards arrives once.

#include <algorithm>
#include <cstdlib>

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

class ConnectionRoadTest : public ProgramRoadTest {};

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

}  // namespace
}  // namespace e2e
