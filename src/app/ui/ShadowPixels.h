#pragma once

// The picture of a window's drop shadow, computed from the window's outline
// without touching a screen, so that it can be tested on its own.

#include <windows.h>

#include <cstdint>
#include <vector>

struct ShadowParams {
  uint8_t darkness = 150;
  uint8_t sharpness = 5;
  int8_t size = 0;
  int8_t xOffset = 5;
  int8_t yOffset = 5;
  COLORREF color = 0;
};

// The part of one line inside the outline, as [left, right). An empty span
// has left >= right; a line without any point inside is (width, 0).
struct LineSpan {
  int left;
  int right;
};

// The spans of each line of a width x height window from its region (its
// outline); without a region every span is empty.
std::vector<LineSpan> SpansOfRegion(HRGN region, int width, int height);

// Colour channels times alpha / 255, as a DIB pixel (blue in the low byte).
uint32_t PreMultiply(COLORREF color, uint8_t alpha);

// The shadow of a width x height window: (width + 2 size) x (height + 2 size)
// premultiplied pixels, bottom-up as a DIB section stores them. Empty when
// that size has no area. Every write is clipped to the picture.
std::vector<uint32_t> MakeShadowPixels(const ShadowParams& params, int width, int height,
                                       const std::vector<LineSpan>& spans);
