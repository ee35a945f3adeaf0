// The shadow picture, computed without a screen.

#include <gtest/gtest.h>

#include "app/ui/ShadowPixels.h"
#include "quennet/WinHandles.h"

namespace {

// The values every window sets.
ShadowParams Standard() {
  ShadowParams params;
  params.size = 4;
  params.xOffset = 0;
  params.yOffset = 0;
  return params;
}

std::vector<LineSpan> Rectangle(int width, int height) {
  return std::vector<LineSpan>(static_cast<size_t>(height), LineSpan{0, width});
}

struct Shadow {
  Shadow(const ShadowParams& params, int width, int height, const std::vector<LineSpan>& spans)
      : w(width + 2 * params.size), h(height + 2 * params.size), pixels(MakeShadowPixels(params, width, height, spans)) {}
  // Alpha at (x, line from the top); the buffer is bottom-up.
  [[nodiscard]] int Alpha(int x, int t) const { return static_cast<int>(pixels[static_cast<size_t>(h - 1 - t) * w + x] >> 24); }
  int w, h;
  std::vector<uint32_t> pixels;
};

TEST(ShadowPixelsTest, StandardShadowFadesOutwardAndLeavesTheWindowClear) {
  const Shadow shadow(Standard(), 60, 40, Rectangle(60, 40));
  ASSERT_EQ(shadow.pixels.size(), 68u * 48u);
  EXPECT_EQ(shadow.Alpha(0, 0), 0) << "the far corner is outside the kernel";
  // Under the window (4..64 x 4..44) nothing is painted.
  for (int t = 4; t < 44; t += 3) {
    for (int x = 4; x < 64; x += 3) ASSERT_EQ(shadow.Alpha(x, t), 0) << x << "," << t;
  }
  // Along the left edge the alpha falls as (1 - d / 6) x 150 from the eroded edge at x 5.
  EXPECT_EQ(shadow.Alpha(3, 24), 100);
  EXPECT_EQ(shadow.Alpha(1, 24), 50);
  EXPECT_EQ(shadow.Alpha(0, 24), 24) << "truncated: (1 - 5/6) x 150 is just under 25 in floating point";
  for (int t = 0; t < shadow.h; ++t) {
    for (int x = 0; x < shadow.w; ++x) {
      ASSERT_EQ(shadow.Alpha(x, t), shadow.Alpha(shadow.w - 1 - x, t)) << "mirror " << x << "," << t;
      ASSERT_EQ(shadow.Alpha(x, t), shadow.Alpha(x, shadow.h - 1 - t)) << "flip " << x << "," << t;
      ASSERT_LE(shadow.Alpha(x, t), 150);
      ASSERT_EQ(shadow.pixels[static_cast<size_t>(t) * shadow.w + x] & 0xFFFFFF, 0u) << "black stays black";
    }
  }
}

TEST(ShadowPixelsTest, OffsetsMoveTheClearPartUnderTheWindow) {
  ShadowParams params = Standard();
  params.xOffset = 5;
  params.yOffset = 5;
  const Shadow shadow(params, 60, 40, Rectangle(60, 40));
  // The shadow window sits 5 px right and down: the window covers its x -1..59, lines -1..39.
  EXPECT_EQ(shadow.Alpha(30, 20), 0);
  EXPECT_GT(shadow.Alpha(66, 44), 0) << "bottom right shows below and beside the window";
}

TEST(ShadowPixelsTest, AWindowWithoutAnOutlineCastsNoShadow) {
  const std::vector<LineSpan> none(40, LineSpan{60, 0});
  const Shadow shadow(Standard(), 60, 40, none);
  for (uint32_t pixel : shadow.pixels) ASSERT_EQ(pixel, 0u);
  EXPECT_EQ(SpansOfRegion(nullptr, 60, 3).front().left, 60);
}

TEST(ShadowPixelsTest, ExtremeSizesAndTinyWindowsStayInsideThePicture) {
  // Every write is clipped: no combination may write past the buffer or throw.
  for (int size : {-20, -5, 0, 1, 5, 20}) {
    for (int offset : {-20, 0, 20}) {
      for (int sharpness : {0, 5, 20}) {
        for (auto [w, h] : {std::pair{1, 1}, std::pair{3, 50}, std::pair{41, 41}, std::pair{200, 7}}) {
          ShadowParams params;
          params.size = static_cast<int8_t>(size);
          params.xOffset = static_cast<int8_t>(offset);
          params.yOffset = static_cast<int8_t>(-offset);
          params.sharpness = static_cast<uint8_t>(sharpness);
          const auto pixels = MakeShadowPixels(params, w, h, Rectangle(w, h));
          const int sw = w + 2 * size, sh = h + 2 * size;
          if (sw <= 0 || sh <= 0) {
            EXPECT_TRUE(pixels.empty()) << "nothing to draw for " << w << "x" << h << " size " << size;
          } else {
            EXPECT_EQ(pixels.size(), static_cast<size_t>(sw) * sh);
          }
        }
      }
    }
  }
}

TEST(ShadowPixelsTest, SpansFollowARoundedOutline) {
  quennet::UniqueRegion region(CreateRoundRectRgn(0, 0, 51, 31, 10, 10));
  const auto spans = SpansOfRegion(region.get(), 50, 30);
  ASSERT_EQ(spans.size(), 30u);
  EXPECT_GT(spans[0].left, 0) << "the corner is cut";
  EXPECT_EQ(spans[15].left, 0);
  EXPECT_EQ(spans[15].right, 50);
  EXPECT_EQ(spans[0].left, 50 - spans[0].right) << "symmetric";
  const Shadow rounded(Standard(), 50, 30, spans);
  const Shadow square(Standard(), 50, 30, Rectangle(50, 30));
  EXPECT_LT(rounded.Alpha(3, 3), square.Alpha(3, 3)) << "the shadow's corner is rounded too";
  EXPECT_EQ(rounded.Alpha(2, 19), square.Alpha(2, 19)) << "the straight sides are alike";
}

TEST(ShadowPixelsTest, PreMultiplyScalesEachChannel) {
  EXPECT_EQ(PreMultiply(RGB(255, 128, 0), 128), (128u << 16) | (64u << 8));
  EXPECT_EQ(PreMultiply(RGB(10, 20, 30), 255), (10u << 16) | (20u << 8) | 30u);
  EXPECT_EQ(PreMultiply(RGB(255, 255, 255), 0), 0u);
}

}  // namespace
