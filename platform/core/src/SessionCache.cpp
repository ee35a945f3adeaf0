#include "SessionCache.h"

#include <algorithm>

#include "Database.h"
#include "Json.h"
#include "mireloom/SqlMigrate.h"
#include "quennet/EventLog.h"

namespace mireloom::detail {
namespace {

using nlohmann::json;

constexpr const char* kTableNames[] = {"users",       "channels", "ims",      "messages", "unread",       "drafts",
                                       "usergroups", "memberships", "services", "entities", "service_store"};
constexpr const char* kGenerationKey = "generation";

std::string Dump(const json& value) { return value.dump(-1, ' ', false, json::error_handler_t::replace); }

template <class T>
std::optional<T> Parse(const std::string& text) {
  T value;
  if (!FromJsonText(text, &value)) return std::nullopt;
  return value;
}

}  // namespace

struct SessionCache::Tables {
  explicit Tables(Database& db)
      : users(db, "users"),
        channels(db, "channels"),
        ims(db, "ims"),
        messages(db, "messages"),
        unread(db, "unread"),
        drafts(db, "drafts"),
        groups(db, "usergroups"),
        memberships(db, "memberships"),
        services(db, "services"),
        entities(db, "entities"),
        service_store(db, "service_store") {}
  RecordTable users, channels, ims, messages, unread, drafts, groups, memberships, services, entities;
  RecordTable service_store;  // which store of the service the messages and files came from
};

SessionCache::SessionCache() = default;
SessionCache::~SessionCache() { Close(); }

bool SessionCache::Open(const std::wstring& file) {
  std::lock_guard<std::mutex> store(m_store_mutex);
  // The session is not installed while it opens: nobody reads it yet.
  std::lock_guard<std::mutex> lock(m_mutex);
  m_tables.reset();
  m_db = Database::Open(file);
  if (!m_db) return false;
  {
    // One transaction for the schema: each statement on its own would make
    // and remove the journal file again, a dozen times on a new cache.
    Transaction schema(*m_db);
    const int version = m_db->UserVersion();
    if (version != 0 && version < SqlMigrate::kCurrentSchemaVersion) {
      // A cache of an older schema is obsolete: start again from the service.
      for (const char* name : kTableNames) m_db->Exec(std::string("DROP TABLE IF EXISTS ") + name);
    }
    if (version < SqlMigrate::kCurrentSchemaVersion) m_db->SetUserVersion(SqlMigrate::kCurrentSchemaVersion);
    m_tables = std::make_unique<Tables>(*m_db);
    schema.Commit();
  }
  try {
    LoadLocked();
  } catch (const std::exception&) {
    quennet::log_error("Session cache unreadable; starting empty");
    m_users_unsaved = true;
  }
  m_open = true;
  return true;
}

void SessionCache::LoadLocked() {
  for (const auto& row : m_tables->service_store.LoadAll()) {
    if (row.key == kGenerationKey) m_store_generation = row.body;
  }
  m_unparsed_users = m_tables->users.LoadAll();
  for (const auto& row : m_tables->channels.LoadAll()) {
    const json body = json::parse(row.body, nullptr, false);
    if (body.is_discarded()) continue;
    CachedChannel channel;
    channel.channel = body.value("channel", json::object()).get<Channel::Data>();
    channel.members = body.value("members", std::vector<std::string>());
    m_channels[channel.channel.channel_id] = std::move(channel);
  }
  for (const auto& row : m_tables->ims.LoadAll()) {
    if (auto im = Parse<IM::Data>(row.body)) m_ims[im->im_id] = std::move(*im);
  }
  for (const auto& row : m_tables->messages.LoadAll()) {
    if (auto message = Parse<Message::Data>(row.body)) {
      m_next_arrival = std::max(m_next_arrival, row.order);
      InsertMessageLocked(*message, true);
    }
  }
  for (const auto& row : m_tables->unread.LoadAll()) {
    const json body = json::parse(row.body, nullptr, false);
    if (!body.is_discarded()) m_unread[row.key] = {body.value("count", 0u), body.value("notify", 0u)};
  }
  for (const auto& row : m_tables->drafts.LoadAll()) {
    const json body = json::parse(row.body, nullptr, false);
    if (!body.is_discarded()) m_drafts[row.key] = {body.value("text", std::string()), body.value("time", int64_t{0})};
  }
  for (const auto& row : m_tables->groups.LoadAll()) {
    if (auto group = Parse<Usergroup::Data>(row.body)) m_groups.push_back(std::move(*group));
  }
  for (const auto& row : m_tables->memberships.LoadAll()) {
    if (auto membership = Parse<Membership::Data>(row.body)) m_memberships.push_back(std::move(*membership));
  }
  for (const auto& row : m_tables->services.LoadAll()) {
    if (auto service = Parse<Service::Data>(row.body)) m_services.push_back(std::move(*service));
  }
  for (const auto& row : m_tables->entities.LoadAll()) {
    const json body = json::parse(row.body, nullptr, false);
    if (body.is_discarded()) continue;
    Entity::Data entity = body.value("entity", json::object()).get<Entity::Data>();
    m_entities[entity.entity_id] = {body.value("conversation", std::string()), std::move(entity)};
  }
}

void SessionCache::Close() {
  std::lock_guard<std::mutex> store(m_store_mutex);
  std::lock_guard<std::mutex> lock(m_mutex);
  m_tables.reset();
  m_db.reset();
  m_open = false;
  m_users_unsaved = false;
  m_unparsed_users.clear();
  m_users.clear();
  m_user_index.clear();
  m_channels.clear();
  m_ims.clear();
  m_messages.clear();
  m_message_ids.clear();
  m_unread.clear();
  m_drafts.clear();
  m_groups.clear();
  m_memberships.clear();
  m_services.clear();
  m_entities.clear();
  m_store_generation.clear();
}

bool SessionCache::IsOpen() const {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_open;
}

// ---- Users -------------------------------------------------------------------

void SessionCache::ParseUsersLocked() const {
  if (m_unparsed_users.empty()) return;
  m_users.reserve(m_unparsed_users.size());
  m_user_index.reserve(m_unparsed_users.size());
  for (const auto& row : m_unparsed_users) {
    if (auto user = Parse<User::Data>(row.body)) {
      m_user_index[user->uid] = m_users.size();
      m_users.push_back(std::move(*user));
    } else {
      m_unreadable_user_rows = true;
    }
  }
  m_unparsed_users.clear();
  m_unparsed_users.shrink_to_fit();
}

void SessionCache::ReplaceUsers(const std::vector<User::Data>& users) {
  std::lock_guard<std::mutex> store(m_store_mutex);
  if (!m_tables) return;
  // A uid listed twice is kept once in the file, at its last place.
  std::unordered_map<std::string, size_t> index;
  index.reserve(users.size());
  for (size_t i = 0; i < users.size(); ++i) index[users[i].uid] = i;
  std::vector<User::Data> replaced = users;
  std::vector<RecordTable::Row> unparsed;
  bool rewrite_all = m_users_unsaved;
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_users.swap(replaced);
    m_user_index.swap(index);
    m_unparsed_users.swap(unparsed);
    rewrite_all = rewrite_all || m_unreadable_user_rows;
    m_unreadable_user_rows = false;
  }
  // What the file holds: the rows as loaded, or the users as they were.
  UserRows before;
  if (!rewrite_all) {
    for (auto& row : unparsed) before[row.key] = {row.order, std::move(row.body)};
    for (const auto& entry : index) {
      before[entry.first] = {static_cast<int64_t>(entry.second), ToJsonText(replaced[entry.second])};
    }
  }
  StoreUsers(before, rewrite_all || before.empty());
}

