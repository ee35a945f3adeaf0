// The popup menus for real: opened over a stand-in for the main window, with
// the laid-out skins, the English texts and a signed-in session of the demo
// team, driven through clicks and focus changes.

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "app/AppWindowFixture.h"
#include "duilib/testing.h"
#include "mainwnd/shell/PopupMenus.h"
#include "mireloom/Director.h"
#include "mireloom/testing.h"
#include "support/LaidOutProgram.h"

namespace {

using namespace mireloomwnd;
using namespace DuiLib;
namespace mt = mireloom::testing;

constexpr DWORD kGrey = 0xFFBABABA;

// The main window's place: the owner whose notifiers get the menus' clicks.
class OwnerWnd final : public WindowImplBase {
 public:
  LPCTSTR GetWindowClassName() const override { return L"MenuOwnerWnd"; }
  CDuiString GetSkinFolder() override { return L""; }
  CDuiString GetSkinFile() override {
    return L"<Window size=\"900,600\"><VerticalLayout bkcolor=\"#FFF5F6F8\"/></Window>";
  }
  void Notify(TNotifyUI& msg) override {
    if (msg.sType == L"itemclick") {
      if (onItemClick) onItemClick(msg);
      clicks.push_back(msg.pSender ? msg.pSender->GetName().GetData() : L"");
    }
    WindowImplBase::Notify(msg);
  }
  CPaintManagerUI* Manager() { return &m_PaintManager; }

  std::function<void(TNotifyUI&)> onItemClick;
  std::vector<std::wstring> clicks;
};

class PopupMenusTest : public AppWindowTest {
 protected:
  void SetUp() override {
    AppWindowTest::SetUp();
    m_controlsAtStart = Testing::LiveControlCount();
    m_owner = std::make_unique<OwnerWnd>();
    ASSERT_NE(m_owner->Create(nullptr, L"owner", WS_POPUP | WS_VISIBLE, 0, 60, 60, 900, 600), nullptr);
    SetFocus(*m_owner);
    m_controlsWithOwner = Testing::LiveControlCount();
  }

  void TearDown() override {
    m_owner.reset();
    AppWindowTest::TearDown();
    EXPECT_EQ(Testing::LiveAutoDeleteWindowCount(), 0u) << "every menu freed itself";
    EXPECT_EQ(Testing::LiveControlCount(), m_controlsAtStart);
  }

  void SignIn(const std::string& uid, const mt::Permissions& permissions) {
    mt::InstallSession(uid, "team-demo", permissions, m_core.DataFolder());
  }

  // Opens the menu at a point of the owner's client area; its window.
  HWND Open(PopupMenuWnd* menu, int x = 120, int y = 80) {
    menu->ShowAt(m_owner->Manager(), x, y);
    return menu->GetHWND();
  }

  static CControlUI* Item(HWND menu, const wchar_t* name) { return Testing::ManagerOf(menu)->FindControl(name); }
  // A usable item raises clicks and its label is not grey.
  static void ExpectUsable(HWND menu, const wchar_t* item, const wchar_t* label, bool usable) {
    ASSERT_NE(Item(menu, item), nullptr) << item;
    EXPECT_EQ(Item(menu, item)->IsEnabled(), usable) << item;
    const DWORD colour = static_cast<CLabelUI*>(Item(menu, label)->GetInterface(L"Label"))->GetTextColor();
    EXPECT_EQ(colour == kGrey, !usable) << item;
  }
  static bool Gone(HWND menu) { return Testing::PumpUntil([&] { return !IsWindow(menu); }, 5000); }
  static bool AllFreed() { return Testing::PumpUntil([] { return Testing::LiveAutoDeleteWindowCount() == 0; }, 5000); }

