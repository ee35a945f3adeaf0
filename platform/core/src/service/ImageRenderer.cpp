#include "ImageRenderer.h"

#include <windows.h>
#include <gdiplus.h>
#include <objidl.h>

#include <memory>
#include <mutex>
#include <vector>

#include "quennet/PictureHeader.h"

namespace mireloom::service {
namespace {

// Stands for a picture above the pixel budget, which is never decoded.
constexpr uint32_t kTooLargeTile = 0xD9DDE1;

// GDI+ starts once and stays for the life of the process.
bool EnsureGdiplus() {
  static std::once_flag once;
  static bool started = false;
  std::call_once(once, [] {
    Gdiplus::GdiplusStartupInput input;
    ULONG_PTR token = 0;
    started = Gdiplus::GdiplusStartup(&token, &input, nullptr) == Gdiplus::Ok;
  });
  return started;
}

const wchar_t* MimeOf(ImageFormat format) {
  switch (format) {
    case ImageFormat::kGif: return L"image/gif";
    case ImageFormat::kJpeg: return L"image/jpeg";
    default: return L"image/png";
  }
}

bool EncoderOf(ImageFormat format, CLSID* clsid) {
  UINT count = 0;
  UINT size = 0;
  if (Gdiplus::GetImageEncodersSize(&count, &size) != Gdiplus::Ok || size == 0) return false;
  std::vector<char> buffer(size);
  auto* encoders = reinterpret_cast<Gdiplus::ImageCodecInfo*>(buffer.data());
  if (Gdiplus::GetImageEncoders(count, size, encoders) != Gdiplus::Ok) return false;
  for (UINT i = 0; i < count; ++i) {
    if (wcscmp(encoders[i].MimeType, MimeOf(format)) == 0) {
      *clsid = encoders[i].Clsid;
      return true;
    }
  }
  return false;
}

struct StreamReleaser {
  void operator()(IStream* stream) const {
    if (stream) stream->Release();
  }
};
using UniqueStream = std::unique_ptr<IStream, StreamReleaser>;

std::string EncodeAs(Gdiplus::Bitmap& bitmap, ImageFormat format);

// The first installed face that draws CJK titles too; a face that is not
// installed would draw no text at all.
const Gdiplus::FontFamily* TileFontFamily() {
  static const Gdiplus::FontFamily* family = [] {
    for (const wchar_t* face : {L"微软雅黑", L"Microsoft YaHei", L"Arial"}) {
      auto* candidate = new Gdiplus::FontFamily(face);
      if (candidate->IsAvailable()) return static_cast<const Gdiplus::FontFamily*>(candidate);
      delete candidate;
    }
    return Gdiplus::FontFamily::GenericSansSerif();
  }();
  return family;
}

// The nearest colour of a 6 x 6 x 6 cube, the palette of every GIF written here.
BYTE CubeIndex(DWORD argb) {
  auto level = [](DWORD channel) { return static_cast<BYTE>((channel * 5 + 127) / 255); };
  return static_cast<BYTE>(level((argb >> 16) & 0xFF) * 36 + level((argb >> 8) & 0xFF) * 6 + level(argb & 0xFF));
}

// GIFs are written from an 8-bit palette: from a 32-bit bitmap the system's
// GIF encoder may write a header and no picture.
std::unique_ptr<Gdiplus::Bitmap> ToPaletted(Gdiplus::Bitmap& source) {
  const UINT width = source.GetWidth();
  const UINT height = source.GetHeight();
  auto paletted = std::make_unique<Gdiplus::Bitmap>(width, height, PixelFormat8bppIndexed);
  std::vector<char> paletteBytes(sizeof(Gdiplus::ColorPalette) + 255 * sizeof(Gdiplus::ARGB));
  auto* palette = reinterpret_cast<Gdiplus::ColorPalette*>(paletteBytes.data());
  palette->Flags = 0;
  palette->Count = 216;
  for (UINT i = 0; i < 216; ++i) {
    palette->Entries[i] = Gdiplus::Color::MakeARGB(255, static_cast<BYTE>(i / 36 * 51), static_cast<BYTE>(i / 6 % 6 * 51),
                                                   static_cast<BYTE>(i % 6 * 51));
  }
  if (paletted->SetPalette(palette) != Gdiplus::Ok) return nullptr;
  Gdiplus::Rect all(0, 0, static_cast<INT>(width), static_cast<INT>(height));
  Gdiplus::BitmapData from = {}, to = {};
  if (source.LockBits(&all, Gdiplus::ImageLockModeRead, PixelFormat32bppARGB, &from) != Gdiplus::Ok) return nullptr;
  if (paletted->LockBits(&all, Gdiplus::ImageLockModeWrite, PixelFormat8bppIndexed, &to) != Gdiplus::Ok) {
    source.UnlockBits(&from);
    return nullptr;
  }
  for (UINT y = 0; y < height; ++y) {
    const auto* in = reinterpret_cast<const DWORD*>(static_cast<const BYTE*>(from.Scan0) + y * from.Stride);
    auto* out = static_cast<BYTE*>(to.Scan0) + y * to.Stride;
    for (UINT x = 0; x < width; ++x) out[x] = CubeIndex(in[x]);
  }
  paletted->UnlockBits(&to);
  source.UnlockBits(&from);
  return paletted;
}

std::string Encode(Gdiplus::Bitmap& bitmap, ImageFormat format) {
  if (format == ImageFormat::kGif) {
    std::unique_ptr<Gdiplus::Bitmap> paletted = ToPaletted(bitmap);
    return paletted ? EncodeAs(*paletted, format) : std::string();
  }
  return EncodeAs(bitmap, format);
}

std::string EncodeAs(Gdiplus::Bitmap& bitmap, ImageFormat format) {
  CLSID clsid;
  if (!EncoderOf(format, &clsid)) return {};
  IStream* raw = nullptr;
  if (FAILED(CreateStreamOnHGlobal(nullptr, TRUE, &raw))) return {};
  UniqueStream stream(raw);
  if (bitmap.Save(stream.get(), &clsid, nullptr) != Gdiplus::Ok) return {};
  STATSTG stat = {};
  if (FAILED(stream->Stat(&stat, STATFLAG_NONAME))) return {};
  std::string bytes(static_cast<size_t>(stat.cbSize.QuadPart), '\0');
  LARGE_INTEGER start = {};
  stream->Seek(start, STREAM_SEEK_SET, nullptr);
  ULONG read = 0;
  if (FAILED(stream->Read(bytes.data(), static_cast<ULONG>(bytes.size()), &read))) return {};
  bytes.resize(read);
  return bytes;
}

// A stream over a copy of the bytes, for GDI+ to decode.
UniqueStream StreamOf(const std::string& bytes) {
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes.size());
  if (!memory) return nullptr;
  void* target = GlobalLock(memory);
  memcpy(target, bytes.data(), bytes.size());
  GlobalUnlock(memory);
  IStream* raw = nullptr;
  if (FAILED(CreateStreamOnHGlobal(memory, TRUE, &raw))) {
    GlobalFree(memory);
    return nullptr;
  }
  return UniqueStream(raw);
}

}  // namespace

