// The real program driven by keys as the keyboard sends them, to whichever
// window has the keyboard: a key that goes to a hidden window, or to none,
// is lost here as it is for a user.

#include <string>
#include <vector>

#include "ProgramRoad.h"

namespace e2e {
namespace {

// The new-chat ("+") button beside "Messages", in the main window at its first size.
constexpr POINT kNewChatButton = {288, 28};

// Clicks the program's icon in Wine's tray window, as the tray relays it.
bool ClickTrayIcon(UINT down, UINT up) {
  HWND tray = FindWindowW(L"__winex11_standalone_tray", nullptr);
  HWND icon = tray ? FindWindowExW(tray, nullptr, L"__winex11_tray_icon", nullptr) : nullptr;
  if (!icon) return false;
  const LPARAM centre = MAKELPARAM(8, 8);
  PostMessageW(icon, down, 0, centre);
  PostMessageW(icon, up, 0, centre);
  return true;
}

class KeyboardRoadTest : public ProgramRoadTest {
 protected:
  // Whether one of the window's native edits holds the text.
  static bool SomeEditHolds(HWND window, const std::wstring& text) {
    for (HWND edit : ProgramDriver::Edits(window)) {
      if (EditText(edit) == text) return true;
    }
    return false;
  }
};

TEST_F(KeyboardRoadTest, AfterTheNewVersionNoticeTheTeamWindowHasTheKeyboardWithTheCaretInItsField) {
  ProgramDriver program;
  auto environment = Environment();
  environment[L"MIRELOOM_DEMO_CLIENT_VERSION"] = L"16";
  ASSERT_TRUE(program.Launch(environment));
  HWND notice = program.WaitForWindow(L"UpdateWnd", L"更新");
  ASSERT_NE(notice, nullptr) << "no new-version notice";
  ASSERT_TRUE(WaitUntil([notice] { return GetForegroundWindow() == notice; }, 5000)) << "the notice has no keyboard";
  Sleep(100);
  EXPECT_TRUE(SaveScreenshot(notice, Shot(L"40-notice-update-focused.png")));
  ProgramDriver::PressKeys({VK_ESCAPE});
  ASSERT_TRUE(program.WaitForWindowGone(L"UpdateWnd"));

  ProgramDriver::TypeKeys(L"demo");
  ProgramDriver::PressKeys({VK_RETURN});
  HWND login = program.WaitForWindow(L"LoginWindow", L"登录");
  ASSERT_NE(login, nullptr) << "what was typed after the notice never reached the team window";
  ProgramDriver::PressKeys({VK_ESCAPE});  // the log-in window's close button: the program ends
  EXPECT_EQ(program.WaitForExit(), 0);
}

TEST_F(KeyboardRoadTest, PopupMenusTakeTheKeysAndGiveTheKeyboardBack) {
  ProgramDriver program;
  HWND main = StartSignedInAsZhou(program, L"41-team.png");
  ASSERT_NE(main, nullptr);

  // Opened by the mouse: Down lights the first item, Down the next, Return chooses it.
  ProgramDriver::ClickAt(main, kNewChatButton.x, kNewChatButton.y);
  ASSERT_NE(program.WaitForWindow(L"ImOrChannelMenuWnd", L"TeamMenuWnd"), nullptr);
  ProgramDriver::PressKeys({VK_DOWN, VK_DOWN, VK_RETURN});
  ASSERT_NE(program.WaitForWindow(L"JoinChannelWnd", nullptr), nullptr) << "the menu took no keys";
  ProgramDriver::PressKeys({VK_ESCAPE});
  ASSERT_TRUE(program.WaitForWindowGone(L"JoinChannelWnd"));

  // The keyboard is back on the button: Space opens its menu with the first
  // item lit, and Up goes round to the last.
  ProgramDriver::PressKeys({VK_SPACE});
  HWND menu = program.WaitForWindow(L"ImOrChannelMenuWnd", L"TeamMenuWnd");
  ASSERT_NE(menu, nullptr) << "after the dialog the keys went elsewhere";
  Sleep(100);
  EXPECT_TRUE(SaveScreenshot(GetDesktopWindow(), Shot(L"42-menu-opened-by-keys.png")));
  ProgramDriver::PressKeys({VK_UP, VK_RETURN});
  ASSERT_NE(program.WaitForWindow(L"OpenImWnd", nullptr), nullptr);
  ProgramDriver::PressKeys({VK_ESCAPE});
  ASSERT_TRUE(program.WaitForWindowGone(L"OpenImWnd"));

  // Esc on a menu gives the keyboard back to the window: Tab goes on from the
  // button to the search box, which takes the typing.
  ProgramDriver::PressKeys({VK_SPACE});
  ASSERT_NE(program.WaitForWindow(L"ImOrChannelMenuWnd", L"TeamMenuWnd"), nullptr);
  ProgramDriver::PressKeys({VK_ESCAPE});
  ASSERT_TRUE(program.WaitForWindowGone(L"ImOrChannelMenuWnd"));
  ProgramDriver::PressKeys({VK_TAB});
  ProgramDriver::TypeKeys(L"lin");
  EXPECT_TRUE(WaitUntil([main] { return SomeEditHolds(main, L"lin"); }, 5000)) << "the keys after Esc were lost";

  // The tray's menu, with the window hidden in the tray, takes the keys too.
  ProgramDriver::PressKeys({VK_ESCAPE});
  ASSERT_TRUE(WaitUntil([main] { return !IsWindowVisible(main); }, 5000));
  ASSERT_TRUE(ClickTrayIcon(WM_RBUTTONDOWN, WM_RBUTTONUP)) << "no tray icon";
  Sleep(500);
  ProgramDriver::PressKeys({VK_DOWN, VK_RETURN});
  ASSERT_NE(program.WaitForWindow(L"FeedbackWnd", nullptr), nullptr) << "the tray's menu took no keys";
  ProgramDriver::PressKeys({VK_ESCAPE});
  ASSERT_TRUE(program.WaitForWindowGone(L"FeedbackWnd"));
  ASSERT_TRUE(ClickTrayIcon(WM_LBUTTONDOWN, WM_LBUTTONUP));
  ASSERT_TRUE(WaitUntil([main] { return IsWindowVisible(main) != FALSE; }, 5000));
  CloseMainWindow(main);
  EXPECT_EQ(program.WaitForExit(), 0);
}

}  // namespace
}  // namespace e2e
