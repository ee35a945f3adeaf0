#pragma once

// Pictures that windows show from the download cache (avatars, thumbnails):
// the cached file at once when it is there, else a download whose record is
// sent to the window that asked, for a target that may be gone by then.

#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include "app/storage/DownloadCache.h"

namespace DuiLib {
class CControlUI;
}

enum class CachedImageResult {
  Shown,        // the cached file is the target's image now
  Downloading,  // the window gets `message` with a DownloadedImage record later
  Nothing,      // no key or no target: nothing shown, nothing fetched
};

// Shows the cached file of `key` on the target (a button's normal image, any
// other control's background), or downloads `url` into the cache and sends
// `message` to `window` with a DownloadedImage record carrying `session_id`,
// the path and the target. User-interface thread only; the window's handler
// takes the record over (see ImageRecords.h).
CachedImageResult ShowCachedImage(HWND window, UINT message, DuiLib::CControlUI* target, const std::string& url,
                                  const std::string& key, const std::string& session_id = {});

// The same with the window's own completion, which gets the cached file's path
// on whichever thread finished the download and delivers it (see
// ImageRecords.h); `failed`, when given, hears of a download that came to
// nothing.
CachedImageResult ShowCachedImage(DuiLib::CControlUI* target, const std::string& url, const std::string& key,
                                  std::function<void(const std::string& localPath)> downloaded,
                                  FetchFailed failed = nullptr);

// What a download completion of the first form does, for windows whose
// completion is their own: sends `message` to `window` with a
// DownloadedImage record; a record the window does not take is freed here.
// Any thread.
void SendDownloadedImage(HWND window, UINT message, DuiLib::CControlUI* target, std::weak_ptr<void> target_alive,
                         const std::string& session_id, const std::string& local_path);

// The handler's side for windows that only set the picture: takes the record
// of lParam, sets it on its target if the target still lives, frees it, and
// returns what the handler answers.
LRESULT ReceiveDownloadedImage(LPARAM lParam);
