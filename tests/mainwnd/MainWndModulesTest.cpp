// The team's module pages in the main window, with the browser layer's
// stand-in running: one browser created by the first module chosen, later
// modules switched by script, the browser kept on its area.

#include "BrowserLayerFixture.h"
#include "duilib/testing.h"
#include "mainwnd/shell/ModuleBrowser.h"

namespace mainwnd_test {
namespace {

using namespace DuiLib;
using mireloomwnd::MainBrowserClient;

using MainWndModulesTest = MainWindowWithBrowserTest;

RECT LayoutArea() { return MainWindowTest::Control(L"BrowserClientLayout")->GetPos(); }

HWND BrowserWindow() {
  const CefRefPtr<CefBrowser> browser = MainBrowserClient ? MainBrowserClient->GetBrowser() : nullptr;
  return browser ? browser->GetHost()->GetWindowHandle() : nullptr;
}

RECT ChildRect(HWND child) {
  RECT rect = {};
  GetWindowRect(child, &rect);
  MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

bool SameRect(const RECT& a, const RECT& b) { return EqualRect(&a, &b) != FALSE; }

bool BrowserOnItsArea() {
  const HWND window = BrowserWindow();
  return window && IsWindowVisible(window) && SameRect(ChildRect(window), LayoutArea());
}

int BrowserId() { return MainBrowserClient ? MainBrowserClient->GetMainBrowserId() : 0; }

std::vector<std::wstring> Scripts() {
  std::vector<std::wstring> scripts;
  for (const auto& script : cef_test::Browser(BrowserId()).scripts) scripts.push_back(script.code);
  return scripts;
}

// Chooses an item of the applications menu as a user does.
void ChooseApplication(const wchar_t* item) {
  ASSERT_TRUE(Testing::Click(MainWindowTest::MainWindow(), L"applications_btn"));
  HWND menu = FindOwnWindow(L"ApplicationsMenuWnd");
  ASSERT_NE(menu, nullptr);
  ASSERT_TRUE(Testing::Click(menu, item)) << item;
}

TEST_F(MainWndModulesTest, TheFirstModuleLoadsThePageAndLaterOnesSwitchItByScript) {
  StepRunner script;
  WaitForFilledList(script)
      .Do("the first module, while its browser is being created", [] {
        cef_test::HoldBrowserCreation(true);
        ChooseApplication(L"menu_CRM");
        EXPECT_TRUE(IsShown(L"cef_browser"));
        EXPECT_FALSE(IsShown(L"session_layout"));
        ASSERT_TRUE(Testing::Click(MainWindow(), L"task_btn"));
        ASSERT_TRUE(cef_test::Flush());
        EXPECT_EQ(cef_test::CookieOps().size(), 8u) << "the second choice only writes the cookies again";
        cef_test::HoldBrowserCreation(false);
        cef_test::ReleaseHeldCreations();
      })
      .WaitFor("the browser on its area", [] { return BrowserOnItsArea(); })
      .Do("switch modules", [] {
        const cef_test::BrowserInfo browser = cef_test::Browser(BrowserId());
        EXPECT_EQ(cef_test::Browsers().size(), 1u);
        EXPECT_EQ(browser.url_history, std::vector<std::wstring>{L"http://demo.corvanel.test/crm"});
        EXPECT_TRUE(SameRect(browser.initial_rect, {0, 0, 1, 1}));
        EXPECT_EQ(browser.default_encoding, L"UTF-8");
        EXPECT_EQ(browser.universal_access_from_file_urls, STATE_ENABLED);
        EXPECT_TRUE(browser.scripts.empty()) << "no switch before the browser existed";
        std::vector<std::wstring> ops;
        for (const auto& op : cef_test::CookieOps()) ops.push_back(op.url + L" " + op.name + L"=" + op.value);
        EXPECT_THAT(std::vector<std::wstring>(ops.begin(), ops.begin() + 4),
                    testing::ElementsAre(L"https://demo.corvanel.test client-type=", L"https://demo.corvanel.test s-team-demo=",
                                         L"https://demo.corvanel.test client=windows",
                                         L"https://files.corvanel.test s-team-demo="));

        ASSERT_TRUE(Testing::Click(MainWindow(), L"calendar_btn"));
        ASSERT_TRUE(Testing::Click(MainWindow(), L"calendar_btn"));
        ASSERT_TRUE(Testing::Click(MainWindow(), L"task_btn"));
        ChooseApplication(L"menu_report");
        ChooseApplication(L"menu_report");
        ChooseApplication(L"menu_CRM");
        ASSERT_TRUE(cef_test::Flush());
        EXPECT_THAT(Scripts(), testing::ElementsAre(L"window.appGlobal.toModule('calendar')",
                                                    L"window.appGlobal.toModule('task')",
                                                    L"window.appGlobal.toModule('report')",
                                                    L"window.appGlobal.toModule('crm')"));
        EXPECT_EQ(cef_test::Browser(BrowserId()).scripts.front().script_url, L"http://demo.corvanel.test/crm");
        EXPECT_EQ(cef_test::Browser(BrowserId()).url_history.size(), 1u) << "never loaded again";

        ASSERT_TRUE(Testing::Click(MainWindow(), L"chat_btn"));
        EXPECT_FALSE(IsWindowVisible(BrowserWindow())) << "hidden with its page kept";
        EXPECT_TRUE(IsShown(L"session_layout"));
        // The browser goes by itself: the next module needs a new one.
        ASSERT_TRUE(cef_test::CloseBrowser(BrowserId(), true));
      })
      .WaitFor("the browser closed", [] { return MainBrowserClient->IsClosed(); })
      .Do("a module after the close", [] {
        ASSERT_TRUE(Testing::Click(MainWindow(), L"calendar_btn"));
        ASSERT_TRUE(cef_test::Flush());
        ASSERT_EQ(cef_test::Browsers().size(), 2u);
        EXPECT_EQ(cef_test::Browser(cef_test::Browsers().back()).url, L"http://demo.corvanel.test/calendar");
        CloseMainWindow();
      });
  RunMainWindow(script);
}

TEST_F(MainWndModulesTest, TheBrowserFollowsItsAreaStaysPutWhileItIsHiddenAndFillsAMaximisedWindow) {
  StepRunner script;
  WaitForFilledList(script)
      .Do("the task page", [] { ASSERT_TRUE(Testing::Click(MainWindow(), L"task_btn")); })
      .WaitFor("the browser on its area", [] { return BrowserOnItsArea(); })
      .Do("hide the area and resize", [] {
        const RECT placed = ChildRect(BrowserWindow());
        EXPECT_TRUE(SameRect(mireloomwnd::MainBrowserRect, placed));
        // The area is hidden: it has no height until the page comes back.
        Control(L"BrowserClientLayout")->SetVisible(false);
        SetWindowPos(MainWindow(), nullptr, 0, 0, 900, 600, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        Testing::PumpPending();
        ASSERT_EQ(LayoutArea().bottom - LayoutArea().top, 0);
        EXPECT_TRUE(SameRect(ChildRect(BrowserWindow()), placed)) << "kept at the last placement";
        Control(L"BrowserClientLayout")->SetVisible(true);
        ShowWindow(MainWindow(), SW_MAXIMIZE);
      })
      .WaitFor("placed in the maximised window", [] {
        return IsZoomed(MainWindow()) && LayoutArea().bottom > LayoutArea().top &&
               SameRect(mireloomwnd::MainBrowserRect, ChildRect(BrowserWindow()));
      })
      .Do("the edges", [] {
        RECT window = {};
        GetWindowRect(MainWindow(), &window);
        const RECT area = LayoutArea();
        const RECT placed = ChildRect(BrowserWindow());
        EXPECT_EQ(placed.left, area.left);
        EXPECT_EQ(placed.top, area.top);
        EXPECT_EQ(placed.right, (window.right - window.left) - area.left + 65);
        EXPECT_EQ(placed.bottom, (window.bottom - window.top) - area.top);
        CloseMainWindow();
      });
  RunMainWindow(script);
}

}  // namespace
}  // namespace mainwnd_test
