#include "app/storage/CacheNames.h"

#include <cstdio>

#include "app/storage/UserFolders.h"
#include "app/text/TextHelpers.h"

namespace {

constexpr size_t kCacheKeyLength = 36;

bool NeedsEscape(unsigned char c) {
  return c < 0x20 || c >= 0x7F || c == '%' || c == '<' || c == '>' || c == ':' || c == '"' || c == '/' ||
         c == '\\' || c == '|' || c == '?' || c == '*';
}

std::string Escaped(unsigned char c) {
  char hex[4];
  snprintf(hex, sizeof hex, "%%%02X", c);
  return hex;
}

// "CON", "prn.png", "Com1": names Windows keeps for devices, whatever follows the dot.
bool IsDeviceName(const std::string& name) {
  std::string stem = name.substr(0, name.find('.'));
  for (char& c : stem) c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
  if (stem == "CON" || stem == "PRN" || stem == "AUX" || stem == "NUL") return true;
  return stem.size() == 4 && (stem.rfind("COM", 0) == 0 || stem.rfind("LPT", 0) == 0) && stem[3] >= '1' &&
         stem[3] <= '9';
}

}  // namespace

std::string CacheKey(const std::string& key) {
  return key.size() >= kCacheKeyLength ? key.substr(0, kCacheKeyLength) : key;
}

std::string CacheFileName(const std::string& key) {
  const std::string short_key = CacheKey(key);
  std::string name;
  for (size_t i = 0; i < short_key.size(); ++i) {
    const auto c = static_cast<unsigned char>(short_key[i]);
    const bool at_edge = i == 0 || i + 1 == short_key.size();
    const bool edge_character = at_edge && (c == '.' || c == ' ');
    const bool device = i == 0 && IsDeviceName(short_key);
    name += NeedsEscape(c) || edge_character || device ? Escaped(c) : std::string(1, static_cast<char>(c));
  }
  return name;
}

std::string CachedFilePath(const std::string& key) {
  const std::string name = CacheFileName(key);
  return name.empty() ? std::string() : GetDownloadTmpFolder() + name;
}

std::wstring GetCachedFilePath(const std::string& key) { return AnsiToWide(CachedFilePath(key)); }
