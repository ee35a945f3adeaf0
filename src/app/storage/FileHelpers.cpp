#include "app/storage/FileHelpers.h"

#include <windows.h>

#include <atomic>
#include <cstdio>

#include "app/storage/UserFolders.h"
#include "app/text/TextHelpers.h"
#include "quennet/WinHandles.h"

namespace {

bool FlushToDisk(const std::wstring& path) {
  quennet::UniqueHandle file(
      CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  return file.get() != INVALID_HANDLE_VALUE && FlushFileBuffers(file.get());
}

bool IsPlainExtension(const std::string& extension) {
  for (char c : extension) {
    const bool letter_or_digit = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
    if (!letter_or_digit) return false;
  }
  return true;
}

}  // namespace

bool WriteWholeFile(const std::wstring& path, const void* bytes, size_t size) {
  quennet::UniqueHandle file(
      CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (file.get() == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  return WriteFile(file.get(), bytes, static_cast<DWORD>(size), &written, nullptr) && written == size;
}

bool ReplaceFileWhole(const std::wstring& path, const std::function<bool(const std::wstring& temporary)>& write,
                      FileSync sync) {
  // A name of its own for every write, in this process and any other.
  static std::atomic<unsigned> counter{0};
  const std::wstring temporary =
      path + L"." + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(++counter) + L".part";
  const bool synced = sync == FileSync::BeforeReplacing;
  const DWORD flags = MOVEFILE_REPLACE_EXISTING | (synced ? MOVEFILE_WRITE_THROUGH : 0);
  const bool replaced =
      write(temporary) && (!synced || FlushToDisk(temporary)) && MoveFileExW(temporary.c_str(), path.c_str(), flags);
  if (!replaced) DeleteFileW(temporary.c_str());
  return replaced;
}

bool ReplaceFileWhole(const std::wstring& path, const void* bytes, size_t size, FileSync sync) {
  return ReplaceFileWhole(
      path, [&](const std::wstring& temporary) { return WriteWholeFile(temporary, bytes, size); }, sync);
}

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
