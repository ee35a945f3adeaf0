#include "app/storage/UserFolders.h"

#include <windows.h>
#include <shlobj.h>

#include "app/text/TextHelpers.h"
#include "quennet/EventLog.h"

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

}  // namespace

std::wstring GetDocumentsFolder() { return t_documentsSnapshot ? *t_documentsSnapshot : AskForDocumentsFolder(); }

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
