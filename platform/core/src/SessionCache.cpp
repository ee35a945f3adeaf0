// The session cache's reads and writes of what it keeps.

#include <algorithm>

#include "quennet/EventLog.h"
#include "SessionCacheFile.h"

namespace mireloom::detail {
namespace {

using nlohmann::json;

std::string Dump(const json& value) { return value.dump(-1, ' ', false, json::error_handler_t::replace); }

}  // namespace

// ---- Users -------------------------------------------------------------------

void SessionCache::ParseUsersLocked() const {
  if (m_unparsed_users.empty()) return;
  m_users.reserve(m_unparsed_users.size());
  m_user_index.reserve(m_unparsed_users.size());
  for (const auto& row : m_unparsed_users) {
    if (auto user = ParseRowBody<User::Data>(row.body)) {
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
  const StoreTurn turn(*this);
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
  const StoreTurn turn(*this);
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
  const StoreTurn turn(*this);
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

// A text of plain ASCII is written as it is; any other by the JSON library,
// which escapes what it must and replaces what is no UTF-8.
void AppendJsonString(const std::string& text, std::string* out) {
  const bool plain =
      std::all_of(text.begin(), text.end(), [](char c) { return c >= 0x20 && c < 0x7F && c != '"' && c != '\\'; });
  if (!plain) {
    *out += Dump(json(text));
    return;
  }
  *out += '"';
  *out += text;
  *out += '"';
}

// The members are written straight as a JSON array: a channel of the whole
// team lists every member, and a JSON value made of each took longer than
// the rest of the fetch.
std::string ChannelBody(const CachedChannel& channel) {
  std::string body = "{\"channel\":" + ToJsonText(channel.channel) + ",\"members\":[";
  for (size_t i = 0; i < channel.members.size(); ++i) {
    if (i > 0) body += ',';
    AppendJsonString(channel.members[i], &body);
  }
  return body + "]}";
}

bool SameChannel(const CachedChannel& a, const CachedChannel& b) {
  return a.members == b.members && ToJsonText(a.channel) == ToJsonText(b.channel);
}

}  // namespace

// Writes only the channels that changed: a channel of the whole team lists
// every member, and the same channels are fetched at every sign-in.
void SessionCache::ReplaceChannels(const std::vector<CachedChannel>& channels) {
  const StoreTurn turn(*this);
  if (!m_tables) return;
  std::map<std::string, CachedChannel> replaced;
  for (const CachedChannel& channel : channels) replaced[channel.channel.channel_id] = channel;
  const std::map<std::string, CachedChannel>& now = replaced;
  std::map<std::string, CachedChannel> before = now;
  std::vector<QueuedRow> queued;
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_channels.swap(before);
    queued = TakeQueuedRowsLocked();
  }
  // Rows queued before the change go first, in their own transaction: the
  // file follows memory's order.
  WriteRows(queued);
  Transaction transaction(*m_db);
  const bool rewrite_all = m_channels_unsaved;
  bool stored = !rewrite_all || m_tables->channels.Clear();
  for (const auto& entry : before) {
    if (!rewrite_all && !now.count(entry.first)) stored = m_tables->channels.Remove(entry.first) && stored;
  }
  for (const auto& [id, channel] : now) {
    const auto old = before.find(id);
    if (!rewrite_all && old != before.end() && SameChannel(old->second, channel)) continue;
    stored = m_tables->channels.Put(id, 0, ChannelBody(channel)) && stored;
  }
  m_channels_unsaved = !(transaction.Commit() && stored);
}

void SessionCache::PutChannel(const CachedChannel& channel) {
  std::string body = ChannelBody(channel);
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!QueueRowLocked(&Tables::channels, channel.channel.channel_id, 0, std::move(body))) return;
    m_channels[channel.channel.channel_id] = channel;
  }
  WriteQueuedRows();
}

void SessionCache::RemoveChannel(const std::string& channelId) {
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!QueueRowLocked(&Tables::channels, channelId, 0, std::nullopt)) return;
    m_channels.erase(channelId);
  }
  WriteQueuedRows();
}

