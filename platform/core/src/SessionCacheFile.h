#pragma once

// What both halves of the session cache share about its file: the tables and
// the turn a writer takes at the file.

#include <mutex>
#include <optional>
#include <string>

#include "Database.h"
#include "Json.h"
#include "SessionCache.h"

namespace mireloom::detail {

// A row's body as the type it holds; nothing when it does not read as one.
template <class T>
std::optional<T> ParseRowBody(const std::string& text) {
  T value;
  if (!FromJsonText(text, &value)) return std::nullopt;
  return value;
}

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

// Holds m_store_mutex for a writer; on the way out it writes what was queued
// meanwhile before it lets the file go.
class SessionCache::StoreTurn final {
 public:
  explicit StoreTurn(SessionCache& cache) : m_cache(cache) { m_cache.m_store_mutex.lock(); }
  StoreTurn(SessionCache& cache, std::adopt_lock_t) : m_cache(cache) {}
  ~StoreTurn() { m_cache.EndStoreTurn(); }
  StoreTurn(const StoreTurn&) = delete;
  StoreTurn& operator=(const StoreTurn&) = delete;

 private:
  SessionCache& m_cache;
};

}  // namespace mireloom::detail
