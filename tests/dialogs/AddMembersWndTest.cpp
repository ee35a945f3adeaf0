// The add-members window on chn-core (zhou, chen and qian are members), and
// the search rule every member list shares.

#include <algorithm>

#include "app/frame/WindowManager.h"
#include "DialogFixture.h"
#include "duilib/testing.h"
#include "mireloom/ChannelManager.h"

namespace dialogs_test {
namespace {

using namespace DuiLib;
namespace mt = mireloom::testing;

constexpr wchar_t kList[] = L"result_list";
constexpr char kInvite[] = "ChannelManager::InviteToChannel";

bool HasRowOf(const std::vector<std::wstring>& rows, const std::wstring& name) {
  return std::any_of(rows.begin(), rows.end(), [&](const std::wstring& row) { return row.rfind(name + L"|", 0) == 0; });
}

bool IsMemberOfCore(const std::string& uid) {
  const auto members = mt::ServiceChannelMembers("chn-core");
  return std::find(members.begin(), members.end(), uid) != members.end();
}

POINT CentreOf(HWND window, const wchar_t* name) {
  const RECT box = DialogTest::Find(window, name)->GetPos();
  return {(box.left + box.right) / 2, (box.top + box.bottom) / 2};
}

// Waits out the double-click time since `tick`, as two clicks of a user at
// the same place are apart.
void WaitPastDoubleClick(DWORD tick) {
  EXPECT_TRUE(Testing::PumpUntil([&] { return GetTickCount() - tick > GetDoubleClickTime(); }, 5000));
}

// A text change as a user makes it, for texts typing cannot give at once.
void Search(HWND window, const wchar_t* text) {
  DialogTest::Find(window, L"search")->SetText(text);
  Testing::RaiseNotify(window, L"search", L"textchanged");
}

class AddMembersWndTest : public DialogTest {
 protected:
  static void Open(const std::function<void(HWND)>& script) {
    Drive(L"AddMembersWnd", [] { mireloomwnd::WindowManager::GetInstance()->ShowAddMembersWnd("chn-core"); }, script);
  }
};

TEST_F(AddMembersWndTest, ListsCandidatesThenMembersAndAnInvitationTakesTheRowAway) {
  mireloom::ChannelManager::DefaultManager()->InviteToChannel("chn-core", "usr-bot", nullptr);
  ASSERT_TRUE(mt::WaitIdle());
  Open([&](HWND window) {
    const auto rows = RowTexts(window, kList);
    ASSERT_EQ(rows.size(), 17u) << "13 candidates, then zhou, chen, qian and the robot";
    for (size_t i = 0; i < rows.size(); ++i) EXPECT_EQ(rows[i].substr(rows[i].rfind(L'|')), i < 13 ? L"|Invite" : L"|Joined");
    EXPECT_EQ(rows[0], L"林晓|@lin|Invite") << "team order, nothing sorted";
    EXPECT_EQ(rows[16], L"演示机器人|@demobot|Joined");
    EXPECT_FALSE(HasRowOf(rows, L"通知机器人")) << "a robot outside the channel is not offered";
    EXPECT_FALSE(HasRowOf(rows, L"何川")) << "nor a member who left";
    SaveShot(window, L"add_members");
    CControlUI* icon = Find(window, L"ueid_usr-lin");
    auto* line = static_cast<CContainerUI*>(icon->GetParent());
    const RECT invite = line->GetItemAt(line->GetItemIndex(icon) + 1)->GetPos();
    RECT shared = {};
    IntersectRect(&shared, &icon->GetPos(), &invite);
    EXPECT_TRUE(EqualRect(&shared, &icon->GetPos())) << "the invite icon stands inside its button";

    mt::Script(kInvite).Hold().Times(1);
    Testing::Click(window, L"ueid_usr-chen");
    EXPECT_EQ(mt::WaitForHeld(kInvite, 300), 0) << "a member's tag takes no click";

    Testing::Click(window, L"ueid_usr-lin");
    const DWORD invitedLin = GetTickCount();
    mt::Release(mt::WaitForHeld(kInvite));  // the hold the tag did not take
    EXPECT_TRUE(WaitUntil([&] { return !HasRowOf(RowTexts(window, kList), L"林晓"); }));
    ASSERT_TRUE(Testing::TypeText(window, L"search", L"Oli"));
    WaitPastDoubleClick(invitedLin);  // Olivia's row stands where lin's stood
    Testing::Click(window, L"ueid_usr-olivia");
    EXPECT_TRUE(WaitUntil([&] { return RowTexts(window, kList).empty(); }));
    Settle();
    EXPECT_TRUE(RowTexts(window, kList).empty()) << "with a search too, the invited row does not come back";
    ASSERT_TRUE(Testing::TypeText(window, L"search", L"\b\b\b"));
    EXPECT_EQ(RowTexts(window, kList).size(), 15u) << "an emptied box shows the rest; the members are not read again";
    Testing::Click(window, L"closeBtn");
  });
  EXPECT_TRUE(IsMemberOfCore("usr-lin") && IsMemberOfCore("usr-olivia"));
}

TEST_F(AddMembersWndTest, AFailedInvitationChangesNothingAndTheSearchNarrowsTheShownRowsOnly) {
  mt::Script(kInvite).Fail(500).Times(1);
  Open([&](HWND window) {
    const auto all = RowTexts(window, kList);
    Testing::Click(window, L"ueid_usr-lin");
    Settle();
    EXPECT_EQ(RowTexts(window, kList), all) << "the row keeps its button to try again";

    ASSERT_TRUE(Testing::TypeText(window, L"search", L"an"));
    const auto an = RowTexts(window, kList);
    EXPECT_TRUE(HasRowOf(an, L"Olivia Brandt") && HasRowOf(an, L"安然")) << "in the display name or the user name";
    ASSERT_TRUE(Testing::TypeText(window, L"search", L"\b"));
    EXPECT_EQ(RowTexts(window, kList), an) << "a shorter text brings no rows back";
    Search(window, L"Search members");
    EXPECT_EQ(RowTexts(window, kList), an) << "the tip text changes nothing";
    Search(window, L"AN");
    EXPECT_TRUE(RowTexts(window, kList).empty()) << "case-sensitive";
    Search(window, L"输入成员名查找");
    EXPECT_EQ(RowTexts(window, kList), all) << "the Chinese tip text shows every row";

    mt::Script(kInvite).Hold().Times(1);
    Testing::Click(window, L"ueid_usr-sun");
    ASSERT_NE(mt::WaitForHeld(kInvite), 0);
    Testing::Click(window, L"closeBtn");
  });
  mt::Release(mt::WaitForHeld(kInvite));  // the answer comes for a window that has gone
  Settle();
  EXPECT_TRUE(IsMemberOfCore("usr-sun"));
}

TEST_F(AddMembersWndTest, TheSecondClickOfADoubleClickOnInviteInvitesNobody) {
  Open([&](HWND window) {
    const POINT invite = CentreOf(window, L"ueid_usr-lin");
    ASSERT_TRUE(Testing::ClickAt(window, invite));
    const DWORD first = GetTickCount();
    ASSERT_TRUE(mt::WaitIdle());
    ASSERT_TRUE(WaitUntil([&] { return !HasRowOf(RowTexts(window, kList), L"林晓"); }));
    const RECT next = Find(window, L"ueid_usr-zhao")->GetPos();
    ASSERT_TRUE(PtInRect(&next, invite)) << "zhao's invite button moved under the pointer";
    ASSERT_LT(GetTickCount() - first, GetDoubleClickTime()) << "the invitation took longer than a double-click";

    ASSERT_TRUE(Testing::ClickAt(window, invite));
    ASSERT_TRUE(mt::WaitIdle());
    Settle();
    EXPECT_TRUE(HasRowOf(RowTexts(window, kList), L"赵静"));
    EXPECT_FALSE(IsMemberOfCore("usr-zhao")) << "the double-click's second half invited the next member";

    WaitPastDoubleClick(first);
    ASSERT_TRUE(Testing::ClickAt(window, invite));
    EXPECT_TRUE(WaitUntil([&] { return !HasRowOf(RowTexts(window, kList), L"赵静"); })) << "a later click counts";
    Testing::Click(window, L"closeBtn");
  });
  EXPECT_TRUE(IsMemberOfCore("usr-lin") && IsMemberOfCore("usr-zhao"));
}

}  // namespace
}  // namespace dialogs_test
