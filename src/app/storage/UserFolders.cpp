#include "app/storage/UserFolders.h"

#include <windows.h>
#include <shlobj.h>

#include "app/text/TextHelpers.h"
#include "quennet/EventLog.h"
#include "quennet/WinHandles.h"

#ifndef CORVANEL_DATA_FOLDER_NAME
#define CORVANEL_DATA_FOLDER_NAME L"Corvanel"
#endif

namespace {

thread_local const std::wstring* t_documentsSnapshot = nullptr;

std::wstring AskForFolder(int csidl) {
  wchar_t path[MAX_PATH] = {};
  if (FAILED(SHGetFolderPathW(nullptr, csidl, nullptr, 0, path))) return {};
  return path;
}

std::wstring AskForDocumentsFolder() { return AskForFolder(CSIDL_PERSONAL); }

// The shell's last answer, kept until the user's shell folders change in the
// registry, which is where a moved Documents folder is recorded: the shell
// takes most of a millisecond per question under Wine, and each list row
// shown for the first time asks for its cached picture's path. One per
// thread, so that no thread waits for another's question.
class DocumentsFolderCache final {
 public:
  DocumentsFolderCache() {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kUserShellFolders, 0, KEY_NOTIFY, &key) == ERROR_SUCCESS) m_key = key;
    m_changed.reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  }
  ~DocumentsFolderCache() {
    if (m_key) RegCloseKey(m_key);
  }
  DocumentsFolderCache(const DocumentsFolderCache&) = delete;
  DocumentsFolderCache& operator=(const DocumentsFolderCache&) = delete;

  std::wstring Get() {
    if (m_known && WaitForSingleObject(m_changed.get(), 0) == WAIT_TIMEOUT) return m_folder;
    m_known = false;
    // Watched again before asking, so that a change during the question is
    // seen by the next one. Without a watch every call asks.
    if (!m_key || !m_changed || !ResetEvent(m_changed.get()) ||
        RegNotifyChangeKeyValue(m_key, FALSE, REG_NOTIFY_CHANGE_NAME | REG_NOTIFY_CHANGE_LAST_SET, m_changed.get(),
                                TRUE) != ERROR_SUCCESS) {
      return AskForDocumentsFolder();
    }
    m_folder = AskForDocumentsFolder();
    m_known = !m_folder.empty();
    return m_folder;
  }

 private:
  static constexpr wchar_t kUserShellFolders[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";

  HKEY m_key = nullptr;
  quennet::UniqueHandle m_changed;
  std::wstring m_folder;
  bool m_known = false;
};

std::wstring CachedDocumentsFolder() {
  thread_local DocumentsFolderCache cache;
  return cache.Get();
}

}  // namespace

std::wstring GetDocumentsFolder() { return t_documentsSnapshot ? *t_documentsSnapshot : CachedDocumentsFolder(); }

std::wstring GetPicturesFolder() { return AskForFolder(CSIDL_MYPICTURES); }

DocumentsFolderSnapshot::DocumentsFolderSnapshot() : m_previous(t_documentsSnapshot), m_folder(GetDocumentsFolder()) {
  t_documentsSnapshot = &m_folder;
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
