#pragma once

// Decoded images, shared by resolved path in a cache bounded by bytes (least
// recently used first out). Failures are never remembered, so setting the
// same path again retries: a cache file may appear later.

#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include "ImageDecoder.h"

namespace DuiLib::detail {

// NULL when the file is missing or cannot be decoded (logged once per path,
// told to the failure listener every time).
std::shared_ptr<DecodedImage> LoadImageFile(const std::wstring& path);
void SetImageFailureListener(std::function<void(LPCTSTR path)> listener);
void SetImageCacheLimit(size_t bytes);
[[nodiscard]] size_t ImageCacheBytes();
void ClearImageCache();

}  // namespace DuiLib::detail
