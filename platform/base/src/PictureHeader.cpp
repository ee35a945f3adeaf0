#include "quennet/PictureHeader.h"

#include <climits>

// Only the headers are read here; the bytes are already in memory.
#define STBI_ONLY_PNG
#define STBI_ONLY_JPEG
#define STBI_ONLY_GIF
#define STBI_ONLY_BMP
#define STBI_NO_STDIO
#define STB_IMAGE_STATIC
#define STB_IMAGE_IMPLEMENTATION
#include <stb_image.h>

namespace quennet {

bool FitsPictureBudget(long long width, long long height) {
  return width > 0 && height > 0 && width <= kLongestPictureSide && height <= kLongestPictureSide &&
         width * height <= kLargestPicturePixels;
}

bool ReadPictureSize(const std::string& bytes, int* width, int* height) {
  if (bytes.empty() || bytes.size() > static_cast<size_t>(INT_MAX)) return false;
  int channels = 0;
  const auto* data = reinterpret_cast<const stbi_uc*>(bytes.data());
  return stbi_info_from_memory(data, static_cast<int>(bytes.size()), width, height, &channels) && *width > 0 &&
         *height > 0;
}

}  // namespace quennet
