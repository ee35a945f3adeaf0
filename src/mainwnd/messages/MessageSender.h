#pragma once

// Who sent a message, as its sender line shows it: users from the user
// cache, services from the service cache. Senders the caches do not hold,
// and sender types the view does not know, give nothing: such a message is
// not shown.

#include <optional>
#include <string>

namespace mireloom {
class Message;
}

namespace messageview {

struct MessageSender {
  std::wstring name;
  std::string avatar_key;      // the download cache's key of the avatar; "" when it has none
  std::string avatar_address;  // where the avatar downloads from
};

[[nodiscard]] std::optional<MessageSender> FindMessageSender(const mireloom::Message& message);

}  // namespace messageview
