#pragma once

// The decoders behind DecodeImageBytes. Each returns NULL (or false) for
// bytes it cannot read, so that the next one can try. Both read the size
// from the header first and decode nothing above the picture budget
// (duilib/ImageFiles.h).

#include <windows.h>

#include <memory>
#include <string>

#include "ImageDecoder.h"

namespace DuiLib::detail {

// PNG and JPEG, several times faster than GDI+ (which costs over a
// millisecond per file under Wine whatever the picture's size).
std::shared_ptr<DecodedImage> DecodeWithStb(const std::string& bytes);
// The size from the header alone, for PNG, JPEG, GIF and BMP; false for
// anything else.
bool ReadSizeWithStb(const std::string& bytes, SIZE* out);

// Those same formats through GDI+, with every frame of an animated GIF.
std::shared_ptr<DecodedImage> DecodeWithGdiplus(const std::string& bytes);

}  // namespace DuiLib::detail
