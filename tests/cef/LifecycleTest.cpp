// A browser's road: asynchronous creation on the UI thread, loads, and the
// close that follows its parent window.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <set>

#include "LayerFixture.h"
#include "quennet/testing.h"
#include "RecordingClient.h"

namespace cef_testing {
namespace {

using testing::ElementsAre;

class LifecycleTest : public LayerTest {
 protected:
  void SetUp() override {
    m_app = new RecordingApp;
    StartLayer(m_app.get());
  }

  CefRefPtr<RecordingApp> m_app;
  HostWindow m_host;
};

TEST_F(LifecycleTest, CreationIsQueuedAndMakesALiveChildWindowOnTheUiThread) {
  CefRefPtr<RecordingClient> client(new RecordingClient);
  cef_test::HoldBrowserCreation(true);
  CefWindowInfo info;
  info.SetAsChild(m_host.Handle(), {10, 20, 310, 220});
  CefBrowserSettings settings;
  settings.default_encoding = "UTF-8";
  settings.universal_access_from_file_urls = STATE_ENABLED;
  ASSERT_TRUE(CefBrowserHost::CreateBrowser(info, client.get(), L"http://team.corvanel.test/x", settings));
  ASSERT_TRUE(cef_test::Flush());
  EXPECT_EQ(client->Count("OnAfterCreated"), 0);  // still pending
  cef_test::HoldBrowserCreation(false);
  cef_test::ReleaseHeldCreations();
  ASSERT_TRUE(cef_test::Flush());

  ASSERT_EQ(client->Count("OnAfterCreated"), 1);
  const int id = client->Events()[0].browser_id;
  const cef_test::BrowserInfo browser = cef_test::Browser(id);
  ASSERT_TRUE(IsWindow(browser.window));
  EXPECT_EQ(GetParent(browser.window), m_host.Handle());
  EXPECT_EQ(GetWindowThreadProcessId(browser.window, nullptr), cef_test::UIThreadId());
  EXPECT_THAT(BrowserWindowsOf(m_host.Handle()), ElementsAre(browser.window));
  const LONG_PTR style = GetWindowLongPtrW(browser.window, GWL_STYLE);
  EXPECT_EQ(style & (WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS),
            WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS);
  EXPECT_TRUE(GetWindowLongPtrW(browser.window, GWL_EXSTYLE) & WS_EX_NOPARENTNOTIFY);
  RECT placed;
  GetWindowRect(browser.window, &placed);
  MapWindowPoints(HWND_DESKTOP, m_host.Handle(), reinterpret_cast<POINT*>(&placed), 2);
  EXPECT_EQ(placed.left, 10);
  EXPECT_EQ(placed.top, 20);
  EXPECT_EQ(placed.right - placed.left, 300);
  EXPECT_EQ(browser.initial_rect.bottom, 220);
  EXPECT_EQ(browser.default_encoding, L"UTF-8");
  EXPECT_EQ(browser.universal_access_from_file_urls, STATE_ENABLED);
  EXPECT_NE(GetFocus(), browser.window);
}

TEST_F(LifecycleTest, OnAfterCreatedComesFirstThenTheLoadInOrderAllOnTheUiThread) {
  CefRefPtr<RecordingClient> client(new RecordingClient);
  const int id = CreateBrowserIn(m_host.Handle(), client.get(), L"http://team.corvanel.test/tasks/my");
  ASSERT_NE(id, 0);
  EXPECT_THAT(client->Names(id), ElementsAre("OnAfterCreated", "OnLoadingStateChange(loading)", "OnLoadStart",
                                             "OnLoadEnd 200", "OnLoadingStateChange(done)"));
  EXPECT_EQ(m_app->Count("OnContextCreated"), 1);

  // The app's context comes between the load's start and end.
  std::vector<std::string> order;
  for (const auto& call : cef_test::CallLog()) {
    if (call.browser_id == id) order.push_back(call.op);
    EXPECT_EQ(call.thread_id, cef_test::UIThreadId()) << call.op;
  }
  EXPECT_THAT(order, ElementsAre("OnAfterCreated", "OnLoadingStateChange", "OnLoadStart", "OnContextCreated",
                                 "OnLoadEnd", "OnLoadingStateChange"));
  for (const auto& event : client->Events()) EXPECT_EQ(event.thread_id, cef_test::UIThreadId());

  client->Browser()->GetMainFrame()->LoadURL(L"http://team.corvanel.test/crm");
  ASSERT_TRUE(cef_test::Flush());
  EXPECT_EQ(m_app->Count("OnContextCreated"), 2);
  EXPECT_EQ(client->Browser()->GetMainFrame()->GetURL().ToWString(), L"http://team.corvanel.test/crm");
  EXPECT_THAT(cef_test::Browser(id).url_history,
              ElementsAre(L"http://team.corvanel.test/tasks/my", L"http://team.corvanel.test/crm"));
}

TEST_F(LifecycleTest, BadArgumentsCreateNothing) {
  CefRefPtr<RecordingClient> client(new RecordingClient);
  CefWindowInfo info;
  info.SetAsChild(m_host.Handle(), {0, 0, 10, 10});
  EXPECT_FALSE(CefBrowserHost::CreateBrowser(info, nullptr, L"http://a.test/", CefBrowserSettings()));
  CefWindowInfo orphan;
  orphan.SetAsChild(reinterpret_cast<HWND>(0x7777), {0, 0, 10, 10});
  EXPECT_FALSE(CefBrowserHost::CreateBrowser(orphan, client.get(), L"http://a.test/", CefBrowserSettings()));
  ASSERT_TRUE(cef_test::Flush());
  EXPECT_TRUE(cef_test::Browsers().empty());
  EXPECT_EQ(client->GetRefCt(), 1);
}

TEST_F(LifecycleTest, AParentGoneBeforeCreationMeansNoCallbackAndNoReferenceKept) {
  quennet::ScopedLogCapture log;
  CefRefPtr<RecordingClient> client(new RecordingClient);
  HostWindow short_lived;
  cef_test::HoldBrowserCreation(true);
  CefWindowInfo info;
  info.SetAsChild(short_lived.Handle(), {0, 0, 10, 10});
  ASSERT_TRUE(CefBrowserHost::CreateBrowser(info, client.get(), L"http://a.test/", CefBrowserSettings()));
  cef_test::HoldBrowserCreation(false);
  short_lived.Destroy();
  cef_test::ReleaseHeldCreations();
  ASSERT_TRUE(cef_test::Flush());
  EXPECT_TRUE(client->Events().empty());
  EXPECT_TRUE(cef_test::Browsers().empty());
  EXPECT_EQ(client->GetRefCt(), 1);
  EXPECT_TRUE(log.Contains("Browser creation dropped: the parent window is gone"));
}

TEST_F(LifecycleTest, DestroyingTheParentClosesTheBrowserOnce) {
  CefRefPtr<RecordingClient> client(new RecordingClient);
  HostWindow parent;
  const int id = CreateBrowserIn(parent.Handle(), client.get(), L"http://a.test/");
  ASSERT_NE(id, 0);
  CefRefPtr<CefBrowser> browser = client->Browser();
  browser->GetHost()->ParentWindowWillClose();
  browser->GetHost()->ParentWindowWillClose();
  EXPECT_FALSE(cef_test::Browser(id).closed);  // only noted

  parent.Destroy();
  ASSERT_TRUE(cef_test::Flush());
  EXPECT_EQ(client->Count("OnBeforeClose"), 1);
  EXPECT_EQ(client->Browser(), nullptr);
  const cef_test::BrowserInfo info = cef_test::Browser(id);
  EXPECT_TRUE(info.closed);
  EXPECT_EQ(info.parent_will_close_calls, 2);
  EXPECT_EQ(browser->GetHost()->GetWindowHandle(), nullptr);

  // Calls on the closed browser are harmless and noted.
  browser->GetHost()->ParentWindowWillClose();
  browser->GetMainFrame()->LoadURL(L"http://b.test/");
  browser->GetMainFrame()->ExecuteJavaScript(L"x()", L"", 0);
  ASSERT_TRUE(cef_test::Flush());
  EXPECT_THAT(cef_test::Browser(id).dropped_calls, ElementsAre("LoadURL", "ExecuteJavaScript"));
  EXPECT_EQ(client->Count("OnBeforeClose"), 1);
  browser = nullptr;
  EXPECT_EQ(client->GetRefCt(), 1);  // the layer let go of the client
}

TEST_F(LifecycleTest, IdsAreUniqueAndNeverZero) {
  CefRefPtr<RecordingClient> client(new RecordingClient);
  std::set<int> ids;
  for (int i = 0; i < 3; ++i) ids.insert(CreateBrowserIn(m_host.Handle(), client.get(), L"http://a.test/"));
  EXPECT_EQ(ids.size(), 3u);
  EXPECT_EQ(ids.count(0), 0u);
  EXPECT_EQ(client->Count("OnAfterCreated"), 3);
}

TEST_F(LifecycleTest, DoCloseMayKeepTheBrowserUnlessTheCloseIsForced) {
  CefRefPtr<RecordingClient> client(new RecordingClient);
  client->keep_on_do_close = true;
  const int id = CreateBrowserIn(m_host.Handle(), client.get(), L"http://a.test/");
  EXPECT_FALSE(cef_test::CloseBrowser(id, false));
  ASSERT_TRUE(cef_test::Flush());
  EXPECT_FALSE(cef_test::Browser(id).closed);
  EXPECT_TRUE(cef_test::CloseBrowser(id, true));
  ASSERT_TRUE(cef_test::Flush());
  EXPECT_TRUE(cef_test::Browser(id).closed);
  EXPECT_THAT(client->Names(id), testing::IsSupersetOf({"DoClose", "OnBeforeClose"}));
  EXPECT_EQ(client->Count("DoClose"), 2);
  EXPECT_EQ(client->Count("OnBeforeClose"), 1);
}

// The host moves, shows and repaints the child from its own thread while the
// UI thread sits in a client callback that holds the client's lock. The host
// takes that lock only after its window calls, as the client's hosts do.
TEST_F(LifecycleTest, TheHostDrivesTheChildWhileTheUiThreadHoldsTheClientLock) {
  CefRefPtr<RecordingClient> client(new RecordingClient);
  CefCriticalSection client_lock;
  HANDLE entered = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  client->on_load_end = [&] {
    client_lock.Lock();
    SetEvent(entered);
    Sleep(150);
    client_lock.Unlock();
  };
  const int id = CreateBrowserIn(m_host.Handle(), client.get(), L"http://a.test/");
  ASSERT_NE(id, 0);
  HWND child = cef_test::Browser(id).window;

  client->Browser()->GetMainFrame()->LoadURL(L"http://a.test/again");
  ASSERT_EQ(WaitForSingleObject(entered, 5000), WAIT_OBJECT_0);
  MoveWindow(child, 5, 5, 200, 100, TRUE);
  ShowWindow(child, SW_HIDE);
  ShowWindow(child, SW_SHOWNORMAL);
  UpdateWindow(child);
  client_lock.Lock();
  client_lock.Unlock();
  CloseHandle(entered);

  ASSERT_TRUE(cef_test::Flush());
  RECT placed;
  GetClientRect(child, &placed);
  EXPECT_EQ(placed.right, 200);
  EXPECT_TRUE(IsWindowVisible(child));
}

TEST_F(LifecycleTest, WithoutHandlersTheBrowserStillLivesAndCloses) {
  CefRefPtr<RecordingClient> client(new RecordingClient);
  client->offer_handlers = false;
  HostWindow parent;
  const int id = CreateBrowserIn(parent.Handle(), client.get(), L"http://a.test/");
  ASSERT_NE(id, 0);
  EXPECT_EQ(cef_test::Browser(id).url, L"http://a.test/");
  parent.Destroy();
  ASSERT_TRUE(cef_test::Flush());
  EXPECT_TRUE(cef_test::Browser(id).closed);
  EXPECT_TRUE(client->Events().empty());
  EXPECT_EQ(client->GetRefCt(), 1);
}

}  // namespace
}  // namespace cef_testing
