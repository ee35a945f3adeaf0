#include "mireloom/Types.h"

#include "Text.h"

namespace mireloom {
namespace {

constexpr const char* kPalette[kPreferredColorCount] = {
    "#4bbcb7", "#5b9bd5", "#f5a623", "#e86c5d", "#8e6cc9", "#62b36f", "#f06292", "#26a69a", "#7986cb",
    "#ffb74d", "#a1887f", "#90a4ae", "#4fc3f7", "#aed581", "#ff8a65", "#ba68c8", "#4db6ac", "#e57373"};

// Avatar names become file names and cache keys: only [a-z0-9.-] survive.
std::string SafeNamePart(const std::string& text) {
  std::string safe = detail::AsciiLower(text);
  for (char& c : safe) {
    const bool allowed = (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '.' || c == '-';
    if (!allowed) c = '-';
  }
  return safe;
}

}  // namespace

std::string avatar_url(std::string uri, int width, int height, int scale) {
  if (uri.empty()) return {};
  const int factor = scale > 0 ? scale : 1;
  return "s" + std::to_string(width * factor) + "x" + std::to_string(height * factor) + "-" + SafeNamePart(uri) +
         ".png";
}

std::string preferred_color_to_hex_string(PreferredColor color) {
  const int index = static_cast<int>(color);
  return kPalette[index >= 0 && index < kPreferredColorCount ? index : 0];
}

PreferredColor preferred_color_from_hex_string(const std::string& hex) {
  const std::string wanted = detail::AsciiLower(hex);
  for (int i = 0; i < kPreferredColorCount; ++i) {
    if (wanted == kPalette[i]) return static_cast<PreferredColor>(i);
  }
  return kPreferredColorFirst;
}

}  // namespace mireloom
