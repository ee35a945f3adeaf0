#include "ImageCache.h"

#include <shlwapi.h>

#include "GdiPlus.h"

#include <list>
#include <set>
#include <string>
#include <unordered_map>

#include "quennet/EventLog.h"
#include "quennet/WinHandles.h"

namespace DuiLib::detail {

namespace {

constexpr size_t kDefaultLimit = 32u * 1024u * 1024u;
// Bounds the memory of one animation; later frames are dropped.
constexpr UINT kMaxFrames = 200;
// Browsers show GIF frames with no or a tiny delay for a tenth of a second.
constexpr UINT kDefaultFrameDelay = 100;
constexpr UINT kMinFrameDelay = 20;

struct Cache {
  size_t limit = kDefaultLimit;
  size_t bytes = 0;
  // Most recently used at the front.
  std::list<std::pair<std::wstring, std::shared_ptr<DecodedImage>>> order;
  std::unordered_map<std::wstring, decltype(order)::iterator> index;
  std::set<std::wstring> loggedFailures;
};

Cache& TheCache() {
  static auto* cache = new Cache;
  return *cache;
}

size_t BytesOf(const DecodedImage& image) {
  return static_cast<size_t>(image.width) * image.height * 4 * std::max<size_t>(1, image.frames.size());
}

std::string Narrow(const std::wstring& text) {
  const int size = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
  std::string out(size > 0 ? size - 1 : 0, '\0');
  if (size > 1) WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, out.data(), size, nullptr, nullptr);
  return out;
}

// Reads the whole file through the wide API, so non-ASCII paths work and
// the file is not kept open or locked.
bool ReadWholeFile(const std::wstring& path, std::string* out) {
  quennet::UniqueHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                         nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (file.get() == INVALID_HANDLE_VALUE || !file) return false;
  LARGE_INTEGER size;
  if (!GetFileSizeEx(file.get(), &size) || size.QuadPart <= 0 || size.QuadPart > (256 << 20)) return false;
  out->resize(static_cast<size_t>(size.QuadPart));
  DWORD read = 0;
  return ReadFile(file.get(), out->data(), static_cast<DWORD>(out->size()), &read, nullptr) && read == out->size();
}

void Trim(Cache& cache) {
  while (cache.bytes > cache.limit && cache.order.size() > 1) {
    auto& last = cache.order.back();
    cache.bytes -= BytesOf(*last.second);
    cache.index.erase(last.first);
    cache.order.pop_back();
  }
}

}  // namespace

DecodedImage::~DecodedImage() {
  for (HBITMAP frame : frames) {
    if (frame != hBitmap) DeleteObject(frame);
  }
  if (hBitmap) DeleteObject(hBitmap);
}

HBITMAP DecodedImage::FrameAt(ULONGLONG now, UINT* remaining) const {
  if (!IsAnimated()) return hBitmap;
  UINT at = static_cast<UINT>(now % duration);
  for (size_t i = 0; i < frames.size(); ++i) {
    if (at < delays[i]) {
      if (remaining) *remaining = delays[i] - at;
      return frames[i];
    }
    at -= delays[i];
  }
  if (remaining) *remaining = delays.back();
  return frames.back();
}

namespace {

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

// The frames after the first of an animated GIF.
void DecodeAnimation(Gdiplus::Bitmap& bitmap, DecodedImage& image) {
  GUID dimension = Gdiplus::FrameDimensionTime;
  const UINT count = std::min(bitmap.GetFrameCount(&dimension), kMaxFrames);
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

// The file's picture, or NULL. GDI+ picks the decoder from the content, so
// cache files without an extension open like any other.
std::unique_ptr<Gdiplus::Bitmap> OpenBitmap(const std::wstring& path) {
  std::string bytes;
  if (!ReadWholeFile(path, &bytes)) return nullptr;
  IStream* stream = SHCreateMemStream(reinterpret_cast<const BYTE*>(bytes.data()), static_cast<UINT>(bytes.size()));
  if (!stream) return nullptr;
  std::unique_ptr<Gdiplus::Bitmap> bitmap(Gdiplus::Bitmap::FromStream(stream));
  stream->Release();
  if (!bitmap || bitmap->GetLastStatus() != Gdiplus::Ok) return nullptr;
  return bitmap;
}

}  // namespace

std::shared_ptr<DecodedImage> DecodeImageFile(const std::wstring& path) {
  std::unique_ptr<Gdiplus::Bitmap> bitmap = OpenBitmap(path);
  if (!bitmap) return nullptr;
  const int width = static_cast<int>(bitmap->GetWidth());
  const int height = static_cast<int>(bitmap->GetHeight());
  if (width <= 0 || height <= 0) return nullptr;
  auto image = std::make_shared<DecodedImage>();
  image->width = width;
  image->height = height;
  image->hBitmap = CopyFrame(*bitmap, width, height, &image->alpha);
  if (!image->hBitmap) return nullptr;
  DecodeAnimation(*bitmap, *image);
  return image;
}

bool ReadImageFileSize(const std::wstring& path, SIZE* out) {
  std::unique_ptr<Gdiplus::Bitmap> bitmap = OpenBitmap(path);
  if (!bitmap || bitmap->GetWidth() == 0 || bitmap->GetHeight() == 0) return false;
  *out = SIZE{static_cast<LONG>(bitmap->GetWidth()), static_cast<LONG>(bitmap->GetHeight())};
  return true;
}

std::shared_ptr<DecodedImage> LoadImageFile(const std::wstring& path) {
  Cache& cache = TheCache();
  if (auto it = cache.index.find(path); it != cache.index.end()) {
    cache.order.splice(cache.order.begin(), cache.order, it->second);
    return it->second->second;
  }
  auto image = DecodeImageFile(path);
  if (!image) {
    if (cache.loggedFailures.insert(path).second) {
      quennet::log_error("Image could not be loaded: %s", Narrow(path).c_str());
    }
    return nullptr;
  }
  cache.order.emplace_front(path, image);
  cache.index[path] = cache.order.begin();
  cache.bytes += BytesOf(*image);
  Trim(cache);
  return image;
}

void SetImageCacheLimit(size_t bytes) {
  TheCache().limit = bytes;
  Trim(TheCache());
}

size_t ImageCacheBytes() { return TheCache().bytes; }

void ClearImageCache() {
  Cache& cache = TheCache();
  cache.order.clear();
  cache.index.clear();
  cache.bytes = 0;
}

}  // namespace DuiLib::detail
