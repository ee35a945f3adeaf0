#include "app/ui/CachedPictureRepair.h"

#include <windows.h>

#include <mutex>
#include <unordered_set>

#include "app/storage/CacheNames.h"
#include "app/storage/DownloadCache.h"
#include "app/storage/FileHelpers.h"
#include "app/storage/PictureSources.h"
#include "app/storage/UserFolders.h"
#include "app/text/TextHelpers.h"
#include "app/ui/ImageRecords.h"
#include "app/ui/UiThread.h"
#include "duilib/ImageFiles.h"
#include "duilib/UIlib.h"
#include "quennet/EventLog.h"

namespace {

struct Repairs {
  std::mutex mutex;
  // Cache file names deleted and fetched again in this run.
  std::unordered_set<std::string> repaired;
};

Repairs& TheRepairs() {
  static auto* repairs = new Repairs;
  return *repairs;
}

// The cache file name of a path straight inside the download folder, "" for
// any other path (the skin's pictures, a file the user chose).
std::string CacheNameOf(const std::wstring& path) {
  const std::wstring folder = AnsiToWide(GetDownloadTmpFolder());
  const int length = static_cast<int>(folder.size());
  if (folder.empty() || path.size() <= folder.size() ||
      CompareStringOrdinal(path.c_str(), length, folder.c_str(), length, TRUE) != CSTR_EQUAL) {
    return {};
  }
  const std::wstring name = path.substr(folder.size());
  if (name.find_first_of(L"\\/") != std::wstring::npos) return {};
  return WideToAnsi(name);
}

// Marks the file repaired; false when it was already.
bool TakeRepair(const std::string& name) {
  Repairs& repairs = TheRepairs();
  std::lock_guard<std::mutex> lock(repairs.mutex);
  return repairs.repaired.insert(name).second;
}

// A control tries a picture that failed again only when it is set again.
void SetAgainWhereShown(DuiLib::CControlUI* control, const std::wstring& path) {
  if (!control) return;
  auto* button = static_cast<DuiLib::CButtonUI*>(control->GetInterface(L"Button"));
  if (path == (button ? button->GetNormalImage() : control->GetBkImage()).str()) SetControlImage(control, path);
  for (int i = 0; i < control->GetChildCount(); ++i) SetAgainWhereShown(control->GetChildAt(i), path);
}

// Every window of this thread draws the picture that was fetched again.
void ShowRepairedPicture(const std::wstring& path) {
  auto visit = [](HWND window, LPARAM lParam) -> BOOL {
    if (DuiLib::CPaintManagerUI* manager = DuiLib::CPaintManagerUI::FromWindow(window)) {
      SetAgainWhereShown(manager->GetRoot(), *reinterpret_cast<const std::wstring*>(lParam));
    }
    return TRUE;
  };
  EnumThreadWindows(GetCurrentThreadId(), visit, reinterpret_cast<LPARAM>(&path));
}

}  // namespace

void InstallCachedPictureRepair() {
  DuiLib::SetLargestImageFile(kLargestServedPicture);
  DuiLib::SetImageFailureListener([](LPCTSTR path) { RepairCachedPicture(path); });
}

bool RepairCachedPicture(const std::wstring& path) {
  const std::string name = CacheNameOf(path);
  if (name.empty() || !TakeRepair(name)) return false;
  std::string key;
  std::string url;
  const bool known = FindCachedPictureSource(name, &key, &url);
  quennet::log_event("Cached picture %s cannot be drawn: deleted and fetched again", name.c_str());
  // Deleted first: the download answers with a cached file when there is one.
  if (!DeleteFileW(path.c_str()) && GetLastError() != ERROR_FILE_NOT_FOUND) {
    quennet::log_error("Cannot delete the cached picture %s (error %lu)", name.c_str(), GetLastError());
    return false;
  }
  // Without an address, the next display of the picture asks for it.
  if (!known) return true;
  DownloadToCache(url, key, [path](const std::string&) {
    CUiThread::Post([path] { ShowRepairedPicture(path); });
  });
  return true;
}
