#pragma once

// Image files turned into 32-bit premultiplied DIBs that AlphaBlend draws
// directly. The cache (ImageCache.h) shares them by path.

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "quennet/WinHandles.h"

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
  // Copies filtered down to the sizes the picture is drawn at (ScaledImage.h).
  struct ScaledCopy {
    RECT source;
    SIZE size;
    quennet::UniqueBitmap bitmap;
  };
  std::vector<ScaledCopy> scaledCopies;
  DecodedImage() = default;
  DecodedImage(const DecodedImage&) = delete;
  DecodedImage& operator=(const DecodedImage&) = delete;
  ~DecodedImage();

  [[nodiscard]] bool IsAnimated() const { return frames.size() > 1 && duration > 0; }
  // The frame shown at a time (milliseconds of any steady clock), and how
  // long it still shows.
  [[nodiscard]] HBITMAP FrameAt(ULONGLONG now, UINT* remaining) const;
};

// The whole file, read through the wide API so that non-ASCII paths work and
// the file is neither kept open nor locked. False for a missing, empty or
// oversized file.
bool ReadImageBytes(const std::wstring& path, std::string* out);
void SetLargestImageFile(size_t bytes);
// There, not empty and within the largest size: asks for the size only.
bool IsReadableImageFile(const std::wstring& path);

// The picture in the bytes, whatever its format (sniffed from the content:
// cache files have no extension), or NULL.
std::shared_ptr<DecodedImage> DecodeImageBytes(const std::string& bytes);
// Decodes without caching.
std::shared_ptr<DecodedImage> DecodeImageFile(const std::wstring& path);
// The pixel size from the header, without decoding the pixels.
bool ReadImageFileSize(const std::wstring& path, SIZE* out);

}  // namespace DuiLib::detail
