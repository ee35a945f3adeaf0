// What a page or the user does to a browser, and the client's answers.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "LayerFixture.h"
#include "RecordingClient.h"

namespace cef_testing {
namespace {

class SimulationTest : public LayerTest {
 protected:
  void SetUp() override {
    LayerTest::SetUp();
    m_client = new RecordingClient;
  }

  int Create() { return CreateBrowserIn(m_host.Handle(), m_client.get(), L"http://team.corvanel.test/page"); }

  HostWindow m_host;
  CefRefPtr<RecordingClient> m_client;
};

TEST_F(SimulationTest, ACancelledPopupCreatesNothingAndLeavesThePage) {
  const int id = Create();
  const cef_test::PopupResult result = cef_test::SimulatePopup(id, L"http://elsewhere.test/", L"_blank");
  EXPECT_TRUE(result.cancelled);
  EXPECT_EQ(result.popup_id, 0);
  ASSERT_TRUE(cef_test::Flush());
  EXPECT_EQ(cef_test::Browsers().size(), 1u);
  EXPECT_EQ(cef_test::Browser(id).url, L"http://team.corvanel.test/page");
  EXPECT_EQ(m_client->Count("OnBeforePopup"), 1);
}

TEST_F(SimulationTest, AnAllowedPopupIsASecondBrowserWithTheClientsWindowInfo) {
  m_client->cancel_popups = false;
  m_client->change_popup = [](CefWindowInfo& info) {
    info.x = 40;
    info.y = 50;
  };
  const int id = Create();
  const cef_test::PopupResult result = cef_test::SimulatePopup(id, L"http://elsewhere.test/", L"_blank");
  EXPECT_FALSE(result.cancelled);
  ASSERT_NE(result.popup_id, 0);
  ASSERT_TRUE(cef_test::Flush());
  const cef_test::BrowserInfo popup = cef_test::Browser(result.popup_id);
  EXPECT_TRUE(popup.popup);
  EXPECT_EQ(popup.parent, m_host.Handle());
  EXPECT_EQ(popup.initial_rect.left, 40);
  EXPECT_EQ(popup.initial_rect.top, 50);
  EXPECT_EQ(popup.url, L"http://elsewhere.test/");
  EXPECT_EQ(m_client->Count("OnAfterCreated"), 2);
}

TEST_F(SimulationTest, ContextMenusAndCommandsReturnTheClientsAnswers) {
  const int id = Create();
  EXPECT_EQ(cef_test::SimulateContextMenu(id, CM_TYPEFLAG_PAGE), 3);  // the page's own menu, untouched
  m_client->clear_menus = true;
  EXPECT_EQ(cef_test::SimulateContextMenu(id, CM_TYPEFLAG_PAGE), 0);
  EXPECT_TRUE(cef_test::SimulateContextMenuCommand(id, 7));
  EXPECT_FALSE(cef_test::SimulateContextMenuCommand(id, 8));
}

TEST_F(SimulationTest, DragsAndDownloadsReturnTheClientsAnswers) {
  const int id = Create();
  EXPECT_FALSE(cef_test::SimulateDragEnter(id, DRAG_OPERATION_LINK, L"http://x.test/"));
  m_client->refuse_drags = true;
  EXPECT_TRUE(cef_test::SimulateDragEnter(id, DRAG_OPERATION_LINK, L"http://x.test/"));

  const cef_test::DownloadContinuation download =
      cef_test::SimulateDownload(id, L"http://team.corvanel.test/f.zip", L"f.zip");
  EXPECT_TRUE(download.continued);
  EXPECT_EQ(download.path, L"C:\\saved\\f.zip");
  EXPECT_FALSE(download.show_dialog);
  EXPECT_THAT(m_client->Names(id), testing::IsSupersetOf({"OnBeforeDownload", "OnDownloadUpdated"}));

  m_client->continue_downloads = false;
  EXPECT_FALSE(cef_test::SimulateDownload(id, L"http://team.corvanel.test/g.zip", L"g.zip").continued);
}

TEST_F(SimulationTest, HandlersRunOnTheUiThreadAndClosedOrUnknownBrowsersAnswerNothing) {
  const int id = Create();
  cef_test::SimulateContextMenu(id, CM_TYPEFLAG_PAGE);
  cef_test::SimulateDragEnter(id, DRAG_OPERATION_COPY, L"");
  for (const auto& event : m_client->Events()) EXPECT_EQ(event.thread_id, cef_test::UIThreadId()) << event.name;

  EXPECT_EQ(cef_test::SimulateContextMenu(12345, CM_TYPEFLAG_PAGE), 0);
  ASSERT_TRUE(cef_test::CloseBrowser(id, true));
  ASSERT_TRUE(cef_test::Flush());
  EXPECT_FALSE(cef_test::SimulatePopup(id, L"http://x.test/", L"").cancelled);
  EXPECT_EQ(m_client->Count("OnBeforePopup"), 0);
}

}  // namespace
}  // namespace cef_testing
