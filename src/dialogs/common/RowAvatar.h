#pragma once

// Avatars of the dialogs: shown from the download cache at once, or fetched
// and handed back to the window's own message in a record. The record goes
// only to a window and a button that still live; otherwise it is freed where
// the download ended, and a button a new search removed is never touched.

#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include "app/ui/CachedImage.h"

namespace DuiLib {
class CButtonUI;
}
namespace mireloom {
class User;
}

namespace mireloomwnd {

// Where a downloaded avatar goes. Made on the user-interface thread while the
// row or card is built; read on whichever thread the download ends.
struct AvatarDelivery {
  HWND window = nullptr;
  std::weak_ptr<void> windowAlive;
  DuiLib::CButtonUI* button = nullptr;
  std::weak_ptr<void> buttonAlive;
};
[[nodiscard]] AvatarDelivery MakeAvatarDelivery(HWND window, std::weak_ptr<void> windowAlive,
                                                DuiLib::CButtonUI* button);

// The user's sized avatar name (`mireloom::avatar_url`), the cache key of
// most dialogs and the tail of the download address; "" without a picture.
[[nodiscard]] std::string AvatarSource(const mireloom::User& user, int size);

// Shows the picture of `source` from the cache file of `cacheKey`, or
// downloads AvatarBaseUrl + source into it and calls `downloaded` with its
// path; the default face under it (see MemberAvatar.h). Without a source or
// a key, only the face.
CachedImageResult ShowAvatar(DuiLib::CButtonUI* button, const std::string& source, const std::string& cacheKey,
                             std::function<void(const std::string& localPath)> downloaded);

// The two records of a downloaded picture (see ImageRecords.h), sent with
// SendMessageW to the delivery's window while it lives; freed here when it is
// not taken. The first is a DownloadedImage with no conversation.
void DeliverRowAvatar(const AvatarDelivery& delivery, UINT message, const std::string& localPath);
void SendImageDownloadedMsg(const AvatarDelivery& delivery, UINT message, const std::string& localPath);

// The download completion of the rows of the conversation picker and the
// group-call picker: a DownloadedImage with no conversation, sent as
// WM_ROW_AVATAR_DOWNLOADED.
void OnRowAvatarDownloaded(const AvatarDelivery& delivery, const std::string& localPath);

// The handler's side of an ImageDownloadedMsg: sets the picture on a button
// that still lives, frees the record and returns the answer for the sender.
LRESULT ReceiveImageDownloadedMsg(LPARAM lParam);

}  // namespace mireloomwnd
