// The browser client on the running stand-in: its handlers on the layer's UI
// thread, the one WM_BROWSER_CREATED, and the close that follows the host.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "browser/BrowserClient.h"
#include "browser/BrowserMessages.h"
#include "browser/CefAppEx.h"
#include "HostWindow.h"
#include "LayerFixture.h"
#include "support/RecordingPlatform.h"

namespace {

using cef_testing::HostWindow;

class BrowserClientLiveTest : public cef_testing::LayerTest {
 protected:
  void SetUp() override {
    StartLayer(new CCefAppEx);
    m_host = std::make_unique<HostWindow>();
    m_client = new CBrowserClient;
    m_client->SetOwnerWindow(m_host->Handle());
  }

  int Create(const wchar_t* url = L"http://acme.corvanel.test/tasks/my") {
    return CreateBrowserIn(m_host->Handle(), m_client.get(), url, {0, 0, 900, 600});
  }

  std::unique_ptr<HostWindow> m_host;
  CefRefPtr<CBrowserClient> m_client;
  CRecordingPlatform m_platform;
};

TEST_F(BrowserClientLiveTest, TheNewBrowserIsAnnouncedOnceAndWaitsAtTheEmptyRect) {
  const int id = Create();
  ASSERT_NE(id, 0);
  const HWND window = cef_test::Browser(id).window;
  const auto posted = m_host->TakePosted(WM_BROWSER_CREATED);
  ASSERT_EQ(posted.size(), 1u);
  EXPECT_EQ(reinterpret_cast<HWND>(posted[0].lParam), window);
  EXPECT_EQ(m_client->GetMainBrowserId(), id);
  ASSERT_TRUE(m_client->GetBrowser());
  EXPECT_EQ(m_client->GetBrowser()->GetHost()->GetWindowHandle(), window);
  // Created at 900 x 600, then moved to the stored (empty) rect until the host places it.
  RECT rect;
  GetClientRect(window, &rect);
  EXPECT_EQ(rect.right, 0);
  EXPECT_EQ(rect.bottom, 0);

  for (const auto& call : cef_test::CallLog()) EXPECT_EQ(call.thread_id, cef_test::UIThreadId()) << call.op;
}

bool LoadEnded(int id) {
  for (const auto& call : cef_test::CallLog()) {
    if (call.browser_id == id && call.op == "OnLoadEnd") return true;
  }
  return false;
}

// The host's thread is busy (it handles no messages at all) while the browser
// is made as its child and moved by the client under its lock: none of that
// may wait for the host.
TEST_F(BrowserClientLiveTest, CreationAndTheFirstMoveNeverWaitForABusyHost) {
  // A host that has not erased its background yet (just shown, or just
  // resized): a move of its child that erased it at once would wait for it.
  RedrawWindow(m_host->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME);
  CefWindowInfo info;
  info.SetAsChild(m_host->Handle(), {0, 0, 900, 600});
  ASSERT_TRUE(CefBrowserHost::CreateBrowser(info, m_client.get(), L"http://acme.corvanel.test/", CefBrowserSettings()));
  const ULONGLONG deadline = GetTickCount64() + 5000;
  int id = 0;
  while (GetTickCount64() < deadline && !(id = m_client->GetMainBrowserId())) Sleep(10);
  ASSERT_NE(id, 0);
  while (GetTickCount64() < deadline && !LoadEnded(id)) Sleep(10);
  EXPECT_TRUE(LoadEnded(id));
}

// The first move shrinks the browser to nothing: the part of the host it
// uncovers is left for the host to paint, not erased behind its back.
TEST_F(BrowserClientLiveTest, TheUncoveredPartOfTheHostIsLeftForTheHostToPaint) {
  cef_testing::PumpMessages(0);
  RECT update;
  ASSERT_FALSE(GetUpdateRect(m_host->Handle(), &update, FALSE));
  ASSERT_NE(Create(), 0);
  ASSERT_TRUE(GetUpdateRect(m_host->Handle(), &update, FALSE));
  RECT client;
  GetClientRect(m_host->Handle(), &client);
  EXPECT_EQ(update.left, 0);
  EXPECT_EQ(update.top, 0);
  EXPECT_EQ(update.right, client.right);
  EXPECT_EQ(update.bottom, client.bottom);
}

TEST_F(BrowserClientLiveTest, TheHostPlacesTheBrowserOutsideTheLockAndItStaysThere) {
  const int id = Create();
  const HWND window = cef_test::Browser(id).window;
  // What a host's PlaceBrowser does: the lock only around the client's fields.
  const RECT area = {0, 40, 640, 420};
  ASSERT_EQ(m_client->GetBrowser()->GetIdentifier(), m_client->GetMainBrowserId());
  m_client->SetBrowserRect(area);
  MoveWindow(window, area.left, area.top, area.right - area.left, area.bottom - area.top, TRUE);
  UpdateWindow(window);
  ASSERT_TRUE(cef_test::Flush());
  RECT rect;
  GetClientRect(window, &rect);
  EXPECT_EQ(rect.right, 640);
  EXPECT_EQ(rect.bottom, 380);
  EXPECT_EQ(cef_test::Browser(id).painted_lines.at(0), L"http://acme.corvanel.test/tasks/my");
}

TEST_F(BrowserClientLiveTest, ClosingTheHostClosesTheBrowserAndFreesTheClient) {
  const int id = Create();
  CefRefPtr<CefBrowser> browser = m_client->GetBrowser();
  m_client->DoClose(browser);  // what a host does before its window goes
  browser = nullptr;
  m_host->Destroy();
  ASSERT_TRUE(cef_test::Flush());
  const cef_test::BrowserInfo info = cef_test::Browser(id);
  EXPECT_TRUE(info.closed);
  EXPECT_EQ(info.parent_will_close_calls, 1);
  EXPECT_EQ(m_client->GetBrowser(), nullptr);
  EXPECT_TRUE(m_client->IsClosed());
  EXPECT_EQ(m_client->GetRefCt(), 1);  // the layer let go: only the host's global is left
  m_client->DoClose(nullptr);  // late calls are harmless
}

TEST_F(BrowserClientLiveTest, APagesPopupGoesToTheSystemBrowserAndTheEmbeddedPageStays) {
  const int id = Create();
  const cef_test::PopupResult result = cef_test::SimulatePopup(id, L"https://acme.corvanel.test/drive/1", L"_blank");
  EXPECT_TRUE(result.cancelled);
  EXPECT_EQ(result.popup_id, 0);
  EXPECT_TRUE(cef_test::SimulatePopup(id, L"file:///C:/Windows/notepad.exe", L"_blank").cancelled);
  ASSERT_TRUE(cef_test::Flush());
  EXPECT_EQ(cef_test::Browsers().size(), 1u);
  EXPECT_EQ(cef_test::Browser(id).url, L"http://acme.corvanel.test/tasks/my");
  const auto opened = m_platform.CallsOf(PlatformCall::ShellOpen);
  ASSERT_EQ(opened.size(), 1u);
  EXPECT_EQ(opened[0].text, L"https://acme.corvanel.test/drive/1");
  EXPECT_TRUE(m_host->TakePosted(WM_BROWSER_CREATED).size() == 1u);
}

TEST_F(BrowserClientLiveTest, MenusDragsAndDownloadsFollowTheClientsRules) {
  const int id = Create();
  EXPECT_EQ(cef_test::SimulateContextMenu(id, CM_TYPEFLAG_PAGE), 0);
  EXPECT_EQ(cef_test::SimulateContextMenu(id, CM_TYPEFLAG_LINK), 3);
  EXPECT_TRUE(cef_test::SimulateContextMenuCommand(id, 1));
  EXPECT_TRUE(cef_test::SimulateDragEnter(id, DRAG_OPERATION_LINK, L"http://x.test/"));
  EXPECT_FALSE(cef_test::SimulateDragEnter(id, DRAG_OPERATION_COPY, L""));
  const cef_test::DownloadContinuation download =
      cef_test::SimulateDownload(id, L"http://acme.corvanel.test/f.pdf", L"f.pdf");
  EXPECT_TRUE(download.continued);
  EXPECT_EQ(download.path, L"");
  EXPECT_TRUE(download.show_dialog);
}

}  // namespace
