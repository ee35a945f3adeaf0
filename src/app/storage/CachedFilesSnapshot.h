#pragma once

#include <windows.h>

#include <string>
#include <unordered_set>

#include "app/storage/UserFolders.h"

// While one lives, its thread's cached-picture checks ask the file system
// file by file for a list's first rows, and answer the rest from one listing
// of the download folder. The folder holds every cached avatar of every size
// and every thumbnail, so a listing may read tens of thousands of names: a
// session list of thirty rows asks for its thirty files, a contacts tree of
// thousands lists the folder. A listing is kept for the next snapshot while
// the folder's last-write time stays the same, and is then used from the
// first question: rebuilding a big list after no download lists nothing. A
// snapshot reads that time at its first question, not at every one. A file
// the listing misses is no loss: a download first looks for the file itself
// and shows it. Paths outside the download folder are asked for as usual.
//
// It holds the Documents folder for its lifetime too, so that the paths of
// its questions are formed without asking the shell row by row: one line of
// it serves a list builder. Made, it costs that one Documents question, or
// nothing under a living DocumentsFolderSnapshot; the download folder is
// worked out, and listed, only when asked.
class CachedFilesSnapshot final {
 public:
  // Questions into the download folder answered by the file system before it
  // is listed. Under Wine a found file costs some 15 us, a listing of 5,000
  // files some 50 ms (of 10,000, 90 ms): a list of up to 256 rows costs under
  // 4 ms without a listing, and a longer one, which lists, only that more.
  static constexpr int kQuestionsBeforeListing = 256;
  // A file not found costs Wine a search of the whole folder, about a
  // thirtieth of a listing: sixteen cost half a listing, so a list of many
  // missing files pays at most that more, and a few missing ones list nothing.
  static constexpr int kMissesBeforeListing = 16;

  CachedFilesSnapshot();
  ~CachedFilesSnapshot();
  CachedFilesSnapshot(const CachedFilesSnapshot&) = delete;
  CachedFilesSnapshot& operator=(const CachedFilesSnapshot&) = delete;

  // True when the path names an existing file (not a folder): from the
  // snapshot while one lives on this thread, else from the file system.
  [[nodiscard]] static bool FileExists(const std::wstring& path);

 private:
  [[nodiscard]] bool Answer(const std::wstring& path);
  // The name (upper-cased) of a path straight inside the download folder.
  [[nodiscard]] bool NameInFolder(const std::wstring& path, std::wstring& name);
  // The listing to answer from; null while asking the file system is the
  // cheaper, or when the folder could not be read.
  [[nodiscard]] const std::unordered_set<std::wstring>* Listing();
  [[nodiscard]] bool ListingPaysOff() const;

  // First, so that it is made before and undone after this snapshot: nested
  // snapshots of both kinds end in the order they began.
  const DocumentsFolderSnapshot m_documents;
  CachedFilesSnapshot* const m_previous;
  // Upper-cased, as the file system compares names without case; "" until
  // the first question.
  std::wstring m_folder;
  const std::unordered_set<std::wstring>* m_files = nullptr;
  bool m_keptListingChecked = false;
  bool m_listed = false;
  int m_questions = 0;
  int m_misses = 0;
};
