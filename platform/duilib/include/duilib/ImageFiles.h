#pragma once

// How the framework treats the image files that controls draw: which files it
// reads at all, and who hears of the ones it cannot draw.

#include <windows.h>

#include <cstddef>
#include <functional>

#include "quennet/PictureHeader.h"

namespace DuiLib {

// Image files larger than this are not read, so that no paint reads and
// decodes a huge file: they count as broken. 256 MB unless set.
void SetLargestImageFile(size_t bytes);
// Whether the file is there, not empty and not larger than the largest image
// file: what must hold before anything decodes it. Asks for the size only.
[[nodiscard]] bool IsReadableImageFile(LPCTSTR path);

// A picture is decoded only when its header gives its size (PNG, JPEG, GIF,
// BMP) and that size fits the budget.
using quennet::FitsPictureBudget;
using quennet::kLargestPicturePixels;
using quennet::kLongestPictureSide;

// Told, on the painting thread, of each image file that a control could not
// draw: missing, empty, too large or not decodable. A control tries again
// only when its image is set again. One listener per process; an empty one
// removes it. It may delete the file; it must not paint.
void SetImageFailureListener(std::function<void(LPCTSTR path)> listener);

}  // namespace DuiLib
