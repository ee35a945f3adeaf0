// Pixels of the painting steps: colours by alpha, borders and rounds.

#include <gtest/gtest.h>

#include "TestWindow.h"
#include "WindowFixture.h"

namespace duilib_test {
namespace {

using namespace DuiLib;

using PaintTest = WindowTest;

// Which pixels of a row or column of the shot are black.
std::string Ink(HBITMAP shot, int x0, int y0, int dx, int dy, int count) {
  std::string line;
  for (int i = 0; i < count; ++i) line += Testing::PixelAt(shot, x0 + i * dx, y0 + i * dy) < 0x808080 ? '#' : '.';
  return line;
}

TEST_F(PaintTest, BordersCoverExactlyTheEdgePixelsOnAllFourSides) {
  TestWindow window(Skin(LR"(<HorizontalLayout bkcolor="#FFFFFFFF" inset="10,10,10,10" childpadding="10">
      <Control width="20" height="12" bordercolor="#FF000000"/>
      <Control width="20" height="12" bordercolor="#FF000000" borderround="8,8"/>
      <Control width="20" height="12" bordercolor="#FF000000" bordersize="2"/>
    </HorizontalLayout>)", L"size=\"100,40\""));
  HWND hwnd = window.CreatePopup();
  HBITMAP shot = Testing::RenderWindow(hwnd);
  for (int left : {10, 40, 70}) {
    const int size = left == 70 ? 2 : 1;
    const std::string edge(size, '#');
    // Across the middle: the border on both sides, nothing outside.
    EXPECT_EQ(Ink(shot, left - 1, 16, 1, 0, 22), "." + edge + std::string(20 - 2 * size, '.') + edge + ".") << left;
    EXPECT_EQ(Ink(shot, left + 10, 9, 0, 1, 14), "." + edge + std::string(12 - 2 * size, '.') + edge + ".") << left;
  }
  EXPECT_EQ(Testing::PixelAt(shot, 40, 10), 0xFFFFFFu) << "the rounded corner is cut";
  DeleteObject(shot);
}

TEST_F(PaintTest, ColoursAreOpaqueBlendedOrSkippedByAlpha) {
  TestWindow window(Skin(LR"(<HorizontalLayout bkcolor="#FF204080">
      <Control width="20" bkcolor="#FFFF0000"/>
      <Control width="20" bkcolor="#80FFFFFF"/>
      <Control width="20" bkcolor="#00FFFFFF" bordercolor="#00000000"/>
      <Control width="20" bkcolor="#FF00FF00" borderround="20,20"/>
    </HorizontalLayout>)", L"size=\"80,20\""));
  HWND hwnd = window.CreatePopup();
  HBITMAP shot = Testing::RenderWindow(hwnd);
  EXPECT_EQ(Testing::PixelAt(shot, 10, 10), 0xFF0000u);
  const DWORD blended = Testing::PixelAt(shot, 30, 10);
  EXPECT_NEAR(static_cast<int>(blended >> 16), (0x20 + 0xFF) / 2, 2);
  EXPECT_NEAR(static_cast<int>(blended & 0xFF), (0x80 + 0xFF) / 2, 2);
  EXPECT_EQ(Testing::PixelAt(shot, 50, 10), 0x204080u) << "alpha 0 paints nothing";
  EXPECT_EQ(Testing::PixelAt(shot, 70, 10), 0x00FF00u);
  EXPECT_EQ(Testing::PixelAt(shot, 60, 0), 0x204080u) << "outside the round";
  DeleteObject(shot);
}

TEST_F(PaintTest, ALargeRoundHasASoftEdge) {
  TestWindow window(Skin(LR"(<HorizontalLayout bkcolor="#FFFFFFFF">
      <Control width="40" height="40" bkcolor="#FF000000" borderround="40,40"/>
    </HorizontalLayout>)", L"size=\"40,40\""));
  HWND hwnd = window.CreatePopup();
  HBITMAP shot = Testing::RenderWindow(hwnd);
  // White outside, black inside, and greys where the circle's edge crosses
  // pixels: a clip region alone leaves a stair of whole pixels.
  int greys = 0;
  for (int y = 0; y < 40; ++y) {
    for (int x = 0; x < 40; ++x) {
      const DWORD pixel = Testing::PixelAt(shot, x, y) & 0xFF;
      greys += pixel > 0x10 && pixel < 0xF0;
    }
  }
  EXPECT_GE(greys, 40) << "about one grey pixel per step of the edge";
  EXPECT_EQ(Testing::PixelAt(shot, 0, 0), 0xFFFFFFu);
  EXPECT_EQ(Testing::PixelAt(shot, 10, 10), 0x000000u);
  DeleteObject(shot);
}

