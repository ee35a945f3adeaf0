#pragma once

// The records behind the session list: what kind of conversation an id names,
// the key of one list item, and one conversation in the list's order (newest
// activity first).

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace mireloom {
class Channel;
class IM;
}  // namespace mireloom

namespace mireloomwnd {

// The numbers are those the core library uses for a conversation's kind.
enum SessionType : int { kSessionNone = 0, kSessionChannel = 1, kSessionIm = 2 };

// Names one item of the session list.
struct SessionKey {
  SessionType type = kSessionNone;
  std::string id;
};

class SessionEntry final {
 public:
  SessionEntry(std::string id, int64_t last_message_time, bool is_im);

  // Consume the conversation; the time is its newest cached message's, 0 when
  // the cache holds none.
  static std::unique_ptr<SessionEntry> FromChannel(std::unique_ptr<mireloom::Channel> channel);
  static std::unique_ptr<SessionEntry> FromIM(std::unique_ptr<mireloom::IM> im);

  [[nodiscard]] std::string id() const { return m_id; }
  [[nodiscard]] bool is_im() const { return m_is_im; }
  [[nodiscard]] int64_t last_message_time() const { return m_last_message_time; }
  void set_last_message_time(int64_t time) { m_last_message_time = time; }
  [[nodiscard]] std::unique_ptr<SessionEntry> Clone() const;

 private:
  std::string m_id;
  int64_t m_last_message_time = 0;
  bool m_is_im = false;
};

using SessionEntries = std::vector<std::unique_ptr<SessionEntry>>;

// The kind of conversation an id names: a channel when one of the channels has
// it (they are searched first), else an IM when one of the IMs has it.
[[nodiscard]] SessionType SessionTypeOf(const std::string& id,
                                        const std::vector<std::unique_ptr<mireloom::Channel>>& channels,
                                        const std::vector<std::unique_ptr<mireloom::IM>>& ims);

// The order of the list: the newer last message first. Entries with equal
// times have no order among themselves (the sort is not stable).
[[nodiscard]] bool CompareSessions(const std::unique_ptr<SessionEntry>& a, const std::unique_ptr<SessionEntry>& b);
// The index of the first entry with exactly this id, or -1.
[[nodiscard]] int FindSessionIndex(const SessionEntries& entries, const std::string& id);
// Removes every entry with this id; the others keep their order.
void RemoveSessionEntries(SessionEntries& entries, const std::string& id);

// The list's scroll position that shows the item at the index: none for the
// first item or when no scroll is asked.
[[nodiscard]] std::optional<int> SessionScrollOffset(int index, bool scroll);

// Read marks and drafts carry the current time in whole seconds since 1970.
[[nodiscard]] int64_t CurrentTimeSeconds();

}  // namespace mireloomwnd
