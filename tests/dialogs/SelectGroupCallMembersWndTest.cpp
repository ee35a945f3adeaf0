// Choosing who takes part in a group call from chn-general, where every
// member of the demo team is (zhao and the robots have no phone number).

#include "app/frame/WindowManager.h"
#include "DialogFixture.h"
#include "duilib/testing.h"

namespace dialogs_test {
namespace {

using namespace DuiLib;
namespace mt = mireloom::testing;

COptionUI* Box(HWND window, const wchar_t* name) {
  return static_cast<COptionUI*>(DialogTest::Find(window, name)->GetInterface(L"Option"));
}

class SelectGroupCallMembersWndTest : public DialogTest {
 protected:
  static void Open(const std::function<void(HWND)>& script) {
    Drive(L"SelectGroupCallMembersWnd",
          [] { mireloomwnd::WindowManager::GetInstance()->ShowSelectGroupCallMembersWnd("chn-general"); }, script);
  }
};

TEST_F(SelectGroupCallMembersWndTest, TheSignedInUserComesFirstLockedAndTheCallNeedsSomeoneElse) {
  Open([&](HWND window) {
    const auto rows = RowTexts(window, L"result_list");
    ASSERT_EQ(rows.size(), 18u);
    EXPECT_EQ(rows[0], L"周一鸣|@zhou");
    EXPECT_EQ(TextOf(window, L"number_label"), L"Selected: 1/18");
    EXPECT_FALSE(Box(window, L"ueid_usr-zhou")->IsMouseEnabled());
    EXPECT_EQ(Box(window, L"ueid_usr-zhou")->GetNormalImage(), L"SysBtn/group_call_select.png") << "looks ticked";
    for (const wchar_t* phoneless : {L"ueid_usr-zhao", L"ueid_usr-bot"}) {
      EXPECT_EQ(TextOf(window, phoneless), L"No phone");
      EXPECT_FALSE(Box(window, phoneless)->IsMouseEnabled());
    }
    SaveShot(window, L"select_group_call");
    Testing::Click(window, L"make_call_button");
    ASSERT_EQ(m_platform.Count(PlatformCall::MessageBox), 1u);
    EXPECT_EQ(m_platform.CallsOf(PlatformCall::MessageBox)[0].text, L"Choose at least one more member to call.");
    EXPECT_TRUE(IsWindow(window));
    Testing::Click(window, L"cancel_button");
  });
}

TEST_F(SelectGroupCallMembersWndTest, TicksCountInOrderRowsRebuiltByASearchShowThemAndTheCallRunsInThisWindowsPlace) {
  HWND selection = nullptr;
  bool called = false;
  Open([&](HWND window) {
    selection = window;
    for (const wchar_t* name : {L"ueid_usr-lin", L"ueid_usr-sun", L"ueid_usr-lin", L"ueid_usr-an"}) Testing::Click(window, name);
    EXPECT_EQ(TextOf(window, L"number_label"), L"Selected: 3/18") << "lin ticked and unticked";
    ASSERT_TRUE(Testing::TypeText(window, L"search", L"sun"));
    ASSERT_EQ(RowTexts(window, L"result_list"), std::vector<std::wstring>{L"孙雨|@sun"});
    EXPECT_TRUE(Box(window, L"ueid_usr-sun")->IsSelected()) << "a rebuilt row shows its member chosen";
    ASSERT_TRUE(Testing::TypeText(window, L"search", L"\b\b\b"));
    ASSERT_EQ(RowTexts(window, L"result_list").size(), 18u);
    EXPECT_TRUE(Box(window, L"ueid_usr-sun")->IsSelected() && Box(window, L"ueid_usr-an")->IsSelected());
    EXPECT_FALSE(Box(window, L"ueid_usr-lin")->IsSelected());
    Testing::Click(window, L"ueid_usr-sun");
    EXPECT_EQ(TextOf(window, L"number_label"), L"Selected: 2/18") << "a shown tick unticks";
    Testing::Click(window, L"ueid_usr-sun");
    EXPECT_EQ(TextOf(window, L"number_label"), L"Selected: 3/18");
    // A ticked box with the focus shows its frame apart from the tick: across
    // its middle, the frame, the row's ground, then the tick. A frame drawn on
    // the tick's edge would melt into the tick's own colour.
    COptionUI* sun = Box(window, L"ueid_usr-sun");
    ASSERT_TRUE(sun->IsFocused() && sun->IsSelected());
    const RECT box = sun->GetPos();
    HBITMAP shot = Testing::RenderWindow(window);
    std::string across;
    for (LONG x = box.left; x < (box.left + box.right) / 2; ++x) {
      const DWORD pixel = Testing::PixelAt(shot, x, (box.top + box.bottom) / 2);
      const bool frame = pixel == (sun->GetFocusBorderColor() & 0xFFFFFF);
      const char kind = frame ? 'F' : (pixel & 0xE0E0E0) == 0xE0E0E0 ? '.' : 'T';
      if (across.empty() || across.back() != kind) across += kind;
    }
    DeleteObject(shot);
    EXPECT_EQ(across.substr(0, 3), "F.T");

    // With others chosen, Enter in the search box starts the call as the
    // button does; the window's loop takes the key before the step below.
    Find(window, L"search")->SetFocus();
    PostMessageW(GetFocus(), WM_KEYDOWN, VK_RETURN, 1);
    Testing::PostToLoop([&] {
      const HWND group = FindWindowW(L"GroupTelephoneCallingWnd", nullptr);
      ASSERT_NE(group, nullptr);
      EXPECT_TRUE(WaitUntil([&] { return !IsWindow(selection); })) << "the selection closed first";
      ASSERT_TRUE(WaitUntil([] { return !mt::ServiceCalls().empty(); }));
      EXPECT_EQ(mt::ServiceCalls()[0].requested, (std::vector<std::string>{"usr-zhou", "usr-an", "usr-sun"}))
          << "the signed-in user first, then in the order chosen";
      called = true;
      Testing::Click(group, L"closeBtn");
    });
  });
  EXPECT_TRUE(called);
}

}  // namespace
}  // namespace dialogs_test