std::vector<Channel::Data> SessionCache::Channels() const {
  std::lock_guard<std::mutex> lock(m_mutex);
  std::vector<Channel::Data> channels;
  channels.reserve(m_channels.size());
  for (const auto& entry : m_channels) channels.push_back(entry.second.channel);
  return channels;
}

std::optional<CachedChannel> SessionCache::FindChannel(const std::string& channelId) const {
  std::lock_guard<std::mutex> lock(m_mutex);
  auto found = m_channels.find(channelId);
  if (found == m_channels.end()) return std::nullopt;
  return found->second;
}

std::optional<Channel::Data> SessionCache::FindChannelData(const std::string& channelId) const {
  std::lock_guard<std::mutex> lock(m_mutex);
  auto found = m_channels.find(channelId);
  if (found == m_channels.end()) return std::nullopt;
  return found->second.channel;
}

void SessionCache::ReplaceIms(const std::vector<IM::Data>& ims) {
  const StoreTurn turn(*this);
  if (!m_tables) return;
  std::map<std::string, IM::Data> replaced;
  for (const IM::Data& im : ims) replaced[im.im_id] = im;
  std::vector<std::pair<std::string, std::string>> rows;
  for (const auto& entry : replaced) rows.emplace_back(entry.first, ToJsonText(entry.second));
  std::vector<QueuedRow> queued;
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_ims.swap(replaced);
    queued = TakeQueuedRowsLocked();
  }
  WriteRows(queued);
  Transaction transaction(*m_db);
  m_tables->ims.Clear();
  for (const auto& [id, body] : rows) m_tables->ims.Put(id, 0, body);
  transaction.Commit();
}

void SessionCache::PutIm(const IM::Data& im) {
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!QueueRowLocked(&Tables::ims, im.im_id, 0, ToJsonText(im))) return;
    m_ims[im.im_id] = im;
  }
  WriteQueuedRows();
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
  const StoreTurn turn(*this);
  if (!m_tables || generation.empty() || generation == m_store_generation) return;
  size_t dropped_messages = 0;
  size_t dropped_files = 0;
  std::vector<QueuedRow> queued;
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    dropped_messages = m_message_ids.size();
    dropped_files = m_entities.size();
    m_messages.clear();
    m_message_ids.clear();
    m_entities.clear();
    m_store_generation = generation;
    queued = TakeQueuedRowsLocked();
  }
  if (dropped_messages > 0 || dropped_files > 0) {
    quennet::log_event("Session cache: the service's store was built afresh; %zu cached messages and %zu files "
                       "of the one before are dropped",
                       dropped_messages, dropped_files);
  }
  WriteRows(queued);
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
  std::string body = ToJsonText(message);
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!m_tables || !InsertMessageLocked(message, delivered)) return false;
    QueueRowLocked(&Tables::messages, message.message_id, m_next_arrival - 1, std::move(body));
  }
  WriteQueuedRows();
  return true;
}

void SessionCache::AddMessages(const std::vector<Message::Data>& messages) {
  const StoreTurn turn(*this);
  if (!m_tables) return;
  // Arrival numbers of the messages that were new.
  std::vector<std::pair<const Message::Data*, int64_t>> added;
  std::vector<QueuedRow> queued;
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    for (const Message::Data& message : messages) {
      if (InsertMessageLocked(message, true)) added.emplace_back(&message, m_next_arrival - 1);
    }
    queued = TakeQueuedRowsLocked();
  }
  WriteRows(queued);
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
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!m_tables) return false;
    _NumUnread& current = m_unread[conversationId];
    if (current.num_unread == counts.num_unread && current.num_notify == counts.num_notify) return false;
    current = counts;
    QueueRowLocked(&Tables::unread, conversationId, 0,
                   Dump(json{{"count", counts.num_unread}, {"notify", counts.num_notify}}));
  }
  WriteQueuedRows();
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
  std::string body = Dump(json{{"text", draft.text}, {"time", draft.time}});
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!QueueRowLocked(&Tables::drafts, conversationId, 0, std::move(body))) return;
    m_drafts[conversationId] = draft;
  }
  WriteQueuedRows();
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
  const StoreTurn turn(*this);
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
  const StoreTurn turn(*this);
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
  const StoreTurn turn(*this);
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
