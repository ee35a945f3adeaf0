// The session cache's file: its schema, loading it, closing it, and the turn
// writers take at it, with the queue of rows that wait for their turn.

#include <algorithm>

#include "mireloom/SqlMigrate.h"
#include "quennet/EventLog.h"
#include "SessionCacheFile.h"
#include "WalCheckpointer.h"

namespace mireloom::detail {
namespace {

using nlohmann::json;

constexpr const char* kTableNames[] = {"users",       "channels", "ims",      "messages", "unread",       "drafts",
                                       "usergroups", "memberships", "services", "entities", "service_store"};

}  // namespace

const char* const SessionCache::kGenerationKey = "generation";

SessionCache::SessionCache() = default;
SessionCache::~SessionCache() { Close(); }

bool SessionCache::Open(const std::wstring& file) {
  std::lock_guard<std::mutex> store(m_store_mutex);
  // The session is not installed while it opens: nobody reads it yet.
  std::lock_guard<std::mutex> lock(m_mutex);
  WriteRows(TakeQueuedRowsLocked());
  CloseFile();
  m_db = Database::Open(file);
  if (!m_db) return false;
  // A sign-in stores the team in a few commits of megabytes: the next
  // commit must not wait while the disk takes them in.
  m_checkpointer = std::make_unique<WalCheckpointer>(file);
  m_db->HandCheckpointsTo(m_checkpointer.get());
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
    m_channels_unsaved = true;
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
    if (body.is_discarded()) {
      m_channels_unsaved = true;
      continue;
    }
    CachedChannel channel;
    channel.channel = body.value("channel", json::object()).get<Channel::Data>();
    channel.members = body.value("members", std::vector<std::string>());
    m_channels[channel.channel.channel_id] = std::move(channel);
  }
  for (const auto& row : m_tables->ims.LoadAll()) {
    if (auto im = ParseRowBody<IM::Data>(row.body)) m_ims[im->im_id] = std::move(*im);
  }
  for (const auto& row : m_tables->messages.LoadAll()) {
    if (auto message = ParseRowBody<Message::Data>(row.body)) {
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
    if (auto group = ParseRowBody<Usergroup::Data>(row.body)) m_groups.push_back(std::move(*group));
  }
  for (const auto& row : m_tables->memberships.LoadAll()) {
    if (auto membership = ParseRowBody<Membership::Data>(row.body)) m_memberships.push_back(std::move(*membership));
  }
  for (const auto& row : m_tables->services.LoadAll()) {
    if (auto service = ParseRowBody<Service::Data>(row.body)) m_services.push_back(std::move(*service));
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
  // What the user changed last is kept, though its writer found the file busy.
  WriteRows(TakeQueuedRowsLocked());
  CloseFile();
  m_open = false;
  m_users_unsaved = false;
  m_channels_unsaved = false;
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

void SessionCache::CloseFile() {
  m_tables.reset();
  // The checkpoints' thread ends before the file closes: closed last, the
  // store's own connection folds the rest of the log in.
  if (m_db) m_db->HandCheckpointsTo(nullptr);
  m_checkpointer.reset();
  m_db.reset();
}

bool SessionCache::IsOpen() const {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_open;
}

// ---- The file's turn and the queue -------------------------------------------------

bool SessionCache::QueueRowLocked(RecordTable Tables::*table, std::string key, int64_t order,
                                  std::optional<std::string> body) {
  if (!m_tables) return false;
  m_queued_rows.push_back({table, std::move(key), order, std::move(body)});
  return true;
}

std::vector<SessionCache::QueuedRow> SessionCache::TakeQueuedRowsLocked() {
  std::vector<QueuedRow> rows;
  rows.swap(m_queued_rows);
  return rows;
}

void SessionCache::WriteQueuedRows() {
  if (!m_store_mutex.try_lock()) return;
  const StoreTurn turn(*this, std::adopt_lock);
}

void SessionCache::WriteRows(const std::vector<QueuedRow>& rows) {
  if (rows.empty() || !m_tables) return;
  // Several rows in one transaction: each on its own would be a commit.
  std::optional<Transaction> transaction;
  if (rows.size() > 1) transaction.emplace(*m_db);
  for (const QueuedRow& row : rows) {
    RecordTable& table = (*m_tables).*row.table;
    const bool written = row.body ? table.Put(row.key, row.order, *row.body) : table.Remove(row.key);
    if (!written && row.table == &Tables::channels) m_channels_unsaved = true;
  }
  if (transaction) transaction->Commit();
}

void SessionCache::EndStoreTurn() {
  for (;;) {
    std::vector<QueuedRow> rows;
    {
      std::lock_guard<std::mutex> lock(m_mutex);
      rows = TakeQueuedRowsLocked();
    }
    WriteRows(rows);
    m_store_mutex.unlock();
    {
      std::lock_guard<std::mutex> lock(m_mutex);
      if (m_queued_rows.empty()) return;
    }
    // A row queued while the file was still held: written here, unless
    // another writer took the file meanwhile and writes it itself.
    if (!m_store_mutex.try_lock()) return;
  }
}

}  // namespace mireloom::detail