TEST_F(PaintTest, OnlyTheInvalidatedControlsAreRepaintedEachTimeTheyChange) {
  TestWindow window(Skin(LR"(<VerticalLayout><Label name="a" text="a" height="20"/><Label name="b" text="b" height="20"/></VerticalLayout>)"));
  HWND hwnd = window.CreatePopup();
  Testing::PumpPending();
  window.Find(L"b")->SetText(L"changed");
  RECT update;
  ASSERT_TRUE(GetUpdateRect(hwnd, &update, FALSE));
  EXPECT_EQ(update.top, 20);
  EXPECT_EQ(update.bottom, 40);
  Testing::PumpPending();
  EXPECT_FALSE(GetUpdateRect(hwnd, &update, FALSE)) << "painted once and done";
  // The window remembers what it asked for only until that is painted.
  window.Find(L"b")->SetText(L"changed again");
  EXPECT_TRUE(GetUpdateRect(hwnd, &update, FALSE)) << "asked for again after its paint";
}

// Turns green in its next paint, before it draws, as an avatar looks its
// picture up when first shown.
class GreenWhenPainted : public CControlUI {
 public:
  bool armed = false;
  void DoPaint(HDC dc, const RECT& rcPaint) override {
    if (armed) {
      armed = false;
      const CChangeWhilePainting change(*GetManager(), GetPos());
      SetBkColor(0xFF00FF00);
    }
    CControlUI::DoPaint(dc, rcPaint);
  }
};

TEST_F(PaintTest, AChangeInAControlsOwnPaintAsksForNoSecondPaintOnlyWhenThePaintDrawsAllOfIt) {
  TestWindow window(Skin(LR"(<VerticalLayout name="rows" bkcolor="#FFFFFFFF"/>)", L"size=\"100,40\""));
  HWND hwnd = window.CreatePopup();
  auto* control = new GreenWhenPainted;
  control->SetFixedHeight(20);
  static_cast<CContainerUI*>(window.Find(L"rows"))->Add(control);
  Testing::PumpPending();
  RECT update;
  CPaintManagerUI& manager = window.Manager();

  control->armed = true;
  manager.Invalidate(control->GetPos());
  UpdateWindow(hwnd);
  EXPECT_FALSE(GetUpdateRect(hwnd, &update, FALSE)) << "drawn green by the paint that changed it";
  HDC screen = GetDC(hwnd);
  EXPECT_EQ(GetPixel(screen, 50, 10), RGB(0, 255, 0));
  ReleaseDC(hwnd, screen);

  // Two corners whose bounding box is the control: the paint leaves the
  // rest of it as it was, so the change asks for a paint of its own.
  control->SetBkColor(0xFFFFFFFF);
  Testing::PumpPending();
  control->armed = true;
  manager.Invalidate(RECT{0, 0, 10, 5});
  manager.Invalidate(RECT{90, 15, 100, 20});
  UpdateWindow(hwnd);
  EXPECT_TRUE(GetUpdateRect(hwnd, &update, FALSE)) << "the rest of the control waits for its paint";
}

TEST_F(PaintTest, HeldInvalidationsOfNewControlsReachTheWindowOnceTheHoldEnds) {
  TestWindow window(Skin(LR"(<VerticalLayout name="rows"/>)"));
  HWND hwnd = window.CreatePopup();
  Testing::PumpPending();
  RECT update;
  {
    const CInvalidationHold hold(*Testing::ManagerOf(hwnd));
    // Rows not laid out yet ask for the whole window.
    for (int i = 0; i < 3; ++i) static_cast<CContainerUI*>(window.Find(L"rows"))->Add(new CControlUI);
    EXPECT_FALSE(GetUpdateRect(hwnd, &update, FALSE)) << "held";
  }
  EXPECT_TRUE(GetUpdateRect(hwnd, &update, FALSE)) << "released";
}

}  // namespace
}  // namespace duilib_test
