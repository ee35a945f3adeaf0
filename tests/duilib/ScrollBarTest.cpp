// Scroll bars: arrow buttons, holding to repeat, the horizontal bar, both
// bars together, the minimum thumb and the caption hit test.

#include <gtest/gtest.h>

#include "TestWindow.h"
#include "WindowFixture.h"

namespace duilib_test {
namespace {

using namespace DuiLib;
using Testing::NotifyRecorder;

std::wstring Rows(int count, const wchar_t* size) {
  std::wstring rows;
  for (int i = 0; i < count; ++i) rows += std::wstring(L"<Control ") + size + L"/>";
  return rows;
}

using ScrollBarTest = WindowTest;

TEST_F(ScrollBarTest, ArrowsStepByTheStepSizeAndRepeatWhileHeld) {
  TestWindow window(Skin(L"<VerticalLayout name=\"list\" vscrollbar=\"true\" vscrollbarstyle=\"width=&quot;10&quot; "
                         L"showbutton1=&quot;true&quot; showbutton2=&quot;true&quot;\">" +
                             Rows(20, L"height=\"50\"") + L"</VerticalLayout>",
                         L"size=\"200,200\""));
  HWND hwnd = window.CreatePopup();
  NotifyRecorder recorder(hwnd);
  auto* list = window.FindAs<CContainerUI>(L"list", L"Container");
  Testing::PumpPending();
  CScrollBarUI* bar = list->GetVerticalScrollBar();
  ASSERT_NE(bar, nullptr);
  EXPECT_EQ(bar->GetButton1Rect().bottom, 10);
  EXPECT_EQ(bar->GetButton2Rect().top, 190);
  const RECT thumb = bar->GetThumbRect();
  EXPECT_EQ(thumb.top, 10);
  EXPECT_EQ(thumb.bottom - thumb.top, 180 * 200 / 1000) << "the arrows shorten the track";

  Testing::ClickAt(hwnd, POINT{195, 195});
  Testing::ClickAt(hwnd, POINT{195, 195});
  EXPECT_EQ(list->GetScrollPos().cy, 40);
  Testing::ClickAt(hwnd, POINT{195, 4});
  EXPECT_EQ(list->GetScrollPos().cy, 20);
  ASSERT_EQ(recorder.Count(L"scroll"), 3u);
  EXPECT_EQ(recorder.Records().back().wParam, 20u);

  SendMessageW(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(195, 195));
  EXPECT_TRUE(Testing::PumpUntil([&] { return list->GetScrollPos().cy >= 100; }, 3000)) << "held: repeats";
  SendMessageW(hwnd, WM_LBUTTONUP, 0, MAKELPARAM(195, 195));
  const LONG released = list->GetScrollPos().cy;
  Testing::PumpUntil([] { return false; }, 200);
  EXPECT_EQ(list->GetScrollPos().cy, released) << "released: stops";
}

TEST_F(ScrollBarTest, WideContentGetsAHorizontalBarAndBothBarsLeaveTheCornerFree) {
  TestWindow window(Skin(LR"(<VerticalLayout>
      <HorizontalLayout name="strip" height="100" hscrollbar="true" hscrollbarstyle="width=&quot;12&quot;">)" +
                             Rows(3, L"width=\"200\"") + LR"(</HorizontalLayout>
      <VerticalLayout name="both" vscrollbar="true" hscrollbar="true" vscrollbarstyle="width=&quot;10&quot;" hscrollbarstyle="width=&quot;10&quot;">
        <Control width="500" height="300"/>
      </VerticalLayout>
    </VerticalLayout>)",
                         L"size=\"300,300\""));
  HWND hwnd = window.CreatePopup();
  NotifyRecorder recorder(hwnd);
  Testing::PumpPending();
  auto* strip = window.FindAs<CContainerUI>(L"strip", L"Container");
  EXPECT_EQ(strip->GetScrollRange().cx, 300);
  EXPECT_EQ(strip->GetInnerRect().bottom, 88) << "the bar takes its height from the view";
  CScrollBarUI* bar = strip->GetHorizontalScrollBar();
  const RECT thumb = bar->GetThumbRect();
  EXPECT_EQ(thumb.right - thumb.left, 300 * 300 / 600);
  const int y = (bar->GetPos().top + bar->GetPos().bottom) / 2;
  SendMessageW(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(thumb.left + 5, y));
  SendMessageW(hwnd, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(thumb.left + 5 + 75, y));
  SendMessageW(hwnd, WM_LBUTTONUP, 0, MAKELPARAM(thumb.left + 80, y));
  EXPECT_EQ(strip->GetScrollPos().cx, 150);
  ASSERT_EQ(recorder.Count(L"scroll"), 1u);
  EXPECT_EQ(recorder.Records()[0].lParam, 150) << "the horizontal position goes in lParam";

  auto* both = window.FindAs<CContainerUI>(L"both", L"Container");
  const RECT vertical = both->GetVerticalScrollBar()->GetPos();
  const RECT horizontal = both->GetHorizontalScrollBar()->GetPos();
  EXPECT_EQ(vertical.bottom, horizontal.top);
  EXPECT_EQ(horizontal.right, vertical.left);
  EXPECT_EQ(both->GetScrollRange().cx, 500 - 290);
  EXPECT_EQ(both->GetScrollRange().cy, 300 - 190);
}

TEST_F(ScrollBarTest, BarsHideWhenTheContentFitsAndTheThumbKeepsAMinimumSize) {
  TestWindow window(Skin(L"<VerticalLayout name=\"list\" vscrollbar=\"true\"><Control name=\"tall\" height=\"100\"/></VerticalLayout>",
                         L"size=\"200,200\" caption=\"0,0,0,200\""));
  HWND hwnd = window.CreatePopup();
  auto* list = window.FindAs<CContainerUI>(L"list", L"Container");
  Testing::PumpPending();
  EXPECT_TRUE(IsRectEmpty(&list->GetVerticalScrollBar()->GetPos()));
  EXPECT_EQ(list->GetInnerRect().right, 200);
  window.Find(L"tall")->SetFixedHeight(200000);
  Testing::PumpPending();
  const RECT thumb = list->GetVerticalScrollBar()->GetThumbRect();
  EXPECT_EQ(thumb.bottom - thumb.top, 20);
  POINT onBar = {196, 100};
  POINT offBar = {100, 100};
  ClientToScreen(hwnd, &onBar);
  ClientToScreen(hwnd, &offBar);
  EXPECT_EQ(SendMessageW(hwnd, WM_NCHITTEST, 0, MAKELPARAM(onBar.x, onBar.y)), HTCLIENT);
  EXPECT_EQ(SendMessageW(hwnd, WM_NCHITTEST, 0, MAKELPARAM(offBar.x, offBar.y)), HTCAPTION);
}

}  // namespace
}  // namespace duilib_test
