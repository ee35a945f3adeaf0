// The ways out of the main window: the close buttons, a change of language
// that rebuilds it, and signing out to the choice of team and back in.

#include <algorithm>

#include "app/frame/QuitSequence.h"
#include "app/storage/Settings.h"
#include "app/text/StringTable.h"
#include "duilib/testing.h"
#include "mainwnd/MainWndMessages.h"
#include "mainwnd/shell/ModuleBrowser.h"
#include "MainWndFixture.h"
#include "support/TempFolder.h"

namespace mainwnd_test {
namespace {

using namespace DuiLib;
namespace core = mireloom::testing;

constexpr RECT kMovedTo = {60, 40, 960, 660};

bool SameRect(const RECT& a, const RECT& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

RECT WindowRectOf(HWND window) {
  RECT rect = {};
  GetWindowRect(window, &rect);
  return rect;
}

void MoveMainWindow() {
  SetWindowPos(MainWindowTest::MainWindow(), nullptr, kMovedTo.left, kMovedTo.top, kMovedTo.right - kMovedTo.left,
               kMovedTo.bottom - kMovedTo.top, SWP_NOZORDER | SWP_NOACTIVATE);
}

class MainWndLeavingTest : public MainWindowTest {};

TEST_F(MainWndLeavingTest, TheMainCloseButtonQuitsOnlyWhenTheSettingsSaySo) {
  for (const wchar_t* action : {L"1", L""}) {
    WriteCloseAction(action);
    StepRunner script;
    script.Do("close", [] { ASSERT_TRUE(Testing::Click(MainWindow(), L"customCloseBtn")); })
        .WaitFor("hidden", [] { return !IsWindowVisible(MainWindow()); })
        .Do("still running", [] { CloseMainWindow(); });
    RunMainWindow(script);
  }
  WriteCloseAction(L"2");
  StepRunner script;
  script.Do("the other views' buttons only hide", [] {
          // Their views are not shown: raised as their clicks would be.
          for (const wchar_t* button : {L"customCloseBtn_contacts", L"customCloseBtn_browser"}) {
            ASSERT_TRUE(Testing::RaiseNotify(MainWindow(), button, L"click"));
            EXPECT_FALSE(IsWindowVisible(MainWindow())) << button;
            ShowWindow(MainWindow(), SW_SHOWNORMAL);
          }
          ASSERT_TRUE(Testing::Click(MainWindow(), L"customCloseBtn"));
        });
  RunMainWindow(script);
  WINDOWPLACEMENT placement = {sizeof placement};
  EXPECT_TRUE(settings::LoadWindowPlacement(&placement)) << "quitting stores the placement";
}

TEST_F(MainWndLeavingTest, TheSystemsCloseTakesTheCloseButtonsRoad) {
  WriteCloseAction(L"1");
  StepRunner script;
  script.Do("Alt+F4 or the system menu", [] { SendMessageW(MainWindow(), WM_SYSCOMMAND, SC_CLOSE, 0); })
      .WaitFor("hidden, as the close button does", [] { return !IsWindowVisible(MainWindow()); })
      .Do("a close from another program", [] {
        ShowWindow(MainWindow(), SW_SHOWNORMAL);
        PostMessageW(MainWindow(), WM_CLOSE, 0, 0);
      })
      .WaitFor("hidden too", [] { return !IsWindowVisible(MainWindow()); })
      .Do("with closing set to quit", [] {
        EXPECT_TRUE(IsWindow(MainWindow()));
        WriteCloseAction(L"2");
        SendMessageW(MainWindow(), WM_SYSCOMMAND, SC_CLOSE, 0);
      });
  RunMainWindow(script);
  WINDOWPLACEMENT placement = {sizeof placement};
  EXPECT_TRUE(settings::LoadWindowPlacement(&placement)) << "the quit stored the placement";
  ASSERT_FALSE(TrayCalls().empty());
  EXPECT_EQ(TrayCalls().back().message, static_cast<DWORD>(NIM_DELETE)) << "and removed the tray icon";
}

TEST_F(MainWndLeavingTest, ALanguageChangeRebuildsTheWindowInPlace) {
  StringTable.clear();
  LoadLanguageFile(test_support::ToCp936(test_support::SourcePath(L"skin/i18n/simplified_chinese.xml")), StringTable);
  HWND before = nullptr;
  StepRunner script;
  WaitForFilledList(script)
      .Do("a send fails", [] {
        ASSERT_TRUE(Testing::Click(MainWindow(), L"imItem_im-zhou-lin"));
        core::Script("ChatManager::SendMessage").Fail(-1).Times(1);
        auto* input = static_cast<CRichEditUI*>(Control(L"chat_input"));
        input->SetText(L"换语言前没发出");
        input->SetFocus();
        Testing::PressKey(input->GetNativeWindow(), VK_RETURN);
      })
      .WaitFor("the notice", [] { return !Text(L"send_failed_notice").empty(); })
      .Do("switch to English", [&] {
        EXPECT_EQ(Text(L"team_name_label"), L"消息");
        MoveMainWindow();
        before = MainWindow();
        settings::WriteString(settings::kLanguageKey, L"3");
        PostMessageW(before, mireloomwnd::WM_LANGUAGE_CHANGED, 0, 0);
      })
      .WaitFor("the new window, and the old one gone", [&] {
        return MainWindow() && MainWindow() != before && IsWindowVisible(MainWindow()) && !IsWindow(before);
      })
      .Do("check and close", [&] {
        HWND after = MainWindow();
        EXPECT_EQ(Text(L"team_name_label"), L"Messages");
        // The notice goes with the old window; the text it spoke of stays.
        EXPECT_EQ(Text(L"send_failed_notice"), L"");
        ASSERT_TRUE(Testing::Click(after, L"imItem_im-zhou-lin"));
        EXPECT_EQ(Text(L"chat_input"), L"换语言前没发出");
        EXPECT_TRUE(SameRect(WindowRectOf(after), kMovedTo)) << "the saved placement, not centred";
        // The old window's late end left the slot to its successor.
        EXPECT_EQ(static_cast<CWindowWnd*>(Main()), CWindowWnd::FromHandle(after));
        const auto tray = TrayCalls();
        const auto removed = std::find_if(tray.begin(), tray.end(), [&](const auto& call) {
          return call.message == NIM_DELETE && call.owner == before;
        });
        const auto added = std::find_if(tray.begin(), tray.end(), [&](const auto& call) {
          return call.message == NIM_ADD && call.owner == after;
        });
        ASSERT_NE(removed, tray.end());
        ASSERT_NE(added, tray.end());
        EXPECT_LT(removed, added) << "the old icon goes first";
        CloseMainWindow();
      });
  RunMainWindow(script);
}

bool TreeShows(const wchar_t* treeName, const wchar_t* id) {
  CControlUI* control = MainWindowTest::Control(treeName);
  auto* tree = control ? static_cast<CListUI*>(control->GetInterface(L"List")) : nullptr;
  for (int i = 0; tree && i < tree->GetCount(); ++i) {
    if (tree->GetItemAt(i)->GetUserData() == id) return true;
  }
  return false;
}

TEST_F(MainWndLeavingTest, SigningOutReturnsToTheTeamWindowAndTheNextWindowKeepsThePlace) {
  HWND before = nullptr;
  StepRunner script;
  WaitForFilledList(script)
      .Do("open the personal menu", [&] {
        MoveMainWindow();
        before = MainWindow();
        core::ClearCallLog();
        // A module page was opened: its client must not outlive the session.
        mireloomwnd::MainBrowserClient = new CBrowserClient;
        ASSERT_TRUE(Testing::Click(MainWindow(), L"contacts_btn"));
        ASSERT_TRUE(Testing::Click(MainWindow(), L"personal_menu_btn"));
      })
      .WaitFor("the menu", [] { return FindOwnWindow(L"PersonalMenuWnd") != nullptr; })
      .Do("sign out", [] {
        // The team window's loop runs inside this click, and the menu with
        // its item goes while it runs; the script goes on in that loop.
        ASSERT_TRUE(Testing::Click(FindOwnWindow(L"PersonalMenuWnd"), L"menu_signout_team"));
      })
      .WaitFor("the team window", [] { return FindOwnWindow(L"SubdomainWnd", L"登录团队") != nullptr; })
      .Do("check and sign in again", [&] {
        EXPECT_FALSE(IsWindow(before));
        EXPECT_EQ(Main(), nullptr);
        EXPECT_EQ(FindOwnWindow(L"PersonalMenuWnd"), nullptr) << "the menu closed";
        EXPECT_EQ(mireloomwnd::MainBrowserClient, nullptr);
        const auto logout = CallPosition("Director::Logout");
        ASSERT_GE(logout, 0);
        EXPECT_LT(logout, CallPosition("Director::DisconnectFromIMServer"));
        EXPECT_EQ(TrayCalls().back().message, static_cast<DWORD>(NIM_DELETE));
        HWND team = FindOwnWindow(L"SubdomainWnd", L"登录团队");
        const RECT rect = WindowRectOf(team);
        const int screenMiddle = GetSystemMetrics(SM_CXSCREEN) / 2;
        EXPECT_LE(std::abs((rect.left + rect.right) / 2 - screenMiddle), 1) << "centred";
        static_cast<CEditUI*>(test_support::ControlIn(L"SubdomainWnd", L"subdomain_edit"))->SetText(L"demo");
        Testing::Click(team, L"continue_btn");
      })
      .WaitFor("the log-in window", [] { return FindOwnWindow(L"LoginWindow", L"登录") != nullptr; })
      .Do("log in", [] {
        HWND login = FindOwnWindow(L"LoginWindow", L"登录");
        ASSERT_TRUE(Testing::TypeText(login, L"username_edit", L"zhou"));
        ASSERT_TRUE(Testing::TypeText(login, L"password_edit", L"demo1234"));
        Testing::Click(login, L"login_btn");
      })
      .WaitFor("the next main window", [] { return MainWindow() && IsWindowVisible(MainWindow()); })
      .Do("check and quit", [] {
        EXPECT_TRUE(SameRect(WindowRectOf(MainWindow()), kMovedTo));
        ASSERT_TRUE(Testing::Click(MainWindow(), L"contacts_btn"));
        EXPECT_TRUE(TreeShows(L"contacts_tree", L"usr-lin")) << "the new window builds its own tree";
        RunQuitSequence();
      });
  RunMainWindow(script);
}

}  // namespace
}  // namespace mainwnd_test
