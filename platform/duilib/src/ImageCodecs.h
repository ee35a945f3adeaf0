#pragma once

// The decoders behind DecodeImageBytes. Each returns NULL (or false) for
// bytes it cannot read, so that the next one can try.

#include <windows.h>

#include <memory>
#include <string>

#include "ImageDecoder.h"

namespace DuiLib::detail {

// PNG and JPEG, several times faster than GDI+ (which costs over a
// millisecond per file under Wine whatever the picture's size).
std::shared_ptr<DecodedImage> DecodeWithStb(const std::string& bytes);
bool ReadSizeWithStb(const std::string& bytes, SIZE* out);

// Every format GDI+ knows, with every frame of an animated GIF.
std::shared_ptr<DecodedImage> DecodeWithGdiplus(const std::string& bytes);
bool ReadSizeWithGdiplus(const std::string& bytes, SIZE* out);

}  // namespace DuiLib::detail
