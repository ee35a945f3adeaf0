// The buttons that open the popup menus, each at the point of its click.

#include "duilib/testing.h"
#include "MainWndFixture.h"

namespace mainwnd_test {
namespace {

using namespace DuiLib;

// The click point of a control (its centre) on the screen.
POINT CentreOnScreen(const wchar_t* name) {
  const RECT rect = MainWindowTest::Control(name)->GetPos();
  POINT point = {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
  ClientToScreen(MainWindowTest::MainWindow(), &point);
  return point;
}

class MainWndMenuButtonsTest : public MainWindowTest {
 protected:
  void TearDown() override {
    MainWindowTest::TearDown();
    EXPECT_EQ(DuiLib::Testing::LiveAutoDeleteWindowCount(), 0u) << "every menu freed itself";
  }
};

TEST_F(MainWndMenuButtonsTest, EachButtonOpensItsMenuWhereItWasClicked) {
  struct Opening {
    const wchar_t* button;
    const wchar_t* menu;
    bool upwards;
  };
  const Opening openings[] = {{L"team_menu_btn", L"TeamMenuWnd", false},
                              {L"personal_menu_btn", L"PersonalMenuWnd", true},
                              {L"im_or_channel_btn", L"ImOrChannelMenuWnd", false},
                              {L"applications_btn", L"ApplicationsMenuWnd", false}};
  StepRunner script;
  WaitForFilledList(script).Do("open and close each", [&] {
    for (const Opening& opening : openings) {
      const POINT click = CentreOnScreen(opening.button);
      ASSERT_TRUE(Testing::Click(MainWindow(), opening.button));
      HWND menu = FindOwnWindow(opening.menu);
      ASSERT_NE(menu, nullptr) << opening.menu;
      RECT rect = {};
      GetWindowRect(menu, &rect);
      EXPECT_EQ(rect.left, click.x) << opening.menu;
      EXPECT_EQ(opening.upwards ? rect.bottom : rect.top, click.y) << opening.menu;
      // Clicking back into the main window takes the menu's focus away.
      SetFocus(MainWindow());
      ASSERT_TRUE(Testing::PumpUntil([&] { return !IsWindow(menu); }, 5000)) << opening.menu;
    }
    ASSERT_TRUE(Testing::Click(MainWindow(), L"drop_down_btn"));
    EXPECT_EQ(FindOwnWindow(L"GroupDropDownMenuWnd"), nullptr) << "no conversation open, no menu";
    EXPECT_EQ(FindOwnWindow(L"ImDropDownMenuWnd"), nullptr);
    ASSERT_TRUE(Testing::Click(MainWindow(), L"channelItem_chn-general"));
    ASSERT_TRUE(Testing::Click(MainWindow(), L"drop_down_btn"));
    EXPECT_NE(FindOwnWindow(L"GroupDropDownMenuWnd"), nullptr);
    SetFocus(MainWindow());
    ASSERT_TRUE(Testing::Click(MainWindow(), L"imItem_im-zhou-lin"));
    ASSERT_TRUE(Testing::Click(MainWindow(), L"drop_down_btn"));
    EXPECT_NE(FindOwnWindow(L"ImDropDownMenuWnd"), nullptr);
    CloseMainWindow();
  });
  RunMainWindow(script);
}

}  // namespace
}  // namespace mainwnd_test
