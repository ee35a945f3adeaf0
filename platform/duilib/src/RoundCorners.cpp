#include "RoundCorners.h"

#include <algorithm>
#include <cmath>

#include "quennet/WinHandles.h"

namespace DuiLib::detail {

namespace {

// Below this radius the stair is a pixel or two and not worth the reading back.
constexpr double kLeastSmoothedRadius = 8.0;
// Samples per pixel side when measuring how much of a pixel the round covers.
constexpr int kSamples = 4;

bool IsInside(const RECT& rc, double rx, double ry, double x, double y) {
  if (x < rc.left || x > rc.right || y < rc.top || y > rc.bottom) return false;
  // The centre of the corner's ellipse nearest to the point, if the point lies in that corner.
  const double cx = x < rc.left + rx ? rc.left + rx : (x > rc.right - rx ? rc.right - rx : x);
  const double cy = y < rc.top + ry ? rc.top + ry : (y > rc.bottom - ry ? rc.bottom - ry : y);
  const double dx = (x - cx) / rx;
  const double dy = (y - cy) / ry;
  return dx * dx + dy * dy <= 1.0;
}

std::vector<uint32_t> ReadPixels(HDC source, const RECT& box) {
  const int width = box.right - box.left;
  const int height = box.bottom - box.top;
  void* bits = nullptr;
  quennet::UniqueBitmap dib(quennet::CreateDib32(source, width, height, &bits));
  quennet::UniqueMemoryDc dc(CreateCompatibleDC(source));
  if (!dib || !bits || !dc) return {};
  quennet::SelectGuard select(dc.get(), dib.get());
  if (!BitBlt(dc.get(), 0, 0, width, height, source, box.left, box.top, SRCCOPY)) return {};
  GdiFlush();
  const auto* pixels = static_cast<const uint32_t*>(bits);
  return std::vector<uint32_t>(pixels, pixels + static_cast<size_t>(width) * height);
}

void WritePixels(HDC target, const RECT& box, const std::vector<uint32_t>& pixels) {
  const int width = box.right - box.left;
  const int height = box.bottom - box.top;
  void* bits = nullptr;
  quennet::UniqueBitmap dib(quennet::CreateDib32(target, width, height, &bits));
  quennet::UniqueMemoryDc dc(CreateCompatibleDC(target));
  if (!dib || !bits || !dc) return;
  std::copy(pixels.begin(), pixels.end(), static_cast<uint32_t*>(bits));
  quennet::SelectGuard select(dc.get(), dib.get());
  BitBlt(target, box.left, box.top, width, height, dc.get(), 0, 0, SRCCOPY);
}

uint32_t Mix(uint32_t painted, uint32_t under, double share) {
  uint32_t mixed = 0;
  for (int shift = 0; shift < 32; shift += 8) {
    const double value = ((painted >> shift) & 0xFF) * share + ((under >> shift) & 0xFF) * (1.0 - share);
    mixed |= static_cast<uint32_t>(std::lround(value)) << shift;
  }
  return mixed;
}

}  // namespace

double RoundCoverage(const RECT& rc, SIZE round, int x, int y) {
  const double rx = round.cx / 2.0;
  const double ry = round.cy / 2.0;
  if (rx <= 0 || ry <= 0) return (x >= rc.left && x < rc.right && y >= rc.top && y < rc.bottom) ? 1.0 : 0.0;
  int inside = 0;
  for (int i = 0; i < kSamples; ++i) {
    for (int j = 0; j < kSamples; ++j) {
      if (IsInside(rc, rx, ry, x + (j + 0.5) / kSamples, y + (i + 0.5) / kSamples)) ++inside;
    }
  }
  return static_cast<double>(inside) / (kSamples * kSamples);
}

SmoothRoundCorners::SmoothRoundCorners(HDC hDC, const RECT& rc, SIZE round) : m_dc(hDC), m_rc(rc), m_round(round) {
  const double rx = std::min(round.cx, static_cast<LONG>(rc.right - rc.left)) / 2.0;
  const double ry = std::min(round.cy, static_cast<LONG>(rc.bottom - rc.top)) / 2.0;
  if (std::min(rx, ry) < kLeastSmoothedRadius) return;
  m_round = {static_cast<LONG>(rx * 2), static_cast<LONG>(ry * 2)};
  // The four corners' squares, which meet but never overlap: a pixel is blended once.
  const LONG left = rc.left + static_cast<LONG>(std::ceil(rx));
  const LONG top = rc.top + static_cast<LONG>(std::ceil(ry));
  const LONG right = std::max(left, rc.right - static_cast<LONG>(std::ceil(rx)));
  const LONG bottom = std::max(top, rc.bottom - static_cast<LONG>(std::ceil(ry)));
  const RECT boxes[4] = {{rc.left, rc.top, left, top},
                         {right, rc.top, rc.right, top},
                         {rc.left, bottom, left, rc.bottom},
                         {right, bottom, rc.right, rc.bottom}};
  for (const RECT& box : boxes) {
    if (box.right <= box.left || box.bottom <= box.top) continue;
    std::vector<uint32_t> under = ReadPixels(hDC, box);
    if (under.empty()) {
      m_corners.clear();
      return;
    }
    m_corners.push_back(Corner{box, std::move(under)});
  }
}

SmoothRoundCorners::~SmoothRoundCorners() {
  for (const Corner& corner : m_corners) {
    std::vector<uint32_t> painted = ReadPixels(m_dc, corner.box);
    if (painted.size() != corner.under.size()) continue;
    const int width = corner.box.right - corner.box.left;
    for (size_t i = 0; i < painted.size(); ++i) {
      const int x = corner.box.left + static_cast<int>(i % width);
      const int y = corner.box.top + static_cast<int>(i / width);
      const double share = RoundCoverage(m_rc, m_round, x, y);
      painted[i] = Mix(painted[i], corner.under[i], share);
    }
    WritePixels(m_dc, corner.box, painted);
  }
}

}  // namespace DuiLib::detail
