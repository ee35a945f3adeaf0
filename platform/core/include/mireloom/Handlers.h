#pragma once

// Listener interfaces. The core holds listeners as plain pointers and calls them
// on its one listener thread, in event order; a listener returns promptly and
// removes itself before it is destroyed.

#include <string>

#include "mireloom/Message.h"
#include "mireloom/Types.h"
#include "mireloom/User.h"

namespace mireloom {

class MessageHandler {
 public:
  virtual ~MessageHandler() = default;
  // First call for every incoming message.
  virtual void HandleMessage(const Message& message) {}
  // Then one of these two, by the message's conversation.
  virtual void HandleDirectMessage(const Message& message) = 0;
  virtual void HandleChannelMessage(const Message& message) = 0;
  // A pushed event could not be read.
  virtual void HandleMessageFailure(const std::string& text) {}
};

class NumUnreadHandler {
 public:
  virtual ~NumUnreadHandler() = default;
  virtual void OnNumUnreadChanged(const std::string& conversationId, _NumUnread counts) = 0;
};

class UserStatusHandler {
 public:
  virtual ~UserStatusHandler() = default;
  virtual void OnUserStatusChanged(const std::string& uid, User::Status status) = 0;
};

class ConnectionStateHandler {
 public:
  virtual ~ConnectionStateHandler() = default;
  // 0 connected, 1 interrupted (the core retries), 2 failed.
  virtual void OnConnectionStateChanged(int state) {}
};

}  // namespace mireloom
