#pragma once

// <windows.h> makes SendMessage a macro for SendMessageW. It is included here
// so that the operation has that one name in every file that sees it.
#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "mireloom/Draft.h"
#include "mireloom/Message.h"
#include "mireloom/Types.h"

namespace mireloom {

class MessageHandler;
class NumUnreadHandler;

// Messages, unread counts and drafts. "Channel" in the names means any
// conversation: a channel or a one-to-one conversation.
class ChatManager final {
 public:
  static const ChatManager* DefaultManager();

  void AddMessageHandler(MessageHandler* handler) const;
  void RemoveMessageHandler(MessageHandler* handler) const;
  void AddNumUnreadHandler(NumUnreadHandler* handler) const;
  void RemoveNumUnreadHandler(NumUnreadHandler* handler) const;

  [[nodiscard]] _NumUnread NumUnreadInCurrentTeam() const;
  [[nodiscard]] _NumUnread NumUnreadInChannelFromMemCache(const std::string& conversationId) const;
  // The first conversation with unread messages, newest activity first; "" when none.
  [[nodiscard]] std::string FirstChannelHasUnreadMessage() const;

  void SyncRecentMessagesWithServer(int count, std::function<void(bool ok, const std::string& error)> completion) const;
  void GetNumUnreadFromServer(std::function<void(bool ok, const std::string& error)> completion) const;

  // The newest message whose delivery has completed; null when none.
  [[nodiscard]] std::unique_ptr<Message> FetchLastMessageFromCache(const std::string& conversationId) const;
  // The newest `count` messages with fromTs <= timestamp <= toTs, oldest first
  // (newest first when asked). total and hasMore are written when not null.
  [[nodiscard]] std::vector<std::unique_ptr<Message>> FetchMessagesFromCache(const std::string& conversationId,
                                                                             int64_t fromTs, int64_t toTs, int count,
                                                                             int* total, bool* hasMore,
                                                                             bool newestFirst) const;

  // The conversation's count becomes 0 at once; with notify the unread
  // handlers hear of it. The cursor goes to the service in the background.
  void MarkReadCursorForChannelInCache(const std::string& conversationId, int64_t timestamp, bool notify) const;
  void MarkAsRead(const std::string& conversationId, Message::ChannelType type, int64_t timestamp,
                  std::function<void(bool ok, const std::string& error)> completion) const;

  // Completions come in call order. The sent message is not echoed to the
  // message handlers.
  void SendMessage(std::unique_ptr<Message> message,
                   std::function<void(bool ok, std::unique_ptr<Message> sent)> completion) const;
  // Uploads the file (path in code page 936) and shares it in the conversation;
  // the share message is delivered to the message handlers.
  void SendFileMessage(const std::string& localPathCp936, const std::string& name, const std::string& mime,
                       const std::string& conversationId, bool isChannel,
                       std::function<void(bool ok, const std::string& error)> completion) const;

  void SaveDraftToCache(const Draft& draft) const;
  [[nodiscard]] std::unique_ptr<Draft> FetchDraftFromCacheByChannelId(const std::string& conversationId) const;

 private:
  ChatManager() = default;
};

}  // namespace mireloom
