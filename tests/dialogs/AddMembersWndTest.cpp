// The add-members window on chn-core (zhou, chen and qian are members):
// candidates before members, invitations, and the search rule all the
// member lists share.

#include <algorithm>

#include "DialogFixture.h"
#include "app/WindowManager.h"
#include "duilib/testing.h"
#include "mireloom/ChannelManager.h"

namespace dialogs_test {
namespace {

using namespace DuiLib;
using mireloomwnd::WindowManager;
namespace mt = mireloom::testing;

constexpr wchar_t kWindow[] = L"AddMembersWnd";
constexpr wchar_t kList[] = L"result_list";

bool EndsWith(const std::wstring& text, const std::wstring& tail) {
  return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

bool HasRowOf(const std::vector<std::wstring>& rows, const std::wstring& name) {
  return std::any_of(rows.begin(), rows.end(), [&](const std::wstring& row) { return row.rfind(name + L"|", 0) == 0; });
}

bool IsMemberOfCore(const std::string& uid) {
  const auto members = mt::ServiceChannelMembers("chn-core");
  return std::find(members.begin(), members.end(), uid) != members.end();
}

class AddMembersWndTest : public DialogTest {
 protected:
  static void Open(const std::function<void(HWND)>& script) {
    Drive(kWindow, [] { WindowManager::GetInstance()->ShowAddMembersWnd("chn-core"); }, script);
  }
  // A text change as the user makes it, for texts typing cannot give at once.
  static void SetSearchText(HWND window, const wchar_t* text) {
    Find(window, L"search")->SetText(text);
    Testing::RaiseNotify(window, L"search", L"textchanged");
  }
};

TEST_F(AddMembersWndTest, CandidatesComeBeforeMembersAndRobotsOnlyAsTaggedMembers) {
  mireloom::ChannelManager::DefaultManager()->InviteToChannel("chn-core", "usr-bot", nullptr);
  ASSERT_TRUE(mt::WaitIdle());
  Open([&](HWND window) {
    const std::vector<std::wstring> rows = RowTexts(window, kList);
    ASSERT_EQ(rows.size(), 17u) << "13 candidates, then zhou, chen, qian and the robot";
    for (size_t i = 0; i < rows.size(); ++i) EXPECT_TRUE(EndsWith(rows[i], i < 13 ? L"|Invite" : L"|Joined")) << i;
    EXPECT_EQ(rows[0], L"林晓|@lin|Invite") << "team order, nothing sorted";
    EXPECT_EQ(rows[13], L"周一鸣|@zhou|Joined");
    EXPECT_EQ(rows[16], L"演示机器人|@demobot|Joined");
    EXPECT_FALSE(HasRowOf(rows, L"通知机器人")) << "a robot outside the channel is not offered";
    EXPECT_FALSE(HasRowOf(rows, L"何川")) << "a member who left";
    SaveShot(window, L"add_members");

    // A member's tag takes no click: no invitation starts.
    mt::Script("ChannelManager::InviteToChannel").Hold().Times(1);
    Testing::Click(window, L"ueid_usr-chen");
    EXPECT_EQ(mt::WaitForHeld("ChannelManager::InviteToChannel", 300), 0);
    EXPECT_EQ(RowTexts(window, kList), rows);
    Testing::Click(window, L"closeBtn");
  });
}

TEST_F(AddMembersWndTest, AnInvitationTakesTheRowAwayWithAndWithoutASearch) {
  Open([&](HWND window) {
    Testing::Click(window, L"ueid_usr-lin");
    EXPECT_TRUE(WaitUntil([&] { return !HasRowOf(RowTexts(window, kList), L"林晓"); }));
    EXPECT_TRUE(IsMemberOfCore("usr-lin"));

    ASSERT_TRUE(Testing::TypeText(window, L"search", L"Oli"));
    ASSERT_EQ(RowTexts(window, kList), std::vector<std::wstring>{L"Olivia Brandt|@olivia|Invite"});
    Testing::Click(window, L"ueid_usr-olivia");
    EXPECT_TRUE(WaitUntil([&] { return RowTexts(window, kList).empty(); }));
    Settle();
    EXPECT_TRUE(RowTexts(window, kList).empty()) << "the invited row does not come back with its button";
    EXPECT_TRUE(IsMemberOfCore("usr-olivia"));

    ASSERT_TRUE(Testing::TypeText(window, L"search", L"\b\b\b"));
    const auto rows = RowTexts(window, kList);
    EXPECT_EQ(rows.size(), 14u) << "an emptied box shows the rest again";
    EXPECT_FALSE(HasRowOf(rows, L"林晓")) << "the members are not read again";
    Testing::Click(window, L"closeBtn");
  });
}

TEST_F(AddMembersWndTest, AFailedOrLateInvitationChangesNothing) {
  mt::Script("ChannelManager::InviteToChannel").Fail(500).Times(1);
  Open([&](HWND window) {
    const auto before = RowTexts(window, kList);
    Testing::Click(window, L"ueid_usr-lin");
    Settle();
    EXPECT_EQ(RowTexts(window, kList), before) << "the row keeps its button to try again";
    EXPECT_TRUE(MessageBoxTexts().empty());

    mt::Script("ChannelManager::InviteToChannel").Hold().Times(1);
    Testing::Click(window, L"ueid_usr-sun");
    ASSERT_NE(mt::WaitForHeld("ChannelManager::InviteToChannel"), 0);
    Testing::Click(window, L"closeBtn");
  });
  // The answer comes for a window that has gone.
  mt::Release(mt::WaitForHeld("ChannelManager::InviteToChannel"));
  Settle();
  EXPECT_TRUE(IsMemberOfCore("usr-sun"));
}

TEST_F(AddMembersWndTest, TheSearchNarrowsTheShownRowsOnly) {
  Open([&](HWND window) {
    const size_t all = RowTexts(window, kList).size();
    ASSERT_TRUE(Testing::TypeText(window, L"search", L"an"));
    const auto an = RowTexts(window, kList);
    EXPECT_TRUE(HasRowOf(an, L"Olivia Brandt")) << "found anywhere in the display name";
    EXPECT_TRUE(HasRowOf(an, L"安然")) << "or in the user name";
    ASSERT_TRUE(Testing::TypeText(window, L"search", L"\b"));
    EXPECT_EQ(RowTexts(window, kList), an) << "a shorter text does not bring rows back";

    SetSearchText(window, L"Search members");
    EXPECT_EQ(RowTexts(window, kList), an) << "the tip text changes nothing";
    SetSearchText(window, L"AN");
    EXPECT_TRUE(RowTexts(window, kList).empty()) << "case-sensitive";
    SetSearchText(window, L"输入成员名查找");
    EXPECT_EQ(RowTexts(window, kList).size(), all) << "the Chinese tip text shows every row";
    Testing::Click(window, L"closeBtn");
  });
}

}  // namespace
}  // namespace dialogs_test
