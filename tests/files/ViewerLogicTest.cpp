// The image viewer's decisions: zoom steps and their limits, the client size
// that fits a picture, and what the save dialog offers.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "files/viewer/ViewerLogic.h"

namespace {

using files::ZoomCommand;

const std::vector<int> kOffsets = {3, 5, 7};

TEST(ViewerLogicTest, ZoomStepsGrowInGroupsOfThree) {
  std::vector<int> up, down;
  for (int step = 1; step <= 4; ++step) {
    up.push_back(files::ZoomPercentForStep(100, step, kOffsets) - 100);
    down.push_back(files::ZoomPercentForStep(100, -step, kOffsets) - 100);
  }
  EXPECT_EQ(up, (std::vector<int>{5, 7, 18, 20}));
  EXPECT_EQ(down, (std::vector<int>{-5, -7, -18, -20}));
  EXPECT_EQ(files::ZoomPercentForStep(100, 6, kOffsets), 133);
}

TEST(ViewerLogicTest, ZoomStopsAtItsLimits) {
  // A very large picture fits at 3: zooming out takes no step, and 5 is shown.
  EXPECT_EQ(files::ZoomStepAfter(ZoomCommand::Out, 0, 3, kOffsets), 0);
  EXPECT_EQ(files::ClampZoomPercent(files::ZoomPercentForStep(3, 0, kOffsets)), 5);

  int step = 0;
  int shownMax = 0;
  for (int click = 0; click < 400; ++click) {
    step = files::ZoomStepAfter(ZoomCommand::In, step, 100, kOffsets);
    shownMax = std::max(shownMax, files::ClampZoomPercent(files::ZoomPercentForStep(100, step, kOffsets)));
  }
  EXPECT_GE(files::ZoomPercentForStep(100, step, kOffsets), 1600);
  EXPECT_LT(files::ZoomPercentForStep(100, step - 1, kOffsets), 1600) << "no step once 1600 is reached";
  EXPECT_EQ(shownMax, 1600);
  EXPECT_EQ(files::ZoomStepAfter(ZoomCommand::Fit, step, 100, kOffsets), 0);
}

TEST(ViewerLogicTest, ClientSizeFollowsThePictureWithinItsLimits) {
  const SIZE maximum = {1270, 790};
  auto size = [&](int w, int h) {
    const auto fitted = files::FitClientSize(w, h, maximum);
    return fitted ? std::to_string(fitted->cx) + "x" + std::to_string(fitted->cy) : std::string("unchanged");
  };
  EXPECT_EQ(size(400, 300), "unchanged");
  EXPECT_EQ(size(800, 300), "800x415");
  EXPECT_EQ(size(500, 600), "615x600");
  EXPECT_EQ(size(900, 700), "900x700");
  EXPECT_EQ(size(2540, 100), "1270x415") << "twice the work area's width";
  EXPECT_EQ(size(400, 3160), "615x790") << "a narrow tall picture keeps the minimum width";
  EXPECT_EQ(size(4000, 3000), "1053x790") << "both sides too large: the tighter scale";
  EXPECT_EQ(size(615, 300), "unchanged") << "a side exactly on a limit";
}

TEST(ViewerLogicTest, SaveDialogOffersACleanNameAndTheTitlesType) {
  EXPECT_EQ(files::CleanNameForSaving(L"a:b/c.png"), L"a-b-c.png");
  EXPECT_EQ(files::CleanNameForSaving(L"x\\y*z?\"<>|.jpg"), L"x-y-z-----.jpg");
  EXPECT_EQ(files::ExtensionOf(L"a:b/c.png"), L"png");
  EXPECT_EQ(files::ExtensionOf(L"截图"), L"");

  EXPECT_EQ(files::SaveFilter(L"png", L"Picture", L"All files"), std::wstring(L"Picture(*.png)\0*.png\0\0", 22));
  EXPECT_EQ(files::SaveFilter(L"", L"Picture", L"All files"), std::wstring(L"All files\0*.*\0\0", 15));
}

TEST(ViewerLogicTest, ALongTitleLosesTheEndOfItsStemButKeepsItsExtension) {
  const std::wstring title = std::wstring(300, L'图') + L".png";
  const std::wstring fitted = files::FitNameToBuffer(title);
  EXPECT_EQ(fitted.size(), files::kSaveNameBufferLength - 1) << "room for the closing NUL";
  EXPECT_EQ(fitted.substr(fitted.size() - 4), L".png");
  EXPECT_EQ(files::FitNameToBuffer(L"short.png"), L"short.png");
  EXPECT_EQ(files::FitNameToBuffer(std::wstring(400, L'x')).size(), files::kSaveNameBufferLength - 1);
}

}  // namespace
