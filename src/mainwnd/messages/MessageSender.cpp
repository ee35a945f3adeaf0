#include "mainwnd/messages/MessageSender.h"

#include "app/text/ServiceConstants.h"
#include "app/text/TextHelpers.h"
#include "mireloom/Message.h"
#include "mireloom/ServiceManager.h"
#include "mireloom/Types.h"
#include "mireloom/UserManager.h"

namespace messageview {

namespace {

constexpr int kAvatarSide = 40;

MessageSender SenderOf(const std::string& name, const std::string& key, const std::string& base_address) {
  return MessageSender{Utf8ToWide(name), key, key.empty() ? std::string() : base_address + key};
}

}  // namespace

std::optional<MessageSender> FindMessageSender(const mireloom::Message& message) {
  switch (message.sender_type()) {
    case mireloom::Message::kUserSender: {
      const auto user = mireloom::UserManager::DefaultManager()->FetchUserFromCacheByUid(message.uid());
      if (!user) return std::nullopt;
      return SenderOf(user->display_name(), mireloom::avatar_url(user->header_uri(), kAvatarSide, kAvatarSide, 1),
                      AvatarBaseUrl);
    }
    case mireloom::Message::kServiceSender:
    case mireloom::Message::kServiceShareSender: {
      const auto service =
          mireloom::ServiceManager::DefaultManager()->FetchServiceFromCacheByServiceId(message.uid());
      if (!service) return std::nullopt;
      return SenderOf(service->display_name(), service->avatar_url(), StaticBaseUrl);
    }
    default: return std::nullopt;
  }
}

}  // namespace messageview
