// Layout of the containers: sizes, padding, inset, floats, hidden children,
// tiles and scrolling. Trees are built without a window and placed by hand.

#include <gtest/gtest.h>

#include "TestWindow.h"
#include "WindowFixture.h"

namespace duilib_test {
namespace {

using namespace DuiLib;

struct Tree {
  explicit Tree(const std::wstring& xml) {
    CDialogBuilder builder;
    root.reset(builder.Create(xml.c_str(), nullptr, nullptr, &manager));
    if (root) manager.AttachDialog(root.get());
  }
  ~Tree() { (void)root.release(); }  // the manager owns it once attached
  CControlUI* operator[](LPCTSTR name) const { return manager.FindControl(name); }
  void Place(int width, int height) { root->SetPos(RECT{0, 0, width, height}); }
  CPaintManagerUI manager;
  std::unique_ptr<CControlUI> root;
};

RECT Pos(CControlUI* control) { return control ? control->GetPos() : RECT{-1, -1, -1, -1}; }

#define EXPECT_RECT(control, l, t, r, b)                                                    \
  do {                                                                                     \
    const RECT rc_ = Pos(control);                                                         \
    EXPECT_EQ(rc_.left, l);                                                                \
    EXPECT_EQ(rc_.top, t);                                                                 \
    EXPECT_EQ(rc_.right, r);                                                               \
    EXPECT_EQ(rc_.bottom, b);                                                              \
  } while (0)

TEST(LayoutTest, VerticalFixedAndStretchedHeightsWithInsetAndChildPadding) {
  Tree tree(LR"(<VerticalLayout inset="10,5,10,5" childpadding="4">
      <Control name="top" height="40"/>
      <Control name="fill1"/>
      <Control name="narrow" height="20" width="50"/>
      <Control name="fill2"/>
    </VerticalLayout>)");
  tree.Place(200, 310);
  // Inner 180 x 300; fixed 60 plus 3 gaps of 4 leaves 228 for two stretchers.
  EXPECT_RECT(tree[L"top"], 10, 5, 190, 45);
  EXPECT_RECT(tree[L"fill1"], 10, 49, 190, 163);
  EXPECT_RECT(tree[L"narrow"], 10, 167, 60, 187);
  EXPECT_RECT(tree[L"fill2"], 10, 191, 190, 305);
}

TEST(LayoutTest, HorizontalMirrorsVertical) {
  Tree tree(LR"(<HorizontalLayout inset="2,2,2,2" childpadding="6">
      <Control name="a" width="30"/><Control name="b"/><Control name="c" width="30" height="10"/>
    </HorizontalLayout>)");
  tree.Place(200, 50);
  EXPECT_RECT(tree[L"a"], 2, 2, 32, 48);
  EXPECT_RECT(tree[L"b"], 38, 2, 162, 48);
  EXPECT_RECT(tree[L"c"], 168, 2, 198, 12);
}

TEST(LayoutTest, RowsGiveTextControlsTheirFullHeightColumnsTheirTextWidth) {
  Tree tree(LR"(<VerticalLayout>
      <HorizontalLayout height="40"><Button name="btn" width="30"/><Label name="label"/><Label name="short" height="10"/></HorizontalLayout>
      <Label name="auto" text="abc" autocalcwidth="true"/>
    </VerticalLayout>)");
  tree.Place(200, 100);
  EXPECT_RECT(tree[L"btn"], 0, 0, 30, 40);
  EXPECT_EQ(Pos(tree[L"label"]).bottom, 40);
  EXPECT_EQ(Pos(tree[L"short"]).bottom, 10);
  const SIZE text = tree[L"auto"]->EstimateSize({200, 60});
  EXPECT_GT(text.cx, 0);
  EXPECT_EQ(Pos(tree[L"auto"]).right - Pos(tree[L"auto"]).left, text.cx);
}

TEST(LayoutTest, PaddingMayBeNegativeAndIsOutsideTheSize) {
  Tree tree(LR"(<VerticalLayout>
      <Control name="a" height="20" padding="5,0,5,0"/>
      <Control name="b" height="20" padding="14,-5,0,0"/>
      <Control name="c" height="20" padding="0,10,0,0"/>
    </VerticalLayout>)");
  tree.Place(100, 200);
  EXPECT_RECT(tree[L"a"], 5, 0, 95, 20);
  EXPECT_RECT(tree[L"b"], 14, 15, 100, 35);
  EXPECT_RECT(tree[L"c"], 0, 45, 100, 65);
}

TEST(LayoutTest, HiddenChildrenTakeNoSpaceAndReportAnEmptyRectangle) {
  Tree tree(LR"(<VerticalLayout childpadding="10">
      <Control name="a" height="20"/>
      <VerticalLayout name="hidden" height="50" visible="false"><Control name="inner" height="5"/></VerticalLayout>
      <Control name="b" height="20"/>
    </VerticalLayout>)");
  tree.Place(100, 200);
  EXPECT_RECT(tree[L"hidden"], 0, 0, 0, 0);
  EXPECT_RECT(tree[L"inner"], 0, 0, 0, 0);
  EXPECT_RECT(tree[L"b"], 0, 30, 100, 50);
  EXPECT_FALSE(tree[L"inner"]->IsVisible()) << "visibility includes the ancestors";

  tree[L"hidden"]->SetVisible(true);
  tree.manager.UpdateLayout();  // no window: lay out the dirty container by hand
  tree.Place(100, 200);
  EXPECT_RECT(tree[L"hidden"], 0, 30, 100, 80);
  EXPECT_RECT(tree[L"inner"], 0, 30, 100, 35);
  EXPECT_RECT(tree[L"b"], 0, 90, 100, 110);
}

TEST(LayoutTest, MinAndMaxClampStretchedChildrenAndTheRestIsShared) {
  Tree tree(LR"(<HorizontalLayout>
      <Control name="capped" maxwidth="50"/><Control name="free"/><Control name="floor" minwidth="120"/>
    </HorizontalLayout>)");
  tree.Place(240, 10);
  // An equal share would be 80: the capped one takes 50 and the floor 120, the rest goes to "free".
  EXPECT_EQ(Pos(tree[L"capped"]).right - Pos(tree[L"capped"]).left, 50);
  EXPECT_EQ(Pos(tree[L"floor"]).right - Pos(tree[L"floor"]).left, 120);
  EXPECT_EQ(Pos(tree[L"free"]).right - Pos(tree[L"free"]).left, 70);
}

TEST(LayoutTest, FloatChildrenArePlacedByPosFromTheInnerTopLeft) {
  Tree tree(LR"(<VerticalLayout inset="10,20,0,0">
      <Button name="leftbtn" float="true" pos="5,100,45,140"/>
      <Control name="flow" height="30"/>
      <Control name="sized" pos="0,0,60,25"/>
    </VerticalLayout>)");
  tree.Place(300, 300);
  EXPECT_RECT(tree[L"leftbtn"], 15, 120, 55, 160);
  // Floats take no space in the flow; pos without float only fixes the size.
  EXPECT_RECT(tree[L"flow"], 10, 20, 300, 50);
  EXPECT_RECT(tree[L"sized"], 10, 50, 70, 75);
}

TEST(LayoutTest, TilesInReadingOrder) {
  Tree tree(LR"(<TileLayout name="tiles" itemsize="50,40" childpadding="10">
      <Control name="t0"/><Control name="t1"/><Control name="t2"/><Control name="t3"/><Control name="t4" visible="false"/><Control name="t5"/>
    </TileLayout>)");
  tree.Place(175, 200);  // (175 + 10) / 60 = 3 columns
  EXPECT_RECT(tree[L"t0"], 0, 0, 50, 40);
  EXPECT_RECT(tree[L"t2"], 120, 0, 170, 40);
  EXPECT_RECT(tree[L"t3"], 0, 50, 50, 90);
  EXPECT_RECT(tree[L"t4"], 0, 0, 0, 0);
  EXPECT_RECT(tree[L"t5"], 60, 50, 110, 90);

  auto* tiles = static_cast<CTileLayoutUI*>(tree[L"tiles"]);
  tiles->SetColumns(2);
  tree.Place(175, 200);
  EXPECT_RECT(tree[L"t2"], 0, 50, 50, 90);
}

TEST(LayoutTest, TilesTakeTheFirstChildsSizeWithoutAnItemSize) {
  Tree tree(LR"(<TileLayout><Control name="a" width="30" height="20"/><Control name="b"/><Control name="c"/></TileLayout>)");
  tree.Place(70, 100);
  EXPECT_RECT(tree[L"b"], 30, 0, 60, 20);
  EXPECT_RECT(tree[L"c"], 0, 20, 30, 40);
}

TEST(LayoutTest, LabelsTakeOneLineAndTextsTheirWrappedHeight) {
  Tree tree(LR"(<Window><Font id="0" name="微软雅黑" size="14" default="true"/><VerticalLayout>
      <Label name="label" text="一行"/>
      <Text name="text" text="一段会自动换行的文字，用来测量高度 with some English words as well"/>
      <Control name="rest"/>
    </VerticalLayout></Window>)");
  const int line = tree.manager.GetFontInfo(0)->tm.tmHeight;
  auto* text = static_cast<CTextUI*>(tree[L"text"]);
  const SIZE wide = text->EstimateSize({2000, 0});
  const SIZE narrow = text->EstimateSize({120, 0});
  EXPECT_EQ(wide.cy, line);
  EXPECT_GT(narrow.cy, 2 * line) << "the height grows as the width shrinks";
  text->SetText(L"短");
  EXPECT_EQ(text->EstimateSize({120, 0}).cy, line);
  text->SetTextPadding({0, 3, 0, 5});
  EXPECT_EQ(text->EstimateSize({120, 0}).cy, line + 8);

  tree.Place(120, 400);
  EXPECT_EQ(Pos(tree[L"label"]).bottom - Pos(tree[L"label"]).top, line + 4);
  EXPECT_EQ(Pos(tree[L"text"]).bottom - Pos(tree[L"text"]).top, line + 8);

  // Fonts are resolved when measuring: a new default font restyles everything.
  tree.manager.SetDefaultFont(L"微软雅黑", 24, false, false, false);
  auto* label = static_cast<CLabelUI*>(tree[L"label"]);
  label->SetFont(-1);
  EXPECT_EQ(label->EstimateSize({100, 0}).cy, tree.manager.GetFontInfo(-1)->tm.tmHeight + 4);
  EXPECT_GT(tree.manager.GetFontInfo(-1)->tm.tmHeight, line);
}

TEST(LayoutTest, AutoWidthFollowsTheText) {
  Tree tree(LR"(<HorizontalLayout><Label name="part" text="abc" autocalcwidth="true"/><Control name="rest"/></HorizontalLayout>)");
  auto* part = static_cast<CLabelUI*>(tree[L"part"]);
  const int short_width = part->EstimateSize({500, 30}).cx;
  part->SetText(L"abcabcabc");
  const int long_width = part->EstimateSize({500, 30}).cx;
  EXPECT_GT(short_width, 0);
  EXPECT_GT(long_width, 2 * short_width);
  tree.Place(500, 30);
  EXPECT_EQ(Pos(tree[L"rest"]).left, long_width);
}

TEST(LayoutTest, MeasuringWorksOnUnattachedAndHiddenControls) {
  CTextUI loose;
  loose.SetText(L"测量 measuring text");
  loose.SetVisible(false);
  EXPECT_GT(loose.EstimateSize({60, 0}).cy, loose.EstimateSize({600, 0}).cy);
}

TEST(ScrollTest, PositionSetBeforeTheFirstLayoutIsAppliedAfterItAndClamped) {
  Tree tree(LR"(<VerticalLayout name="list" vscrollbar="true" vscrollbarstyle="width=&quot;0&quot;">
      <Control height="100"/><Control height="100"/><Control height="100"/><Control name="last" height="100"/>
    </VerticalLayout>)");
  auto* list = static_cast<CContainerUI*>(tree[L"list"]);
  list->SetScrollPos({0, 150});
  EXPECT_EQ(list->GetScrollPos().cy, 0) << "not applied before the layout";
  tree.Place(100, 250);
  EXPECT_EQ(list->GetScrollRange().cy, 150);
  EXPECT_EQ(list->GetScrollPos().cy, 150);
  EXPECT_RECT(tree[L"last"], 0, 150, 100, 250);

  list->SetScrollPos({0, 9999});
  EXPECT_EQ(list->GetScrollPos().cy, 150) << "clamped to the range";
  list->SetScrollPos({0, -20});
  EXPECT_EQ(list->GetScrollPos().cy, 0);
}

TEST(ScrollTest, EndDownBeforeLayoutAddingKeepsThePositionRemoveAllResets) {
  Tree tree(LR"(<VerticalLayout name="list" vscrollbar="true"/>)");
  auto* list = static_cast<CContainerUI*>(tree[L"list"]);
  for (int i = 0; i < 10; ++i) {
    auto* row = new CControlUI;
    row->SetFixedHeight(30);
    list->Add(row);
  }
  list->EndDown();
  tree.Place(100, 100);
  EXPECT_EQ(list->GetScrollPos().cy, 200);
  EXPECT_EQ(list->GetScrollPos().cy, list->GetScrollRange().cy);

  list->SetScrollPos({0, 50});
  for (int i = 0; i < 5; ++i) {
    auto* row = new CControlUI;
    row->SetFixedHeight(30);
    list->Add(row);
  }
  tree.Place(100, 100);
  EXPECT_EQ(list->GetScrollPos().cy, 50) << "adding children never moves the position";
  EXPECT_EQ(list->GetScrollRange().cy, 350);

  list->RemoveAll();
  EXPECT_EQ(list->GetScrollPos().cy, 0);
  EXPECT_EQ(list->GetCount(), 0);
}

TEST(ScrollTest, TheScrollBarTakesItsWidthOnlyWhenNeeded) {
  Tree tree(LR"(<VerticalLayout name="list" vscrollbar="true" vscrollbarstyle="width=&quot;10&quot;">
      <Control name="row" height="60"/>
    </VerticalLayout>)");
  tree.Place(100, 100);
  EXPECT_EQ(Pos(tree[L"row"]).right, 100);
  auto* list = static_cast<CContainerUI*>(tree[L"list"]);
  auto* more = new CControlUI;
  more->SetFixedHeight(60);
  list->Add(more);
  tree.Place(100, 100);
  EXPECT_EQ(Pos(tree[L"row"]).right, 90);
}

using WindowLayoutTest = WindowTest;

TEST_F(WindowLayoutTest, LayoutIsLazyButCurrentRightAfterASizeChange) {
  TestWindow window(Skin(LR"(<VerticalLayout name="root"><Control name="top" height="20"/><Control name="fill"/></VerticalLayout>)"));
  RECT seenAtSize = {};
  window.onMessage = [&](TestWindow& self, UINT msg, WPARAM w, LPARAM l, bool& handled) -> LRESULT {
    if (msg != WM_SIZE) return 0;
    handled = true;
    const LRESULT result = self.WindowImplBase::HandleMessage(msg, w, l);
    seenAtSize = self.Find(L"fill")->GetPos();
    return result;
  };
  HWND hwnd = window.CreatePopup();
  ASSERT_NE(hwnd, nullptr);
  SetWindowPos(hwnd, nullptr, 0, 0, 500, 420, SWP_NOMOVE | SWP_NOZORDER);
  EXPECT_EQ(seenAtSize.right, 500);
  EXPECT_EQ(seenAtSize.bottom, 420);

  auto* root = static_cast<CContainerUI*>(window.Find(L"root"));
  auto* added = new CControlUI;
  added->SetName(L"added");
  added->SetFixedHeight(10);
  root->AddAt(added, 0);
  EXPECT_EQ(window.Find(L"added"), added) << "found as soon as it is added";
  EXPECT_EQ(added->GetPos().bottom, 0) << "GetPos never forces a layout";
  EXPECT_TRUE(window.Manager().IsLayoutPending());
  Testing::PumpPending();  // the paint lays out first
  EXPECT_EQ(added->GetPos().bottom, 10);
  EXPECT_EQ(window.Find(L"top")->GetPos().top, 10);
}

}  // namespace
}  // namespace duilib_test
