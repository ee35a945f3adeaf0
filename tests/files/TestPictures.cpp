#include "TestPictures.h"

#include <windows.h>

#include <algorithm>

#include "duilib/testing.h"
#include "quennet/WinHandles.h"

namespace files_test {

namespace {

// Blue to orange across, darker downwards, a light grid every 100 pixels and
// a dark marker in the top-left quarter, so that a turn shows.
DWORD PixelOf(int x, int y, int width, int height) {
  if (x % 100 < 3 || y % 100 < 3) return 0xFFF4F6F8;
  if (x < width / 4 && y < height / 4 && x > width / 8 && y > height / 8) return 0xFF1F2329;
  const int red = 40 + 200 * x / std::max(width, 1);
  const int blue = 220 - 180 * x / std::max(width, 1);
  const int green = 90 + 100 * (height - y) / std::max(height, 1);
  return 0xFF000000u | (red << 16) | (green << 8) | blue;
}

}  // namespace

bool WriteTestPicture(const std::wstring& path, int width, int height, const wchar_t* mime) {
  void* bits = nullptr;
  quennet::UniqueBitmap bitmap(quennet::CreateDib32(nullptr, width, height, &bits));
  if (!bitmap) return false;
  auto* pixels = static_cast<DWORD*>(bits);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) pixels[static_cast<size_t>(y) * width + x] = PixelOf(x, y, width, height);
  }
  return DuiLib::Testing::SaveBitmapAs(bitmap.get(), path.c_str(), mime);
}

}  // namespace files_test
