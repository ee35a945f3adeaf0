#pragma once

// The session's cache: what the service told this session, kept in memory for
// the synchronous reads and written through to "Cache.db" so that a later run
// shows it at once. Thread-safe; never calls out while locked. A read never
// waits for the file: writers change memory briefly and write the file under
// a lock of its own, so that the user-interface thread's reads answer while
// a big team is being stored. Nor do the one-row changes the user-interface
// thread makes (drafts, read marks, a joined channel, a sent message): when
// the file is busy, their rows wait in a queue that its writer empties before
// it lets the file go.
//
// SessionCacheFile.cpp holds the file (schema, loading, its lock and the
// queue); SessionCache.cpp the reads and writes of what it keeps.

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <unordered_map>
#include <vector>

#include "Database.h"
#include "mireloom/Channel.h"
#include "mireloom/Entity.h"
#include "mireloom/IM.h"
#include "mireloom/Message.h"
#include "mireloom/Service.h"
#include "mireloom/Types.h"
#include "mireloom/User.h"
#include "mireloom/Usergroup.h"

namespace mireloom::detail {

class Database;
class RecordTable;
class WalCheckpointer;

struct CachedChannel {
  Channel::Data channel;
  std::vector<std::string> members;  // join order
};

struct CachedDraft {
  std::string text;
  int64_t time = 0;
};

class SessionCache final {
 public:
  SessionCache();
  ~SessionCache();
  SessionCache(const SessionCache&) = delete;
  SessionCache& operator=(const SessionCache&) = delete;

  // Loads the file or creates it; a file of an older schema starts empty.
  bool Open(const std::wstring& file);
  // Forgets everything and closes the file.
  void Close();
  [[nodiscard]] bool IsOpen() const;

  void ReplaceUsers(const std::vector<User::Data>& users);
  void PutUser(const User::Data& user);
  [[nodiscard]] std::vector<User::Data> Users() const;
  [[nodiscard]] std::optional<User::Data> FindUser(const std::string& uid) const;
  // True when the status changed.
  bool SetStatus(const std::string& uid, int status);

  void ReplaceChannels(const std::vector<CachedChannel>& channels);
  void PutChannel(const CachedChannel& channel);
  void RemoveChannel(const std::string& channelId);
  // Without their members: a channel of the whole team lists every member,
  // and the lists read channels often; FindChannel gives one with them.
  [[nodiscard]] std::vector<Channel::Data> Channels() const;
  [[nodiscard]] std::optional<CachedChannel> FindChannel(const std::string& channelId) const;
  // The channel without its members.
  [[nodiscard]] std::optional<Channel::Data> FindChannelData(const std::string& channelId) const;

  void ReplaceIms(const std::vector<IM::Data>& ims);
  void PutIm(const IM::Data& im);
  [[nodiscard]] std::vector<IM::Data> Ims() const;
  [[nodiscard]] std::optional<IM::Data> FindIm(const std::string& imId) const;

  // The generation of the service's store that the messages come from. The
  // messages and files cached from another store are forgotten first: its
  // ids may mean something else in this one.
  void FollowStoreGeneration(const std::string& generation);
  // False when the message is cached already.
  bool AddMessage(const Message::Data& message, bool delivered);
  // History from the service: delivered, in one transaction.
  void AddMessages(const std::vector<Message::Data>& messages);
  void MarkDelivered(const std::string& conversationId, const std::string& messageId);
  [[nodiscard]] std::vector<Message::Data> Messages(const std::string& conversationId, int64_t fromTs, int64_t toTs,
                                                    int count, int* total, bool* hasMore, bool newestFirst) const;
  [[nodiscard]] std::optional<Message::Data> LastDelivered(const std::string& conversationId) const;
  // Time of the newest cached message; 0 when none.
  [[nodiscard]] int64_t LastActivity(const std::string& conversationId) const;

  [[nodiscard]] _NumUnread Unread(const std::string& conversationId) const;
  // True when the counts changed.
  bool SetUnread(const std::string& conversationId, _NumUnread counts);
  [[nodiscard]] std::map<std::string, _NumUnread> AllUnread() const;
  // The sum over the conversations that count for the team's total: joined
  // and enabled channels, and every one-to-one conversation (a closed one
  // counts only while it has unread messages, which is the same sum).
  [[nodiscard]] _NumUnread CountedUnreadTotal() const;

  void PutDraft(const std::string& conversationId, const CachedDraft& draft);
  [[nodiscard]] std::optional<CachedDraft> FindDraft(const std::string& conversationId) const;

  void ReplaceGroups(const std::vector<Usergroup::Data>& groups, const std::vector<Membership::Data>& memberships);
  [[nodiscard]] std::vector<Usergroup::Data> Groups() const;
  [[nodiscard]] std::vector<Membership::Data> Memberships() const;

