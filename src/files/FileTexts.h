#pragma once

// Texts the file windows show or read: file sizes, creation times, upper-case
// extensions, file-type icons and the address a link leads to.

#include <cstdint>
#include <optional>
#include <string>

namespace files {

// "1023Bytes", "1.5KB", "1024.0KB", "1.0MB": no blank before the unit, one
// digit after the point, nothing above MB; negative sizes count as bytes.
[[nodiscard]] std::string FormatFileSize(int64_t size);

// Seconds since 1970 as local time in the format (a translated strftime
// format, as wide text); "" when the time cannot be converted or the result
// does not fit 31 characters.
[[nodiscard]] std::wstring FormatLocalTime(int64_t seconds, const std::wstring& format);
// A file's or a comment's time as every file window shows it: in the format
// of "FormatFileCreatDate" in the interface language.
[[nodiscard]] std::wstring FileTimeText(int64_t seconds);

// Letters a to z made A to Z; every other byte unchanged.
[[nodiscard]] std::string UpperAscii(std::string text);

// The skin's icon of the file's type (by the extension of its name), else
// "file_type/file_type_default.png".
[[nodiscard]] std::string FileTypeIconPath(const std::string& fileName);

// The address of a link's content "a|b|address": its third non-empty
// "|"-separated piece, when there is one.
[[nodiscard]] std::optional<std::string> LinkAddress(const std::string& content);

}  // namespace files
