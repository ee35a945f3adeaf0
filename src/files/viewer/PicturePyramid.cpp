#include "files/viewer/PicturePyramid.h"

#include <objidl.h>

#include <algorithm>
#include <cmath>

// GDI+ expects min and max, which NOMINMAX takes away.
namespace Gdiplus {
using std::max;
using std::min;
}  // namespace Gdiplus
#include <gdiplus.h>

#include "duilib/ImageFiles.h"

namespace files {

namespace {

// Halves stop here: the smallest zoom never needs less.
constexpr int kSmallestSide = 16;

DWORD Average(DWORD a, DWORD b, DWORD c, DWORD d) {
  DWORD result = 0;
  for (int shift = 0; shift < 32; shift += 8) {
    const DWORD sum = ((a >> shift) & 0xFF) + ((b >> shift) & 0xFF) + ((c >> shift) & 0xFF) + ((d >> shift) & 0xFF);
    result |= ((sum + 2) / 4) << shift;
  }
  return result;
}

}  // namespace

CPicturePyramid::Level CPicturePyramid::MakeLevel(int width, int height) {
  Level level;
  void* bits = nullptr;
  level.bitmap.reset(quennet::CreateDib32(nullptr, width, height, &bits));
  if (!level.bitmap) return level;
  level.pixels = static_cast<DWORD*>(bits);
  level.width = width;
  level.height = height;
  return level;
}

bool CPicturePyramid::Load(Gdiplus::Image& image) {
  Clear();
  auto* bitmap = image.GetType() == Gdiplus::ImageTypeBitmap ? static_cast<Gdiplus::Bitmap*>(&image) : nullptr;
  const int width = static_cast<int>(image.GetWidth());
  const int height = static_cast<int>(image.GetHeight());
  // The owner read the header first; GDI+ need not agree with it.
  if (!DuiLib::FitsPictureBudget(width, height)) return false;
  Level whole = MakeLevel(width, height);
  if (!whole.bitmap) return false;
  Gdiplus::Rect all(0, 0, width, height);
  Gdiplus::BitmapData data = {};
  data.Width = static_cast<UINT>(width);
  data.Height = static_cast<UINT>(height);
  data.Stride = width * 4;
  data.PixelFormat = PixelFormat32bppPARGB;
  data.Scan0 = whole.pixels;
  // Decoded straight into the DIB's pixels.
  if (bitmap && bitmap->LockBits(&all, Gdiplus::ImageLockModeRead | Gdiplus::ImageLockModeUserInputBuf,
                                 PixelFormat32bppPARGB, &data) == Gdiplus::Ok) {
    bitmap->UnlockBits(&data);
  } else {
    // A metafile or another kind of image: drawn once instead.
    Gdiplus::Bitmap target(width, height, data.Stride, PixelFormat32bppPARGB, reinterpret_cast<BYTE*>(whole.pixels));
    Gdiplus::Graphics graphics(&target);
    if (graphics.DrawImage(&image, 0, 0, width, height) != Gdiplus::Ok) return false;
  }
  m_levels.push_back(std::move(whole));
  m_turns = 0;
  BuildHalves();
  return true;
}

void CPicturePyramid::Clear() {
  m_levels.clear();
  m_turns = 0;
}

void CPicturePyramid::TurnTo(int quarterTurns) {
  const int turn = ((quarterTurns - m_turns) % 4 + 4) % 4;
  if (m_levels.empty() || turn == 0) return;
  const Level& from = m_levels.front();
  const int w = from.width, h = from.height;
  Level turned = turn == 2 ? MakeLevel(w, h) : MakeLevel(h, w);
  if (!turned.bitmap) return;
  for (int y = 0; y < turned.height; ++y) {
    DWORD* row = turned.pixels + static_cast<size_t>(y) * turned.width;
    for (int x = 0; x < turned.width; ++x) {
      // The source pixel that a clockwise turn brings here.
      const int sx = turn == 1 ? y : turn == 2 ? w - 1 - x : w - 1 - y;
      const int sy = turn == 1 ? h - 1 - x : turn == 2 ? h - 1 - y : x;
      row[x] = from.pixels[static_cast<size_t>(sy) * w + sx];
    }
  }
  m_levels.clear();
  m_levels.push_back(std::move(turned));
  m_turns = ((quarterTurns % 4) + 4) % 4;
  BuildHalves();
}

void CPicturePyramid::BuildHalves() {
  while (std::max(m_levels.back().width, m_levels.back().height) > kSmallestSide) {
    const Level& from = m_levels.back();
    Level half = MakeLevel(std::max(1, from.width / 2), std::max(1, from.height / 2));
    if (!half.bitmap) return;  // out of GDI resources: the larger levels still draw
    for (int y = 0; y < half.height; ++y) {
      const DWORD* top = from.pixels + static_cast<size_t>(std::min(2 * y, from.height - 1)) * from.width;
      const DWORD* bottom = from.pixels + static_cast<size_t>(std::min(2 * y + 1, from.height - 1)) * from.width;
      DWORD* out = half.pixels + static_cast<size_t>(y) * half.width;
      for (int x = 0; x < half.width; ++x) {
        const int left = std::min(2 * x, from.width - 1), right = std::min(2 * x + 1, from.width - 1);
        out[x] = Average(top[left], top[right], bottom[left], bottom[right]);
      }
    }
    m_levels.push_back(std::move(half));
  }
}

const CPicturePyramid::Level& CPicturePyramid::LevelFor(int width, int height) const {
  const Level* chosen = &m_levels.front();
  for (const Level& level : m_levels) {
    if (level.width < width || level.height < height) break;
    chosen = &level;
  }
  return *chosen;
}

void CPicturePyramid::Draw(HDC dc, const RECT& painted, const RECT& visible) const {
  const int paintedWidth = painted.right - painted.left;
  const int paintedHeight = painted.bottom - painted.top;
  RECT shown;
  if (m_levels.empty() || paintedWidth <= 0 || paintedHeight <= 0 || !IntersectRect(&shown, &painted, &visible)) return;
  const Level& level = LevelFor(paintedWidth, paintedHeight);
  const double scaleX = static_cast<double>(paintedWidth) / level.width;
  const double scaleY = static_cast<double>(paintedHeight) / level.height;
  // Whole source pixels around the shown part; the DC's clip trims the rest.
  const int srcLeft = std::max(0, static_cast<int>(std::floor((shown.left - painted.left) / scaleX)));
  const int srcTop = std::max(0, static_cast<int>(std::floor((shown.top - painted.top) / scaleY)));
  const int srcRight = std::min(level.width, static_cast<int>(std::ceil((shown.right - painted.left) / scaleX)));
  const int srcBottom = std::min(level.height, static_cast<int>(std::ceil((shown.bottom - painted.top) / scaleY)));
  if (srcRight <= srcLeft || srcBottom <= srcTop) return;
  const int left = painted.left + static_cast<int>(std::lround(srcLeft * scaleX));
  const int top = painted.top + static_cast<int>(std::lround(srcTop * scaleY));
  const int right = painted.left + static_cast<int>(std::lround(srcRight * scaleX));
  const int bottom = painted.top + static_cast<int>(std::lround(srcBottom * scaleY));
  if (right <= left || bottom <= top) return;

  quennet::UniqueMemoryDc source(CreateCompatibleDC(dc));
  if (!source) return;
  quennet::SelectGuard selected(source.get(), level.bitmap.get());
  const BLENDFUNCTION blend = {AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
  GdiAlphaBlend(dc, left, top, right - left, bottom - top, source.get(), srcLeft, srcTop, srcRight - srcLeft,
             srcBottom - srcTop, blend);
}

}  // namespace files
