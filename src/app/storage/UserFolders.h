#pragma once

#include <optional>
#include <string>

// The folders of the current user. None of these creates a folder.

// SHGetFolderPath(CSIDL_PERSONAL); "" when the platform call fails. Asked
// again once the user's shell folders have changed in the registry (as moving
// Documents does), so a moved folder is seen at once.
std::wstring GetDocumentsFolder();
// SHGetFolderPath(CSIDL_MYPICTURES); "" when the platform call fails.
std::wstring GetPicturesFolder();

// While one lives, its thread's GetDocumentsFolder answers from the one
// question asked at the first call: building a list, or painting the rows it
// shows for the first time, asks for many cached pictures, and even the
// registry read that keeps the shell's answer costs a trip to the server.
class DocumentsFolderSnapshot final {
 public:
  DocumentsFolderSnapshot();
  ~DocumentsFolderSnapshot();
  DocumentsFolderSnapshot(const DocumentsFolderSnapshot&) = delete;
  DocumentsFolderSnapshot& operator=(const DocumentsFolderSnapshot&) = delete;

  // The folder, asked for at the first call; an enclosing snapshot answers.
  [[nodiscard]] const std::wstring& Folder();

 private:
  DocumentsFolderSnapshot* const m_previous;
  std::optional<std::wstring> m_folder;
};
// Folder of the running program, without a trailing separator.
std::wstring GetExeFolder();
// The folder part of a module path as GetExeFolder works it out.
std::wstring ExeFolderFromModulePath(const std::wstring& module_path);
// Documents + "\Corvanel": the settings file, the crash dump and the core
// library's databases.
std::wstring GetUserDataFolder();
// Narrow (code page 936) Documents + "\tmp\", ending with a separator.
std::string GetDownloadTmpFolder();
// The user data folder in code page 936, as the core library takes it.
std::string GetUserDataFolderAnsi();
// An existing path in code page 936. A path that the code page cannot hold
// ("Documentos Núñez", "문서") is given in its short (8.3) form, which it
// can; without one the lossy form is returned and the failure logged.
std::string NarrowPathOf(const std::wstring& path);

// Creates the user data folder when it is missing; true when it exists after.
bool EnsureUserDataFolder();
