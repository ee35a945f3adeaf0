#include "TestPictures.h"

#include <windows.h>
#include <objidl.h>

#include <algorithm>
#include <cwchar>
#include <vector>

namespace Gdiplus {
using std::max;
using std::min;
}  // namespace Gdiplus
#include <gdiplus.h>

namespace files_test {

namespace {

bool EncoderOf(const wchar_t* mime, CLSID* clsid) {
  UINT count = 0, size = 0;
  Gdiplus::GetImageEncodersSize(&count, &size);
  if (size == 0) return false;
  std::vector<BYTE> buffer(size);
  auto* encoders = reinterpret_cast<Gdiplus::ImageCodecInfo*>(buffer.data());
  Gdiplus::GetImageEncoders(count, size, encoders);
  for (UINT i = 0; i < count; ++i) {
    if (wcscmp(encoders[i].MimeType, mime) == 0) {
      *clsid = encoders[i].Clsid;
      return true;
    }
  }
  return false;
}

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
  CLSID encoder;
  if (!EncoderOf(mime, &encoder)) return false;
  Gdiplus::Bitmap bitmap(width, height, PixelFormat32bppARGB);
  Gdiplus::Rect all(0, 0, width, height);
  Gdiplus::BitmapData data = {};
  if (bitmap.LockBits(&all, Gdiplus::ImageLockModeWrite, PixelFormat32bppARGB, &data) != Gdiplus::Ok) return false;
  for (int y = 0; y < height; ++y) {
    auto* row = reinterpret_cast<DWORD*>(static_cast<BYTE*>(data.Scan0) + static_cast<ptrdiff_t>(y) * data.Stride);
    for (int x = 0; x < width; ++x) row[x] = PixelOf(x, y, width, height);
  }
  bitmap.UnlockBits(&data);
  return bitmap.Save(path.c_str(), &encoder, nullptr) == Gdiplus::Ok;
}

}  // namespace files_test
