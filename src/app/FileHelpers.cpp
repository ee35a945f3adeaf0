#include "app/FileHelpers.h"

#include <windows.h>

#include <cstdio>

#include "app/TextHelpers.h"
#include "app/UserFolders.h"

namespace {

constexpr size_t kCacheKeyLength = 36;

bool IsPlainExtension(const std::string& extension) {
  for (char c : extension) {
    const bool letter_or_digit = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
    if (!letter_or_digit) return false;
  }
  return true;
}

}  // namespace

int CountSubfolders(const std::wstring& folder) {
  std::wstring pattern = folder;
  if (!pattern.empty() && pattern.back() != L'\\') pattern += L'\\';
  pattern += L'*';
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW(pattern.c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return 0;
  int count = 0;
  do {
    const std::wstring name = found.cFileName;
    if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && name != L"." && name != L"..") ++count;
  } while (FindNextFileW(search, &found));
  FindClose(search);
  return count;
}

std::string GetFileTypeIcon(const std::string& fileName) {
  const size_t dot = fileName.rfind('.');
  const std::string extension = dot == std::string::npos ? std::string() : fileName.substr(dot + 1);
  // The extension comes from the server: it must not reach outside the folder.
  if (!IsPlainExtension(extension)) return {};
  const std::string picture = "file_type_" + extension + ".png";

  std::string program_folder = WideToAnsi(GetExeFolder());
  const size_t last_separator = program_folder.find_last_of("\\/");
  program_folder = last_separator == std::string::npos ? std::string() : program_folder.substr(0, last_separator);
  const std::wstring absolute = AnsiToWide(program_folder + "/Mireloom/skin/file_type/" + picture);

  FILE* file = _wfopen(absolute.c_str(), L"rb");
  if (!file) return {};
  fclose(file);
  return "file_type/" + picture;
}

std::string CacheKey(const std::string& key) {
  return key.size() >= kCacheKeyLength ? key.substr(0, kCacheKeyLength) : key;
}
