// The join dialog on the demo team: zhou may join chn-random and chn-ops
// (public, not a member); chn-ops's creator has left the team.

#include "app/frame/WindowManager.h"
#include "app/text/StringTable.h"
#include "DialogFixture.h"
#include "dialogs/conversations/JoinChannelWnd.h"
#include "duilib/testing.h"

namespace dialogs_test {
namespace {

using namespace DuiLib;
using mireloomwnd::JoinChannelWnd;
namespace mt = mireloom::testing;

constexpr wchar_t kList[] = L"result_list";

// The first text of each row: the channel's name.
std::vector<std::wstring> Names(HWND window) {
  std::vector<std::wstring> names;
  for (const std::wstring& row : DialogTest::RowTexts(window, kList)) names.push_back(row.substr(0, row.find(L'|')));
  return names;
}

void Search(HWND window, const wchar_t* text) {
  DialogTest::Find(window, L"search")->SetText(text);
  Testing::RaiseNotify(window, L"search", L"textchanged");
}

mireloom::Channel ChannelCreatedAt(int64_t createdAt) {
  mireloom::Channel::Data data;
  data.creator_uid = "usr-lin";
  data.created_at = createdAt;
  return mireloom::Channel(data);
}

class JoinChannelWndTest : public DialogTest {
 protected:
  static void Open(int visibility, const std::function<void(HWND)>& script) {
    Drive(L"JoinChannelWnd", [=] { mireloomwnd::WindowManager::GetInstance()->ShowJoinChannelWnd(visibility); },
          script);
  }
};

TEST_F(JoinChannelWndTest, TheReadsComeInTheirOrderAndOnlyTheJoinSetGetsAJoinButton) {
  const std::vector<std::wstring> order = {L"公告", L"历史",  L"前端组讨论", L"全员",   L"文件",  L"消息样例",
                                           L"设计", L"闲聊",  L"运维",       L"核心组", L"旧项目"};
  std::vector<std::wstring> publicRows;
  Open(1, [&](HWND window) {
    EXPECT_EQ(Names(window), order) << "joined, closed, open to join, then the private ones";
    publicRows = RowTexts(window, kList);
    EXPECT_EQ(publicRows[3], L"全员|周一鸣 created on Jun 1, 2014|Joined");
    EXPECT_EQ(publicRows[8].rfind(L"运维| created on "), 0u) << "a creator who left is named by nobody";
    for (size_t i = 0; i < publicRows.size(); ++i) {
      const bool joinable = i == 7 || i == 8;
      EXPECT_EQ(publicRows[i].substr(publicRows[i].rfind(L'|')), joinable ? L"|Join" : L"|Joined") << i;
    }
    EXPECT_FALSE(Find(window, L"ceid_chn-general")->IsMouseEnabled()) << "a member tag takes no click";
    EXPECT_EQ(Find(window, L"ceid_chn-random")->GetInterface(L"Button") != nullptr, true);
    SaveShot(window, L"join_channel");
    Testing::Click(window, L"closeBtn");
  });
  Open(2, [&](HWND window) {
    EXPECT_EQ(Names(window), order) << "the visibility plays no part in the list";
    for (const std::wstring& row : RowTexts(window, kList)) EXPECT_EQ(row.substr(row.rfind(L'|')), L"|Joined");
    Testing::Click(window, L"closeBtn");
  });
}

TEST_F(JoinChannelWndTest, TheSearchNarrowsTheShownRowsCaseSensitivelyAndIgnoresItsTip) {
  mireloom::Channel::Data roadmap;
  roadmap.channel_id = "chn-roadmap";
  roadmap.channel_name = "Roadmap";
  roadmap.is_member = true;
  roadmap.is_enabled = true;
  mt::PreloadChannels({{roadmap, {"usr-zhou"}}});
  Open(1, [&](HWND window) {
    const auto all = Names(window);
    ASSERT_TRUE(Testing::TypeText(window, L"search", L"组"));
    EXPECT_EQ(Names(window), (std::vector<std::wstring>{L"前端组讨论", L"核心组"}));
    ASSERT_TRUE(Testing::TypeText(window, L"search", L"讨"));
    ASSERT_TRUE(Testing::TypeText(window, L"search", L"\b"));
    EXPECT_EQ(Names(window), std::vector<std::wstring>{L"前端组讨论"}) << "a shorter text brings no row back";
    Search(window, L"Search members");
    EXPECT_EQ(Names(window), std::vector<std::wstring>{L"前端组讨论"}) << "the tip text changes nothing";
    Search(window, L"");
    EXPECT_EQ(Names(window), all);
    Search(window, L"road");
    EXPECT_TRUE(Names(window).empty()) << "case-sensitive";
    Search(window, L"");
    Search(window, L"Road");
    EXPECT_EQ(Names(window), std::vector<std::wstring>{L"Roadmap"});
    Testing::Click(window, L"closeBtn");
  });
}

TEST_F(JoinChannelWndTest, TheCreateButtonClosesThisDialogAndRunsCreateInItsPlace) {
  HWND join = nullptr;
  bool created = false;
  Open(1, [&](HWND window) {
    join = window;
    Testing::PostToLoop([&] {
      const HWND create = FindWindowW(L"CreateChannelWnd", nullptr);
      ASSERT_NE(create, nullptr);
      EXPECT_TRUE(WaitUntil([&] { return !IsWindow(join); })) << "the join dialog closed first";
      created = true;
      Testing::Click(create, L"cancel_btn");
    });
    Testing::Click(window, L"create_channel_btn");
  });
  EXPECT_TRUE(created);
}

TEST_F(JoinChannelWndTest, TheCreationDateIsEmptyWithoutALocalTimeOrRoomAndKeepsChineseText) {
  StringTable["FormatGroupCreateDate"] = "%Y年%#m月%#d日";
  StringTable["CreateOn"] = "创建于";
  const int64_t june2014 = 1401584400;  // 2014-06-01 01:00 UTC
  EXPECT_EQ(JoinChannelWnd::ChannelDetailText(ChannelCreatedAt(june2014)), L"林晓 创建于 2014年6月1日");
  EXPECT_EQ(JoinChannelWnd::ChannelDetailText(ChannelCreatedAt(-1)), L"林晓 创建于 ") << "no local time";
  StringTable["FormatGroupCreateDate"] = "%A %d %B %Y, %H:%M:%S o'clock";
  EXPECT_EQ(JoinChannelWnd::ChannelDetailText(ChannelCreatedAt(june2014)), L"林晓 创建于 ") << "longer than 31";
}

}  // namespace
}  // namespace dialogs_test