// Writes only the members that changed, in one transaction: a team signed in
// again is mostly the team it was, and rewriting ten thousand rows took
// longer than the rest of the sign-in.
void SessionCache::StoreUsers(const UserRows& before, bool rewriteAll) {
  Transaction transaction(*m_db);
  bool stored = true;
  if (rewriteAll) stored = m_tables->users.Clear();
  for (const auto& entry : before) {
    if (!m_user_index.count(entry.first)) stored = m_tables->users.Remove(entry.first) && stored;
  }
  for (const auto& entry : m_user_index) {
    const auto order = static_cast<int64_t>(entry.second);
    std::string body = ToJsonText(m_users[entry.second]);
    auto old = before.find(entry.first);
    if (old != before.end() && old->second.first == order && old->second.second == body) continue;
    stored = m_tables->users.Put(entry.first, order, body) && stored;
  }
  m_users_unsaved = !(transaction.Commit() && stored);
}

void SessionCache::PutUser(const User::Data& user) {
  std::lock_guard<std::mutex> store(m_store_mutex);
  if (!m_tables) return;
  size_t index;
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    ParseUsersLocked();
    auto found = m_user_index.find(user.uid);
    if (found == m_user_index.end()) {
      index = m_users.size();
      m_user_index[user.uid] = index;
      m_users.push_back(user);
    } else {
      index = found->second;
      m_users[index] = user;
    }
  }
  if (!m_tables->users.Put(user.uid, static_cast<int64_t>(index), ToJsonText(user))) m_users_unsaved = true;
}

