// The session list as zhou sees it on the demo team: which conversations get
// an item, the marks they carry, opening them, drafts, refreshing and closing.

#include <algorithm>

#include "MainWndFixture.h"
#include "duilib/testing.h"
#include "mainwnd/MainWndMessages.h"
#include "mireloom/ChatManager.h"
#include "mireloom/IMManager.h"

namespace mainwnd_test {
namespace {

using namespace DuiLib;
namespace core = mireloom::testing;

bool Contains(const std::vector<std::wstring>& names, const wchar_t* name) {
  return std::find(names.begin(), names.end(), name) != names.end();
}

class MainWndSessionListTest : public MainWindowTest {};

TEST_F(MainWndSessionListTest, EveryItemOpensItsOwnConversation) {
  StepRunner script;
  WaitForFilledList(script).Do("open each", [] {
    const auto names = SessionItemNames();
    // Its partner left the team and is not cached: no item, and the items
    // after it must still open their own conversations.
    EXPECT_FALSE(Contains(names, L"imItem_im-zhou-gone"));
    for (int i = 0; i < static_cast<int>(names.size()); ++i) {
      SessionList()->SelectItem(i, false);
      EXPECT_EQ(Text(L"title_label"), TitleOf(names[i])) << names[i];
    }
    // The dialogs' road: refresh and select by id, an IM listed after the gap.
    Main()->RefreshAndSelectSession("im-zhou-he", true);
    const int selected = SessionList()->GetCurSel();
    ASSERT_GE(selected, 0);
    EXPECT_EQ(std::wstring(SessionList()->GetItemAt(selected)->GetName().GetData()), L"imItem_im-zhou-he");
    EXPECT_EQ(Text(L"title_label"), L"何川");
    CloseMainWindow();
  });
  RunMainWindow(script);
}

TEST_F(MainWndSessionListTest, BadgesCountDirectConversationsAndDotChannels) {
  StepRunner script;
  WaitForFilledList(script).Do("check and close", [] {
    const CControlUI* notice = Control(L"imItem_im-zhou-notice_num_unread_id");
    ASSERT_NE(notice, nullptr);
    EXPECT_TRUE(notice->IsVisible());
    EXPECT_EQ(Text(L"imItem_im-zhou-notice_num_unread_id"), L"99+");
    EXPECT_EQ(Text(L"imItem_im-zhou-lin_num_unread_id"), L"2");
    EXPECT_FALSE(IsShown(L"imItem_im-zhou-bot_num_unread_id")) << "no unread, no badge";
    // Muted: a count, but no dot.
    EXPECT_FALSE(IsShown(L"channelItem_chn-notice_num_unread_id"));
    EXPECT_TRUE(IsShown(L"channelItem_chn-general_num_unread_id"));
    CloseMainWindow();
  });
  RunMainWindow(script);
}

TEST_F(MainWndSessionListTest, OpeningAConversationKeepsTheOtherOnesDraft) {
  StepRunner script;
  WaitForFilledList(script)
      .Do("type in lin's conversation", [] {
        ASSERT_TRUE(Testing::Click(MainWindow(), L"imItem_im-zhou-lin"));
        ASSERT_TRUE(Testing::TypeText(MainWindow(), L"chat_input", L"晚点再说 later"));
        ASSERT_TRUE(Testing::Click(MainWindow(), L"channelItem_chn-general"));
      })
      .WaitFor("the channel", [] { return Text(L"title_label") == L"#全员"; })
      .Do("back", [] {
        EXPECT_EQ(Text(L"chat_input"), L"") << "the channel has no draft";
        EXPECT_FALSE(IsShown(L"channelItem_chn-general_num_unread_id")) << "opened means read";
        EXPECT_TRUE(IsShown(L"total_unread_num_btn"));
        ASSERT_TRUE(Testing::Click(MainWindow(), L"imItem_im-zhou-lin"));
      })
      .WaitFor("lin's conversation", [] { return Text(L"title_label") == L"林晓"; })
      .Do("check and close", [] {
        EXPECT_EQ(Text(L"chat_input"), L"晚点再说 later");
        CloseMainWindow();
      });
  RunMainWindow(script);
}

TEST_F(MainWndSessionListTest, TheItemMenuClosesExactlyThatConversation) {
  m_platform.SetMenuCommand(mireloomwnd::kCloseImCommand);
  std::vector<std::wstring> before;
  StepRunner script;
  WaitForFilledList(script)
      .Do("right-click a channel, then an IM", [&] {
        before = SessionItemNames();
        ASSERT_TRUE(Testing::RightClick(MainWindow(), L"channelItem_chn-general"));
        EXPECT_EQ(m_platform.Count(PlatformCall::TrackPopupMenu), 0u) << "channels have no menu";
        ASSERT_TRUE(Testing::RightClick(MainWindow(), L"imItem_im-zhou-he"));
      })
      .WaitFor("the menu", [this] { return m_platform.Count(PlatformCall::TrackPopupMenu) == 1; })
      .Do("check and close", [&] {
        std::vector<std::wstring> expected = before;
        expected.erase(std::find(expected.begin(), expected.end(), L"imItem_im-zhou-he"));
        EXPECT_EQ(SessionItemNames(), expected);
        CloseMainWindow();
      });
  RunMainWindow(script);
  ASSERT_TRUE(core::WaitIdle());
  const auto ims = mireloom::IMManager::DefaultManager()->FetchImsFromCache();
  EXPECT_TRUE(std::none_of(ims.begin(), ims.end(), [](const auto& im) { return im->im_id() == "im-zhou-he"; }));
}

}  // namespace
}  // namespace mainwnd_test