  test_support::LaidOutProgram m_program;
  mt::ScopedCore m_core;
  std::unique_ptr<OwnerWnd> m_owner;
  size_t m_controlsAtStart = 0;
  size_t m_controlsWithOwner = 0;
};

TEST_F(PopupMenusTest, AnItemClickReachesTheOwnerOnceWhileTheMenuStandsThenTheMenuCloses) {
  SignIn("usr-zhou", {{8}, {}});
  const HWND menu = Open(new TeamMenuWnd);
  ASSERT_EQ(FindWindowW(L"TeamMenuWnd", L"TeamMenuWnd"), menu);
  bool menuStoodDuringNotify = false;
  m_owner->onItemClick = [&](TNotifyUI&) { menuStoodDuringNotify = IsWindowVisible(menu) != FALSE; };

  ASSERT_TRUE(Testing::Click(menu, L"menu_homepage"));
  EXPECT_TRUE(menuStoodDuringNotify) << "the owner acts before the menu goes";
  EXPECT_TRUE(Gone(menu));
  EXPECT_EQ(m_owner->clicks, std::vector<std::wstring>{L"menu_homepage"});
}

TEST_F(PopupMenusTest, LosingTheFocusOrEscClosesTheMenuWithoutAWordToTheOwner) {
  const HWND menu = Open(new ImOrChannelMenuWnd);
  ASSERT_EQ(FindWindowW(L"ImOrChannelMenuWnd", L"TeamMenuWnd"), menu);
  ASSERT_EQ(GetFocus(), menu) << "an opened menu has the focus";
  SetFocus(*m_owner);  // what a click elsewhere does
  EXPECT_TRUE(Gone(menu));
  const HWND second = Open(new PersonalMenuWnd);
  ASSERT_EQ(GetFocus(), second);
  Testing::PressKey(second, VK_ESCAPE);
  EXPECT_TRUE(Gone(second));
  EXPECT_TRUE(m_owner->clicks.empty());
}

TEST_F(PopupMenusTest, TeamItemsAreGreyedByPermissionAndRoleAndWithoutASession) {
  struct Case {
    const char* who;
    std::function<void()> signIn;
    bool services, ownerItems;
  };
  const std::vector<Case> cases = {
      {"zhou, owner with permission 8", [&] { SignIn("usr-zhou", {{8}, {}}); }, true, true},
      {"qian, owner without permission 8", [&] { SignIn("usr-qian", {{}, {2}}); }, false, true},
      {"chen, admin with permission 8", [&] { SignIn("usr-chen", {{8}, {}}); }, true, false},
      {"nobody signed in", [] { mireloom::Director::ResetDefaultDirector(new mireloom::Director); }, false, false},
      {"no director", [] { mireloom::Director::ResetDefaultDirector(nullptr); }, false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.who);
    c.signIn();
    const HWND menu = Open(new TeamMenuWnd);
    ExpectUsable(menu, L"menu_config_service", L"menu_config_service_label", c.services);
    ExpectUsable(menu, L"menu_config_team", L"menu_config_team_label", c.ownerItems);
    ExpectUsable(menu, L"menu_invite_members", L"menu_invite_members_label", c.ownerItems);
    ExpectUsable(menu, L"menu_homepage", L"menu_homepage_label", true);
    // A greyed item does nothing; the menu stays open for another choice.
    if (!c.services) {
      ASSERT_TRUE(Testing::Click(menu, L"menu_config_service"));
      Testing::PumpPending();
      EXPECT_TRUE(IsWindow(menu));
      EXPECT_TRUE(m_owner->clicks.empty());
    }
    SetFocus(*m_owner);
    EXPECT_TRUE(Gone(menu));
  }
}

TEST_F(PopupMenusTest, TheGeneralChannelCannotBeLeftOtherAndUncachedChannelsCan) {
  SignIn("usr-zhou", {{8}, {}});
  ASSERT_TRUE(mt::FetchMainWindowData());
  for (const auto& [channel, leavable] : std::map<std::string, bool>{
           {"chn-general", false}, {"chn-fe", true}, {"chn-unknown", true}}) {
    SCOPED_TRACE(channel);
    const HWND menu = Open(new GroupDropDownMenuWnd(channel));
    ASSERT_EQ(FindWindowW(L"GroupDropDownMenuWnd", L"TeamMenuWnd"), menu);
    ExpectUsable(menu, L"menu_quit_group", L"menu_quit_group_label", leavable);
    ExpectUsable(menu, L"menu_add_group_members", L"menu_add_group_member", true);
    SetFocus(*m_owner);
    EXPECT_TRUE(Gone(menu));
  }
}

TEST_F(PopupMenusTest, MenusOpenWithACornerOnThePointThePersonalMenuUpwards) {
  POINT point = {300, 400};
  ClientToScreen(*m_owner, &point);
  RECT rect;

  const HWND team = Open(new TeamMenuWnd, 300, 400);
  GetWindowRect(team, &rect);
  EXPECT_EQ(rect.left, point.x);
  EXPECT_EQ(rect.top, point.y);
  SetFocus(*m_owner);
  ASSERT_TRUE(Gone(team));

  const HWND personal = Open(new PersonalMenuWnd, 300, 400);
  ASSERT_EQ(FindWindowW(L"PersonalMenuWnd", L"个人设置"), personal);
  GetWindowRect(personal, &rect);
  EXPECT_EQ(rect.left, point.x);
  EXPECT_EQ(rect.bottom, point.y) << "its bottom edge lies on the point";
  EXPECT_GT(rect.bottom - rect.top, 100);
  EXPECT_EQ(Item(personal, L"version")->GetText(), L"Version 2.1.5");
}

// The owner's Notify may run a modal dialog (sign-out runs the team window);
// the dialog takes the focus and the menu's window goes meanwhile.
TEST_F(PopupMenusTest, AnOwnerRunningAModalLoopOutlivesTheMenusWindowAndTheMenuIsFreedAfterwards) {
  const HWND menu = Open(new ApplicationsMenuWnd);
  size_t menusDuringNotify = 0;
  std::wstring senderAfterLoop;
  m_owner->onItemClick = [&](TNotifyUI& msg) {
    OwnerWnd dialog;
    dialog.Create(*m_owner, L"dialog", WS_POPUP | WS_VISIBLE, 0, 200, 200, 300, 200);
    Testing::PostToLoop([&] {
      EXPECT_TRUE(Gone(menu)) << "the menu closes under the dialog";
      dialog.Close();
    });
    dialog.ShowModal();
    menusDuringNotify = Testing::LiveAutoDeleteWindowCount();
    senderAfterLoop = msg.pSender->GetName().GetData();
  };

  ASSERT_TRUE(Testing::Click(menu, L"menu_CRM"));
  EXPECT_FALSE(IsWindow(menu));
  EXPECT_EQ(menusDuringNotify, 1u) << "the menu object outlives its window while the owner's Notify runs";
  EXPECT_EQ(senderAfterLoop, L"menu_CRM") << "the item stays readable";
  EXPECT_TRUE(AllFreed());
}

// Every row of every menu has its text, and the row under the pointer is lit.
// Each picture is saved beside the tests as "<class>.png" to be looked at.
TEST_F(PopupMenusTest, EveryRowHasItsTextAndTheHoveredRowIsLit) {
  SignIn("usr-zhou", {{8}, {}});
  for (PopupMenuWnd* menu : std::vector<PopupMenuWnd*>{new TeamMenuWnd, new ApplicationsMenuWnd, new PersonalMenuWnd,
                                                       new ImOrChannelMenuWnd, new ImDropDownMenuWnd,
                                                       new GroupDropDownMenuWnd("chn-fe")}) {
    const std::wstring name = menu->GetWindowClassName();
    SCOPED_TRACE(std::string(name.begin(), name.end()));
    const HWND window = Open(menu);
    auto* card = static_cast<CContainerUI*>(Testing::ManagerOf(window)->GetRoot());
    ASSERT_TRUE(Testing::Hover(window, card->GetItemAt(0)->GetName()));
    HBITMAP shot = Testing::RenderWindow(window);
    const RECT lit = card->GetItemAt(0)->GetPos();
    EXPECT_EQ(Testing::PixelAt(shot, lit.right - 8, (lit.top + lit.bottom) / 2), 0xF2F3F5u) << "hovered row";
    for (int i = 0; i < card->GetCount(); ++i) {
      // Rows are list elements; the separator and the version are not.
      if (!card->GetItemAt(i)->GetInterface(L"ListItem")) continue;
      auto* row = static_cast<CContainerUI*>(static_cast<CContainerUI*>(card->GetItemAt(i))->GetItemAt(0));
      EXPECT_FALSE(row->GetItemAt(1)->GetText().IsEmpty()) << "text of row " << i;
    }
    DeleteObject(shot);
    EXPECT_TRUE(Testing::SaveWindowPng(window, (m_program.StartFolder() + name + L".png").c_str()));
    SetFocus(*m_owner);
    ASSERT_TRUE(Gone(window));
  }
}

TEST_F(PopupMenusTest, AHundredMenusLeaveNoControlsBehindAndANullOwnerOpensNothing) {
  SignIn("usr-zhou", {{8}, {}});
  const std::vector<std::function<PopupMenuWnd*()>> kinds = {
      [] { return new TeamMenuWnd; },       [] { return new ApplicationsMenuWnd; },
      [] { return new PersonalMenuWnd; },   [] { return new ImOrChannelMenuWnd; },
      [] { return new ImDropDownMenuWnd; }, [] { return new GroupDropDownMenuWnd("chn-general"); }};
  for (int i = 0; i < 100; ++i) {
    const HWND menu = Open(kinds[i % kinds.size()]());
    ASSERT_NE(menu, nullptr);
    // Half close on a click of their first item, half on the focus.
    if (i % 2 == 0) {
      SetFocus(*m_owner);
    } else {
      ASSERT_TRUE(Testing::ClickAt(menu, {40, 24}));
    }
    ASSERT_TRUE(Gone(menu)) << i;
  }
  EXPECT_EQ(m_owner->clicks.size(), 50u);
  EXPECT_TRUE(AllFreed());
  EXPECT_EQ(Testing::LiveControlCount(), m_controlsWithOwner);

  const size_t windows = Testing::FrameworkWindows().size();
  (new TeamMenuWnd)->ShowAt(nullptr, 10, 10);
  EXPECT_EQ(Testing::FrameworkWindows().size(), windows);
  EXPECT_EQ(Testing::LiveAutoDeleteWindowCount(), 0u);
}

}  // namespace
