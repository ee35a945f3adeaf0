#pragma once

// The decoders behind DecodeImageBytes. Each returns NULL (or false) for
// bytes it cannot read, so that the next one can try.

#include <windows.h>

#include <memory>
#include <string>

#include "ImageDecoder.h"

namespace DuiLib::detail {

// Every format GDI+ knows, with every frame of an animated GIF.
std::shared_ptr<DecodedImage> DecodeWithGdiplus(const std::string& bytes);
bool ReadSizeWithGdiplus(const std::string& bytes, SIZE* out);

}  // namespace DuiLib::detail
