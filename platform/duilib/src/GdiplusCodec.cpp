#include "ImageCodecs.h"

#include <shlwapi.h>

#include "GdiPlus.h"
#include "PaintSupport.h"

#include <vector>

#include "duilib/ImageFiles.h"
#include "quennet/WinHandles.h"

namespace DuiLib::detail {

namespace {

// Bounds the memory of one animation; later frames are dropped.
constexpr UINT kMaxFrames = 200;
// Browsers show GIF frames with no or a tiny delay for a tenth of a second.
constexpr UINT kDefaultFrameDelay = 100;
constexpr UINT kMinFrameDelay = 20;

// The active frame of the bitmap as a premultiplied 32-bit DIB.
HBITMAP CopyFrame(Gdiplus::Bitmap& bitmap, int width, int height, bool* alpha) {
  Gdiplus::BitmapData data = {};
  Gdiplus::Rect rect(0, 0, width, height);
  if (bitmap.LockBits(&rect, Gdiplus::ImageLockModeRead, PixelFormat32bppPARGB, &data) != Gdiplus::Ok) return nullptr;
  void* bits = nullptr;
  HBITMAP dib = quennet::CreateDib32(nullptr, width, height, &bits);
  if (dib) {
    auto* dest = static_cast<BYTE*>(bits);
    const auto* src = static_cast<const BYTE*>(data.Scan0);
    for (int y = 0; y < height; ++y) {
      const auto* row = reinterpret_cast<const DWORD*>(src + static_cast<ptrdiff_t>(y) * data.Stride);
      memcpy(dest + static_cast<size_t>(y) * width * 4, row, static_cast<size_t>(width) * 4);
      for (int x = 0; x < width && !*alpha; ++x) *alpha = (row[x] >> 24) != 0xFF;
    }
  }
  bitmap.UnlockBits(&data);
  return dib;
}

// Frame delays of a GIF, in milliseconds; empty when it has none.
std::vector<UINT> FrameDelays(Gdiplus::Bitmap& bitmap, UINT count) {
  std::vector<UINT> delays;
  const UINT size = bitmap.GetPropertyItemSize(PropertyTagFrameDelay);
  if (size == 0) return delays;
  std::vector<BYTE> buffer(size);
  auto* item = reinterpret_cast<Gdiplus::PropertyItem*>(buffer.data());
  if (bitmap.GetPropertyItem(PropertyTagFrameDelay, size, item) != Gdiplus::Ok || !item->value) return delays;
  const auto* hundredths = static_cast<const LONG*>(item->value);
  const UINT values = item->length / sizeof(LONG);
  for (UINT i = 0; i < count; ++i) {
    const LONG delay = i < values ? hundredths[i] * 10 : 0;
    delays.push_back(delay < static_cast<LONG>(kMinFrameDelay) ? kDefaultFrameDelay : static_cast<UINT>(delay));
  }
  return delays;
}

// The frames after the first of an animated GIF; all of them together stay
// within the picture budget.
void DecodeAnimation(Gdiplus::Bitmap& bitmap, DecodedImage& image) {
  GUID dimension = Gdiplus::FrameDimensionTime;
  const long long framePixels = static_cast<long long>(image.width) * image.height;
  const UINT affordable = static_cast<UINT>(std::max(1LL, kLargestPicturePixels / framePixels));
  const UINT count = std::min({bitmap.GetFrameCount(&dimension), kMaxFrames, affordable});
  if (count < 2) return;
  image.delays = FrameDelays(bitmap, count);
  if (image.delays.size() != count) image.delays.assign(count, kDefaultFrameDelay);
  image.frames.push_back(image.hBitmap);
  for (UINT i = 1; i < count; ++i) {
    HBITMAP frame = bitmap.SelectActiveFrame(&dimension, i) == Gdiplus::Ok
                        ? CopyFrame(bitmap, image.width, image.height, &image.alpha)
                        : nullptr;
    if (!frame) break;
    image.frames.push_back(frame);
  }
  image.delays.resize(image.frames.size());
  image.duration = 0;
  for (UINT delay : image.delays) image.duration += delay;
}

// The picture in the bytes, or NULL. GDI+ picks the decoder from the
// content, so cache files without an extension open like any other.
std::unique_ptr<Gdiplus::Bitmap> OpenBitmap(const std::string& bytes) {
  StartGraphics();
  IStream* stream = SHCreateMemStream(reinterpret_cast<const BYTE*>(bytes.data()), static_cast<UINT>(bytes.size()));
  if (!stream) return nullptr;
  std::unique_ptr<Gdiplus::Bitmap> bitmap(Gdiplus::Bitmap::FromStream(stream));
  stream->Release();
  if (!bitmap || bitmap->GetLastStatus() != Gdiplus::Ok) return nullptr;
  return bitmap;
}

}  // namespace

std::shared_ptr<DecodedImage> DecodeWithGdiplus(const std::string& bytes) {
  // GDI+ under Wine decodes every pixel as it opens a picture: the header
  // is read first, and a picture whose size it does not give is not opened.
  SIZE size = {};
  if (!ReadSizeWithStb(bytes, &size) || !FitsPictureBudget(size.cx, size.cy)) return nullptr;
  std::unique_ptr<Gdiplus::Bitmap> bitmap = OpenBitmap(bytes);
  if (!bitmap) return nullptr;
  const int width = static_cast<int>(bitmap->GetWidth());
  const int height = static_cast<int>(bitmap->GetHeight());
  // The copies below follow GDI+'s size, which need not be the header's.
  if (!FitsPictureBudget(width, height)) return nullptr;
  auto image = std::make_shared<DecodedImage>();
  image->width = width;
  image->height = height;
  image->hBitmap = CopyFrame(*bitmap, width, height, &image->alpha);
  if (!image->hBitmap) return nullptr;
  DecodeAnimation(*bitmap, *image);
  return image;
}

}  // namespace DuiLib::detail
