#include "quennet/FileUtils.h"

#include <windows.h>

#include "Cp936.h"

namespace quennet {
namespace {

bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

// Wide form of a narrow path with one "\" between parts and no trailing one
// (except after a drive). A leading "\\" of a network path is kept.
bool NormalisePath(const std::string& path, std::wstring* out) {
  std::wstring wide;
  if (!detail::Cp936ToWide(path, &wide)) return false;
  std::wstring normal;
  normal.reserve(wide.size());
  size_t i = 0;
  if (wide.size() >= 2 && IsSeparator(wide[0]) && IsSeparator(wide[1])) {
    normal = L"\\\\";
    i = 2;
  }
  for (; i < wide.size(); ++i) {
    if (IsSeparator(wide[i])) {
      if (!normal.empty() && normal.back() == L'\\') continue;
      normal += L'\\';
    } else {
      normal += wide[i];
    }
  }
  while (normal.size() > 1 && normal.back() == L'\\' && !(normal.size() == 3 && normal[1] == L':')) normal.pop_back();
  if (normal.empty() || normal.size() >= MAX_PATH) return false;
  *out = std::move(normal);
  return true;
}

DWORD Attributes(const std::wstring& path) { return GetFileAttributesW(path.c_str()); }

bool IsDirectory(DWORD attributes) {
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool IsDriveRoot(const std::wstring& path) {
  return (path.size() == 2 && path[1] == L':') || (path.size() == 3 && path[1] == L':' && path[2] == L'\\') ||
         path == L"\\";
}

bool DeleteEntry(const std::wstring& path, DWORD attributes);

// Deletes everything inside the folder; true when all of it is gone.
bool DeleteContents(const std::wstring& folder, const std::vector<std::wstring>& keep) {
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return GetLastError() == ERROR_FILE_NOT_FOUND;
  bool all_gone = true;
  do {
    const std::wstring name = found.cFileName;
    if (name == L"." || name == L"..") continue;
    bool kept = false;
    for (const auto& keep_name : keep) {
      if (CompareStringOrdinal(name.c_str(), -1, keep_name.c_str(), -1, TRUE) == CSTR_EQUAL) kept = true;
    }
    if (kept) continue;
    if (!DeleteEntry(folder + L"\\" + name, found.dwFileAttributes)) all_gone = false;
  } while (FindNextFileW(search, &found));
  FindClose(search);
  return all_gone;
}

bool DeleteEntry(const std::wstring& path, DWORD attributes) {
  if (attributes & FILE_ATTRIBUTE_READONLY) {
    SetFileAttributesW(path.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
  }
  if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) {
    // A link or junction: remove the link itself, never what it points to.
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) ? RemoveDirectoryW(path.c_str()) : DeleteFileW(path.c_str());
  }
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
    const bool contents_gone = DeleteContents(path, {});
    return RemoveDirectoryW(path.c_str()) && contents_gone;
  }
  return DeleteFileW(path.c_str());
}

}  // namespace

FileUtils* FileUtils::SharedFileUtils() {
  static FileUtils* utils = new FileUtils;  // never destroyed
  return utils;
}

bool FileUtils::DirectoryExists(const std::string& path) const {
  std::wstring wide;
  return NormalisePath(path, &wide) && IsDirectory(Attributes(wide));
}

bool FileUtils::FileExists(const std::string& path) const {
  std::wstring wide;
  if (!NormalisePath(path, &wide)) return false;
  const DWORD attributes = Attributes(wide);
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool FileUtils::MakeDirectory(const std::string& path) const {
  std::wstring wide;
  if (!NormalisePath(path, &wide)) return false;
  // Create each level in turn, skipping a drive or a network server and share.
  size_t start = 0;
  if (wide.rfind(L"\\\\", 0) == 0) {
    const size_t server_end = wide.find(L'\\', 2);
    start = server_end == std::wstring::npos ? wide.size() : wide.find(L'\\', server_end + 1);
    if (start == std::wstring::npos) start = wide.size();
  } else if (wide.size() >= 2 && wide[1] == L':') {
    start = 2;
  }
  for (size_t next = wide.find(L'\\', start + 1); ; next = wide.find(L'\\', next + 1)) {
    const std::wstring level = wide.substr(0, next);
    if (!IsDriveRoot(level) && !level.empty()) CreateDirectoryW(level.c_str(), nullptr);
    if (next == std::wstring::npos) break;
  }
  return IsDirectory(Attributes(wide));
}

bool FileUtils::DeleteFolderContentsExcept(const std::string& folder, const std::vector<std::string>& keep) const {
  std::wstring wide;
  if (!NormalisePath(folder, &wide) || IsDriveRoot(wide)) return false;
  const DWORD attributes = Attributes(wide);
  if (!IsDirectory(attributes) || (attributes & FILE_ATTRIBUTE_REPARSE_POINT)) return false;
  std::vector<std::wstring> keep_wide;
  for (const auto& name : keep) {
    std::wstring keep_name;
    if (detail::Cp936ToWide(name, &keep_name)) keep_wide.push_back(keep_name);
  }
  return DeleteContents(wide, keep_wide);
}

}  // namespace quennet
