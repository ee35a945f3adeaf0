#pragma once

// Pictures of the embedded service, drawn with GDI+: avatars, service icons
// and the demo's shared images. Safe from any thread.

#include <cstdint>
#include <string>

namespace mireloom::service {

enum class ImageFormat { kPng, kGif, kJpeg };

// The format of a file extension ("gif", "jpg", ...); PNG for anything else.
ImageFormat FormatOfExtension(const std::string& extension);

// A w x h tile of the colour (0xRRGGBB) with the text centred in white; ""
// when it cannot be drawn.
std::string RenderTile(int width, int height, uint32_t rgb, const std::wstring& text, ImageFormat format);
// The size a PNG, JPEG, GIF or BMP gives in its header, read without decoding
// it; false when the bytes are none of these.
bool MeasureImage(const std::string& bytes, int* width, int* height);
// The image scaled to w x h; a plain tile of w x h for a picture above the
// pixel budget, which is never decoded; "" when MeasureImage finds no size.
std::string ScaleImage(const std::string& bytes, int width, int height, ImageFormat format);

// A colour picked from the text, the same every time.
uint32_t ColorOf(const std::string& text);

}  // namespace mireloom::service
