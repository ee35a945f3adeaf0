// Combo boxes: a pick in the drop list, Esc, the loss of the activation,
// selection from code, mouse-disabled and removed combos.

#include <gtest/gtest.h>

#include "TestWindow.h"
#include "WindowFixture.h"

namespace duilib_test {
namespace {

using namespace DuiLib;
using Testing::NotifyRecorder;
using Lines = std::vector<std::wstring>;

const wchar_t kLanguages[] = LR"(<VerticalLayout>
    <Combo name="switch_language_combo" height="30" textpadding="8,0,8,0" itemheight="28" itemselectedbkcolor="#FF3050F0">
      <ListLabelElement name="lang_zh" text="简体中文"/>
      <ListLabelElement name="lang_tw" text="繁體中文" selected="true"/>
      <ListLabelElement name="lang_en" text="English"/>
    </Combo>
    <Combo name="frozen" height="30" mouse="false"><ListLabelElement text="x"/></Combo>
    <Control/>
  </VerticalLayout>)";

using ComboTest = WindowTest;

TEST_F(ComboTest, APickInTheDropListRaisesItemSelectOnTheComboAndClosesIt) {
  TestWindow window(Skin(kLanguages));
  HWND hwnd = window.CreatePopup();
  NotifyRecorder recorder(hwnd);
  auto* combo = window.FindAs<CComboUI>(L"switch_language_combo", L"Combo");
  EXPECT_EQ(combo->GetCurSel(), 1) << "selected in the skin";
  EXPECT_EQ(combo->GetText(), L"繁體中文");

  ASSERT_TRUE(Testing::Click(hwnd, L"switch_language_combo"));
  HWND drop = combo->GetDropWindow();
  ASSERT_NE(drop, nullptr);
  EXPECT_TRUE(IsWindowVisible(drop));
  RECT comboOnScreen = combo->GetPos();
  MapWindowPoints(hwnd, nullptr, reinterpret_cast<POINT*>(&comboOnScreen), 2);
  RECT dropRect;
  GetWindowRect(drop, &dropRect);
  EXPECT_EQ(dropRect.top, comboOnScreen.bottom) << "right below the combo";
  EXPECT_EQ(dropRect.right - dropRect.left, comboOnScreen.right - comboOnScreen.left);
  EXPECT_EQ(dropRect.bottom - dropRect.top, 3 * 28 + 2);
  auto* copy = static_cast<IListItemUI*>(Testing::ManagerOf(drop)->FindControl(L"lang_tw")->GetInterface(L"ListItem"));
  EXPECT_TRUE(copy->IsSelected()) << "the current entry is marked in the list";

  ASSERT_TRUE(Testing::Click(drop, L"lang_en"));
  ASSERT_EQ(recorder.Summary(), (Lines{L"setfocus:switch_language_combo", L"itemselect:switch_language_combo"}));
  EXPECT_EQ(recorder.Records()[1].wParam, 2u);
  EXPECT_EQ(recorder.Records()[1].lParam, 1);
  EXPECT_EQ(combo->GetText(), L"English");
  EXPECT_TRUE(Testing::PumpUntil([&] { return !IsWindow(drop); }, 2000));
  EXPECT_EQ(combo->GetDropWindow(), nullptr);
}

TEST_F(ComboTest, EscapeAndTheLossOfTheActivationCloseWithoutAChange) {
  TestWindow window(Skin(kLanguages));
  HWND hwnd = window.CreatePopup();
  NotifyRecorder recorder(hwnd);
  auto* combo = window.FindAs<CComboUI>(L"switch_language_combo", L"Combo");
  ASSERT_TRUE(Testing::Click(hwnd, L"switch_language_combo"));
  HWND drop = combo->GetDropWindow();
  ASSERT_NE(drop, nullptr);
  Testing::PressKey(drop, VK_ESCAPE);
  EXPECT_TRUE(Testing::PumpUntil([&] { return !IsWindow(drop); }, 2000));

  ASSERT_TRUE(Testing::Click(hwnd, L"switch_language_combo"));
  drop = combo->GetDropWindow();
  ASSERT_NE(drop, nullptr);
  SetActiveWindow(hwnd);
  EXPECT_TRUE(Testing::PumpUntil([&] { return !IsWindow(drop); }, 2000)) << "closed when another window is activated";
  EXPECT_EQ(combo->GetCurSel(), 1);
  EXPECT_EQ(recorder.Count(L"itemselect"), 0u);
}

TEST_F(ComboTest, CodeSelectsWithoutOpeningAndMouseDisabledCombosDoNotOpen) {
  TestWindow window(Skin(kLanguages));
  HWND hwnd = window.CreatePopup();
  NotifyRecorder recorder(hwnd);
  auto* combo = window.FindAs<CComboUI>(L"switch_language_combo", L"Combo");
  EXPECT_TRUE(combo->SelectItem(0, false));
  EXPECT_TRUE(combo->SelectItem(0, false));
  EXPECT_FALSE(combo->SelectItem(-1));
  EXPECT_EQ(recorder.Summary(), (Lines{L"itemselect:switch_language_combo"})) << "only the change is raised";
  EXPECT_EQ(combo->GetText(), L"");
  EXPECT_EQ(combo->GetDropWindow(), nullptr);

  Testing::Click(hwnd, L"frozen");
  EXPECT_EQ(window.FindAs<CComboUI>(L"frozen", L"Combo")->GetDropWindow(), nullptr);
  combo->SetEnabled(false);
  Testing::Click(hwnd, L"switch_language_combo");
  EXPECT_EQ(combo->GetDropWindow(), nullptr);
}

TEST_F(ComboTest, AComboRemovedWhileItsListIsOpenTakesTheListAlong) {
  TestWindow window(Skin(kLanguages));
  HWND hwnd = window.CreatePopup();
  auto* combo = window.FindAs<CComboUI>(L"switch_language_combo", L"Combo");
  ASSERT_TRUE(Testing::Click(hwnd, L"switch_language_combo"));
  HWND drop = combo->GetDropWindow();
  ASSERT_NE(drop, nullptr);
  static_cast<CContainerUI*>(combo->GetParent())->Remove(combo);
  EXPECT_FALSE(IsWindow(drop));
  Testing::PumpPending();
  EXPECT_EQ(Testing::FrameworkWindows().size(), 1u);
}

TEST_F(ComboTest, EnterOnAClosedComboPressesTheWindowsMainAction) {
  TestWindow window(Skin(LR"(<VerticalLayout>
      <Combo name="combo" height="30"><ListLabelElement text="a" selected="true"/><ListLabelElement text="b"/></Combo>
      <Button name="save" height="30"/>
    </VerticalLayout>)"));
  HWND hwnd = window.CreatePopup();
  NotifyRecorder recorder(hwnd);
  window.Manager().SetDefaultButton(L"save");
  auto* combo = window.FindAs<CComboUI>(L"combo", L"Combo");
  combo->SetFocus();
  Testing::PressKey(hwnd, VK_DOWN);
  Testing::PressKey(hwnd, VK_RETURN);
  Testing::PumpPending();
  EXPECT_EQ(combo->GetCurSel(), 1);
  EXPECT_EQ(combo->GetDropWindow(), nullptr) << "Enter does not open the list";
  EXPECT_EQ(recorder.Summary(), (Lines{L"setfocus:combo", L"itemselect:combo", L"click:save"}));
}

TEST_F(ComboTest, TabReachesCombosAndListsButNotReadOnlyTexts) {
  TestWindow window(Skin(LR"(<VerticalLayout>
      <Combo name="combo" height="30"><ListLabelElement text="a" selected="true"/></Combo>
      <RichEdit name="message" height="30" readonly="true" text="read-only"/>
      <List name="list" height="60"><ListLabelElement name="entry" text="b"/></List>
    </VerticalLayout>)"));
  HWND hwnd = window.CreatePopup();
  Testing::PumpPending();
  Testing::PressKey(hwnd, VK_TAB);
  EXPECT_EQ(window.Manager().GetFocus(), window.Find(L"combo"));
  Testing::PressKey(hwnd, VK_TAB);
  EXPECT_EQ(window.Manager().GetFocus(), window.Find(L"list"));
  Testing::PressKey(hwnd, VK_TAB, true);
  EXPECT_EQ(window.Manager().GetFocus(), window.Find(L"combo"));
}

}  // namespace
}  // namespace duilib_test
