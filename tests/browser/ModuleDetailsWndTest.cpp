// The module-details window for real: opened by the window manager over a
// stand-in main window, with the laid-out skin, the running browser layer and a
// signed-in session of the demo team.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "app/frame/WindowManager.h"
#include "app/ui/WndShadow.h"
#include "browser/CefAppEx.h"
#include "browser/ModuleDetailsWnd.h"
#include "cef/cef_test.h"
#include "duilib/testing.h"
#include "HostWindow.h"
#include "mireloom/Director.h"
#include "mireloom/testing.h"
#include "signin/SessionStart.h"
#include "support/LaidOutProgram.h"

namespace {

using namespace mireloomwnd;
using namespace DuiLib;
namespace mt = mireloom::testing;

constexpr char kToken[] = "web-token-zhou";
constexpr wchar_t kDetailsClass[] = L"ModuleDetailsWnd";
constexpr wchar_t kDetailsTitle[] = L"消息详情";

// The main window's place: owner of the dialog, found by class and title.
// Its script runs inside its modal loop.
class MainStandIn final : public WindowImplBase {
 public:
  explicit MainStandIn(std::function<void(HWND)> script) : m_script(std::move(script)) {}
  LPCTSTR GetWindowClassName() const override { return L"MainWindow"; }
  CDuiString GetSkinFolder() override { return L""; }
  CDuiString GetSkinFile() override {
    return L"<Window size=\"1000,720\"><VerticalLayout bkcolor=\"#FFE9EDF1\"/></Window>";
  }
  void InitWindow() override {
    Testing::PostToLoop([this, window = GetHWND()] {
      m_script(window);
      if (IsWindow(window)) WindowManager::GetInstance()->Close(WindowSlot::MainWnd);
    });
  }
  void OnFinalMessage(HWND) override { WindowManager::GetInstance()->Set(WindowSlot::MainWnd, nullptr, this); }

