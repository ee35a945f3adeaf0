#include "files/UploadLogic.h"

#include <windows.h>

#include "app/text/TextHelpers.h"
#include "quennet/WinHandles.h"

namespace files {

std::string FileNameOfPath(const std::string& path) {
  const size_t separator = path.find_last_of("\\/");
  return separator == std::string::npos ? path : path.substr(separator + 1);
}

std::string ExtensionOfName(const std::string& name) {
  const size_t dot = name.rfind('.');
  return dot == std::string::npos ? std::string() : name.substr(dot + 1);
}

bool HasPicturePreview(const std::string& extension) {
  for (const char* previewed : {"png", "jpg", "bmp", "gif", "JPG", "PNG"}) {
    if (extension == previewed) return true;
  }
  return false;
}

std::optional<std::string> UploadPathCp936(const std::wstring& path) {
  bool lossy = false;
  std::string converted = WideToAnsi(path, &lossy);
  if (lossy || path.empty()) return std::nullopt;
  return converted;
}

std::optional<std::string> ReadFileHead(const std::wstring& path, size_t limit) {
  quennet::UniqueHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (file.get() == INVALID_HANDLE_VALUE) return std::nullopt;
  std::string bytes(limit, '\0');
  DWORD read = 0;
  if (!ReadFile(file.get(), bytes.data(), static_cast<DWORD>(limit), &read, nullptr)) return std::nullopt;
  bytes.resize(read);
  return bytes;
}

std::string MimeTypeToSend(const std::wstring& sniffed) {
  return sniffed.empty() ? std::string(kDefaultMimeType) : WideToAnsi(sniffed);
}

}  // namespace files
