#include "ScaledImage.h"

#include <algorithm>

#include "quennet/WinHandles.h"

#define STB_IMAGE_RESIZE_STATIC
#define STB_IMAGE_RESIZE_IMPLEMENTATION
#include <stb_image_resize.h>

namespace DuiLib::detail {

namespace {

// A picture is drawn at one or two sizes; more copies would only cost memory.
constexpr size_t kCopiesPerImage = 2;

bool SameCopy(const DecodedImage::ScaledCopy& copy, const RECT& source, SIZE size) {
  return EqualRect(&copy.source, &source) && copy.size.cx == size.cx && copy.size.cy == size.cy;
}

HBITMAP MakeCopy(const DecodedImage& image, const RECT& source, SIZE size) {
  DIBSECTION dib = {};
  if (!GetObjectW(image.hBitmap, sizeof dib, &dib) || !dib.dsBm.bmBits) return nullptr;
  void* bits = nullptr;
  HBITMAP copy = quennet::CreateDib32(nullptr, size.cx, size.cy, &bits);
  if (!copy) return nullptr;
  GdiFlush();
  const int stride = image.width * 4;
  const auto* from = static_cast<const unsigned char*>(dib.dsBm.bmBits) + source.top * stride + source.left * 4;
  // Premultiplied BGRA: the filter mixes the colours by their coverage,
  // and the channel order does not matter to it.
  const int done = stbir_resize_uint8_generic(from, source.right - source.left, source.bottom - source.top, stride,
                                              static_cast<unsigned char*>(bits), size.cx, size.cy, size.cx * 4, 4, 3,
                                              STBIR_FLAG_ALPHA_PREMULTIPLIED, STBIR_EDGE_CLAMP, STBIR_FILTER_DEFAULT,
                                              STBIR_COLORSPACE_LINEAR, nullptr);
  if (!done) {
    DeleteObject(copy);
    return nullptr;
  }
  return copy;
}

}  // namespace

HBITMAP ScaledCopy(DecodedImage& image, const RECT& source, SIZE size) {
  const LONG sourceWidth = source.right - source.left, sourceHeight = source.bottom - source.top;
  const bool shrinks = size.cx > 0 && size.cy > 0 && size.cx <= sourceWidth && size.cy <= sourceHeight &&
                       (size.cx < sourceWidth || size.cy < sourceHeight);
  if (!shrinks || image.IsAnimated() || !image.hBitmap) return nullptr;
  auto& copies = image.scaledCopies;
  const auto found = std::find_if(copies.begin(), copies.end(),
                                  [&](const DecodedImage::ScaledCopy& copy) { return SameCopy(copy, source, size); });
  if (found != copies.end()) {
    // Most recently drawn last, so the oldest goes first.
    std::rotate(found, found + 1, copies.end());
    return copies.back().bitmap.get();
  }
  HBITMAP made = MakeCopy(image, source, size);
  if (!made) return nullptr;
  if (copies.size() >= kCopiesPerImage) copies.erase(copies.begin());
  copies.push_back(DecodedImage::ScaledCopy{source, size, quennet::UniqueBitmap(made)});
  return made;
}

}  // namespace DuiLib::detail
