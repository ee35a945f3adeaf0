// Choosing who takes part in a group call from chn-general, where every
// member of the demo team is (zhao and the robots have no phone number).

#include "DialogFixture.h"
#include "app/WindowManager.h"
#include "duilib/testing.h"

namespace dialogs_test {
namespace {

using namespace DuiLib;
using mireloomwnd::WindowManager;
namespace mt = mireloom::testing;

constexpr wchar_t kWindow[] = L"SelectGroupCallMembersWnd";
constexpr wchar_t kList[] = L"result_list";

COptionUI* Box(HWND window, const wchar_t* name) {
  CControlUI* control = DialogTest::Find(window, name);
  return control ? static_cast<COptionUI*>(control->GetInterface(L"Option")) : nullptr;
}

class SelectGroupCallMembersWndTest : public DialogTest {
 protected:
  static void Open(const std::function<void(HWND)>& script) {
    Drive(kWindow, [] { WindowManager::GetInstance()->ShowSelectGroupCallMembersWnd("chn-general"); }, script);
  }
};

TEST_F(SelectGroupCallMembersWndTest, TheSignedInUserComesFirstLockedAndMembersWithoutAPhoneCannotBeChosen) {
  Open([&](HWND window) {
    const auto rows = RowTexts(window, kList);
    ASSERT_EQ(rows.size(), 18u);
    EXPECT_EQ(rows[0], L"周一鸣|@zhou");
    EXPECT_EQ(TextOf(window, L"number_label"), L"Selected: 1/18");
    COptionUI* me = Box(window, L"ueid_usr-zhou");
    ASSERT_NE(me, nullptr);
    EXPECT_FALSE(me->IsMouseEnabled());
    EXPECT_EQ(std::wstring(me->GetNormalImage().GetData()), L"SysBtn/group_call_select.png") << "always looks ticked";
    for (const wchar_t* phoneless : {L"ueid_usr-zhao", L"ueid_usr-bot"}) {
      EXPECT_EQ(TextOf(window, phoneless), L"No phone");
      EXPECT_FALSE(Box(window, phoneless)->IsMouseEnabled());
    }
    SaveShot(window, L"select_group_call");

    // Nobody but the signed-in user: the box says so, once, and the window stays.
    Testing::Click(window, L"make_call_button");
    EXPECT_EQ(MessageBoxTexts(), std::vector<std::wstring>{L"Choose at least one more member to call."});
    EXPECT_TRUE(IsWindow(window));
    Testing::Click(window, L"cancel_button");
  });
}

TEST_F(SelectGroupCallMembersWndTest, TickingCountsInOrderAndASearchRebuildsTheRowsUnticked) {
  Open([&](HWND window) {
    Testing::Click(window, L"ueid_usr-lin");
    Testing::Click(window, L"ueid_usr-sun");
    EXPECT_EQ(TextOf(window, L"number_label"), L"Selected: 3/18");
    Testing::Click(window, L"ueid_usr-lin");
    EXPECT_EQ(TextOf(window, L"number_label"), L"Selected: 2/18");

    ASSERT_TRUE(Testing::TypeText(window, L"search", L"sun"));
    ASSERT_EQ(RowTexts(window, kList), std::vector<std::wstring>{L"孙雨|@sun"});
    EXPECT_FALSE(Box(window, L"ueid_usr-sun")->IsSelected()) << "rebuilt unticked, still chosen";
    Testing::Click(window, L"ueid_usr-sun");
    EXPECT_EQ(TextOf(window, L"number_label"), L"Selected: 3/18") << "chosen twice counts twice";
    Testing::Click(window, L"ueid_usr-sun");
    EXPECT_EQ(TextOf(window, L"number_label"), L"Selected: 1/18") << "unticking removes every occurrence";
    Testing::Click(window, L"closeBtn");
  });
}

TEST_F(SelectGroupCallMembersWndTest, TheCallButtonClosesTheWindowAndRunsTheGroupCallInItsPlace) {
  HWND selection = nullptr;
  bool groupCallRan = false;
  Open([&](HWND window) {
    selection = window;
    Testing::Click(window, L"ueid_usr-sun");
    Testing::Click(window, L"ueid_usr-lin");
    Testing::PostToLoop([&] {
      const HWND group = FindWindowW(L"GroupTelephoneCallingWnd", nullptr);
      ASSERT_NE(group, nullptr);
      EXPECT_TRUE(WaitUntil([&] { return !IsWindow(selection); })) << "the selection closed first";
      EXPECT_EQ(TextOf(group, L"calling_name"), L"正在与3人通话中");
      ASSERT_TRUE(WaitUntil([] { return !mt::ServiceCalls().empty(); }));
      EXPECT_EQ(mt::ServiceCalls()[0].requested, (std::vector<std::string>{"usr-zhou", "usr-sun", "usr-lin"}))
          << "the signed-in user first, then in the order chosen";
      groupCallRan = true;
      Testing::Click(group, L"closeBtn");
    });
    Testing::Click(window, L"make_call_button");
  });
  EXPECT_TRUE(groupCallRan);
}

}  // namespace
}  // namespace dialogs_test
