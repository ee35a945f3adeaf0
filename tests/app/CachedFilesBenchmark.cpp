// The cached-picture checks over a download folder given 5,000 files: one
// question to the file system, found and not found, and snapshots of lists of
// several lengths right after a download (the folder changed, so its listing
// is not kept) and with a kept listing. A benchmark, not a test: it prints
// the times.

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "app/storage/CachedFilesSnapshot.h"
#include "app/storage/UserFolders.h"
#include "app/text/TextHelpers.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kFiles = 5000;
constexpr int kMissingAsked = 200;
constexpr int kRuns = 7;

double Microseconds(Clock::time_point start) {
  return std::chrono::duration<double, std::micro>(Clock::now() - start).count();
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

std::wstring CachedFile(int i) {
  return AnsiToWide(GetDownloadTmpFolder()) + L"bench-files-" + std::to_wstring(i) + L"-0123456789abcdef.png";
}

bool WriteCachedFile(const std::wstring& path) {
  const HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const bool ok = ::WriteFile(file, "png", 3, &written, nullptr) && written == 3;
  CloseHandle(file);
  return ok;
}

// The folder also holds what earlier runs cached.
int FilesInFolder() {
  int files = 0;
  WIN32_FIND_DATAW found;
  const HANDLE search = FindFirstFileW((AnsiToWide(GetDownloadTmpFolder()) + L"*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return 0;
  do files += !(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
  while (FindNextFileW(search, &found));
  FindClose(search);
  return files;
}

// Microseconds per question, asked without a snapshot.
double PerQuestion(int first, int count) {
  const auto start = Clock::now();
  int found = 0;
  for (int i = first; i < first + count; ++i) found += CachedFilesSnapshot::FileExists(CachedFile(i));
  if (found != 0 && found != count) printf("unexpected answers\n");
  return Microseconds(start) / count;
}

// One snapshot asking for the first `rows` cached files, as a list build does.
double Snapshot(int rows) {
  const auto start = Clock::now();
  const CachedFilesSnapshot snapshot;
  int found = 0;
  for (int i = 0; i < rows; ++i) found += CachedFilesSnapshot::FileExists(CachedFile(i));
  if (found != rows) printf("a cached file was not found\n");
  return Microseconds(start) / 1000;
}

// Files the benchmark adds as downloads, one before each snapshot that must
// find the folder changed.
int g_downloads = 0;

std::wstring Download(int i) { return CachedFile(kFiles + 1 + i); }

// Median milliseconds of a snapshot of `rows`, each right after a download.
double AfterDownload(int rows) {
  std::vector<double> times;
  for (int run = 0; run < kRuns; ++run) {
    WriteCachedFile(Download(g_downloads++));
    times.push_back(Snapshot(rows));
  }
  return Median(times);
}

double WithKeptListing(int rows) {
  // The folder settles, then a long list lists it and keeps the listing.
  Sleep(2500);
  (void)Snapshot(kFiles);
  std::vector<double> times;
  for (int run = 0; run < kRuns; ++run) times.push_back(Snapshot(rows));
  return Median(times);
}

}  // namespace

int main() {
  CreateDirectoryW(AnsiToWide(GetDownloadTmpFolder()).c_str(), nullptr);
  for (int i = 0; i < kFiles; ++i) {
    if (!WriteCachedFile(CachedFile(i))) {
      printf("cannot write %s\n", WideToUtf8(CachedFile(i)).c_str());
      return 1;
    }
  }
  const DocumentsFolderSnapshot documents;
  printf("cached-picture checks over a download folder of %d files:\n", FilesInFolder());
  printf("  one question to the file system: found %.1f us, not found %.1f us\n", PerQuestion(0, kFiles),
         PerQuestion(kFiles + 1000, kMissingAsked));
  printf("  a snapshot right after a download, median of %d:", kRuns);
  for (int rows : {30, 256, 257, kFiles}) printf(" %d rows %.2f ms;", rows, AfterDownload(rows));
  printf("\n  a snapshot of 30 rows with a kept listing, median of %d: %.2f ms\n", kRuns, WithKeptListing(30));
  for (int i = 0; i < kFiles; ++i) DeleteFileW(CachedFile(i).c_str());
  for (int i = 0; i < g_downloads; ++i) DeleteFileW(Download(i).c_str());
  return 0;
}
