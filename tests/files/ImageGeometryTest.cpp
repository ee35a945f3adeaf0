// Where the image control puts its picture: the fit, the centred rectangle,
// zooming about the centre, clamped drags and a resized control.

#include <gtest/gtest.h>

#include <string>

#include "files/viewer/ImageGeometry.h"

namespace {

using files::CenteredImageRect;
using files::ComputeFitZoomPercent;
using files::MovedImageRect;
using files::ScaledBaseRect;
using files::ZoomedImageRect;

constexpr RECT kControl = {0, 0, 600, 400};

std::string Text(const RECT& r) {
  return std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) + "," +
         std::to_string(r.bottom);
}
#define EXPECT_RECT(actual, l, t, r, b) EXPECT_EQ(Text(actual), Text(RECT{l, t, r, b}))

TEST(ImageGeometryTest, FitNeverEnlargesAndTakesTheTighterSide) {
  EXPECT_EQ(ComputeFitZoomPercent(300, 200, 600, 400), 100);
  EXPECT_RECT(CenteredImageRect(kControl, 300, 200, 100), 150, 100, 450, 300);
  EXPECT_EQ(ComputeFitZoomPercent(1200, 300, 600, 400), 50);
  EXPECT_EQ(ComputeFitZoomPercent(800, 1000, 600, 400), 40) << "the smaller of 75 and 40";
  EXPECT_EQ(ComputeFitZoomPercent(600, 1000, 600, 400), 100) << "an equal side counts as fitting";
  EXPECT_EQ(ComputeFitZoomPercent(0, 0, 600, 400), 100) << "no picture";
  EXPECT_EQ(ComputeFitZoomPercent(0, 0, 0, 0), 100) << "nothing is divided by zero";
}

TEST(ImageGeometryTest, AQuarterTurnFitsTheSwappedSizesButKeepsTheUnturnedRectangle) {
  const RECT control = {0, 0, 600, 800};
  const int fit = ComputeFitZoomPercent(500, 1000, 600, 800);  // a 1000 x 500 picture turned once
  EXPECT_EQ(fit, 80);
  EXPECT_RECT(CenteredImageRect(control, 1000, 500, fit), -100, 200, 700, 600) << "800 x 400, painted turned";
}

TEST(ImageGeometryTest, ZoomKeepsThePointUnderTheCentreAndCentresWhatStillFits) {
  const RECT base = CenteredImageRect(kControl, 1000, 800, 50);  // 500 x 400, centred
  const RECT zoomed = ZoomedImageRect(kControl, base, 1000, 800, 100);
  EXPECT_RECT(zoomed, -200, -200, 800, 600) << "the picture's middle stays in the middle";

  const RECT moved = {-400, -200, 600, 600};  // dragged fully to the left edge
  EXPECT_RECT(ZoomedImageRect(kControl, moved, 1000, 800, 100), -400, -200, 600, 600);
  // Zooming out from there leaves a gap on the right: the picture is pinned to it.
  EXPECT_RECT(ZoomedImageRect(kControl, moved, 1000, 800, 70), -100, -80, 600, 480);
  EXPECT_RECT(ZoomedImageRect(kControl, moved, 1000, 800, 40), 100, 40, 500, 360)
      << "smaller than the control on both axes: centred, whatever the moves";
}

TEST(ImageGeometryTest, ZoomOfAnEmptyBaseCentres) {
  const RECT empty = {300, 200, 300, 200};  // an unreadable picture's rectangle
  EXPECT_RECT(ZoomedImageRect(kControl, empty, 1200, 1000, 100), -300, -300, 900, 700);
}

TEST(ImageGeometryTest, DragsMoveOnlyAxesThatOverflowAndNeverUncoverTheFarEdge) {
  const RECT wide = {-100, 50, 700, 350};  // wider than the control, lower than it
  EXPECT_RECT(MovedImageRect(kControl, wide, 30, 30), -130, 50, 670, 350) << "only x moves";
  EXPECT_RECT(MovedImageRect(kControl, wide, 500, 0), -200, 50, 600, 350) << "the right edge stays covered";
  EXPECT_RECT(MovedImageRect(kControl, wide, -500, 0), 0, 50, 800, 350) << "the left edge stays covered";

  const RECT fits = {100, 100, 500, 300};
  EXPECT_RECT(MovedImageRect(kControl, fits, 40, -40), 100, 100, 500, 300);

  const RECT tallAsWide = {0, -300, 600, 700};  // exactly as wide as the control, taller
  EXPECT_RECT(MovedImageRect(kControl, tallAsWide, 20, 50), 0, -350, 600, 650) << "moves up and down";
}

TEST(ImageGeometryTest, ResizeScalesTheBaseCoordinatesAndKeepsItWithoutAPreviousSize) {
  const RECT base = {100, 50, 500, 350};
  EXPECT_RECT(ScaledBaseRect(base, RECT{0, 0, 600, 400}, RECT{0, 0, 900, 600}), 150, 75, 750, 525);
  EXPECT_RECT(ScaledBaseRect(base, RECT{0, 0, 0, 400}, RECT{0, 0, 900, 600}), 100, 50, 500, 350);
}

}  // namespace
