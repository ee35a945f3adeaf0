#include "dialogs/common/RowAvatar.h"

#include "app/text/ServiceConstants.h"
#include "app/ui/ImageRecords.h"
#include "app/ui/MemberAvatar.h"
#include "dialogs/common/DialogMessages.h"
#include "duilib/UIlib.h"
#include "mireloom/Types.h"
#include "mireloom/User.h"

namespace mireloomwnd {

namespace {

// A record leaves only for a window that still lives; the button's own
// liveness is checked again where the picture is set.
template <class Record>
void Send(const AvatarDelivery& delivery, UINT message, std::unique_ptr<Record> record) {
  if (delivery.windowAlive.expired()) return;  // the record dies here
  SendImageRecord(delivery.window, message, std::move(record));
}

}  // namespace

AvatarDelivery MakeAvatarDelivery(HWND window, std::weak_ptr<void> windowAlive, DuiLib::CButtonUI* button) {
  AvatarDelivery delivery;
  delivery.window = window;
  delivery.windowAlive = std::move(windowAlive);
  delivery.button = button;
  if (button) delivery.buttonAlive = button->GetLifetimeToken();
  return delivery;
}

std::string AvatarSource(const mireloom::User& user, int size) {
  return mireloom::avatar_url(user.header_uri(), size, size, 1);
}

CachedImageResult ShowAvatar(DuiLib::CButtonUI* button, const std::string& source, const std::string& cacheKey,
                             std::function<void(const std::string& localPath)> downloaded) {
  const AvatarPicture picture = source.empty() ? AvatarPicture{} : AvatarPicture{AvatarBaseUrl + source, cacheKey};
  return ShowMemberAvatar(button, picture, std::move(downloaded));
}

void DeliverRowAvatar(const AvatarDelivery& delivery, UINT message, const std::string& localPath) {
  if (delivery.windowAlive.expired()) return;  // no record for a window that is gone
  // No conversation: the dialogs' rows belong to none.
  ::SendDownloadedImage(delivery.window, message, delivery.button, delivery.buttonAlive, {}, localPath);
}

void SendImageDownloadedMsg(const AvatarDelivery& delivery, UINT message, const std::string& localPath) {
  auto record = std::make_unique<ImageDownloadedMsg>();
  record->local_path = localPath;
  record->target = delivery.button;
  record->target_alive = delivery.buttonAlive;
  Send(delivery, message, std::move(record));
}

void OnRowAvatarDownloaded(const AvatarDelivery& delivery, const std::string& localPath) {
  DeliverRowAvatar(delivery, WM_ROW_AVATAR_DOWNLOADED, localPath);
}

LRESULT ReceiveImageDownloadedMsg(LPARAM lParam) {
  const std::unique_ptr<ImageDownloadedMsg> record = TakeImageDownloadedMsg(lParam);
  if (record) ApplyImageRecord(*record);
  return kImageRecordTaken;
}

}  // namespace mireloomwnd
