#include "ServiceModel.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <set>

#include "../Text.h"
#include "quennet/EventLog.h"
#include "ServiceJson.h"

namespace mireloom::service {
namespace {

using nlohmann::json;
using detail::FromJsonText;
using detail::ToJsonText;

std::string Dump(const json& value) { return value.dump(-1, ' ', false, json::error_handler_t::replace); }

std::string PairKey(const std::string& a, const std::string& b) { return a + "/" + b; }

// Loads every row of a table through `read`, skipping unreadable ones.
void LoadRows(detail::RecordTable& table, const std::function<void(const detail::RecordTable::Row&)>& read) {
  for (const auto& row : table.LoadAll()) {
    try {
      read(row);
    } catch (const std::exception&) {
      quennet::log_error("Service store: unreadable row %s", row.key.c_str());
    }
  }
}

}  // namespace

struct ServiceModel::Tables {
  explicit Tables(detail::Database& db)
      : meta(db, "meta"),
        teams(db, "teams"),
        accounts(db, "accounts"),
        channels(db, "channels"),
        ims(db, "ims"),
        messages(db, "messages"),
        unread(db, "unread"),
        cursors(db, "cursors"),
        entities(db, "entities"),
        services(db, "services"),
        groups(db, "usergroups"),
        tokens(db, "tokens"),
        calls(db, "calls"),
        records(db, "records"),
        uploads(db, "uploads"),
        files(db, "files", true) {}
  detail::RecordTable meta, teams, accounts, channels, ims, messages, unread, cursors, entities, services, groups,
      tokens, calls, records, uploads, files;
};

ServiceModel::ServiceModel() = default;
ServiceModel::~ServiceModel() = default;

detail::OpenOutcome ServiceModel::Open(const std::wstring& storeFile) {
  m_file = storeFile;
  m_tables.reset();
  detail::OpenOutcome outcome = detail::OpenOutcome::Unavailable;
  m_db = detail::Database::Open(storeFile, detail::StoreKind::OnlyCopy, &outcome);
  m_moved_aside = outcome == detail::OpenOutcome::MadeAfresh;
  if (m_db) m_tables = std::make_unique<Tables>(*m_db);
  return outcome;
}

bool ServiceModel::Damaged() const { return m_db && m_db->damaged(); }

bool ServiceModel::OpenAfresh() {
  m_tables.reset();
  m_db.reset();  // closed before it is moved
  m_db = detail::Database::OpenAfresh(m_file, detail::StoreKind::OnlyCopy);
  m_moved_aside = true;
  if (!m_db) return false;
  m_tables = std::make_unique<Tables>(*m_db);
  return true;
}

std::unique_ptr<detail::Transaction> ServiceModel::Begin() {
  return m_db ? std::make_unique<detail::Transaction>(*m_db) : nullptr;
}

bool ServiceModel::Load() {
  if (!m_tables || Meta("demo_hash").empty()) return false;
  generation = Meta("generation");
  Tables& t = *m_tables;
  LoadRows(t.teams, [&](const detail::RecordTable::Row& row) { teams[row.key] = json::parse(row.body).get<TeamInfo>(); });
  LoadRows(t.accounts, [&](const detail::RecordTable::Row& row) { accounts[row.key] = json::parse(row.body).get<Account>(); });
  LoadRows(t.channels, [&](const detail::RecordTable::Row& row) { channels[row.key] = json::parse(row.body).get<ChannelRecord>(); });
  LoadRows(t.ims, [&](const detail::RecordTable::Row& row) { ims[row.key] = json::parse(row.body).get<ImRecord>(); });
  LoadRows(t.messages, [&](const detail::RecordTable::Row& row) {
    MessageRecord record = json::parse(row.body).get<MessageRecord>();
    messages[record.message.channel_id].push_back(std::move(record));
  });
  LoadRows(t.unread, [&](const detail::RecordTable::Row& row) { unread[row.key] = static_cast<uint32_t>(std::stoul(row.body)); });
  LoadRows(t.cursors, [&](const detail::RecordTable::Row& row) { cursors[row.key] = std::stoll(row.body); });
  LoadRows(t.entities, [&](const detail::RecordTable::Row& row) { entities[row.key] = json::parse(row.body).get<EntityRecord>(); });
  LoadRows(t.services, [&](const detail::RecordTable::Row& row) {
    const json body = json::parse(row.body);
    services[row.key] = {body.at("team").get<std::string>(), body.at("service").get<Service::Data>()};
  });
  LoadRows(t.groups, [&](const detail::RecordTable::Row& row) {
    const json body = json::parse(row.body);
    for (const auto& group : body.at("groups")) {
      groups[group.at("group").at("usergroup_id").get<std::string>()] = {group.at("team").get<std::string>(),
                                                                         group.at("group").get<Usergroup::Data>()};
    }
    for (const auto& membership : body.at("memberships")) {
      memberships.emplace_back(membership.at("team").get<std::string>(),
                               membership.at("membership").get<Membership::Data>());
    }
  });
  LoadRows(t.tokens, [&](const detail::RecordTable::Row& row) { tokens[row.key] = json::parse(row.body).get<TokenRecord>(); });
  LoadRows(t.calls, [&](const detail::RecordTable::Row& row) { calls[row.key] = json::parse(row.body).get<CallRecord>(); });
  LoadRows(t.uploads, [&](const detail::RecordTable::Row& row) {
    const json body = json::parse(row.body);
    uploads.push_back({body.value("name", ""), body.value("mime", ""), body.value("conversation_id", ""),
                       body.value("path", "")});
  });
  LoadRows(t.records, [&](const detail::RecordTable::Row& row) {
    const json body = json::parse(row.body);
    if (row.key == "feedback") feedback = body.get<std::vector<testing::FeedbackRecord>>();
    if (row.key == "logins") logins = body.get<std::vector<testing::LoginAttempt>>();
    if (row.key == "counters") {
      next_seq = body.value("next_seq", int64_t{1});
      next_id = body.value("next_id", int64_t{1});
    }
    if (row.key == "version") version = body.get<VersionRecord>();
  });
  for (auto& entry : messages) {
    std::sort(entry.second.begin(), entry.second.end(),
              [](const MessageRecord& a, const MessageRecord& b) { return a.seq < b.seq; });
  }
  return !Damaged();
}

int64_t ServiceModel::CarryOverFromAside(const std::string& demoHash) {
  if (!m_db) return 0;
  const std::wstring recovered = m_file + L".recovered";
  int64_t carried = 0;
  if (detail::RecoverReadableRows(detail::AsideName(m_file), recovered)) {
    detail::Statement attach = m_db->Prepare("ATTACH DATABASE ? AS carried");
    if (attach.Bind(1, detail::WideToUtf8(recovered)).Run()) {
      carried = CopyCarriedRows(demoHash);
      m_db->Exec("DETACH DATABASE carried");
    }
  }
  DeleteFileW(recovered.c_str());
  ForgetLoaded();
  Load();
  // The numbers go on after the highest one carried: a new message never
  // takes the key of an old one.
  for (const auto& entry : messages) {
    if (!entry.second.empty()) next_seq = std::max(next_seq, entry.second.back().seq + 1);
  }
  SaveCounters();
  return carried;
}

int64_t ServiceModel::CopyCarriedRows(const std::string& demoHash) {
  // A table the recovery could not find is simply not there to copy.
  const auto count = [this](const std::string& sql) {
    detail::Statement statement = m_db->Prepare(sql);
    return statement.Step() ? statement.Int(0) : int64_t{0};
  };
  std::string carried_hash;
  if (count("SELECT count(*) FROM carried.sqlite_master WHERE name = 'meta'") > 0) {
    detail::Statement hash = m_db->Prepare("SELECT body FROM carried.meta WHERE key = 'demo_hash'");
    if (hash.Step()) carried_hash = hash.Text(0);
  }
  if (!carried_hash.empty() && carried_hash != demoHash) {
    quennet::log_event("Service store: the damaged store was of another demo; nothing of it is carried");
    return 0;
  }
  std::set<std::string> found;
  detail::Statement tables = m_db->Prepare("SELECT name FROM carried.sqlite_master WHERE type = 'table'");
  while (tables.Step()) found.insert(tables.Text(0));
  // The store's own records (its demo, its generation and its counters) stay
  // those of the store built afresh.
  detail::Transaction transaction(*m_db);
  for (const char* table : {"teams", "accounts", "channels", "ims", "messages", "unread", "cursors", "entities",
                            "services", "usergroups", "tokens", "calls", "records", "uploads", "files"}) {
    if (!found.count(table)) continue;
    m_db->Exec(std::string("INSERT OR REPLACE INTO main.") + table + " (key, ord, body) SELECT key, ord, body FROM carried." +
               table + " WHERE key <> 'counters'");
  }
  const int64_t messages_carried = found.count("messages") ? count("SELECT count(*) FROM carried.messages") : 0;
  return transaction.Commit() ? messages_carried : 0;
}

void ServiceModel::ForgetLoaded() {
  teams.clear();
  accounts.clear();
  channels.clear();
  ims.clear();
  messages.clear();
  unread.clear();
  cursors.clear();
  entities.clear();
  services.clear();
  groups.clear();
  memberships.clear();
  tokens.clear();
  feedback.clear();
  calls.clear();
  uploads.clear();
  logins.clear();
  version = VersionRecord();
  next_seq = 1;
  next_id = 1;
  generation.clear();
}

void ServiceModel::Clear() {
  ForgetLoaded();
  if (!m_tables) return;
  Tables& t = *m_tables;
  for (detail::RecordTable* table : {&t.meta, &t.teams, &t.accounts, &t.channels, &t.ims, &t.messages, &t.unread,
                                     &t.cursors, &t.entities, &t.services, &t.groups, &t.tokens, &t.calls,
                                     &t.records, &t.uploads, &t.files}) {
    table->Clear();
  }
}

// ---- Look-ups ---------------------------------------------------------------

Account* ServiceModel::FindAccount(const std::string& team, const std::string& uid) {
  auto found = accounts.find(PairKey(team, uid));
  return found == accounts.end() ? nullptr : &found->second;
}

Account* ServiceModel::FindAccountByName(const std::string& team, const std::string& userName) {
  for (auto& entry : accounts) {
    if (entry.second.team == team && !userName.empty() && entry.second.user.username == userName) return &entry.second;
  }
  return nullptr;
}

namespace {

// A subdomain is a host name: its case does not matter, and blanks around
// what the user typed are not part of it.
std::string HostLabel(const std::string& text) {
  const size_t first = text.find_first_not_of(" \t\r\n");
  if (first == std::string::npos) return {};
  const size_t last = text.find_last_not_of(" \t\r\n");
  std::string label = text.substr(first, last - first + 1);
  std::transform(label.begin(), label.end(), label.begin(),
                 [](unsigned char c) { return static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c); });
  return label;
}

}  // namespace

