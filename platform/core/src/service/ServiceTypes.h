#pragma once

// What the embedded service and the core hand each other.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "mireloom/Channel.h"
#include "mireloom/Message.h"
#include "mireloom/Team.h"
#include "mireloom/Types.h"
#include "mireloom/User.h"

namespace mireloom::service {

struct TeamInfo {
  std::string id;
  std::string subdomain;
  std::string name;
  // Demo members who act: one answers one-to-one messages, a robot takes
  // commands, another robot sends notices.
  std::string answering;
  std::string robot;
  std::string notifier;
};

struct VersionRecord {
  int64_t version = 15;
  std::string name = "2.1.5";
  std::string notes;
  bool force = false;
  int64_t release_time = 0;
  std::string url;
  std::string checksum;
};

struct LoginResult {
  Token::Data token;
  User::Data user;
  bool initial_password = false;
};

// A channel as one user sees it: the channel with that user's flags, and its members.
struct ChannelView {
  Channel::Data channel;
  std::vector<std::string> members;
};

// One event pushed over a user's instant-messaging connection.
struct PushEvent {
  enum Kind { kMessage, kUnread, kStatus, kFailure };
  Kind kind = kMessage;
  int64_t seq = 0;  // of a message event
  Message::Data message;
  bool has_unread = false;  // a message event may carry the recipient's new counts
  std::string conversation_id;
  _NumUnread unread;
  std::string uid;
  int status = 0;
  std::string text;
};

// The bytes of an upload, handed over a chunk at a time, so that a file of
// any size passes through a little memory.
class UploadSource {
 public:
  virtual ~UploadSource() = default;
  [[nodiscard]] virtual int64_t Size() const = 0;
  // The next chunk; false when it cannot be read.
  virtual bool Read(std::string* chunk) = 0;
};

// The receiving end of a connection; called on the service's push thread in
// event order.
class PushSink {
 public:
  virtual ~PushSink() = default;
  virtual void OnPush(const PushEvent& event) = 0;
  // The service lost the connection.
  virtual void OnDropped() = 0;
};

}  // namespace mireloom::service
