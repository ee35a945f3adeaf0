// Walking a window with the keyboard alone: a group of options is one Tab
// stop walked with the arrows, the focus moved by a key is scrolled into
// view, and a text filled in by code leaves the caret at its end.

#include <gtest/gtest.h>

#include "TestWindow.h"
#include "WindowFixture.h"

namespace duilib_test {
namespace {

using namespace DuiLib;

// Six swatches in two rows of three, then a list that is no Tab stop whose
// rows hold buttons, the last row out of the list's view, then a button
// below the window's height.
const wchar_t kPage[] = LR"(<VerticalLayout name="page" vscrollbar="true">
    <Button name="first" height="30" keyboard="true"/>
    <TileLayout name="swatches" tabgroup="true" columns="3" height="80">
      <Button name="s0" width="30" height="30" keyboard="true"/>
      <Button name="s1" width="30" height="30" keyboard="true"/>
      <Button name="s2" width="30" height="30" keyboard="true"/>
      <Button name="s3" width="30" height="30" keyboard="true"/>
      <Button name="s4" width="30" height="30" keyboard="true"/>
      <Button name="s5" width="30" height="30" keyboard="true"/>
    </TileLayout>
    <List name="rows" height="60" tabstop="false" vscrollbar="true">
      <ListContainerElement height="40"><Button name="r0" keyboard="true"/></ListContainerElement>
      <ListContainerElement height="40"><Button name="r1" keyboard="true"/></ListContainerElement>
      <ListContainerElement height="40"><Button name="r2" keyboard="true"/></ListContainerElement>
    </List>
    <Control height="400"/>
    <Button name="last" height="30" keyboard="true"/>
  </VerticalLayout>)";

using KeyboardWalkTest = WindowTest;

TEST_F(KeyboardWalkTest, AGroupIsOneTabStopWalkedWithTheArrowsAndTheFocusShows) {
  TestWindow window(Skin(kPage, L"size=\"300,200\""));
  HWND hwnd = window.CreatePopup();
  SetFocus(hwnd);
  CPaintManagerUI& manager = window.Manager();
  auto focused = [&] { return manager.GetFocus() ? manager.GetFocus()->GetName().str() : std::wstring(L"<none>"); };
  auto press = [&](UINT key, bool shift = false) { Testing::PressKey(hwnd, key, shift); };

  press(VK_TAB);
  press(VK_TAB);
  EXPECT_EQ(focused(), L"s0") << "the group is entered at its first member";
  press(VK_RIGHT);
  press(VK_DOWN);
  EXPECT_EQ(focused(), L"s4") << "right, then down into the same column";
  press(VK_DOWN);
  EXPECT_EQ(focused(), L"s4") << "the bottom row stays";
  press(VK_LEFT);
  press(VK_UP);
  EXPECT_EQ(focused(), L"s0");
  press(VK_LEFT);
  EXPECT_EQ(focused(), L"s5") << "along the row, round at the ends";

  press(VK_TAB);
  EXPECT_EQ(focused(), L"r0") << "one stop for the group, none for the list itself";
  press(VK_TAB);
  press(VK_TAB);
  EXPECT_EQ(focused(), L"r2");
  const RECT rows = window.FindAs<CContainerUI>(L"rows", L"Container")->GetInnerRect();
  const RECT row = window.Find(L"r2")->GetPos();
  EXPECT_TRUE(row.top >= rows.top && row.bottom <= rows.bottom) << "the list scrolled to the row";

  auto* page = window.FindAs<CContainerUI>(L"page", L"Container");
  ASSERT_EQ(page->GetScrollPos().cy, 0);
  press(VK_TAB);
  EXPECT_EQ(focused(), L"last");
  const RECT inner = page->GetInnerRect();
  const RECT last = window.Find(L"last")->GetPos();
  EXPECT_GT(page->GetScrollPos().cy, 0);
  EXPECT_GE(last.top, inner.top);
  EXPECT_LE(last.bottom, inner.bottom) << "scrolled into view";

  for (int i = 0; i < 4; ++i) press(VK_TAB, /*shift=*/true);
  EXPECT_EQ(focused(), L"s5") << "back through the rows into the group where the focus left it";
  EXPECT_LE(window.Find(L"s5")->GetPos().bottom, inner.bottom);
  EXPECT_GE(window.Find(L"s5")->GetPos().top, inner.top);
  press(VK_TAB, /*shift=*/true);
  EXPECT_EQ(focused(), L"first");
}

TEST_F(KeyboardWalkTest, TextFilledInByCodeLeavesTheCaretAtItsEnd) {
  TestWindow window(Skin(LR"(<VerticalLayout>
      <Edit name="team" height="30" text="demo"/>
      <Edit name="secret" height="30" password="true"/>
    </VerticalLayout>)"));
  ASSERT_NE(window.CreatePopup(), nullptr);
  auto typeIntoFocus = [](const wchar_t* text) {
    for (const wchar_t* p = text; *p; ++p) SendMessageW(GetFocus(), WM_CHAR, *p, 1);
  };
  // Filled in before the field had its native child, and while it has one.
  window.Find(L"team")->SetFocus();
  typeIntoFocus(L"x");
  EXPECT_EQ(window.Find(L"team")->GetText().str(), L"demox");
  auto* secret = window.FindAs<CEditUI>(L"secret", L"Edit");
  secret->SetFocus();
  secret->SetText(L"demo1234");
  typeIntoFocus(L"\b");
  EXPECT_EQ(secret->GetText().str(), L"demo123") << "Backspace takes the last character, not nothing";
}

}  // namespace
}  // namespace duilib_test
