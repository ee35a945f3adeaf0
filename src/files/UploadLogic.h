#pragma once

// What the upload dialog decides without a window: the shared name and its
// extension, which files get a picture preview and which an icon, the path
// the core library is given, and the type the file is sent as.

#include <cstddef>
#include <optional>
#include <string>

namespace files {

// The first bytes of a file that its type is sniffed from.
inline constexpr size_t kMimeSniffBytes = 260;
inline constexpr char kDefaultMimeType[] = "application/octet-stream";

// The part of a path after its last "\" or "/" (all of it without one).
[[nodiscard]] std::string FileNameOfPath(const std::string& path);
// The part of a name after its last "." ("" without one).
[[nodiscard]] std::string ExtensionOfName(const std::string& name);
// Only these exact extensions are previewed as pictures: png, jpg, bmp, gif,
// JPG and PNG. Others ("jpeg", "Png") show their file-type icon.
[[nodiscard]] bool HasPicturePreview(const std::string& extension);

// The path in code page 936, as the dialog and the core library take it;
// nothing when a character of the path has no form there (the file could
// not be found under the converted path).
[[nodiscard]] std::optional<std::string> UploadPathCp936(const std::wstring& path);

// Up to `limit` bytes from the start of the file; nothing when it cannot be read.
[[nodiscard]] std::optional<std::string> ReadFileHead(const std::wstring& path, size_t limit = kMimeSniffBytes);
// The type to send: the sniffed one, or the default when the sniff named none.
[[nodiscard]] std::string MimeTypeToSend(const std::wstring& sniffed);

}  // namespace files
