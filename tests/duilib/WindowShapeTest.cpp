// The borderless window: region, non-client hit test, maximise, placement,
// class and title.

#include <gtest/gtest.h>

#include "TestWindow.h"
#include "WindowFixture.h"

namespace duilib_test {
namespace {

using namespace DuiLib;

const wchar_t kFrame[] = LR"(<VerticalLayout bkcolor="#FFFFFFFF">
    <HorizontalLayout height="30">
      <Label name="title" text="标题"/>
      <Button name="minbtn" width="30"/><Button name="maxbtn" width="30"/>
      <Button name="restorebtn" width="30" visible="false"/><Button name="closebtn" width="30"/>
    </HorizontalLayout>
    <Control/>
  </VerticalLayout>)";

RECT RegionBox(HWND hwnd) {
  HRGN region = CreateRectRgn(0, 0, 0, 0);
  RECT box = {-1, -1, -1, -1};
  if (GetWindowRgn(hwnd, region) != ERROR) GetRgnBox(region, &box);
  DeleteObject(region);
  return box;
}

bool InRegion(HWND hwnd, int x, int y) {
  HRGN region = CreateRectRgn(0, 0, 0, 0);
  const bool inside = GetWindowRgn(hwnd, region) != ERROR && PtInRegion(region, x, y);
  DeleteObject(region);
  return inside;
}

using WindowShapeTest = WindowTest;

TEST_F(WindowShapeTest, ARoundedRegionExistsBeforeTheFirstShowAndFollowsResizes) {
  TestWindow window(Skin(kFrame, L"size=\"300,200\" roundcorner=\"10,10\""));
  HWND hwnd = window.Create(nullptr, L"shape", WS_POPUP, 0, 10, 10, 50, 50);
  ASSERT_NE(hwnd, nullptr);
  EXPECT_FALSE(IsWindowVisible(hwnd));
  RECT box = RegionBox(hwnd);
  EXPECT_EQ(box.right, 300);
  EXPECT_EQ(box.bottom, 200);
  EXPECT_FALSE(InRegion(hwnd, 0, 0)) << "the corner is cut";
  EXPECT_TRUE(InRegion(hwnd, 150, 100));
  SetWindowPos(hwnd, nullptr, 0, 0, 420, 260, SWP_NOMOVE | SWP_NOZORDER);
  box = RegionBox(hwnd);
  EXPECT_EQ(box.right, 420);
  EXPECT_EQ(box.bottom, 260);
  EXPECT_FALSE(InRegion(hwnd, 419, 259));
}

TEST_F(WindowShapeTest, WithoutRoundCornerTheRegionIsTheRectangle) {
  TestWindow window(Skin(kFrame, L"size=\"120,80\""));
  HWND hwnd = window.CreatePopup();
  EXPECT_TRUE(InRegion(hwnd, 0, 0));
  EXPECT_EQ(RegionBox(hwnd).right, 120);
}

TEST_F(WindowShapeTest, NoSystemFrameWhateverTheStyle) {
  TestWindow window(Skin(kFrame, L"size=\"300,200\""));
  HWND hwnd = window.Create(nullptr, L"framed", WS_VISIBLE | WS_OVERLAPPEDWINDOW, 0x100);
  ASSERT_NE(hwnd, nullptr);
  RECT client, frame;
  GetClientRect(hwnd, &client);
  GetWindowRect(hwnd, &frame);
  EXPECT_EQ(client.right, frame.right - frame.left);
  EXPECT_EQ(client.bottom, frame.bottom - frame.top);
  EXPECT_EQ(FindWindowW(L"DuiTestWindow", L"framed"), hwnd);
}

TEST_F(WindowShapeTest, CaptionSizeBoxAndInteractiveControlsInTheHitTest) {
  TestWindow window(Skin(kFrame, L"size=\"300,200\" caption=\"0,0,0,30\" sizebox=\"4,4,4,4\""));
  HWND hwnd = window.Create(nullptr, L"hit", WS_POPUP | WS_VISIBLE | WS_THICKFRAME | WS_MAXIMIZEBOX, 0, 100, 100);
  ASSERT_NE(hwnd, nullptr);
  Testing::PumpPending();
  auto hit = [hwnd](int x, int y) {
    POINT pt = {x, y};
    ClientToScreen(hwnd, &pt);
    return SendMessageW(hwnd, WM_NCHITTEST, 0, MAKELPARAM(pt.x, pt.y));
  };
  EXPECT_EQ(hit(50, 15), HTCAPTION) << "over the title label";
  EXPECT_EQ(hit(285, 15), HTCLIENT) << "over a button";
  EXPECT_EQ(hit(50, 100), HTCLIENT);
  EXPECT_EQ(hit(1, 100), HTLEFT);
  EXPECT_EQ(hit(298, 198), HTBOTTOMRIGHT);
  EXPECT_EQ(hit(150, 1), HTTOP);

  SetWindowLongW(hwnd, GWL_STYLE, GetWindowLongW(hwnd, GWL_STYLE) & ~WS_THICKFRAME);
  EXPECT_EQ(hit(1, 100), HTCLIENT) << "no sizing without a thick frame";
}

TEST_F(WindowShapeTest, MaximiseCoversTheWorkAreaAndSwapsTheSystemButtons) {
  TestWindow window(Skin(kFrame, L"size=\"300,200\" roundcorner=\"8,8\" mininfo=\"200,150\""));
  HWND hwnd = window.Create(nullptr, L"max", WS_POPUP | WS_VISIBLE | WS_THICKFRAME | WS_MAXIMIZEBOX, 0, 10, 10);
  ASSERT_TRUE(Testing::Click(hwnd, L"maxbtn"));
  ASSERT_TRUE(IsZoomed(hwnd));
  MONITORINFO monitor = {sizeof monitor};
  GetMonitorInfoW(MonitorFromWindow(hwnd, MONITOR_DEFAULTTONEAREST), &monitor);
  RECT rc;
  GetWindowRect(hwnd, &rc);
  EXPECT_TRUE(EqualRect(&rc, &monitor.rcWork));
  EXPECT_FALSE(window.Find(L"maxbtn")->IsVisible());
  EXPECT_TRUE(window.Find(L"restorebtn")->IsVisible());
  EXPECT_TRUE(InRegion(hwnd, 0, 0)) << "a maximised window is a plain rectangle";

  ASSERT_TRUE(Testing::Click(hwnd, L"restorebtn"));
  EXPECT_FALSE(IsZoomed(hwnd));
  EXPECT_TRUE(window.Find(L"maxbtn")->IsVisible());
  EXPECT_FALSE(window.Find(L"restorebtn")->IsVisible());
  EXPECT_FALSE(InRegion(hwnd, 0, 0));

  MINMAXINFO info = {};
  SendMessageW(hwnd, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
  EXPECT_EQ(info.ptMinTrackSize.x, 200);
  EXPECT_EQ(info.ptMinTrackSize.y, 150);
}

TEST_F(WindowShapeTest, ADoubleClickOnTheCaptionMaximisesWithAMaximiseBox) {
  TestWindow window(Skin(kFrame, L"size=\"300,200\" caption=\"0,0,0,30\""));
  HWND hwnd = window.Create(nullptr, L"dbl", WS_POPUP | WS_VISIBLE | WS_MAXIMIZEBOX | WS_THICKFRAME, 0, 10, 10);
  SendMessageW(hwnd, WM_NCLBUTTONDBLCLK, HTCAPTION, MAKELPARAM(60, 25));
  EXPECT_TRUE(IsZoomed(hwnd));
  SendMessageW(hwnd, WM_NCLBUTTONDBLCLK, HTCAPTION, MAKELPARAM(60, 25));
  EXPECT_FALSE(IsZoomed(hwnd));
  TestWindow fixed(Skin(kFrame, L"size=\"300,200\" caption=\"0,0,0,30\""), L"DuiFixed");
  HWND fixedWindow = fixed.Create(nullptr, L"fixed", WS_POPUP | WS_VISIBLE, 0, 10, 10);
  SendMessageW(fixedWindow, WM_NCLBUTTONDBLCLK, HTCAPTION, MAKELPARAM(60, 25));
  EXPECT_FALSE(IsZoomed(fixedWindow));
}

TEST_F(WindowShapeTest, CenterWindowOverTheOwnerAndInsideTheWorkArea) {
  TestWindow owner(Skin(kFrame, L"size=\"400,300\""), L"DuiOwner");
  HWND ownerWindow = owner.Create(nullptr, L"owner", WS_POPUP | WS_VISIBLE, 0, 100, 100);
  TestWindow dialog(Skin(kFrame, L"size=\"200,100\""), L"DuiDialog");
  HWND dialogWindow = dialog.Create(ownerWindow, L"dialog", WS_POPUP | WS_VISIBLE, 0);
  dialog.CenterWindow();
  RECT rc;
  GetWindowRect(dialogWindow, &rc);
  EXPECT_EQ(rc.left, 200);
  EXPECT_EQ(rc.top, 200);
  EXPECT_EQ(GetWindow(dialogWindow, GW_OWNER), ownerWindow) << "the parent is the owner";
  EXPECT_FALSE(GetWindowLongW(dialogWindow, GWL_STYLE) & WS_CHILD);

  SetWindowPos(ownerWindow, nullptr, -380, -280, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  dialog.CenterWindow();
  GetWindowRect(dialogWindow, &rc);
  MONITORINFO monitor = {sizeof monitor};
  GetMonitorInfoW(MonitorFromWindow(dialogWindow, MONITOR_DEFAULTTONEAREST), &monitor);
  EXPECT_EQ(rc.left, monitor.rcWork.left) << "clamped into the work area";
  EXPECT_EQ(rc.top, monitor.rcWork.top);

  dialog.ResizeClient(150, 90);
  GetClientRect(dialogWindow, &rc);
  EXPECT_EQ(rc.right, 150);
  EXPECT_EQ(rc.bottom, 90);
}

TEST_F(WindowShapeTest, TwoLiveWindowsMayShareAClassAndAreFoundByTitle) {
  TestWindow first(Skin(kFrame), L"MainWindow");
  TestWindow second(Skin(kFrame), L"MainWindow");
  HWND a = first.CreatePopup(nullptr, WS_POPUP | WS_VISIBLE, L"Corvanel");
  HWND b = second.CreatePopup(nullptr, WS_POPUP | WS_VISIBLE, L"文件");
  ASSERT_NE(a, nullptr);
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(FindWindowW(L"MainWindow", L"Corvanel"), a);
  EXPECT_EQ(FindWindowW(L"MainWindow", L"文件"), b);
  EXPECT_EQ(CWindowWnd::FromHandle(a), &first);
  EXPECT_EQ(CWindowWnd::FromHandle(GetDesktopWindow()), nullptr);
  const auto windows = Testing::FrameworkWindows();
  EXPECT_EQ(windows.size(), 2u);
  EXPECT_EQ(Testing::ManagerOf(b), &second.Manager());
}

}  // namespace
}  // namespace duilib_test