ImageFormat FormatOfExtension(const std::string& extension) {
  std::string lower;
  for (char c : extension) lower += static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
  if (lower == "gif") return ImageFormat::kGif;
  if (lower == "jpg" || lower == "jpeg") return ImageFormat::kJpeg;
  return ImageFormat::kPng;
}

uint32_t ColorOf(const std::string& text) {
  static const uint32_t kColors[] = {0x4bbcb7, 0x5b9bd5, 0xf5a623, 0xe86c5d, 0x8e6cc9, 0x62b36f,
                                     0xf06292, 0x26a69a, 0x7986cb, 0xffb74d, 0xa1887f, 0x4fc3f7};
  uint32_t hash = 2166136261u;
  for (unsigned char c : text) hash = (hash ^ c) * 16777619u;
  return kColors[hash % (sizeof kColors / sizeof kColors[0])];
}

std::string RenderTile(int width, int height, uint32_t rgb, const std::wstring& text, ImageFormat format) {
  if (width <= 0 || height <= 0 || width > 4096 || height > 4096 || !EnsureGdiplus()) return {};
  Gdiplus::Bitmap bitmap(width, height, PixelFormat32bppARGB);
  Gdiplus::Graphics graphics(&bitmap);
  graphics.SetTextRenderingHint(Gdiplus::TextRenderingHintAntiAliasGridFit);
  graphics.Clear(Gdiplus::Color(255, (rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF));
  if (!text.empty()) {
    const int shorter = width < height ? width : height;
    const float size = static_cast<float>(text.size() <= 2 ? shorter / 2 : shorter / 8 + 4);
    Gdiplus::Font font(TileFontFamily(), size, Gdiplus::FontStyleBold, Gdiplus::UnitPixel);
    Gdiplus::SolidBrush white(Gdiplus::Color(255, 255, 255, 255));
    Gdiplus::StringFormat centred;
    centred.SetAlignment(Gdiplus::StringAlignmentCenter);
    centred.SetLineAlignment(Gdiplus::StringAlignmentCenter);
    const Gdiplus::RectF area(0, 0, static_cast<float>(width), static_cast<float>(height));
    graphics.DrawString(text.c_str(), static_cast<INT>(text.size()), &font, area, &centred, &white);
  }
  return Encode(bitmap, format);
}

bool MeasureImage(const std::string& bytes, int* width, int* height) {
  // The header alone: a small file can announce gigabytes of pixels.
  return quennet::ReadPictureSize(bytes, width, height);
}

std::string ScaleImage(const std::string& bytes, int width, int height, ImageFormat format) {
  if (width <= 0 || height <= 0 || width > 4096 || height > 4096 || !EnsureGdiplus()) return {};
  int sourceWidth = 0, sourceHeight = 0;
  if (!MeasureImage(bytes, &sourceWidth, &sourceHeight)) return {};
  if (!quennet::FitsPictureBudget(sourceWidth, sourceHeight)) {
    return RenderTile(width, height, kTooLargeTile, L"", format);  // never decoded
  }
  UniqueStream stream = StreamOf(bytes);
  if (!stream) return {};
  Gdiplus::Bitmap source(stream.get());
  if (source.GetLastStatus() != Gdiplus::Ok) return {};
  Gdiplus::Bitmap scaled(width, height, PixelFormat32bppARGB);
  Gdiplus::Graphics graphics(&scaled);
  graphics.SetInterpolationMode(Gdiplus::InterpolationModeHighQualityBicubic);
  graphics.DrawImage(&source, 0, 0, width, height);
  return Encode(scaled, format);
}

}  // namespace mireloom::service