const TeamInfo* ServiceModel::FindTeamBySubdomain(const std::string& subdomain) const {
  const std::string wanted = HostLabel(subdomain);
  if (wanted.empty()) return nullptr;
  for (const auto& entry : teams) {
    if (HostLabel(entry.second.subdomain) == wanted) return &entry.second;
  }
  return nullptr;
}

std::vector<Account*> ServiceModel::TeamAccounts(const std::string& team) {
  std::vector<Account*> found;
  for (auto& entry : accounts) {
    if (entry.second.team == team) found.push_back(&entry.second);
  }
  std::stable_sort(found.begin(), found.end(), [](const Account* a, const Account* b) { return a->order < b->order; });
  return found;
}

ChannelMember* ServiceModel::FindMember(ChannelRecord& channel, const std::string& uid) {
  for (auto& member : channel.members) {
    if (member.uid == uid) return &member;
  }
  return nullptr;
}

ImRecord* ServiceModel::FindIm(const std::string& team, const std::string& a, const std::string& b) {
  for (auto& entry : ims) {
    ImRecord& im = entry.second;
    if (im.team == team && ((im.a == a && im.b == b) || (im.a == b && im.b == a))) return &im;
  }
  return nullptr;
}

bool ServiceModel::Participates(const std::string& conversationId, const std::string& uid) {
  auto channel = channels.find(conversationId);
  if (channel != channels.end()) return FindMember(channel->second, uid) != nullptr;
  auto im = ims.find(conversationId);
  return im != ims.end() && (im->second.a == uid || im->second.b == uid);
}