 private:
  std::function<void(HWND)> m_script;
};

RECT BrowserLayoutArea(HWND details) {
  CControlUI* layout = Testing::ManagerOf(details)->FindControl(L"BrowserClientLayout");
  return layout ? layout->GetPos() : RECT{};
}

// The browser window's rectangle in its parent's client area.
RECT ChildRect(HWND child) {
  RECT rect;
  GetWindowRect(child, &rect);
  MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

bool SameRect(const RECT& a, const RECT& b) { return EqualRect(&a, &b) != FALSE; }

// The browser of the window exists and sits on the layout area.
bool BrowserPlaced(HWND details) {
  if (!ModuleDetailsBrowserClient || !ModuleDetailsBrowserClient->GetBrowser()) return false;
  const HWND browser = ModuleDetailsBrowserClient->GetBrowser()->GetHost()->GetWindowHandle();
  return browser && SameRect(ChildRect(browser), BrowserLayoutArea(details));
}

class ModuleDetailsWndTest : public testing::Test {
 protected:
  void SetUp() override {
    CPaintManagerUI::SetInstance(GetModuleHandleW(nullptr));
    CWndShadow::Initialize(GetModuleHandleW(nullptr));
    Testing::SetModalWatchdog(10000);
    cef_test::AllowReinitialize();
    CefSettings settings;
    settings.multi_threaded_message_loop = true;
    ASSERT_TRUE(CefInitialize(CefMainArgs(GetModuleHandleW(nullptr)), settings, new CCefAppEx));
    SessionWebToken = kToken;
  }

  void TearDown() override {
    SessionWebToken.clear();
    Testing::CloseAllWindows();
    Testing::PumpPending();
    Testing::SetModalWatchdog(0);
    EXPECT_TRUE(Testing::TakeWatchdogFailures().empty()) << "a modal loop hung";
    for (int slot = 1; slot <= kSlotCount; ++slot) {
      EXPECT_EQ(WindowManager::GetInstance()->Get(static_cast<WindowSlot>(slot)), nullptr) << "slot " << slot;
    }
    EXPECT_EQ(ModuleDetailsBrowserClient, nullptr) << "a closed window leaves no client behind";
    ModuleDetailsBrowserClient = nullptr;
    ModuleDetailsBrowserRect.Empty();
    cef_shutdown();
    EXPECT_THAT(cef_test::Violations(), testing::IsEmpty());
  }

  void SignIn() { mt::InstallSession("usr-zhou", "team-demo", {}, m_core.DataFolder()); }

  // Opens the main window's stand-in and, from it, the module-details window
  // for the page; `inside` runs in the details window's loop. Returns when
  // both windows have ended.
  void OpenDetails(const std::string& page, const std::function<void(HWND details, HWND mainWindow)>& inside) {
    WindowManager* manager = WindowManager::GetInstance();
    manager->Show<MainStandIn>(WindowSlot::MainWnd, {}, [&](HWND mainWindow) {
      Testing::PostToLoop([&, mainWindow] { inside(FindWindowW(kDetailsClass, kDetailsTitle), mainWindow); });
      manager->ShowModuleDetailsWnd(page);
    });
  }

  // Opens the page and waits until its browser is placed; `then` runs with
  // the browser's id, in the details window's loop.
  void OpenPlaced(const std::string& page, const std::function<void(HWND details, HWND mainWindow, int id)>& then) {
    OpenDetails(page, [&](HWND details, HWND mainWindow) {
      ASSERT_NE(details, nullptr);
      ASSERT_TRUE(Testing::PumpUntil([&] { return BrowserPlaced(details); }, 5000)) << "browser placed";
      then(details, mainWindow, ModuleDetailsBrowserClient->GetMainBrowserId());
    });
  }

  test_support::LaidOutProgram m_program;
  mt::ScopedCore m_core;
};

TEST_F(ModuleDetailsWndTest, OpensOverTheMainWindowWithTheSignedInPageAndItsCookies) {
  SignIn();
  const std::wstring address = L"http://demo.corvanel.test/tasks/7?from=chat&id=5";
  int id = 0;
  OpenPlaced("/tasks/7?from=chat&id=5", [&](HWND details, HWND mainWindow, int browserId) {
    id = browserId;
    EXPECT_EQ(GetWindow(details, GW_OWNER), mainWindow);
    EXPECT_FALSE(IsWindowEnabled(mainWindow)) << "modal over the main window";
    EXPECT_EQ(Testing::ManagerOf(details)->FindControl(L"title_label")->GetText(), L"Details");
    EXPECT_EQ(Testing::ManagerOf(details)->FindControl(L"closeBtn")->GetToolTip(), L"Close");

    const std::vector<HWND> children = cef_testing::BrowserWindowsOf(details);
    ASSERT_EQ(children.size(), 1u);
    const RECT area = BrowserLayoutArea(details);
    EXPECT_TRUE(SameRect(ModuleDetailsBrowserRect, area));
    EXPECT_GT(area.bottom - area.top, 300);
    ASSERT_TRUE(cef_test::Flush());
    // Read from the browser's own painting.
    EXPECT_EQ(cef_test::Browser(id).painted_lines.at(0), address);
    WindowManager::GetInstance()->CloseModuleDetailsWnd();
  });

  const cef_test::BrowserInfo browser = cef_test::Browser(id);
  EXPECT_EQ(browser.url_history, std::vector<std::wstring>{address}) << "the query goes unchanged";
  EXPECT_TRUE(SameRect(browser.initial_rect, {0, 0, 900, 600}));
  EXPECT_EQ(browser.default_encoding, L"UTF-8");
  EXPECT_EQ(browser.universal_access_from_file_urls, STATE_ENABLED);

  // The steps of a details page, in order, each on the IO thread.
  std::vector<std::wstring> ops;
  for (const cef_test::CookieOp& op : cef_test::CookieOps()) {
    EXPECT_EQ(op.thread_id, cef_test::IOThreadId());
    EXPECT_TRUE(op.accepted) << op.url;
    ops.push_back(op.url + L" " + op.name + L"=" + op.value);
  }
  EXPECT_THAT(ops, testing::ElementsAre(L"https://demo.corvanel.test s-team-demo=web-token-zhou",
                                        L"https://demo.corvanel.test client=windows",
                                        L"https://demo.corvanel.test client-type=detail",
                                        L"https://files.corvanel.test s-team-demo=web-token-zhou"));
  std::vector<std::wstring> sent;
  for (const auto& cookie : cef_test::CookiesForUrl(address)) sent.push_back(cookie.name);
  EXPECT_THAT(sent, testing::ElementsAre(L"s-team-demo", L"client", L"client-type"));
  for (const auto& call : cef_test::CallLog()) EXPECT_EQ(call.thread_id, cef_test::UIThreadId()) << call.op;
}

TEST_F(ModuleDetailsWndTest, TheBrowserFollowsTheLayoutAndALaterPageLoadsIntoIt) {
  SignIn();
  OpenPlaced("/calendar", [&](HWND details, HWND, int id) {
    const RECT before = BrowserLayoutArea(details);
    SetWindowPos(details, nullptr, 0, 0, 640, 420, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    EXPECT_TRUE(Testing::PumpUntil([&] { return BrowserPlaced(details); }, 5000));
    const RECT after = BrowserLayoutArea(details);
    EXPECT_LT(after.right - after.left, before.right - before.left);
    EXPECT_LT(after.bottom - after.top, before.bottom - before.top);
    EXPECT_TRUE(SameRect(ModuleDetailsBrowserRect, after));
    EXPECT_TRUE(SameRect(ModuleDetailsBrowserClient->GetBrowserRect(), after));

    static_cast<ModuleDetailsWnd*>(CWindowWnd::FromHandle(details))->LoadPage(L"/crm");
    ASSERT_TRUE(cef_test::Flush());
    EXPECT_THAT(cef_test::Browser(id).url_history,
                testing::ElementsAre(L"http://demo.corvanel.test/calendar", L"http://demo.corvanel.test/crm"));
    EXPECT_EQ(cef_test::Browsers().size(), 1u) << "the same browser";
    EXPECT_EQ(cef_test::CookieOps().size(), 8u) << "the cookies are written again";
    WindowManager::GetInstance()->CloseModuleDetailsWnd();
  });
}

// Every way the window can go must let its client go: a client left behind
// holds a closed browser, and every later window would show nothing.
enum class CloseRoad { CloseButton, AltF4, OwnerDestroyed };

class ModuleDetailsCloseTest : public ModuleDetailsWndTest, public testing::WithParamInterface<CloseRoad> {};

std::string RoadName(const testing::TestParamInfo<CloseRoad>& road) {
  const char* const names[] = {"CloseButton", "AltF4", "OwnerDestroyed"};
  return names[static_cast<int>(road.param)];
}

void CloseBy(CloseRoad road, HWND details, HWND mainWindow) {
  switch (road) {
    case CloseRoad::CloseButton:
      ASSERT_TRUE(Testing::Click(details, L"closeBtn"));
      break;
    case CloseRoad::AltF4:
      ::PostMessageW(details, WM_SYSKEYDOWN, VK_F4, 1 << 29);  // bit 29: Alt is down
      break;
    case CloseRoad::OwnerDestroyed:
      DestroyWindow(mainWindow);
      break;
  }
  EXPECT_TRUE(Testing::PumpUntil([&] { return !IsWindow(details); }, 5000));
}

TEST_P(ModuleDetailsCloseTest, ReleasesTheClientAndTheNextWindowShowsItsPage) {
  SignIn();
  CefRefPtr<CBrowserClient> first;
  int firstId = 0;
  OpenPlaced("/drive/root", [&](HWND details, HWND mainWindow, int id) {
    first = ModuleDetailsBrowserClient;
    firstId = id;
    CloseBy(GetParam(), details, mainWindow);
    EXPECT_EQ(ModuleDetailsBrowserClient, nullptr);
  });
  ASSERT_TRUE(cef_test::Flush());
  ASSERT_TRUE(first);
  EXPECT_TRUE(first->IsClosed());
  EXPECT_EQ(first->GetRefCt(), 1) << "neither the window nor the browser holds it";
  EXPECT_EQ(cef_test::Browser(firstId).parent_will_close_calls, 1) << "told before its parent went";
  first = nullptr;

  OpenPlaced("/report", [&](HWND details, HWND, int id) {
    EXPECT_NE(id, firstId);
    ASSERT_TRUE(cef_test::Flush());
    EXPECT_EQ(cef_test::Browser(id).url, L"http://demo.corvanel.test/report");
    WindowManager::GetInstance()->CloseModuleDetailsWnd();
  });
}

INSTANTIATE_TEST_SUITE_P(EveryRoad, ModuleDetailsCloseTest,
                         testing::Values(CloseRoad::CloseButton, CloseRoad::AltF4, CloseRoad::OwnerDestroyed),
                         RoadName);

TEST_F(ModuleDetailsWndTest, WithoutASignedInTeamNothingIsLoaded) {
  // No director at all, then a director that has no team yet.
  for (const bool withDirector : {false, true}) {
    if (withDirector) mireloom::Director::ResetDefaultDirector(new mireloom::Director);
    OpenDetails("/tasks/my", [&](HWND details, HWND) {
      ASSERT_NE(details, nullptr);
      ASSERT_TRUE(cef_test::Flush());
      Testing::PumpPending();
      EXPECT_EQ(ModuleDetailsBrowserClient, nullptr);
      EXPECT_EQ(Testing::ManagerOf(details)->FindControl(L"loading_label")->GetText(), L"Loading the page…");
      EXPECT_TRUE(Testing::Click(details, L"closeBtn"));
      EXPECT_TRUE(Testing::PumpUntil([&] { return !IsWindow(details); }, 5000));
    });
  }
  EXPECT_TRUE(cef_test::Browsers().empty());
  EXPECT_TRUE(cef_test::CookieOps().empty());
}

}  // namespace
