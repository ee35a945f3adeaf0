#pragma once

// A black PNG of any size in a small file: one bit a pixel, compressed as runs
// of zeros, as a hostile sender would make one. Decoders turn every pixel
// into four bytes, so 23000 x 21500 pixels (under 400 KB here) decode into
// about 2 GB.

#include <cstdint>
#include <string>

namespace test_support {

[[nodiscard]] std::string BlankPngBytes(uint32_t width, uint32_t height);
// False when the file cannot be written whole.
bool WriteBlankPng(const std::wstring& path, uint32_t width, uint32_t height);

}  // namespace test_support