std::vector<std::string> ServiceModel::Participants(const std::string& conversationId) {
  std::vector<std::string> uids;
  auto channel = channels.find(conversationId);
  if (channel != channels.end()) {
    for (const auto& member : channel->second.members) uids.push_back(member.uid);
  }
  auto im = ims.find(conversationId);
  if (im != ims.end()) uids = {im->second.a, im->second.b};
  return uids;
}

std::string ServiceModel::TeamOf(const std::string& conversationId) {
  auto channel = channels.find(conversationId);
  if (channel != channels.end()) return channel->second.team;
  auto im = ims.find(conversationId);
  return im != ims.end() ? im->second.team : std::string();
}

void ServiceModel::StartGeneration(const std::string& value) {
  generation = value;
  SetMeta("generation", value);
}

std::string ServiceModel::NewId(const std::string& prefix) {
  const std::string id = prefix + generation + "-" + std::to_string(next_id++);
  SaveCounters();
  return id;
}

std::string ServiceModel::MessageId(int64_t seq) const { return "msg-" + generation + "-" + std::to_string(seq); }

// ---- Write-through --------------------------------------------------------------

void ServiceModel::SaveAll() {
  if (!m_db) return;
  detail::Transaction transaction(*m_db);
  for (const auto& entry : teams) SaveTeam(entry.second);
  for (const auto& entry : accounts) SaveAccount(entry.second);
  for (const auto& entry : channels) SaveChannel(entry.second);
  for (const auto& entry : ims) SaveIm(entry.second);
  for (const auto& entry : messages) {
    for (const auto& message : entry.second) SaveMessage(message);
  }
  for (const auto& entry : unread) SaveUnread(entry.first);
  for (const auto& entry : cursors) SaveCursor(entry.first);
  for (const auto& entry : entities) SaveEntity(entry.second);
  for (const auto& entry : services) SaveService(entry.first);
  SaveGroups();
  for (const auto& entry : tokens) SaveToken(entry.second);
  for (const auto& entry : calls) SaveCall(entry.second);
  SaveFeedback();
  SaveLogins();
  SaveCounters();
  SaveVersion();
  transaction.Commit();
}