std::vector<User::Data> SessionCache::Users() const {
  std::lock_guard<std::mutex> lock(m_mutex);
  ParseUsersLocked();
  return m_users;
}

std::optional<User::Data> SessionCache::FindUser(const std::string& uid) const {
  std::lock_guard<std::mutex> lock(m_mutex);
  ParseUsersLocked();
  auto found = m_user_index.find(uid);
  if (found == m_user_index.end()) return std::nullopt;
  return m_users[found->second];
}

bool SessionCache::SetStatus(const std::string& uid, int status) {
  std::lock_guard<std::mutex> store(m_store_mutex);
  if (!m_tables) return false;
  User::Data user;
  size_t index;
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    ParseUsersLocked();
    auto found = m_user_index.find(uid);
    if (found == m_user_index.end() || m_users[found->second].status == status) return false;
    index = found->second;
    m_users[index].status = status;
    user = m_users[index];
  }
  if (!m_tables->users.Put(uid, static_cast<int64_t>(index), ToJsonText(user))) m_users_unsaved = true;
  return true;
}

// ---- Channels and IMs ------------------------------------------------------------

namespace {

std::string ChannelBody(const CachedChannel& channel) {
  return Dump(json{{"channel", channel.channel}, {"members", channel.members}});
}

}  // namespace

void SessionCache::ReplaceChannels(const std::vector<CachedChannel>& channels) {
  std::lock_guard<std::mutex> store(m_store_mutex);
  if (!m_tables) return;
  std::map<std::string, CachedChannel> replaced;
  for (const CachedChannel& channel : channels) replaced[channel.channel.channel_id] = channel;
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_channels.swap(replaced);
  }
  Transaction transaction(*m_db);
  m_tables->channels.Clear();
  for (const auto& entry : m_channels) m_tables->channels.Put(entry.first, 0, ChannelBody(entry.second));
  transaction.Commit();
}

void SessionCache::PutChannel(const CachedChannel& channel) {
  std::lock_guard<std::mutex> store(m_store_mutex);
  if (!m_tables) return;
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_channels[channel.channel.channel_id] = channel;
  }
  m_tables->channels.Put(channel.channel.channel_id, 0, ChannelBody(channel));
}

void SessionCache::RemoveChannel(const std::string& channelId) {
  std::lock_guard<std::mutex> store(m_store_mutex);
  if (!m_tables) return;
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_channels.erase(channelId);
  }
  m_tables->channels.Remove(channelId);
}

std::vector<CachedChannel> SessionCache::Channels() const {
  std::lock_guard<std::mutex> lock(m_mutex);
  std::vector<CachedChannel> channels;
  for (const auto& entry : m_channels) channels.push_back(entry.second);
  return channels;
}

