#pragma once

// Smaller copies of decoded pictures, made once per drawn size with a
// filtering resampler. GDI's stretching under Wine picks pixels instead of
// averaging them, which leaves avatars and thumbnails drawn smaller than
// their file jagged; a copy of the drawn size is blitted without stretching.

#include <windows.h>

#include "ImageDecoder.h"

namespace DuiLib::detail {

// The part `source` of the picture at `size`, when that shrinks it; made on
// first use and kept with the picture. NULL when the picture is drawn as it
// is (not smaller, animated) or the copy cannot be made: the caller
// stretches then.
HBITMAP ScaledCopy(DecodedImage& image, const RECT& source, SIZE size);

}  // namespace DuiLib::detail
