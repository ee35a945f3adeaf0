// The browser client's handlers, driven with fake browsers: no browser layer
// runs here.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "browser/BrowserClient.h"
#include "browser/BrowserMessages.h"
#include "cef/cef_test.h"
#include "HostWindow.h"
#include "support/RecordingPlatform.h"

namespace {

using cef_testing::HostWindow;

class BrowserClientTest : public testing::Test {
 protected:
  void SetUp() override {
    m_client = new CBrowserClient;
    m_client->SetOwnerWindow(m_host.Handle());
    m_child = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 0, 0, 50, 50, m_host.Handle(), nullptr,
                              nullptr, nullptr);
  }

  RECT ChildRect() const {
    RECT rect;
    GetWindowRect(m_child, &rect);
    MapWindowPoints(HWND_DESKTOP, m_host.Handle(), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
  }

  HostWindow m_host;
  HWND m_child = nullptr;
  CefRefPtr<CBrowserClient> m_client;
};

TEST_F(BrowserClientTest, OnlyTheFirstBrowserIsAnnouncedAndEveryOneIsMovedToTheStoredRect) {
  CefRefPtr<CefBrowser> first = cef_test::MakeFakeBrowser(3, m_child);
  m_client->OnAfterCreated(first);
  // The first placement is the empty rectangle: the host places it later.
  EXPECT_EQ(ChildRect().right - ChildRect().left, 0);
  const auto posted = m_host.TakePosted(WM_BROWSER_CREATED);
  ASSERT_EQ(posted.size(), 1u);
  EXPECT_EQ(posted[0].wParam, 0u);
  EXPECT_EQ(reinterpret_cast<HWND>(posted[0].lParam), m_child);
  EXPECT_EQ(m_client->GetMainBrowserId(), 3);
  EXPECT_EQ(m_client->GetBrowser(), first);

  m_client->SetBrowserRect({10, 20, 110, 220});
  m_client->OnAfterCreated(cef_test::MakeFakeBrowser(4, m_child));
  EXPECT_TRUE(m_host.TakePosted(WM_BROWSER_CREATED).empty());
  EXPECT_EQ(m_client->GetMainBrowserId(), 3);
  const RECT moved = ChildRect();
  EXPECT_EQ(moved.left, 10);
  EXPECT_EQ(moved.top, 20);
  EXPECT_EQ(moved.right, 110);
  EXPECT_EQ(moved.bottom, 220);

  m_client->OnAfterCreated(nullptr);
  EXPECT_TRUE(m_host.TakePosted(WM_BROWSER_CREATED).empty());
}

TEST_F(BrowserClientTest, WithoutAnOwnerNothingIsPostedAnywhere) {
  CefRefPtr<CBrowserClient> orphan(new CBrowserClient);
  orphan->OnAfterCreated(cef_test::MakeFakeBrowser(9, m_child));
  MSG msg;
  EXPECT_FALSE(PeekMessageW(&msg, nullptr, WM_BROWSER_CREATED, WM_BROWSER_CREATED, PM_REMOVE));
  EXPECT_EQ(orphan->GetMainBrowserId(), 9);
}

TEST_F(BrowserClientTest, DoCloseTellsOnlyTheMainBrowserAndNeverStopsTheClose) {
  CefRefPtr<CefBrowser> main = cef_test::MakeFakeBrowser(3, m_child);
  CefRefPtr<CefBrowser> other = cef_test::MakeFakeBrowser(4, m_child);
  EXPECT_FALSE(m_client->DoClose(main));  // before creation: not the main one yet
  m_client->OnAfterCreated(main);
  EXPECT_FALSE(m_client->DoClose(main));
  EXPECT_FALSE(m_client->DoClose(main));
  EXPECT_FALSE(m_client->DoClose(other));
  EXPECT_FALSE(m_client->DoClose(nullptr));
  EXPECT_EQ(cef_test::Browser(main).parent_will_close_calls, 2);
  EXPECT_EQ(cef_test::Browser(other).parent_will_close_calls, 0);
}

TEST_F(BrowserClientTest, OnBeforeCloseOfTheMainBrowserReleasesItAndMarksTheClientClosed) {
  CefRefPtr<CefBrowser> main = cef_test::MakeFakeBrowser(3, m_child);
  m_client->OnAfterCreated(main);
  const int held = main->GetRefCt();
  m_client->OnBeforeClose(cef_test::MakeFakeBrowser(4, m_child));
  m_client->OnBeforeClose(nullptr);
  EXPECT_EQ(m_client->GetBrowser(), main);
  EXPECT_FALSE(m_client->IsClosed());

  m_client->OnBeforeClose(main);
  EXPECT_EQ(m_client->GetBrowser(), nullptr);
  EXPECT_TRUE(m_client->IsClosed());
  EXPECT_EQ(main->GetRefCt(), held - 1);
}

TEST_F(BrowserClientTest, TheLastReleaseDeletesTheClientAndItsBrowserReference) {
  CefRefPtr<CefBrowser> main = cef_test::MakeFakeBrowser(3, m_child);
  auto* client = new CBrowserClient;
  EXPECT_EQ(client->GetRefCt(), 0);
  client->AddRef();
  client->OnAfterCreated(main);
  EXPECT_EQ(main->GetRefCt(), 2);
  EXPECT_EQ(client->Release(), 0);
  EXPECT_EQ(main->GetRefCt(), 1);
}

// Pop-up targets come from pages: only web addresses reach the shell.
TEST_F(BrowserClientTest, PopupsOpenOnlyWebAddressesAndAreAlwaysCancelled) {
  CRecordingPlatform platform;
  CefRefPtr<CefBrowser> browser = cef_test::MakeFakeBrowser(3, m_child);
  const std::vector<std::wstring> targets = {
      L"https://acme.corvanel.test/tasks/7",
      L"http://example.test/a?b=c",
      L"file:///C:/Windows/System32/calc.exe",
      L"C:\\Windows\\System32\\cmd.exe",
      L"\\\\server\\share\\tool.exe",
      L"javascript:alert(1)",
      L"mailto:someone@example.test",
      L"",
      L"http://",
      L"https://acme.corvanel.test/x /c calc",
  };
  for (const auto& target : targets) {
    CefWindowInfo info;
    CefRefPtr<CefClient> client = m_client.get();
    CefBrowserSettings settings;
    bool no_script = false;
    EXPECT_TRUE(m_client->OnBeforePopup(browser, browser->GetMainFrame(), target, L"_blank", CefPopupFeatures(), info,
                                        client, settings, &no_script))
        << "target " << testing::PrintToString(target);
  }
  std::vector<std::wstring> opened;
  for (const auto& call : platform.CallsOf(PlatformCall::ShellOpen)) opened.push_back(call.text);
  EXPECT_THAT(opened, testing::ElementsAre(L"https://acme.corvanel.test/tasks/7", L"http://example.test/a?b=c"));
}

TEST_F(BrowserClientTest, PageAndFrameMenusAreClearedOthersLeftAsBuilt) {
  struct Case {
    int flags;
    int items_left;
  };
  const Case cases[] = {
      {CM_TYPEFLAG_PAGE, 0},
      {CM_TYPEFLAG_FRAME, 0},
      {CM_TYPEFLAG_PAGE | CM_TYPEFLAG_LINK, 0},
      {CM_TYPEFLAG_FRAME | CM_TYPEFLAG_EDITABLE, 0},
      {CM_TYPEFLAG_LINK, 4},
      {CM_TYPEFLAG_SELECTION | CM_TYPEFLAG_EDITABLE, 4},
      {CM_TYPEFLAG_NONE, 4},
  };
  for (const Case& c : cases) {
    CefRefPtr<CefMenuModel> model = cef_test::MakeMenuModel(4);
    m_client->OnBeforeContextMenu(nullptr, nullptr, cef_test::MakeContextMenuParams(c.flags), model);
    EXPECT_EQ(model->GetCount(), c.items_left) << "flags " << c.flags;
  }
  EXPECT_TRUE(m_client->OnContextMenuCommand(nullptr, nullptr, nullptr, 1, 0));
  EXPECT_FALSE(m_client->OnContextMenuCommand(nullptr, nullptr, nullptr, 0, 0));
  EXPECT_FALSE(m_client->OnContextMenuCommand(nullptr, nullptr, nullptr, 2, 0));
}

TEST_F(BrowserClientTest, DragsOfferingTheLinkOperationAreRefused) {
  const auto link = cef_test::MakeDragData(L"http://x.test/");
  EXPECT_TRUE(m_client->OnDragEnter(nullptr, link, DRAG_OPERATION_LINK));
  EXPECT_TRUE(m_client->OnDragEnter(nullptr, link, DRAG_OPERATION_EVERY));
  EXPECT_TRUE(m_client->OnDragEnter(nullptr, link,
                                    static_cast<DragOperationsMask>(DRAG_OPERATION_COPY | DRAG_OPERATION_LINK)));
  EXPECT_FALSE(m_client->OnDragEnter(nullptr, link,
                                     static_cast<DragOperationsMask>(DRAG_OPERATION_COPY | DRAG_OPERATION_MOVE)));
  EXPECT_FALSE(m_client->OnDragEnter(nullptr, cef_test::MakeDragData(L""), DRAG_OPERATION_NONE));
}

TEST_F(BrowserClientTest, EveryDownloadGoesToTheSaveDialogWithTheBrowsersOwnName) {
  CefRefPtr<CefBeforeDownloadCallback> callback = cef_test::MakeBeforeDownloadCallback();
  m_client->OnBeforeDownload(nullptr, cef_test::MakeDownloadItem(L"http://x.test/report.xlsx", L"report.xlsx"),
                             L"report.xlsx", callback);
  const cef_test::DownloadContinuation continuation = cef_test::ContinuationOf(callback);
  EXPECT_TRUE(continuation.continued);
  EXPECT_EQ(continuation.path, L"");
  EXPECT_TRUE(continuation.show_dialog);
}

}  // namespace