  void ReplaceServices(const std::vector<Service::Data>& services);
  [[nodiscard]] std::vector<Service::Data> Services() const;

  void PutEntities(const std::string& conversationId, const std::vector<Entity::Data>& entities);
  [[nodiscard]] std::optional<Entity::Data> FindEntity(const std::string& entityId) const;
  // Newest first.
  [[nodiscard]] std::vector<Entity::Data> EntitiesOf(const std::string& conversationId) const;

 private:
  struct CachedMessage {
    Message::Data message;
    int64_t arrival = 0;
    bool delivered = true;
  };
  struct Tables;
  class StoreTurn;
  // The service_store row that names the generation.
  static const char* const kGenerationKey;
  // A row whose write waits for the file: no body removes it.
  struct QueuedRow {
    RecordTable Tables::*table = nullptr;
    std::string key;
    int64_t order = 0;
    std::optional<std::string> body;
  };

  void LoadLocked();
  // Requires both locks.
  void CloseFile();
  // Requires m_mutex: the rows keep the order of the changes to memory. False
  // when the cache is closed.
  bool QueueRowLocked(RecordTable Tables::*table, std::string key, int64_t order, std::optional<std::string> body);
  // Requires m_mutex.
  [[nodiscard]] std::vector<QueuedRow> TakeQueuedRowsLocked();
  // Writes the queued rows at once unless another writer holds the file; that
  // one writes them before it lets go.
  void WriteQueuedRows();
  // Requires m_store_mutex and no transaction open: the rows get their own.
  void WriteRows(const std::vector<QueuedRow>& rows);
  // Requires m_store_mutex, which it releases once nothing waits in the queue.
  void EndStoreTurn();
  bool InsertMessageLocked(const Message::Data& message, bool delivered);
  // Requires m_mutex.
  void ParseUsersLocked() const;
  // The rows the file holds for the users, by uid.
  using UserRows = std::unordered_map<std::string, std::pair<int64_t, std::string>>;
  // All of them, whatever `before` says, when `rewriteAll`.
  void StoreUsers(const UserRows& before, bool rewriteAll);

  // Lock order: m_store_mutex, then m_mutex. A writer of many rows holds
  // m_store_mutex for its whole change and takes m_mutex only while it
  // changes memory; a writer of a table that one-row writers change too
  // takes the queued rows there and writes them before its own, so that the
  // file sees the changes in the order memory does. A one-row writer changes memory and queues its row under m_mutex
  // alone. Readers take m_mutex alone. What a writer reads under
  // m_store_mutex alone (the users, their index once parsed, the store
  // generation) changes only under both.
  std::mutex m_store_mutex;
  mutable std::mutex m_mutex;
  // Under m_store_mutex alone: memory never waits for them. m_tables changes
  // under both, so that a queued row can name its table under m_mutex.
  std::unique_ptr<WalCheckpointer> m_checkpointer;  // hooked into m_db: stopped before it closes
  std::unique_ptr<Database> m_db;
  std::unique_ptr<Tables> m_tables;
  // The users' rows may differ from memory (a failed write, unreadable rows):
  // the next replacement writes them all. Likewise the channels' rows.
  bool m_users_unsaved = false;
  bool m_channels_unsaved = false;
  std::vector<QueuedRow> m_queued_rows;  // under m_mutex

  bool m_open = false;
  // The users' rows as the file gave them, parsed when first read: a second
  // sign-in replaces the team before anything reads it, and compares rows as
  // text, so that ten thousand members are not parsed for nothing.
  mutable std::vector<RecordTable::Row> m_unparsed_users;  // team order
  // Some rows could not be read: the file holds more than memory.
  mutable bool m_unreadable_user_rows = false;
  mutable std::vector<User::Data> m_users;  // team order
  mutable std::unordered_map<std::string, size_t> m_user_index;
  std::map<std::string, CachedChannel> m_channels;
  std::map<std::string, IM::Data> m_ims;
  // Per conversation, ordered by time, then arrival.
  std::map<std::string, std::vector<CachedMessage>> m_messages;
  std::set<std::string> m_message_ids;
  int64_t m_next_arrival = 1;
  std::map<std::string, _NumUnread> m_unread;
  std::map<std::string, CachedDraft> m_drafts;
  std::vector<Usergroup::Data> m_groups;
  std::vector<Membership::Data> m_memberships;
  std::vector<Service::Data> m_services;
  std::map<std::string, std::pair<std::string, Entity::Data>> m_entities;  // id -> conversation, entity
  std::string m_store_generation;  // "" before the first history from the service
};

}  // namespace mireloom::detail
