#include "ImageCodecs.h"

#include <climits>

#include "duilib/ImageFiles.h"
#include "quennet/PictureHeader.h"
#include "quennet/WinHandles.h"

// stb decodes PNG and JPEG; GIFs need GDI+ for their frames, and BMP is left
// to it as well. stb still reads the size of all four from their headers,
// which is what every decoder asks first. The bytes are already in memory,
// so no stdio either.
#define STBI_ONLY_PNG
#define STBI_ONLY_JPEG
#define STBI_ONLY_GIF
#define STBI_ONLY_BMP
#define STBI_NO_STDIO
#define STB_IMAGE_STATIC
#define STB_IMAGE_IMPLEMENTATION
#include <stb_image.h>

namespace DuiLib::detail {

namespace {

struct StbFree {
  void operator()(stbi_uc* pixels) const { stbi_image_free(pixels); }
};

bool FitsStb(const std::string& bytes) { return !bytes.empty() && bytes.size() <= static_cast<size_t>(INT_MAX); }

// The formats stb decodes here, by their signatures.
bool IsPngOrJpeg(const std::string& bytes) {
  static constexpr char kPng[] = "\x89PNG\r\n\x1a\n";
  static constexpr char kJpeg[] = "\xFF\xD8\xFF";
  return bytes.compare(0, sizeof kPng - 1, kPng) == 0 || bytes.compare(0, sizeof kJpeg - 1, kJpeg) == 0;
}

// RGBA rows into a 32-bit DIB of premultiplied BGRA, as AlphaBlend wants it.
HBITMAP ToPremultipliedDib(const stbi_uc* rgba, int width, int height, bool* alpha) {
  void* bits = nullptr;
  HBITMAP dib = quennet::CreateDib32(nullptr, width, height, &bits);
  if (!dib) return nullptr;
  auto* out = static_cast<DWORD*>(bits);
  const size_t count = static_cast<size_t>(width) * height;
  bool translucent = false;
  for (size_t i = 0; i < count; ++i, rgba += 4) {
    const DWORD a = rgba[3];
    if (a == 255) {
      out[i] = 0xFF000000u | (DWORD{rgba[0]} << 16) | (DWORD{rgba[1]} << 8) | rgba[2];
      continue;
    }
    translucent = true;
    const auto scale = [a](stbi_uc c) { return (DWORD{c} * a + 127) / 255; };
    out[i] = (a << 24) | (scale(rgba[0]) << 16) | (scale(rgba[1]) << 8) | scale(rgba[2]);
  }
  *alpha = translucent;
  return dib;
}

}  // namespace

std::shared_ptr<DecodedImage> DecodeWithStb(const std::string& bytes) {
  // The header first: anything but PNG and JPEG goes on to GDI+ without a
  // decode attempt, and a picture above the budget is not decoded at all.
  SIZE size = {};
  if (!IsPngOrJpeg(bytes) || !ReadSizeWithStb(bytes, &size) || !FitsPictureBudget(size.cx, size.cy)) return nullptr;
  const auto* data = reinterpret_cast<const stbi_uc*>(bytes.data());
  const int length = static_cast<int>(bytes.size());
  int width = 0, height = 0, channels = 0;
  std::unique_ptr<stbi_uc, StbFree> rgba(stbi_load_from_memory(data, length, &width, &height, &channels, 4));
  if (!rgba || width <= 0 || height <= 0) return nullptr;
  auto image = std::make_shared<DecodedImage>();
  image->width = width;
  image->height = height;
  image->hBitmap = ToPremultipliedDib(rgba.get(), width, height, &image->alpha);
  return image->hBitmap ? image : nullptr;
}

bool ReadSizeWithStb(const std::string& bytes, SIZE* out) {
  int width = 0, height = 0;
  if (!quennet::ReadPictureSize(bytes, &width, &height)) return false;
  *out = SIZE{width, height};
  return true;
}

}  // namespace DuiLib::detail
