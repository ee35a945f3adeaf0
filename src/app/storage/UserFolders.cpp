#include "app/storage/UserFolders.h"

#include <windows.h>
#include <shlobj.h>

#include <mutex>

#include "app/text/TextHelpers.h"
#include "quennet/EventLog.h"

#ifndef CORVANEL_DATA_FOLDER_NAME
#define CORVANEL_DATA_FOLDER_NAME L"Corvanel"
#endif

namespace {

thread_local DocumentsFolderSnapshot* t_documentsSnapshot = nullptr;

std::wstring AskForFolder(int csidl) {
  wchar_t path[MAX_PATH] = {};
  if (FAILED(SHGetFolderPathW(nullptr, csidl, nullptr, 0, path))) return {};
  return path;
}

std::wstring AskForDocumentsFolder() { return AskForFolder(CSIDL_PERSONAL); }

// The shell's answer, kept while the registry value it is worked out from
// stays as it was: moving Documents rewrites that value, so a moved folder is
// seen at the very next call, and a call costs one registry read instead of
// the shell's walk (most of a millisecond under Wine for every conversation
// row shown for the first time). Read synchronously, with no change
// notification, and shared by every thread.
class DocumentsFolderCache final {
 public:
  std::wstring Get() {
    std::lock_guard<std::mutex> lock(m_mutex);
    std::wstring value;
    if (!ReadValue(value)) return AskForDocumentsFolder();
    if (m_known && value == m_value) return m_folder;
    m_folder = AskForDocumentsFolder();
    m_value = std::move(value);
    m_known = !m_folder.empty();
    return m_folder;
  }

 private:
  static constexpr wchar_t kUserShellFolders[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
  static constexpr size_t kMaxValueChars = 4 * MAX_PATH;

  // The raw value, "" when it is absent; false when the key cannot be read,
  // and then nothing is kept. A key deleted since it was opened is opened again.
  bool ReadValue(std::wstring& value) {
    for (int attempt = 0; attempt < 2; ++attempt) {
      if (!m_key && RegOpenKeyExW(HKEY_CURRENT_USER, kUserShellFolders, 0, KEY_QUERY_VALUE, &m_key) != ERROR_SUCCESS) {
        m_key = nullptr;
        return false;
      }
      wchar_t buffer[kMaxValueChars + 1] = {};
      DWORD size = kMaxValueChars * sizeof(wchar_t);
      const LSTATUS status = RegQueryValueExW(m_key, L"Personal", nullptr, nullptr, reinterpret_cast<BYTE*>(buffer), &size);
      if (status == ERROR_SUCCESS) {
        value.assign(buffer, wcsnlen(buffer, size / sizeof(wchar_t)));
        return true;
      }
      if (status == ERROR_FILE_NOT_FOUND) {
        value.clear();
        return true;
      }
      RegCloseKey(m_key);
      m_key = nullptr;
      if (status != ERROR_KEY_DELETED) return false;
    }
    return false;
  }

  std::mutex m_mutex;
  HKEY m_key = nullptr;
  std::wstring m_value;
  std::wstring m_folder;
  bool m_known = false;
};

std::wstring CachedDocumentsFolder() {
  // Never destroyed: threads may ask while the process exits.
  static DocumentsFolderCache* cache = new DocumentsFolderCache;
  return cache->Get();
}

}  // namespace

std::wstring GetDocumentsFolder() { return t_documentsSnapshot ? t_documentsSnapshot->Folder() : CachedDocumentsFolder(); }

std::wstring GetPicturesFolder() { return AskForFolder(CSIDL_MYPICTURES); }

DocumentsFolderSnapshot::DocumentsFolderSnapshot() : m_previous(t_documentsSnapshot) { t_documentsSnapshot = this; }

const std::wstring& DocumentsFolderSnapshot::Folder() {
  if (!m_folder) m_folder = m_previous ? m_previous->Folder() : CachedDocumentsFolder();
  return *m_folder;
}

DocumentsFolderSnapshot::~DocumentsFolderSnapshot() { t_documentsSnapshot = m_previous; }

std::wstring GetExeFolder() {
  wchar_t module_path[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, module_path, MAX_PATH);
  return ExeFolderFromModulePath(module_path);
}

std::wstring ExeFolderFromModulePath(const std::wstring& module_path) {
  // Goes through the multibyte form and drops empty pieces, so a network path
  // loses its leading separators and characters outside code page 936 are lost;
  // callers have always seen it this way.
  const std::vector<std::string> pieces = SplitString(WideToAnsi(module_path), "\\");
  if (pieces.size() < 2) return {};
  std::string folder;
  for (size_t i = 0; i + 1 < pieces.size(); ++i) {
    if (i > 0) folder += "\\";
    folder += pieces[i];
  }
  return AnsiToWide(folder);
}

std::wstring GetUserDataFolder() { return GetDocumentsFolder() + L"\\" + CORVANEL_DATA_FOLDER_NAME; }

std::string GetDownloadTmpFolder() { return NarrowPathOf(GetDocumentsFolder()) + "\\tmp\\"; }

std::string GetUserDataFolderAnsi() { return NarrowPathOf(GetUserDataFolder()); }

std::string NarrowPathOf(const std::wstring& path) {
  const std::string narrow = WideToAnsi(path);
  if (AnsiToWide(narrow) == path) return narrow;
  const DWORD length = GetShortPathNameW(path.c_str(), nullptr, 0);
  std::wstring shortPath(length, L'\0');
  if (length > 0 && GetShortPathNameW(path.c_str(), shortPath.data(), length) > 0) {
    shortPath.resize(wcslen(shortPath.c_str()));
    const std::string narrowShort = WideToAnsi(shortPath);
    if (AnsiToWide(narrowShort) == shortPath) return narrowShort;
  }
  quennet::log_error("Folder %s has no form in code page 936", WideToUtf8(path).c_str());
  return narrow;
}


bool EnsureUserDataFolder() {
  const std::wstring folder = GetUserDataFolder();
  if (CreateDirectoryW(folder.c_str(), nullptr)) return true;
  const DWORD attributes = GetFileAttributesW(folder.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}
