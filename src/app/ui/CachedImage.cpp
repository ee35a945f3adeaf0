#include "app/ui/CachedImage.h"

#include <memory>

#include "app/storage/CachedFilesSnapshot.h"
#include "app/storage/CacheNames.h"
#include "app/storage/DownloadCache.h"
#include "app/storage/PictureSources.h"
#include "app/storage/UserFolders.h"
#include "app/text/TextHelpers.h"
#include "app/ui/CachedPictureRepair.h"
#include "app/ui/ImageRecords.h"
#include "duilib/UIlib.h"

namespace {

// A cached picture is there once its file is: downloads write under another
// name and rename the whole file into place. Asking for the attributes costs
// a tenth of opening the file, and a snapshot of the folder less again, which
// counts for lists of thousands of rows.
bool IsCached(const std::wstring& path) { return CachedFilesSnapshot::FileExists(path); }

// The key's cached file as the target's image, when it can be read. Its
// address is noted, so that a file that turns out damaged is fetched again.
bool ShowCachedFile(DuiLib::CControlUI* target, const std::string& url, const std::string& key) {
  const std::wstring cached = GetCachedFilePath(key);
  if (!IsCached(cached)) return false;
  NoteCachedPictureAddress(key, url);
  SetControlImage(target, cached);
  AnswerWaitingDownloads(key);
  return true;
}

}  // namespace

CachedImageResult ShowCachedImage(HWND window, UINT message, DuiLib::CControlUI* target, const std::string& url,
                                  const std::string& key, const std::string& session_id) {
  if (!target || key.empty()) return CachedImageResult::Nothing;
  if (ShowCachedFile(target, url, key)) return CachedImageResult::Shown;
  std::weak_ptr<void> alive = target->GetLifetimeToken();
  DownloadToCache(url, key, [window, message, target, alive, session_id](const std::string& path) {
    SendDownloadedImage(window, message, target, alive, session_id, path);
  });
  return CachedImageResult::Downloading;
}

void SendDownloadedImage(HWND window, UINT message, DuiLib::CControlUI* target, std::weak_ptr<void> target_alive,
                         const std::string& session_id, const std::string& local_path) {
  auto record = std::make_unique<DownloadedImage>();
  record->session_id = session_id;
  record->local_path = local_path;
  record->target = target;
  record->target_alive = std::move(target_alive);
  SendImageRecord(window, message, std::move(record));
}

CachedImageResult ShowCachedImage(DuiLib::CControlUI* target, const std::string& url, const std::string& key,
                                  std::function<void(const std::string& localPath)> downloaded, FetchFailed failed) {
  if (!target || key.empty()) return CachedImageResult::Nothing;
  if (ShowCachedFile(target, url, key)) return CachedImageResult::Shown;
  DownloadToCache(url, key, std::move(downloaded), std::move(failed));
  return CachedImageResult::Downloading;
}

LRESULT ReceiveDownloadedImage(LPARAM lParam) {
  const std::unique_ptr<DownloadedImage> record = TakeDownloadedImage(lParam);
  if (record) ApplyImageRecord(*record);
  return kImageRecordTaken;
}