std::optional<CachedChannel> SessionCache::FindChannel(const std::string& channelId) const {
  std::lock_guard<std::mutex> lock(m_mutex);
  auto found = m_channels.find(channelId);
  if (found == m_channels.end()) return std::nullopt;
  return found->second;
}

void SessionCache::ReplaceIms(const std::vector<IM::Data>& ims) {
  std::lock_guard<std::mutex> store(m_store_mutex);
  if (!m_tables) return;
  std::map<std::string, IM::Data> replaced;
  for (const IM::Data& im : ims) replaced[im.im_id] = im;
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_ims.swap(replaced);
  }
  Transaction transaction(*m_db);
  m_tables->ims.Clear();
  for (const auto& entry : m_ims) m_tables->ims.Put(entry.first, 0, ToJsonText(entry.second));
  transaction.Commit();
}

void SessionCache::PutIm(const IM::Data& im) {
  std::lock_guard<std::mutex> store(m_store_mutex);
  if (!m_tables) return;
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_ims[im.im_id] = im;
  }
  m_tables->ims.Put(im.im_id, 0, ToJsonText(im));
}

std::vector<IM::Data> SessionCache::Ims() const {
  std::lock_guard<std::mutex> lock(m_mutex);
  std::vector<IM::Data> ims;
  for (const auto& entry : m_ims) ims.push_back(entry.second);
  return ims;
}

std::optional<IM::Data> SessionCache::FindIm(const std::string& imId) const {
  std::lock_guard<std::mutex> lock(m_mutex);
  auto found = m_ims.find(imId);
  if (found == m_ims.end()) return std::nullopt;
  return found->second;
}

// ---- Messages ------------------------------------------------------------------

void SessionCache::FollowStoreGeneration(const std::string& generation) {
  std::lock_guard<std::mutex> store(m_store_mutex);
  if (!m_tables || generation.empty() || generation == m_store_generation) return;
  if (!m_message_ids.empty() || !m_entities.empty()) {
    quennet::log_event("Session cache: the service's store was built afresh; %zu cached messages and %zu files "
                       "of the one before are dropped",
                       m_message_ids.size(), m_entities.size());
  }
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_messages.clear();
    m_message_ids.clear();
    m_entities.clear();
    m_store_generation = generation;
  }
  Transaction transaction(*m_db);
  m_tables->messages.Clear();
  m_tables->entities.Clear();
  m_tables->service_store.Put(kGenerationKey, 0, generation);
  transaction.Commit();
}

bool SessionCache::InsertMessageLocked(const Message::Data& message, bool delivered) {
  if (!m_message_ids.insert(message.message_id).second) return false;
  auto& messages = m_messages[message.channel_id];
  CachedMessage cached{message, m_next_arrival++, delivered};
  // Usually the newest: appended. Older ones go before the first later one.
  auto at = std::upper_bound(messages.begin(), messages.end(), message.timestamp,
                             [](int64_t time, const CachedMessage& m) { return time < m.message.timestamp; });
  messages.insert(at, std::move(cached));
  return true;
}

bool SessionCache::AddMessage(const Message::Data& message, bool delivered) {
  std::lock_guard<std::mutex> store(m_store_mutex);
  if (!m_tables) return false;
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!InsertMessageLocked(message, delivered)) return false;
  }
  m_tables->messages.Put(message.message_id, m_next_arrival - 1, ToJsonText(message));
  return true;
}

void SessionCache::AddMessages(const std::vector<Message::Data>& messages) {
  std::lock_guard<std::mutex> store(m_store_mutex);
  if (!m_tables) return;
  // Arrival numbers of the messages that were new.
  std::vector<std::pair<const Message::Data*, int64_t>> added;
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    for (const Message::Data& message : messages) {
      if (InsertMessageLocked(message, true)) added.emplace_back(&message, m_next_arrival - 1);
    }
  }
  Transaction transaction(*m_db);
  for (const auto& [message, arrival] : added) m_tables->messages.Put(message->message_id, arrival, ToJsonText(*message));
  transaction.Commit();
}

