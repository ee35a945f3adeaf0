#include "app/storage/FileHelpers.h"

#include <windows.h>

#include <atomic>
#include <cstdio>

#include "app/frame/TextHelpers.h"
#include "app/storage/UserFolders.h"
#include "quennet/WinHandles.h"

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

// A name beside the final one, different for every write in the process.
std::wstring TemporaryPathBeside(const std::wstring& path) {
  static std::atomic<unsigned> counter{0};
  return path + L"." + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(++counter) + L".part";
}

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

bool ReplaceFileAtomically(const std::wstring& path, const std::function<bool(const std::wstring& temporary)>& write,
                           Durability durability) {
  const std::wstring temporary = TemporaryPathBeside(path);
  const bool flushed = durability == Durability::Flushed;
  const DWORD flags = MOVEFILE_REPLACE_EXISTING | (flushed ? MOVEFILE_WRITE_THROUGH : 0);
  const bool replaced =
      write(temporary) && (!flushed || FlushToDisk(temporary)) && MoveFileExW(temporary.c_str(), path.c_str(), flags);
  if (!replaced) DeleteFileW(temporary.c_str());
  return replaced;
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
