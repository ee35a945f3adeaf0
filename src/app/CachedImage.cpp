#include "app/CachedImage.h"

#include <memory>

#include "app/DownloadCache.h"
#include "app/ImageRecords.h"
#include "app/TextHelpers.h"
#include "app/UserFolders.h"
#include "duilib/UIlib.h"
#include "quennet/WinHandles.h"

namespace {

// Opening the file for reading, not only finding it, tells that the picture
// can really be shown from there.
bool CanRead(const std::wstring& path) {
  quennet::UniqueHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  return file.get() != INVALID_HANDLE_VALUE;
}

// The key's cached file as the target's image, when it can be read.
bool ShowCachedFile(DuiLib::CControlUI* target, const std::string& key) {
  const std::wstring cached = GetCachedFilePath(key);
  if (!CanRead(cached)) return false;
  SetControlImage(target, cached);
  return true;
}

}  // namespace

CachedImageResult ShowCachedImage(HWND window, UINT message, DuiLib::CControlUI* target, const std::string& url,
                                  const std::string& key, const std::string& session_id) {
  if (!target || key.empty()) return CachedImageResult::Nothing;
  if (ShowCachedFile(target, key)) return CachedImageResult::Shown;
  std::weak_ptr<void> alive = target->GetLifetimeToken();
  DownloadToCache(url, key, [window, message, target, alive, session_id](const std::string& path) {
    auto record = std::make_unique<DownloadedImage>();
    record->session_id = session_id;
    record->local_path = path;
    record->target = target;
    record->target_alive = alive;
    SendImageRecord(window, message, std::move(record));
  });
  return CachedImageResult::Downloading;
}

CachedImageResult ShowCachedImage(DuiLib::CControlUI* target, const std::string& url, const std::string& key,
                                  std::function<void(const std::string& localPath)> downloaded) {
  if (!target || key.empty()) return CachedImageResult::Nothing;
  if (ShowCachedFile(target, key)) return CachedImageResult::Shown;
  DownloadToCache(url, key, std::move(downloaded));
  return CachedImageResult::Downloading;
}

LRESULT ReceiveDownloadedImage(LPARAM lParam) {
  const std::unique_ptr<DownloadedImage> record = TakeDownloadedImage(lParam);
  if (record) ApplyImageRecord(*record);
  return kImageRecordTaken;
}