void ServiceModel::SaveTeam(const TeamInfo& team) {
  if (m_tables) Put(m_tables->teams, team.id, 0, ToJsonText(team));
}

void ServiceModel::SaveAccount(const Account& account) {
  if (m_tables) Put(m_tables->accounts, PairKey(account.team, account.user.uid), account.order, ToJsonText(account));
}

void ServiceModel::SaveChannel(const ChannelRecord& channel) {
  if (m_tables) Put(m_tables->channels, channel.channel.channel_id, channel.order, ToJsonText(channel));
}

void ServiceModel::SaveIm(const ImRecord& im) {
  if (m_tables) Put(m_tables->ims, im.id, 0, ToJsonText(im));
}

bool ServiceModel::SaveMessage(const MessageRecord& message) {
  char key[24];
  std::snprintf(key, sizeof key, "%012lld", static_cast<long long>(message.seq));
  if (m_tables) Put(m_tables->messages, key, message.seq, ToJsonText(message));
  return !m_refused;
}

void ServiceModel::SaveUnread(const std::string& key) {
  if (m_tables) Put(m_tables->unread, key, 0, std::to_string(unread[key]));
}

void ServiceModel::SaveCursor(const std::string& key) {
  if (m_tables) Put(m_tables->cursors, key, 0, std::to_string(cursors[key]));
}

