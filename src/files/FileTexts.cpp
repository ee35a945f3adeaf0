#include "files/FileTexts.h"

#include <ctime>
#include <iomanip>
#include <sstream>

#include "app/storage/FileHelpers.h"
#include "app/text/StringTable.h"
#include "app/text/TextHelpers.h"

namespace files {

namespace {

constexpr int64_t kKilobyte = 1024;
constexpr int64_t kMegabyte = 1024 * 1024;
constexpr size_t kTimeTextLength = 32;

std::string Fixed(double value, const char* unit) {
  std::ostringstream text;
  text << std::fixed << std::setprecision(1) << value << unit;
  return text.str();
}

}  // namespace

std::string FormatFileSize(int64_t size) {
  if (size < kKilobyte) return std::to_string(size) + "Bytes";
  if (size < kMegabyte) return Fixed(size / 1024.0, "KB");
  return Fixed(size / 1024.0 / 1024.0, "MB");
}

std::wstring FormatLocalTime(int64_t seconds, const std::wstring& format) {
  const auto time = static_cast<time_t>(seconds);
  const tm* local = localtime(&time);
  if (!local || format.empty()) return {};
  const tm parts = *local;
  // The runtime's wcsftime passes the whole format through the narrow "C"
  // locale, which loses CJK text: only the directives go through it here.
  std::wstring text;
  for (size_t i = 0; i < format.size(); ++i) {
    if (format[i] != L'%' || i + 1 == format.size()) {
      text += format[i];
      continue;
    }
    const size_t length = format[i + 1] == L'#' && i + 2 < format.size() ? 3 : 2;
    const std::wstring directive = format.substr(i, length);
    wchar_t piece[kTimeTextLength] = {};
    text.append(piece, wcsftime(piece, kTimeTextLength, directive.c_str(), &parts));
    i += length - 1;
  }
  return text.size() < kTimeTextLength ? text : std::wstring();
}

std::wstring FileTimeText(int64_t seconds) { return FormatLocalTime(seconds, LocalizedText("FormatFileCreatDate")); }

std::string UpperAscii(std::string text) {
  for (char& c : text) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return text;
}

std::string FileTypeIconPath(const std::string& fileName) {
  const std::string icon = GetFileTypeIcon(fileName);
  return icon.empty() ? "file_type/file_type_default.png" : icon;
}

std::optional<std::string> LinkAddress(const std::string& content) {
  const std::vector<std::string> pieces = SplitString(content, "|");
  if (pieces.size() < 3) return std::nullopt;
  return pieces[2];
}

}  // namespace files