void SessionCache::MarkDelivered(const std::string& conversationId, const std::string& messageId) {
  std::lock_guard<std::mutex> lock(m_mutex);
  auto found = m_messages.find(conversationId);
  if (found == m_messages.end()) return;
  for (auto it = found->second.rbegin(); it != found->second.rend(); ++it) {
    if (it->message.message_id == messageId) {
      it->delivered = true;
      return;
    }
  }
}

std::vector<Message::Data> SessionCache::Messages(const std::string& conversationId, int64_t fromTs, int64_t toTs,
                                                  int count, int* total, bool* hasMore, bool newestFirst) const {
  std::lock_guard<std::mutex> lock(m_mutex);
  std::vector<Message::Data> result;
  auto found = m_messages.find(conversationId);
  if (found == m_messages.end() || count <= 0 || fromTs > toTs) {
    if (total) *total = 0;
    if (hasMore) *hasMore = false;
    return result;
  }
  const auto& messages = found->second;
  auto first = std::lower_bound(messages.begin(), messages.end(), fromTs,
                                [](const CachedMessage& m, int64_t time) { return m.message.timestamp < time; });
  auto last = std::upper_bound(messages.begin(), messages.end(), toTs,
                               [](int64_t time, const CachedMessage& m) { return time < m.message.timestamp; });
  const auto in_range = static_cast<int>(last - first);
  const int taken = std::min(count, in_range);
  if (total) *total = in_range;
  if (hasMore) *hasMore = in_range > taken;
  result.reserve(static_cast<size_t>(taken));
  for (auto it = last - taken; it != last; ++it) result.push_back(it->message);
  if (newestFirst) std::reverse(result.begin(), result.end());
  return result;
}

std::optional<Message::Data> SessionCache::LastDelivered(const std::string& conversationId) const {
  std::lock_guard<std::mutex> lock(m_mutex);
  auto found = m_messages.find(conversationId);
  if (found == m_messages.end()) return std::nullopt;
  for (auto it = found->second.rbegin(); it != found->second.rend(); ++it) {
    if (it->delivered) return it->message;
  }
  return std::nullopt;
}

int64_t SessionCache::LastActivity(const std::string& conversationId) const {
  std::lock_guard<std::mutex> lock(m_mutex);
  auto found = m_messages.find(conversationId);
  return found == m_messages.end() || found->second.empty() ? 0 : found->second.back().message.timestamp;
}

// ---- Unread and drafts --------------------------------------------------------------

_NumUnread SessionCache::Unread(const std::string& conversationId) const {
  std::lock_guard<std::mutex> lock(m_mutex);
  auto found = m_unread.find(conversationId);
  return found == m_unread.end() ? _NumUnread{} : found->second;
}

bool SessionCache::SetUnread(const std::string& conversationId, _NumUnread counts) {
  std::lock_guard<std::mutex> store(m_store_mutex);
  if (!m_tables) return false;
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    _NumUnread& current = m_unread[conversationId];
    if (current.num_unread == counts.num_unread && current.num_notify == counts.num_notify) return false;
    current = counts;
  }
  m_tables->unread.Put(conversationId, 0, Dump(json{{"count", counts.num_unread}, {"notify", counts.num_notify}}));
  return true;
}

std::map<std::string, _NumUnread> SessionCache::AllUnread() const {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_unread;
}

_NumUnread SessionCache::CountedUnreadTotal() const {
  // Only the conversations with a count are visited: the total is read on
  // every message, and a team may hold thousands of conversations.
  std::lock_guard<std::mutex> lock(m_mutex);
  _NumUnread total;
  for (const auto& [id, counts] : m_unread) {
    if (counts.num_unread == 0 && counts.num_notify == 0) continue;
    const auto channel = m_channels.find(id);
    const bool countedChannel =
        channel != m_channels.end() && channel->second.channel.is_member && channel->second.channel.is_enabled;
    // An id both a channel and an IM name counts once for each, as each is a conversation.
    const unsigned times = (countedChannel ? 1u : 0u) + (m_ims.count(id) ? 1u : 0u);
    total.num_unread += counts.num_unread * times;
    total.num_notify += counts.num_notify * times;
  }
  return total;
}

