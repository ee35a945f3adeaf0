#include "duilib/ImageFiles.h"

#include "ImageCache.h"

namespace DuiLib {

void SetLargestImageFile(size_t bytes) { detail::SetLargestImageFile(bytes); }

bool IsReadableImageFile(LPCTSTR path) { return path && detail::IsReadableImageFile(path); }

void SetImageFailureListener(std::function<void(LPCTSTR path)> listener) {
  detail::SetImageFailureListener(std::move(listener));
}

}  // namespace DuiLib
