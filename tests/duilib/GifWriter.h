#pragma once

// Writes small animated GIFs for the tests: every frame one solid colour.
// The LZW stream sends a clear code before every second pixel, so all codes
// keep the initial size and no compression table is needed.

#include <cstdint>
#include <string>
#include <vector>

namespace duilib_test {

struct GifFrame {
  uint32_t rgb;
  int delayHundredths;
};

inline std::string SolidFramesGif(int width, int height, const std::vector<GifFrame>& frames) {
  std::string out = "GIF89a";
  auto word = [&out](int value) {
    out += static_cast<char>(value & 0xFF);
    out += static_cast<char>((value >> 8) & 0xFF);
  };
  word(width);
  word(height);
  out += static_cast<char>(0xF1);  // a global table of 4 colours
  out += '\0';
  out += '\0';
  for (int i = 0; i < 4; ++i) {
    const uint32_t rgb = i < static_cast<int>(frames.size()) ? frames[static_cast<size_t>(i)].rgb : 0;
    out += static_cast<char>((rgb >> 16) & 0xFF);
    out += static_cast<char>((rgb >> 8) & 0xFF);
    out += static_cast<char>(rgb & 0xFF);
  }
  out += std::string("\x21\xFF\x0BNETSCAPE2.0\x03\x01\x00\x00\x00", 19);  // loop for ever
  for (size_t f = 0; f < frames.size() && f < 4; ++f) {
    out += std::string("\x21\xF9\x04\x00", 4);
    word(frames[f].delayHundredths);
    out += std::string("\x00\x00", 2);
    out += '\x2C';
    word(0);
    word(0);
    word(width);
    word(height);
    out += '\0';
    out += '\x02';  // minimum code size: clear 4, end 5, codes of 3 bits
    std::vector<int> codes;
    for (int pixel = 0; pixel < width * height; ++pixel) {
      if (pixel % 2 == 0) codes.push_back(4);
      codes.push_back(static_cast<int>(f));
    }
    codes.push_back(5);
    std::string data;
    unsigned buffer = 0;
    int bits = 0;
    for (int code : codes) {
      buffer |= static_cast<unsigned>(code) << bits;
      bits += 3;
      while (bits >= 8) {
        data += static_cast<char>(buffer & 0xFF);
        buffer >>= 8;
        bits -= 8;
      }
    }
    if (bits > 0) data += static_cast<char>(buffer & 0xFF);
    for (size_t at = 0; at < data.size(); at += 255) {
      const std::string block = data.substr(at, 255);
      out += static_cast<char>(block.size());
      out += block;
    }
    out += '\0';
  }
  out += '\x3B';
  return out;
}

}  // namespace duilib_test