void SessionCache::PutDraft(const std::string& conversationId, const CachedDraft& draft) {
  std::lock_guard<std::mutex> store(m_store_mutex);
  if (!m_tables) return;
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_drafts[conversationId] = draft;
  }
  m_tables->drafts.Put(conversationId, 0, Dump(json{{"text", draft.text}, {"time", draft.time}}));
}

std::optional<CachedDraft> SessionCache::FindDraft(const std::string& conversationId) const {
  std::lock_guard<std::mutex> lock(m_mutex);
  auto found = m_drafts.find(conversationId);
  if (found == m_drafts.end()) return std::nullopt;
  return found->second;
}

// ---- Groups, services, entities --------------------------------------------------------

void SessionCache::ReplaceGroups(const std::vector<Usergroup::Data>& groups,
                                 const std::vector<Membership::Data>& memberships) {
  std::lock_guard<std::mutex> store(m_store_mutex);
  if (!m_tables) return;
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_groups = groups;
    m_memberships = memberships;
  }
  Transaction transaction(*m_db);
  m_tables->groups.Clear();
  m_tables->memberships.Clear();
  for (size_t i = 0; i < groups.size(); ++i) {
    m_tables->groups.Put(groups[i].usergroup_id, static_cast<int64_t>(i), ToJsonText(groups[i]));
  }
  for (size_t i = 0; i < memberships.size(); ++i) {
    const Membership::Data& membership = memberships[i];
    m_tables->memberships.Put(membership.usergroup_id + "/" + membership.uid, static_cast<int64_t>(i),
                              ToJsonText(membership));
  }
  transaction.Commit();
}

std::vector<Usergroup::Data> SessionCache::Groups() const {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_groups;
}

std::vector<Membership::Data> SessionCache::Memberships() const {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_memberships;
}

void SessionCache::ReplaceServices(const std::vector<Service::Data>& services) {
  std::lock_guard<std::mutex> store(m_store_mutex);
  if (!m_tables) return;
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_services = services;
  }
  Transaction transaction(*m_db);
  m_tables->services.Clear();
  for (size_t i = 0; i < services.size(); ++i) {
    m_tables->services.Put(services[i].service_id, static_cast<int64_t>(i), ToJsonText(services[i]));
  }
  transaction.Commit();
}

std::vector<Service::Data> SessionCache::Services() const {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_services;
}

void SessionCache::PutEntities(const std::string& conversationId, const std::vector<Entity::Data>& entities) {
  std::lock_guard<std::mutex> store(m_store_mutex);
  if (!m_tables) return;
  std::vector<std::string> kept_conversations;
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    for (const Entity::Data& entity : entities) {
      auto& slot = m_entities[entity.entity_id];
      // An entity seen in a conversation keeps that conversation.
      if (slot.first.empty()) slot.first = conversationId;
      slot.second = entity;
      kept_conversations.push_back(slot.first);
    }
  }
  Transaction transaction(*m_db);
  for (size_t i = 0; i < entities.size(); ++i) {
    m_tables->entities.Put(entities[i].entity_id, entities[i].created_at,
                           Dump(json{{"conversation", kept_conversations[i]}, {"entity", entities[i]}}));
  }
  transaction.Commit();
}

std::optional<Entity::Data> SessionCache::FindEntity(const std::string& entityId) const {
  std::lock_guard<std::mutex> lock(m_mutex);
  auto found = m_entities.find(entityId);
  if (found == m_entities.end()) return std::nullopt;
  return found->second.second;
}

std::vector<Entity::Data> SessionCache::EntitiesOf(const std::string& conversationId) const {
  std::lock_guard<std::mutex> lock(m_mutex);
  std::vector<Entity::Data> entities;
  for (const auto& entry : m_entities) {
    if (entry.second.first == conversationId) entities.push_back(entry.second.second);
  }
  std::stable_sort(entities.begin(), entities.end(),
                   [](const Entity::Data& a, const Entity::Data& b) { return a.created_at > b.created_at; });
  return entities;
}

}  // namespace mireloom::detail
