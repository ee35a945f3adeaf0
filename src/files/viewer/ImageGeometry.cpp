#include "files/viewer/ImageGeometry.h"

#include <algorithm>

namespace files {

namespace {

// One axis of a rectangle: [start, end).
struct Span {
  LONG start;
  LONG end;
  [[nodiscard]] LONG Length() const { return end - start; }
  [[nodiscard]] LONG Centre() const { return start + Length() / 2; }
};

Span Horizontal(const RECT& rect) { return {rect.left, rect.right}; }
Span Vertical(const RECT& rect) { return {rect.top, rect.bottom}; }
RECT Combine(const Span& x, const Span& y) { return {x.start, y.start, x.end, y.end}; }

Span ZoomAxis(const Span& control, const Span& base, int size, int percent) {
  const LONG length = percent * size / 100;
  const LONG centre = control.Centre();
  if (length < control.Length()) return {centre - length / 2, centre - length / 2 + length};
  // Where the control's centre lies inside the picture, as a fraction.
  const double fraction = base.Length() != 0 ? (centre - base.start) / static_cast<double>(base.Length()) : 0.5;
  LONG start = static_cast<LONG>(centre - percent * fraction * size / 100.0);
  if (start + length < control.end) start = control.end - length;
  return {start, start + length};
}

Span MoveAxis(const Span& control, const Span& drawn, int delta) {
  const LONG length = drawn.Length();
  if (length <= control.Length()) return drawn;
  LONG start = drawn.start - delta;
  if (delta > 0 && start + length < control.end) start = control.end - length;
  if (delta < 0 && start > control.start) start = control.start;
  return {start, start + length};
}

LONG Scale(LONG value, double factor) { return static_cast<LONG>(value * factor); }

}  // namespace

int ComputeFitZoomPercent(int w, int h, int bw, int bh) {
  // Only a side larger than the control's divides, so no divisor is 0.
  auto byWidth = [&] { return static_cast<int>(bw * 100.0 / w); };
  auto byHeight = [&] { return static_cast<int>(bh * 100.0 / h); };
  if (w < bw && h < bh) return 100;
  if (w < bw && h > bh) return byHeight();
  if (w > bw && h < bh) return byWidth();
  if (w > bw && h > bh) return std::min(byWidth(), byHeight());
  return 100;
}

RECT CenteredImageRect(const RECT& control, int width, int height, int percent) {
  const LONG left = Horizontal(control).Centre() - width * percent / 200;
  const LONG top = Vertical(control).Centre() - height * percent / 200;
  return {left, top, left + width * percent / 100, top + height * percent / 100};
}

RECT ZoomedImageRect(const RECT& control, const RECT& base, int width, int height, int percent) {
  return Combine(ZoomAxis(Horizontal(control), Horizontal(base), width, percent),
                 ZoomAxis(Vertical(control), Vertical(base), height, percent));
}

RECT MovedImageRect(const RECT& control, const RECT& draw, int dx, int dy) {
  return Combine(MoveAxis(Horizontal(control), Horizontal(draw), dx), MoveAxis(Vertical(control), Vertical(draw), dy));
}

RECT ScaledBaseRect(const RECT& base, const RECT& previous, const RECT& current) {
  const LONG previousWidth = previous.right - previous.left;
  const LONG previousHeight = previous.bottom - previous.top;
  if (previousWidth == 0 || previousHeight == 0) return base;
  const double rx = static_cast<double>(current.right - current.left) / previousWidth;
  const double ry = static_cast<double>(current.bottom - current.top) / previousHeight;
  return {Scale(base.left, rx), Scale(base.top, ry), Scale(base.right, rx), Scale(base.bottom, ry)};
}

}  // namespace files
