// The session list as zhou sees it on the demo team: which conversations get
// an item, the marks they carry, opening them, drafts, refreshing and closing.

#include <algorithm>
#include <ctime>
#include <functional>
#include <map>

#include "duilib/testing.h"
#include "mainwnd/MainWndMessages.h"
#include "MainWndFixture.h"
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

// One change to the list, and the names its rows must have afterwards.
struct ListChange {
  const char* what;
  // The conversation the change concerns; every other row must stay the
  // control it was.
  const wchar_t* item;
  std::function<void(CRecordingPlatform&)> make;
  std::function<std::vector<std::wstring>(std::vector<std::wstring>)> expect;
};

void InjectFrom(const char* conversation, const char* sender, int64_t timestamp) {
  mireloom::Message::Data message;
  message.channel_id = conversation;
  message.channel_type = mireloom::Message::kDirectMessage;
  message.uid = sender;
  message.content = "又一条";
  message.timestamp = timestamp;
  core::InjectMessage(message);
}

// The names with `item` moved to `index` (added when it was not there).
std::function<std::vector<std::wstring>(std::vector<std::wstring>)> MovedTo(const wchar_t* item, size_t index) {
  return [item, index](std::vector<std::wstring> names) {
    names.erase(std::remove(names.begin(), names.end(), item), names.end());
    names.insert(names.begin() + static_cast<std::ptrdiff_t>(std::min(index, names.size())), item);
    return names;
  };
}

TEST_F(MainWndSessionListTest, EachChangeTouchesOnlyItsOwnRow) {
  const int64_t newest = static_cast<int64_t>(std::time(nullptr)) + 1000;
  const std::vector<ListChange> changes = {
      {"a message leads its row to the top", L"imItem_im-zhou-he",
       [newest](CRecordingPlatform&) { InjectFrom("im-zhou-he", "usr-he", newest); }, MovedTo(L"imItem_im-zhou-he", 0)},
      {"an older one moves its row below the newest", L"imItem_im-zhou-zhao",
       [newest](CRecordingPlatform&) { InjectFrom("im-zhou-zhao", "usr-zhao", newest - 1); },
       MovedTo(L"imItem_im-zhou-zhao", 1)},
      {"a read clears the badge where the row is", L"imItem_im-zhou-notice",
       [](CRecordingPlatform&) { core::InjectUnread("im-zhou-notice", 0, 0); },
       [](std::vector<std::wstring> names) { return names; }},
      {"a closed conversation's message brings one new row", L"imItem_im-zhou-qian",
       [newest](CRecordingPlatform&) { InjectFrom("im-zhou-qian", "usr-qian", newest + 1); },
       MovedTo(L"imItem_im-zhou-qian", 0)},
      {"a message in the same second as the newest row goes above it", L"imItem_im-zhou-zhao",
       [newest](CRecordingPlatform&) { InjectFrom("im-zhou-zhao", "usr-zhao", newest + 1); },
       MovedTo(L"imItem_im-zhou-zhao", 0)},
      {"closing an IM takes its row away", L"imItem_im-zhou-bot",
       [](CRecordingPlatform& platform) {
         platform.SetMenuCommand(mireloomwnd::kCloseImCommand);
         ASSERT_TRUE(Testing::RightClick(MainWindow(), L"imItem_im-zhou-bot"));
       },
       [](std::vector<std::wstring> names) {
         names.erase(std::remove(names.begin(), names.end(), L"imItem_im-zhou-bot"), names.end());
         return names;
       }},
  };
  std::map<std::wstring, CControlUI*> rows;
  // Addresses come back after a free; a row's token says it was never freed.
  std::map<std::wstring, std::weak_ptr<void>> alive;
  std::vector<std::wstring> expected;
  // The open conversation's row stays the selected one through every change.
  const std::wstring open = L"imItem_im-zhou-lin";
  auto takeRows = [&rows, &alive] {
    rows.clear();
    alive.clear();
    for (int i = 0; i < SessionList()->GetCount(); ++i) {
      CControlUI* row = SessionList()->GetItemAt(i);
      rows[row->GetName().GetData()] = row;
      alive[row->GetName().GetData()] = row->GetLifetimeToken();
    }
  };
  StepRunner script;
  WaitForFilledList(script)
      .Do("open lin's conversation", [&] { ASSERT_TRUE(Testing::Click(MainWindow(), open.c_str())); })
      .WaitFor("opened", [] { return Text(L"title_label") == L"林晓"; });
  for (const ListChange& change : changes) {
    script
        .Do(change.what,
            [&, change] {
              takeRows();
              expected = change.expect(SessionItemNames());
              change.make(m_platform);
            })
        .WaitFor(change.what, [&] { return SessionItemNames() == expected; })
        .Do(change.what, [&, change] {
          for (int i = 0; i < SessionList()->GetCount(); ++i) {
            const std::wstring name = SessionList()->GetItemAt(i)->GetName().GetData();
            // A row that stood before is the same control, moved or not.
            if (!rows.count(name)) continue;
            EXPECT_EQ(SessionList()->GetItemAt(i), rows[name]) << change.what << ": " << name;
            EXPECT_FALSE(alive[name].expired()) << change.what << ": " << name;
          }
          const int selected = SessionList()->GetCurSel();
          ASSERT_GE(selected, 0) << change.what;
          EXPECT_EQ(std::wstring(SessionList()->GetItemAt(selected)->GetName().GetData()), open) << change.what;
        });
  }
  script.Do("the read badge, a rebuild, and close", [] {
    EXPECT_FALSE(IsShown(L"imItem_im-zhou-notice_num_unread_id"));
    // A search typed and cleared builds every row again, in the order the
    // changes left them.
    const std::vector<std::wstring> shown = SessionItemNames();
    ASSERT_TRUE(Testing::TypeText(MainWindow(), L"search", L"z"));
    HWND edit = static_cast<CEditUI*>(Control(L"search")->GetInterface(L"Edit"))->GetNativeWindow();
    Testing::PressKey(edit, 'A', false, true);
    Testing::PressKey(edit, VK_BACK);
    EXPECT_EQ(SessionItemNames(), shown);
    CloseMainWindow();
  });
  RunMainWindow(script);
}

}  // namespace
}  // namespace mainwnd_test
