#include "mainwnd/sessions/SessionEntry.h"

#include <algorithm>
#include <ctime>

#include "mireloom/Channel.h"
#include "mireloom/ChatManager.h"
#include "mireloom/Director.h"
#include "mireloom/IM.h"

namespace mireloomwnd {

namespace {

constexpr int kSessionRowStep = 30;
constexpr int kSessionScrollBase = 50;

int64_t LastMessageTime(const std::string& id) {
  const mireloom::Director* director = mireloom::Director::DefaultDirector();
  const mireloom::ChatManager* chat = director ? director->chat_manager() : nullptr;
  const std::unique_ptr<mireloom::Message> last = chat ? chat->FetchLastMessageFromCache(id) : nullptr;
  return last ? last->timestamp() : 0;
}

}  // namespace

SessionEntry::SessionEntry(std::string id, int64_t last_message_time, bool is_im)
    : m_id(std::move(id)), m_last_message_time(last_message_time), m_is_im(is_im) {}

std::unique_ptr<SessionEntry> SessionEntry::FromChannel(std::unique_ptr<mireloom::Channel> channel) {
  const std::string id = channel ? channel->channel_id() : std::string();
  return std::make_unique<SessionEntry>(id, LastMessageTime(id), false);
}

std::unique_ptr<SessionEntry> SessionEntry::FromIM(std::unique_ptr<mireloom::IM> im) {
  const std::string id = im ? im->im_id() : std::string();
  return std::make_unique<SessionEntry>(id, LastMessageTime(id), true);
}

std::unique_ptr<SessionEntry> SessionEntry::Clone() const { return std::make_unique<SessionEntry>(*this); }

SessionType SessionTypeOf(const std::string& id, const std::vector<std::unique_ptr<mireloom::Channel>>& channels,
                          const std::vector<std::unique_ptr<mireloom::IM>>& ims) {
  for (const auto& channel : channels) {
    if (channel->channel_id() == id) return kSessionChannel;
  }
  for (const auto& im : ims) {
    if (im->im_id() == id) return kSessionIm;
  }
  return kSessionNone;
}

bool CompareSessions(const std::unique_ptr<SessionEntry>& a, const std::unique_ptr<SessionEntry>& b) {
  return a->last_message_time() > b->last_message_time();
}

int FindSessionIndex(const SessionEntries& entries, const std::string& id) {
  for (size_t i = 0; i < entries.size(); ++i) {
    if (entries[i]->id() == id) return static_cast<int>(i);
  }
  return -1;
}

void RemoveSessionEntries(SessionEntries& entries, const std::string& id) {
  entries.erase(std::remove_if(entries.begin(), entries.end(),
                               [&id](const std::unique_ptr<SessionEntry>& entry) { return entry->id() == id; }),
                entries.end());
}

std::optional<int> SessionScrollOffset(int index, bool scroll) {
  if (!scroll || index == 0) return std::nullopt;
  return index * kSessionRowStep + kSessionScrollBase;
}

int64_t CurrentTimeSeconds() { return static_cast<int64_t>(std::time(nullptr)); }

}  // namespace mireloomwnd
