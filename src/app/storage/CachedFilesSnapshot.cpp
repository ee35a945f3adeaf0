#include "app/storage/CachedFilesSnapshot.h"

#include "app/text/TextHelpers.h"

namespace {

// The names in one folder as they were at its last-write time.
struct FolderListing {
  std::wstring folder;
  FILETIME written = {};
  std::unordered_set<std::wstring> files;
};

thread_local CachedFilesSnapshot* t_current = nullptr;
// Shared by the thread's snapshots: an outer one may be answering from it
// while an inner one lists the folder again.
thread_local FolderListing t_listing;

std::wstring UpperCased(std::wstring text) {
  if (!text.empty()) CharUpperBuffW(text.data(), static_cast<DWORD>(text.size()));
  return text;
}

bool AskFileSystem(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// The file system stamps a folder's changes with a coarse clock: a file
// written in the same tick as the listing leaves the time as it was. A
// listing of a folder changed that recently serves its own snapshot only.
constexpr ULONGLONG kSettledAge = 2 * 10000000ULL;  // two seconds in 100 ns units

ULONGLONG Ticks(const FILETIME& time) { return (ULONGLONG{time.dwHighDateTime} << 32) | time.dwLowDateTime; }

bool SameTime(const FILETIME& a, const FILETIME& b) { return Ticks(a) == Ticks(b); }

bool Settled(const FILETIME& written) {
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  return Ticks(now) >= Ticks(written) + kSettledAge;
}

// The upper-cased names of the files (not folders) in the folder.
bool ReadNames(const std::wstring& folder, std::unordered_set<std::wstring>& files) {
  WIN32_FIND_DATAW found;
  const HANDLE search = FindFirstFileExW((folder + L"*").c_str(), FindExInfoBasic, &found, FindExSearchNameMatch,
                                         nullptr, FIND_FIRST_EX_LARGE_FETCH);
  if (search == INVALID_HANDLE_VALUE) return false;
  do {
    if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) files.insert(UpperCased(found.cFileName));
  } while (FindNextFileW(search, &found));
  FindClose(search);
  return true;
}

// Lists the folder into the thread's listing. False when the folder could not
// be read: the listing is then left as it was, for an outer snapshot may be
// answering from it, and this one asks for its files one by one.
bool ListFolder(const std::wstring& folder) {
  FolderListing listing;
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExW(folder.c_str(), GetFileExInfoStandard, &data)) {
    const DWORD error = GetLastError();
    if (error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND) return false;
    // A folder not made yet holds no file; it is asked for again next time.
    t_listing = std::move(listing);
    return true;
  }
  if (!ReadNames(folder, listing.files)) return false;
  // An empty folder name keeps the listing from the next snapshot.
  if (Settled(data.ftLastWriteTime)) listing.folder = folder;
  listing.written = data.ftLastWriteTime;
  t_listing = std::move(listing);
  return true;
}

// The kept listing of the folder while the folder is as it was listed.
const std::unordered_set<std::wstring>* KeptListing(const std::wstring& folder) {
  if (t_listing.folder.empty() || t_listing.folder != folder) return nullptr;
  WIN32_FILE_ATTRIBUTE_DATA data;
  const bool unchanged = GetFileAttributesExW(folder.c_str(), GetFileExInfoStandard, &data) &&
                         SameTime(data.ftLastWriteTime, t_listing.written);
  return unchanged ? &t_listing.files : nullptr;
}

// The listing of the folder, listed again when the folder has changed.
const std::unordered_set<std::wstring>* CurrentListing(const std::wstring& folder) {
  if (const auto* kept = KeptListing(folder)) return kept;
  return ListFolder(folder) ? &t_listing.files : nullptr;
}

}  // namespace

CachedFilesSnapshot::CachedFilesSnapshot() : m_previous(t_current) { t_current = this; }

CachedFilesSnapshot::~CachedFilesSnapshot() { t_current = m_previous; }

bool CachedFilesSnapshot::FileExists(const std::wstring& path) {
  return t_current ? t_current->Answer(path) : AskFileSystem(path);
}

bool CachedFilesSnapshot::Answer(const std::wstring& path) {
  std::wstring name;
  if (!NameInFolder(path, name)) return AskFileSystem(path);
  if (const auto* files = Listing()) return files->count(name) != 0;
  const bool exists = AskFileSystem(path);
  ++m_questions;
  if (!exists) ++m_misses;
  return exists;
}

bool CachedFilesSnapshot::NameInFolder(const std::wstring& path, std::wstring& name) {
  if (m_folder.empty()) m_folder = UpperCased(AnsiToWide(GetDownloadTmpFolder()));
  if (path.size() <= m_folder.size()) return false;
  const std::wstring upper = UpperCased(path);
  if (upper.compare(0, m_folder.size(), m_folder) != 0) return false;
  name = upper.substr(m_folder.size());
  // A path into a subfolder is not in the listing.
  return name.find_first_of(L"\\/") == std::wstring::npos;
}

const std::unordered_set<std::wstring>* CachedFilesSnapshot::Listing() {
  if (!m_keptListingChecked) {
    m_keptListingChecked = true;
    m_files = KeptListing(m_folder);
  }
  if (!m_files && !m_listed && ListingPaysOff()) {
    m_listed = true;
    m_files = CurrentListing(m_folder);
  }
  return m_files;
}

bool CachedFilesSnapshot::ListingPaysOff() const {
  return m_questions >= kQuestionsBeforeListing || m_misses >= kMissesBeforeListing;
}
