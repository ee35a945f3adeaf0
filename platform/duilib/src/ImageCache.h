#pragma once

// Decoded images, shared by resolved path in a cache bounded by bytes (least
// recently used first out). Failures are never remembered, so setting the
// same path again retries: a cache file may appear later.

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

namespace DuiLib::detail {

struct DecodedImage {
  HBITMAP hBitmap = nullptr;  // 32-bit top-down DIB, premultiplied alpha; the first frame
  int width = 0;
  int height = 0;
  bool alpha = false;  // any pixel not fully opaque
  // Animated GIFs: every frame (the first is hBitmap) and how long each shows.
  std::vector<HBITMAP> frames;
  std::vector<UINT> delays;  // milliseconds
  UINT duration = 0;         // of one loop
  DecodedImage() = default;
  DecodedImage(const DecodedImage&) = delete;
  DecodedImage& operator=(const DecodedImage&) = delete;
  ~DecodedImage();

  [[nodiscard]] bool IsAnimated() const { return frames.size() > 1 && duration > 0; }
  // The frame shown at a time (milliseconds of any steady clock), and how
  // long it still shows.
  [[nodiscard]] HBITMAP FrameAt(ULONGLONG now, UINT* remaining) const;
};

// NULL when the file is missing or cannot be decoded (logged once per path).
std::shared_ptr<DecodedImage> LoadImageFile(const std::wstring& path);
// Decodes without caching; for tests.
std::shared_ptr<DecodedImage> DecodeImageFile(const std::wstring& path);
// The pixel size without decoding the pixels.
bool ReadImageFileSize(const std::wstring& path, SIZE* out);

void SetImageCacheLimit(size_t bytes);
[[nodiscard]] size_t ImageCacheBytes();
void ClearImageCache();

}  // namespace DuiLib::detail
