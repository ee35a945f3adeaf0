#pragma once

// Every picture is decoded into 32-bit pixels, so a small file can ask for
// gigabytes. Whoever decodes one reads its size from the header first and
// decodes it only when that size fits the budget.

#include <string>

namespace quennet {

// At most 4096 x 4096 pixels (64 MB of pixels; a 4000 x 3000 photograph
// fits), no side longer than 32767 pixels (zoomed sides stay within int).
inline constexpr long long kLargestPicturePixels = 4096LL * 4096;
inline constexpr long long kLongestPictureSide = 32767;
[[nodiscard]] bool FitsPictureBudget(long long width, long long height);

// The width and height the header of a PNG, JPEG, GIF or BMP gives, read
// without decoding a pixel; false for anything else or an unreadable header.
[[nodiscard]] bool ReadPictureSize(const std::string& bytes, int* width, int* height);

}  // namespace quennet
