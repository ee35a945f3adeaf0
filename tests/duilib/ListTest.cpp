// Lists: selection by mouse, keys and code, the order of "itemselect" and
// "itemclick", removal during a notification, scroll rules, colours by
// state, elements outside lists, and the lazy layout and culled painting
// that keep big lists fast.

#include <gtest/gtest.h>

#include "TestWindow.h"
#include "WindowFixture.h"

namespace duilib_test {
namespace {

using namespace DuiLib;
using Testing::NotifyRecorder;
using Lines = std::vector<std::wstring>;

// A session-list row: a mouse-disabled avatar, a name label and a badge.
std::wstring Row(int i, const wchar_t* extra = L"") {
  const std::wstring n = std::to_wstring(i);
  return L"<ListContainerElement name=\"row" + n + L"\" height=\"30\" " + extra +
         L"><HorizontalLayout><Control name=\"avatar" + n + L"\" width=\"24\" mouse=\"false\" bkcolor=\"#FF888888\"/>"
         L"<Label name=\"name" + n + L"\" text=\"成员 " + n + L"\"/></HorizontalLayout></ListContainerElement>";
}

std::wstring ListSkin(int rows, const wchar_t* listAttributes = L"") {
  std::wstring body = std::wstring(L"<VerticalLayout><List name=\"list\" ") + listAttributes +
                      L"><Button name=\"load_more\" text=\"more\" height=\"20\"/>";
  for (int i = 1; i <= rows; ++i) body += Row(i);
  return Skin(body + L"</List><Button name=\"other\" height=\"20\" keyboard=\"true\"/></VerticalLayout>",
              L"size=\"300,220\"");
}

using ListTest = WindowTest;

TEST_F(ListTest, APressSelectsTheReleaseClicksAndNonElementsNeverSelect) {
  TestWindow window(ListSkin(4));
  HWND hwnd = window.CreatePopup();
  NotifyRecorder recorder(hwnd);
  auto* list = window.FindAs<CListUI>(L"list", L"List");

  ASSERT_TRUE(Testing::Click(hwnd, L"name2"));
  EXPECT_EQ(recorder.Summary(), (Lines{L"setfocus:list", L"itemselect:list", L"itemclick:row2"}));
  EXPECT_EQ(recorder.Records()[1].wParam, 2u);
  EXPECT_EQ(recorder.Records()[1].lParam, -1);
  EXPECT_EQ(list->GetCurSel(), 2);

  recorder.Clear();
  ASSERT_TRUE(Testing::Click(hwnd, L"avatar2"));  // mouse-disabled: the row takes it
  EXPECT_EQ(recorder.Summary(), (Lines{L"itemclick:row2"})) << "re-clicking the selection: no itemselect";

  recorder.Clear();
  ASSERT_TRUE(Testing::Click(hwnd, L"load_more"));
  ASSERT_TRUE(Testing::RightClick(hwnd, L"name3"));
  EXPECT_EQ(recorder.Summary(), (Lines{L"click:load_more", L"itemrclick:row3"}));
  EXPECT_EQ(list->GetCurSel(), 2) << "neither a button nor a right click selects";
  EXPECT_FALSE(list->SelectItem(0)) << "the button is not an element";

  recorder.Clear();
  window.Find(L"row4")->SetEnabled(false);
  ASSERT_TRUE(Testing::Click(hwnd, L"name4"));
  EXPECT_EQ(recorder.Count(L"itemselect") + recorder.Count(L"itemclick"), 0u);
  auto* element = static_cast<IListItemUI*>(window.Find(L"row3")->GetInterface(L"ListItem"));
  ASSERT_NE(element, nullptr);
  EXPECT_EQ(element->GetIndex(), 3);
  EXPECT_EQ(element->GetOwner(), list);
}

TEST_F(ListTest, SelectItemFromCodeNotifiesSynchronouslyOnlyOnAChangeEvenWhenHidden) {
  TestWindow window(ListSkin(4));
  std::vector<int> seen;
  window.onInit = [&](TestWindow& self) { self.FindAs<CListUI>(L"list", L"List")->SelectItem(1); };
  window.onNotify = [&](TestWindow& self, TNotifyUI& msg) {
    if (msg.sType == L"itemselect") seen.push_back(static_cast<int>(msg.wParam));
    return false;
  };
  HWND hwnd = window.CreatePopup();
  ASSERT_EQ(seen, (std::vector<int>{1})) << "raised inside InitWindow and delivered";
  auto* list = window.FindAs<CListUI>(L"list", L"List");
  list->SetVisible(false);
  EXPECT_TRUE(list->SelectItem(3));
  EXPECT_EQ(seen, (std::vector<int>{1, 3})) << "before SelectItem returned, although hidden";
  EXPECT_TRUE(list->SelectItem(3));
  EXPECT_EQ(seen.size(), 2u);
  EXPECT_FALSE(list->SelectItem(-1));
  EXPECT_FALSE(list->SelectItem(99));
  EXPECT_EQ(list->GetCurSel(), -1);
  EXPECT_EQ(seen.size(), 2u) << "clearing is silent";
  EXPECT_FALSE(static_cast<IListItemUI*>(window.Find(L"row3")->GetInterface(L"ListItem"))->IsSelected());
  (void)hwnd;
}

TEST_F(ListTest, KeysOfTheFocusedListMoveTheSelectionAndScrollItIntoView) {
  TestWindow window(ListSkin(30));
  HWND hwnd = window.CreatePopup();
  auto* list = window.FindAs<CListUI>(L"list", L"List");
  list->SetFocus();
  Testing::PumpPending();
  NotifyRecorder recorder(hwnd);
  Testing::PressKey(hwnd, VK_DOWN);
  EXPECT_EQ(list->GetCurSel(), 1) << "the button at 0 is skipped";
  EXPECT_EQ(recorder.Summary(), (Lines{L"itemselect:list"}));

  recorder.Clear();
  Testing::PressKey(hwnd, VK_END);
  EXPECT_EQ(list->GetCurSel(), 30);
  EXPECT_EQ(list->GetScrollPos().cy, list->GetScrollRange().cy);
  EXPECT_EQ(recorder.Summary(), (Lines{L"itemselect:list", L"scroll:list"})) << "keys are user input";

  Testing::PressKey(hwnd, VK_PRIOR);
  const int afterPage = list->GetCurSel();
  EXPECT_LT(afterPage, 30);
  EXPECT_GE(afterPage, 30 - 200 / 30 - 1);
  const RECT row = window.Find((L"row" + std::to_wstring(afterPage)).c_str())->GetPos();
  const RECT inner = list->GetInnerRect();
  EXPECT_TRUE(row.top >= inner.top && row.bottom <= inner.bottom) << "kept in view";

  Testing::PressKey(hwnd, VK_HOME);
  EXPECT_EQ(list->GetCurSel(), 1);
  recorder.Clear();
  Testing::PressKey(hwnd, VK_UP);
  EXPECT_TRUE(recorder.Records().empty()) << "nothing above the first element";
  window.Find(L"other")->SetFocus();
  Testing::PressKey(hwnd, VK_DOWN);
  EXPECT_EQ(list->GetCurSel(), 1) << "only the focused list takes keys";
}

TEST_F(ListTest, RemovalDuringItsOwnNotificationsAndSelectionBookkeeping) {
  TestWindow window(ListSkin(6));
  bool emptyOnSelect = false;
  window.onNotify = [&](TestWindow& self, TNotifyUI& msg) {
    if (msg.sType == L"itemselect" && emptyOnSelect) self.FindAs<CListUI>(L"list", L"List")->RemoveAll();
    return false;
  };
  HWND hwnd = window.CreatePopup();
  auto* list = window.FindAs<CListUI>(L"list", L"List");
  NotifyRecorder recorder(hwnd);
  list->SelectItem(4);
  list->RemoveAt(2);
  EXPECT_EQ(list->GetCurSel(), 3) << "a row above the selection went";
  list->Remove(window.Find(L"row4"));
  EXPECT_EQ(list->GetCurSel(), -1) << "the selected row went, silently";
  EXPECT_EQ(recorder.Summary(), (Lines{L"itemselect:list"}));

  recorder.Clear();
  const size_t controlsBefore = Testing::LiveControlCount();
  emptyOnSelect = true;
  ASSERT_TRUE(Testing::Click(hwnd, L"name6"));
  EXPECT_EQ(recorder.Summary(), (Lines{L"setfocus:list", L"itemselect:list"})) << "no itemclick from a removed row";
  EXPECT_EQ(list->GetCount(), 0);
  EXPECT_EQ(list->GetCurSel(), -1);
  EXPECT_LT(Testing::LiveControlCount(), controlsBefore);
  Testing::PumpPending();
}

TEST_F(ListTest, ScrollRulesPositionBeforeLayoutClampingRemoveAllAndNoScrollFromCode) {
  TestWindow window(ListSkin(40));
  window.onInit = [](TestWindow& self) {
    auto* list = self.FindAs<CListUI>(L"list", L"List");
    list->SetScrollPos({0, 3 * 30 + 50});
  };
  HWND hwnd = window.CreatePopup();
  NotifyRecorder recorder(hwnd);
  auto* list = window.FindAs<CListUI>(L"list", L"List");
  Testing::PumpPending();
  EXPECT_EQ(list->GetScrollPos().cy, 140) << "set in InitWindow, applied after the first layout";
  list->SetScrollPos({0, 99999});
  EXPECT_EQ(list->GetScrollPos().cy, list->GetScrollRange().cy);
  list->EndDown();
  list->HomeUp();
  auto* row = new CListContainerElementUI;
  row->SetFixedHeight(30);
  list->Add(row);
  list->SetScrollPos({0, 60});
  Testing::PumpPending();
  EXPECT_EQ(list->GetScrollPos().cy, 60) << "adding rows never moves the position";
  list->RemoveAll();
  EXPECT_EQ(list->GetScrollPos().cy, 0);
  EXPECT_TRUE(recorder.Records().empty()) << "no \"scroll\" without user input";
}

TEST_F(ListTest, ColoursFollowTheStateAndAnElementsOwnColoursWin) {
  TestWindow window(Skin(LR"(<VerticalLayout><List name="list" itembkcolor="#FF101010" itemhotbkcolor="#FF202020" itemselectedbkcolor="#FF303030">
        <ListContainerElement name="a" height="30"/>
        <ListContainerElement name="b" height="30" selected="true"/>
        <ListContainerElement name="c" height="30" selectedbkcolor="#FF0000FF"/>
      </List></VerticalLayout>)"));
  HWND hwnd = window.CreatePopup();
  auto* list = window.FindAs<CListUI>(L"list", L"List");
  EXPECT_EQ(list->GetCurSel(), 1) << "selected in the skin";
  auto colour = [&](LPCTSTR name) {
    HBITMAP shot = Testing::RenderWindow(hwnd);
    const RECT& rc = window.Find(name)->GetPos();
    const DWORD pixel = Testing::PixelAt(shot, rc.left + 5, rc.top + 5);
    DeleteObject(shot);
    return pixel;
  };
  EXPECT_EQ(colour(L"a"), 0x101010u);
  EXPECT_EQ(colour(L"b"), 0x303030u);
  Testing::Hover(hwnd, L"a");
  EXPECT_EQ(colour(L"a"), 0x202020u);
  Testing::Hover(hwnd, L"b");
  EXPECT_EQ(colour(L"a"), 0x101010u);
  EXPECT_EQ(colour(L"b"), 0x303030u) << "selected wins over hot";
  Testing::Click(hwnd, L"c");
  EXPECT_EQ(colour(L"c"), 0x0000FFu);
}

TEST_F(ListTest, ElementsOutsideAnyListStillRaiseItemClickUnlessDisabled) {
  TestWindow window(Skin(LR"(<VerticalLayout>
      <ListContainerElement name="menu_copy" height="30" hotbkcolor="#FFEEEEEE"/>
      <ListContainerElement name="menu_off" height="30" enabled="false"/>
    </VerticalLayout>)"));
  HWND hwnd = window.CreatePopup();
  NotifyRecorder recorder(hwnd);
  Testing::Click(hwnd, L"menu_copy");
  Testing::Click(hwnd, L"menu_off");
  EXPECT_EQ(recorder.Summary(), (Lines{L"itemclick:menu_copy"}));
  auto* item = static_cast<IListItemUI*>(window.Find(L"menu_copy")->GetInterface(L"ListItem"));
  EXPECT_EQ(item->GetOwner(), nullptr);
  EXPECT_EQ(item->GetIndex(), 0);
}

// A row that counts how often it is painted.
class CountingRow : public CListContainerElementUI {
 public:
  explicit CountingRow(int* paints) : m_paints(paints) {}
  void DoPaint(HDC hDC, const RECT& rcPaint) override {
    ++*m_paints;
    CListContainerElementUI::DoPaint(hDC, rcPaint);
  }

 private:
  int* m_paints;
};

TEST_F(ListTest, OnlyRowsInViewAreLaidOutInsideAndPainted) {
  TestWindow window(Skin(L"<VerticalLayout><List name=\"list\"/></VerticalLayout>", L"size=\"300,300\""));
  HWND hwnd = window.CreatePopup();
  auto* list = window.FindAs<CListUI>(L"list", L"List");
  int paints = 0;
  std::vector<CLabelUI*> names;
  for (int i = 0; i < 2000; ++i) {
    auto* row = new CountingRow(&paints);
    row->SetFixedHeight(30);
    auto* label = new CLabelUI;
    label->SetText(L"row");
    row->Add(label);
    list->Add(row);
    names.push_back(label);
  }
  Testing::PumpPending();
  EXPECT_EQ(list->GetScrollRange().cy, 2000 * 30 - 300);
  EXPECT_FALSE(IsRectEmpty(&names[0]->GetPos()));
  EXPECT_TRUE(IsRectEmpty(&names[1500]->GetPos())) << "a row out of view has not laid out its label";
  EXPECT_EQ(list->GetItemAt(1500)->GetPos().top, 1500 * 30) << "but the row itself has its place";

  paints = 0;
  DeleteObject(Testing::RenderWindow(hwnd));
  EXPECT_LE(paints, 11) << "only the ten rows in view are visited";
  EXPECT_GE(paints, 10);

  list->SetScrollPos({0, 1500 * 30});
  EXPECT_EQ(names[1500]->GetPos().top, 0) << "laid out once it comes into view";
  EXPECT_EQ(window.Manager().FindControl(POINT{150, 45}), names[1501]);
}

TEST_F(ListTest, ScrollingRepaintsTheWindowThroughItsOwnPaint) {
  // Rows of three colours in turn, 30 px high: the colour at a point tells
  // which row the window shows there.
  std::wstring rows;
  const wchar_t* colours[] = {L"#FFFF0000", L"#FF00FF00", L"#FF0000FF"};
  for (int i = 0; i < 300; ++i) rows += L"<ListContainerElement height=\"30\" bkcolor=\"" + std::wstring(colours[i % 3]) + L"\"/>";
  TestWindow window(Skin(L"<VerticalLayout><List name=\"list\">" + rows + L"</List></VerticalLayout>", L"size=\"200,300\""));
  HWND hwnd = window.CreatePopup();
  ShowWindow(hwnd, SW_SHOW);
  UpdateWindow(hwnd);
  auto screenColour = [hwnd](int y) {
    HDC dc = GetDC(hwnd);
    const COLORREF pixel = GetPixel(dc, 50, y);
    ReleaseDC(hwnd, dc);
    return pixel;
  };
  const COLORREF red = RGB(255, 0, 0), green = RGB(0, 255, 0), blue = RGB(0, 0, 255);
  EXPECT_EQ(screenColour(15), red);
  for (int notch = 1; notch <= 5; ++notch) {
    Testing::Wheel(hwnd, L"list", -1);
    UpdateWindow(hwnd);
    // Each notch moves 60 px: two rows, so the colour at a point goes back one.
    const COLORREF expected[] = {red, green, blue};
    EXPECT_EQ(screenColour(15), expected[(notch * 2) % 3]) << "after notch " << notch;
    EXPECT_EQ(screenColour(285), expected[(notch * 2 + 9) % 3]) << "after notch " << notch;
  }
}

}  // namespace
}  // namespace duilib_test
