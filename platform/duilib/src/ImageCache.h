#pragma once

// Decoded images, shared by resolved path in a cache bounded by bytes (least
// recently used first out). Failures are never remembered, so setting the
// same path again retries: a cache file may appear later.

#include <windows.h>

#include <memory>
#include <string>

namespace DuiLib::detail {

struct DecodedImage {
  HBITMAP hBitmap = nullptr;  // 32-bit top-down DIB, premultiplied alpha
  int width = 0;
  int height = 0;
  bool alpha = false;  // any pixel not fully opaque
  DecodedImage() = default;
  DecodedImage(const DecodedImage&) = delete;
  DecodedImage& operator=(const DecodedImage&) = delete;
  ~DecodedImage();
};

// NULL when the file is missing or cannot be decoded (logged once per path).
std::shared_ptr<DecodedImage> LoadImageFile(const std::wstring& path);
// Decodes without caching; for sizes and tests.
std::shared_ptr<DecodedImage> DecodeImageFile(const std::wstring& path);

void SetImageCacheLimit(size_t bytes);
[[nodiscard]] size_t ImageCacheBytes();
void ClearImageCache();

}  // namespace DuiLib::detail
