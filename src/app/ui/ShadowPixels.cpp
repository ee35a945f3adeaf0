#include "app/ui/ShadowPixels.h"

#include <algorithm>
#include <cmath>

namespace {

// A picture of w x h pixels, addressed by line from the top, stored bottom-up.
class Picture {
 public:
  Picture(int width, int height) : m_width(width), m_height(height), m_pixels(static_cast<size_t>(width) * height, 0) {}

  [[nodiscard]] bool Contains(int x, int t) const { return x >= 0 && x < m_width && t >= 0 && t < m_height; }
  uint32_t& At(int x, int t) { return m_pixels[static_cast<size_t>(m_height - 1 - t) * m_width + x]; }

  void Fill(int t, int from, int to, uint32_t value) {
    if (t < 0 || t >= m_height) return;
    from = std::max(from, 0);
    to = std::min(to, m_width);
    for (int x = from; x < to; ++x) At(x, t) = value;
  }

  std::vector<uint32_t> Take() { return std::move(m_pixels); }

 private:
  int m_width;
  int m_height;
  std::vector<uint32_t> m_pixels;
};

}  // namespace

std::vector<LineSpan> SpansOfRegion(HRGN region, int width, int height) {
  std::vector<LineSpan> spans(static_cast<size_t>(std::max(height, 0)), LineSpan{width, 0});
  if (!region) return spans;
  for (int y = 0; y < height; ++y) {
    int left = 0;
    while (left < width && !PtInRegion(region, left, y)) ++left;
    if (left == width) continue;
    int right = width - 1;
    while (right > left && !PtInRegion(region, right, y)) --right;
    spans[static_cast<size_t>(y)] = LineSpan{left, right + 1};
  }
  return spans;
}

uint32_t PreMultiply(COLORREF color, uint8_t alpha) {
  const uint32_t red = GetRValue(color) * alpha / 255;
  const uint32_t green = GetGValue(color) * alpha / 255;
  const uint32_t blue = GetBValue(color) * alpha / 255;
  return (red << 16) | (green << 8) | blue;
}

std::vector<uint32_t> MakeShadowPixels(const ShadowParams& params, int width, int height,
                                       const std::vector<LineSpan>& spans) {
  const int s = params.size;
  const int sharpness = params.sharpness;
  const int shadowWidth = width + 2 * s;
  const int shadowHeight = height + 2 * s;
  if (shadowWidth <= 0 || shadowHeight <= 0 || width <= 0 || height <= 0) return {};
  const LineSpan empty{width, 0};
  auto parentSpan = [&](int line) {
    return line >= 0 && line < height && line < static_cast<int>(spans.size()) ? spans[static_cast<size_t>(line)] : empty;
  };

  // Shadow spans, with an empty span above the first and below the last line.
  std::vector<LineSpan> anchors(static_cast<size_t>(shadowHeight) + 2, empty);
  for (int t = 0; t < shadowHeight; ++t) {
    const LineSpan parent = parentSpan(t - s);
    if (parent.left < parent.right) anchors[static_cast<size_t>(t) + 1] = LineSpan{parent.left + s, parent.right + s};
  }
  auto anchor = [&anchors](int t) -> const LineSpan& { return anchors[static_cast<size_t>(t) + 1]; };

  // Erosion: a sharper shadow than its size starts further inside.
  for (int pass = 0; pass < sharpness - s; ++pass) {
    std::vector<LineSpan> eroded(anchors);
    for (int t = 0; t < shadowHeight; ++t) {
      const LineSpan& above = anchor(t - 1);
      const LineSpan& self = anchor(t);
      const LineSpan& below = anchor(t + 1);
      eroded[static_cast<size_t>(t) + 1] = LineSpan{std::max({above.left, self.left, below.left}) + 1,
                                                    std::min({above.right, self.right, below.right}) - 1};
    }
    anchors.swap(eroded);
  }

  // Kernel: full darkness inside the inner radius, fading to the outer one.
  const int radius = std::max(sharpness, s);
  const int inner = s > sharpness ? s - sharpness : 0;
  const int side = 2 * radius + 1;
  std::vector<uint32_t> kernel(static_cast<size_t>(side) * side, 0);
  for (int dy = -radius; dy <= radius; ++dy) {
    for (int dx = -radius; dx <= radius; ++dx) {
      const double distance = std::sqrt(static_cast<double>(dx * dx + dy * dy));
      uint32_t value = 0;
      if (distance < inner) {
        value = (static_cast<uint32_t>(params.darkness) << 24) | PreMultiply(params.color, params.darkness);
      } else if (distance <= radius) {
        const double factor = 1.0 - (distance - inner) / (sharpness + 1);
        const auto alpha = static_cast<uint8_t>(std::max(0.0, factor * params.darkness));
        value = (static_cast<uint32_t>(alpha) << 24) | PreMultiply(params.color, alpha);
      }
      kernel[static_cast<size_t>(dy + radius) * side + (dx + radius)] = value;
    }
  }

  Picture picture(shadowWidth, shadowHeight);
  auto layKernel = [&](int cx, int ct) {
    for (int dy = -radius; dy <= radius; ++dy) {
      for (int dx = -radius; dx <= radius; ++dx) {
        const int x = cx + dx, t = ct + dy;
        if (!picture.Contains(x, t)) continue;
        uint32_t& pixel = picture.At(x, t);
        pixel = std::max(pixel, kernel[static_cast<size_t>(dy + radius) * side + (dx + radius)]);
      }
    }
  };

  // Edges: the kernel along the left and right ends of each line, only
  // where the outline moves between neighbouring lines.
  for (int t = radius; t <= shadowHeight - radius - 1; ++t) {
    const LineSpan span = anchor(t);
    if (span.left >= span.right) continue;
    const LineSpan above = anchor(t - 1);
    const LineSpan below = anchor(t + 1);
    int x = span.left;
    const int leftEnd = std::min(span.right, std::max(above.left, below.left) + 1);
    for (; x < leftEnd; ++x) layKernel(x, t);
    x = std::max(x, std::min(above.right, below.right) - 1);
    for (; x < span.right; ++x) layKernel(x, t);
  }

  // Interior: full darkness, except under the window itself.
  const uint32_t full = (static_cast<uint32_t>(params.darkness) << 24) | PreMultiply(params.color, params.darkness);
  const int first = std::min(radius, std::max(s - params.yOffset, 0));
  const int last = std::max(shadowHeight - radius, std::min(height + s - params.yOffset, shadowHeight));
  for (int t = std::max(first, 0); t < std::min(last, shadowHeight); ++t) {
    const LineSpan span = anchor(t);
    const int parentLine = t - s + params.yOffset;
    if (parentLine < 0 || parentLine >= height) {
      picture.Fill(t, span.left, span.right, full);
      continue;
    }
    const LineSpan parent = parentSpan(parentLine);
    const int movedLeft = parent.left + s - params.xOffset;
    const int movedRight = parent.right + s - params.xOffset;
    picture.Fill(t, span.left, std::min(movedLeft, span.right), full);
    picture.Fill(t, std::max(movedLeft, 0), std::min(movedRight, shadowWidth), 0);
    picture.Fill(t, std::max(span.left, movedRight), span.right, full);
  }
  return picture.Take();
}