void ServiceModel::SaveEntity(const EntityRecord& entity) {
  if (m_tables) Put(m_tables->entities, entity.entity.entity_id, entity.entity.created_at, ToJsonText(entity));
}

void ServiceModel::SaveService(const std::string& id) {
  auto found = services.find(id);
  if (m_tables && found != services.end()) {
    Put(m_tables->services, id, 0, Dump(json{{"team", found->second.first}, {"service", found->second.second}}));
  }
}

void ServiceModel::SaveGroups() {
  if (!m_tables) return;
  json all_groups = json::array();
  for (const auto& entry : groups) all_groups.push_back({{"team", entry.second.first}, {"group", entry.second.second}});
  json all_memberships = json::array();
  for (const auto& entry : memberships) all_memberships.push_back({{"team", entry.first}, {"membership", entry.second}});
  Put(m_tables->groups, "all", 0, Dump(json{{"groups", all_groups}, {"memberships", all_memberships}}));
}

void ServiceModel::SaveToken(const TokenRecord& token) {
  if (m_tables) Put(m_tables->tokens, token.api_token, 0, ToJsonText(token));
}

void ServiceModel::SaveFeedback() {
  if (m_tables) Put(m_tables->records, "feedback", 0, Dump(json(feedback)));
}

void ServiceModel::SaveCall(const CallRecord& call) {
  if (m_tables) Put(m_tables->calls, call.call.call_id, call.created_at, ToJsonText(call));
}

void ServiceModel::SaveLogins() {
  if (m_tables) Put(m_tables->records, "logins", 0, Dump(json(logins)));
}

bool ServiceModel::SaveCounters() {
  if (m_tables) Put(m_tables->records, "counters", 0, Dump(json{{"next_seq", next_seq}, {"next_id", next_id}}));
  return !m_refused;
}

void ServiceModel::SaveVersion() {
  if (m_tables) Put(m_tables->records, "version", 0, ToJsonText(version));
}

bool ServiceModel::SaveFileInChunks(const std::string& path, int64_t size,
                                    const std::function<bool(std::string* chunk)>& next) {
  // Without a store the service runs in memory, and an upload has nowhere to go.
  if (!m_tables || !m_tables->files.PutInChunks(path, 0, size, next)) {
    m_refused = true;
    return false;
  }
  return true;
}

void ServiceModel::RemoveFile(const std::string& path) {
  if (m_tables) m_tables->files.Remove(path);
}

void ServiceModel::SaveUpload(const UploadEntry& upload) {
  if (!m_tables) return;
  Put(m_tables->uploads, std::to_string(uploads.size()), static_cast<int64_t>(uploads.size()),
      Dump(json{{"name", upload.name}, {"mime", upload.mime}, {"conversation_id", upload.conversation_id},
                {"path", upload.path}}));
}

bool ServiceModel::LoadFile(const std::string& path, std::string* bytes) {
  if (!m_db) return false;
  detail::Statement select = m_db->Prepare("SELECT body FROM files WHERE key = ?");
  select.Bind(1, path);
  if (!select.Step()) return false;
  *bytes = select.Blob(0);
  return true;
}

std::string ServiceModel::Meta(const std::string& key) {
  if (!m_db) return {};
  detail::Statement select = m_db->Prepare("SELECT body FROM meta WHERE key = ?");
  select.Bind(1, key);
  return select.Step() ? select.Text(0) : std::string();
}

void ServiceModel::SetMeta(const std::string& key, const std::string& value) {
  if (m_tables) Put(m_tables->meta, key, 0, value);
}

void ServiceModel::Put(detail::RecordTable& table, const std::string& key, int64_t order, const std::string& body) {
  if (!table.Put(key, order, body)) m_refused = true;
}

}  // namespace mireloom::service
