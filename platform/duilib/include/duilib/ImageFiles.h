#pragma once

// How the framework treats the image files that controls draw: which files it
// reads at all, and who hears of the ones it cannot draw.

#include <windows.h>

#include <cstddef>
#include <functional>

namespace DuiLib {

// Image files larger than this are not read, so that no paint reads and
// decodes a huge file: they count as broken. 256 MB unless set.
void SetLargestImageFile(size_t bytes);
// Whether the file is there, not empty and not larger than the largest image
// file: what must hold before anything decodes it. Asks for the size only.
[[nodiscard]] bool IsReadableImageFile(LPCTSTR path);

// Every picture is decoded into 32-bit pixels, so a small file can ask for
// gigabytes. A picture is decoded only when its header gives its size (PNG,
// JPEG, GIF, BMP) and that size fits the budget: at most 4096 x 4096 pixels
// (64 MB of pixels; a 4000 x 3000 photograph fits), no side longer than
// 32767 pixels (zoomed sides stay within int).
inline constexpr long long kLargestPicturePixels = 4096LL * 4096;
inline constexpr long long kLongestPictureSide = 32767;
[[nodiscard]] bool FitsPictureBudget(long long width, long long height);

// Told, on the painting thread, of each image file that a control could not
// draw: missing, empty, too large or not decodable. A control tries again
// only when its image is set again. One listener per process; an empty one
// removes it. It may delete the file; it must not paint.
void SetImageFailureListener(std::function<void(LPCTSTR path)> listener);

}  // namespace DuiLib
