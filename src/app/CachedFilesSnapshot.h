#pragma once

#include <windows.h>

#include <string>
#include <unordered_set>

// While one lives, its thread's cached-picture checks answer from a listing
// of the download folder instead of asking the file system file by file:
// under Wine each question costs some ten microseconds, and a list of
// thousands of rows asks thousands. The listing is kept for the next snapshot
// while the folder's last-write time stays the same, so a search keystroke
// asks the folder once and lists it only after a download. A file the listing
// misses is no loss: a download first looks for the file itself and shows it.
// Paths outside the download folder are asked for as usual.
class CachedFilesSnapshot final {
 public:
  CachedFilesSnapshot();
  ~CachedFilesSnapshot();
  CachedFilesSnapshot(const CachedFilesSnapshot&) = delete;
  CachedFilesSnapshot& operator=(const CachedFilesSnapshot&) = delete;

  // True when the path names an existing file (not a folder): from the
  // listing while a snapshot lives on this thread, else from the file system.
  [[nodiscard]] static bool FileExists(const std::wstring& path);

 private:
  [[nodiscard]] bool Lists(const std::wstring& path, bool& exists);

  CachedFilesSnapshot* const m_previous;
  // Upper-cased, as the file system compares names without case.
  const std::wstring m_folder;
  // Made at the first question, so that a snapshot nobody asks costs nothing.
  const std::unordered_set<std::wstring>* m_files = nullptr;
  bool m_asked = false;
};
