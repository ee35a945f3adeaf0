#include "app/ui/ColorText.h"

#include <cctype>

std::optional<DWORD> ParseChannelColor(const std::string& text) {
  if (text.size() != 7 || text[0] != '#') return std::nullopt;
  DWORD rgb = 0;
  for (size_t i = 1; i < text.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    if (!std::isxdigit(c)) return std::nullopt;
    const DWORD digit = std::isdigit(c) ? c - '0' : std::tolower(c) - 'a' + 10;
    rgb = rgb << 4 | digit;
  }
  return 0xFF000000u | rgb;
}
