#pragma once

// The embedded service's state: every team with its accounts, channels,
// one-to-one conversations, messages, files and the rest. Held in memory for
// the service's operations and written through to its SQLite store, so that
// what the client changes is still there at the next start. Not locked here:
// the service serialises every use with its own mutex.

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "../Database.h"
#include "mireloom/Entity.h"
#include "mireloom/IM.h"
#include "mireloom/Service.h"
#include "mireloom/testing.h"
#include "mireloom/Usergroup.h"
#include "ServiceTypes.h"

namespace mireloom::service {

struct Account {
  std::string team;
  User::Data user;
  std::string password = "demo1234";
  bool initial_password = false;
  std::string initial;  // the initial password, refused as the new one
  int64_t order = 0;
};

struct ChannelMember {
  std::string uid;
  bool enabled = true;  // false: closed by that member
  bool muted = false;
};

struct ChannelRecord {
  std::string team;
  Channel::Data channel;  // without any member's flags
  std::vector<ChannelMember> members;
  int64_t order = 0;
};

struct ImRecord {
  std::string team;
  std::string id;
  std::string a, b;  // the two users
  bool open_a = true, open_b = true;
  bool muted_a = false, muted_b = false;
};

struct MessageRecord {
  int64_t seq = 0;
  std::string team;
  Message::Data message;
};

struct EntityRecord {
  std::string team;
  Entity::Data entity;
  std::vector<std::string> shared_in;  // conversations
  bool uploaded = false;  // bytes in the files table; else made on request
};

struct TokenRecord {
  std::string api_token;
  std::string web_token;
  std::string team;
  std::string uid;
  bool revoked = false;
};

struct CallRecord {
  std::string team;
  testing::PhoneCall call;
  int64_t created_at = 0;
};

// An uploaded file as the service keeps it: its bytes stay in the store.
struct UploadEntry {
  std::string name, mime, conversation_id;
  std::string path;  // the key of its bytes
};

class ServiceModel final {
 public:
  ServiceModel();
  ~ServiceModel();
  ServiceModel(const ServiceModel&) = delete;
  ServiceModel& operator=(const ServiceModel&) = delete;

  // Opens the store, which this program then holds alone while it runs. How
  // it went: without a store (in use, unavailable) the model lives in memory.
  detail::OpenOutcome Open(const std::wstring& storeFile);
  // Loads what the store holds; false when it is empty or damaged.
  bool Load();
  // Damage met while reading: the store is moved aside like any damaged one
  // and a fresh one opened. False when none could be had.
  [[nodiscard]] bool Damaged() const;
  bool OpenAfresh();
  // Whether a damaged store was moved aside at this start.
  [[nodiscard]] bool MovedAside() const { return m_moved_aside; }
  // Carries every row that can still be read of the store moved aside over
  // what the store holds now (the demo built afresh) and loads the result.
  // Nothing is carried from a store of another demo. The messages carried.
  int64_t CarryOverFromAside(const std::string& demoHash);
  // Forgets everything, in memory and in the store.
  void Clear();
  // Every id the store hands out carries its generation, so that a store
  // built afresh never hands out an id that meant something else before.
  void StartGeneration(const std::string& generation);

  // ---- State (read and changed by the service under its lock) ----
  std::map<std::string, TeamInfo> teams;                // by id
  std::map<std::string, Account> accounts;              // by team + "/" + uid
  std::map<std::string, ChannelRecord> channels;        // by id
  std::map<std::string, ImRecord> ims;                  // by id
  std::map<std::string, std::vector<MessageRecord>> messages;  // by conversation, in seq order
  std::map<std::string, uint32_t> unread;               // by conversation + "/" + uid
  std::map<std::string, int64_t> cursors;               // by conversation + "/" + uid
  std::map<std::string, EntityRecord> entities;         // by id
  std::map<std::string, std::pair<std::string, Service::Data>> services;  // by id: team, service
  std::map<std::string, std::pair<std::string, Usergroup::Data>> groups;  // by id: team, group
  std::vector<std::pair<std::string, Membership::Data>> memberships;      // team, membership
  std::map<std::string, TokenRecord> tokens;            // by api token
  std::vector<testing::FeedbackRecord> feedback;
  std::map<std::string, CallRecord> calls;              // by id
  std::vector<UploadEntry> uploads;
  std::vector<testing::LoginAttempt> logins;
  VersionRecord version;
  int64_t next_seq = 1;
  int64_t next_id = 1;
  std::string generation;  // "" until the store is loaded or built

  // ---- Look-ups ----
  Account* FindAccount(const std::string& team, const std::string& uid);
  Account* FindAccountByName(const std::string& team, const std::string& userName);
  const TeamInfo* FindTeamBySubdomain(const std::string& subdomain) const;
  // Accounts of the team in team order.
  std::vector<Account*> TeamAccounts(const std::string& team);
  ChannelMember* FindMember(ChannelRecord& channel, const std::string& uid);
  // The IM between two users, or null.
  ImRecord* FindIm(const std::string& team, const std::string& a, const std::string& b);
  // Whether the user may read the conversation (member of the channel, side of the IM).
  bool Participates(const std::string& conversationId, const std::string& uid);
  // The users who receive the conversation's messages.
  std::vector<std::string> Participants(const std::string& conversationId);
  // The team of a channel or one-to-one conversation; "" when unknown.
  std::string TeamOf(const std::string& conversationId);
  // The service's own id for something new: prefix, generation and number.
  std::string NewId(const std::string& prefix);
  // The id of the message with this sequence number.
  [[nodiscard]] std::string MessageId(int64_t seq) const;

  // ---- Refused writes ----
  // A change that the store refused to keep must fail the operation that made
  // it: the operation starts with BeginChange and asks ChangeRefused at its end.
  void BeginChange() { m_refused = false; }
  [[nodiscard]] bool ChangeRefused() const { return m_refused; }

  // ---- Write-through ----
  void SaveTeam(const TeamInfo& team);
  void SaveAccount(const Account& account);
  void SaveChannel(const ChannelRecord& channel);
  void SaveIm(const ImRecord& im);
  // False when the store refused it.
  bool SaveMessage(const MessageRecord& message);
  void SaveUnread(const std::string& key);
  void SaveCursor(const std::string& key);
  void SaveEntity(const EntityRecord& entity);
  void SaveService(const std::string& id);
  void SaveGroups();
  void SaveToken(const TokenRecord& token);
  void SaveFeedback();
  void SaveCall(const CallRecord& call);
  void SaveLogins();
  bool SaveCounters();
  void SaveVersion();
  // Stores `size` bytes under the path, taken chunk by chunk from `next`
  // (false when a chunk cannot be had), so that a file of any size passes
  // through a little memory. False when they were not all stored.
  bool SaveFileInChunks(const std::string& path, int64_t size, const std::function<bool(std::string* chunk)>& next);
  void RemoveFile(const std::string& path);
  // Call before adding the upload to `uploads`.
  void SaveUpload(const UploadEntry& upload);
  // Bytes of an uploaded file; false when there are none.
  bool LoadFile(const std::string& path, std::string* bytes);

  std::string Meta(const std::string& key);
  void SetMeta(const std::string& key, const std::string& value);

  // Writes the whole state (after the demo was loaded into memory).
  void SaveAll();

  // Wraps many changes into one transaction.
  std::unique_ptr<detail::Transaction> Begin();

 private:
  struct Tables;
  // Puts the row, remembering a refusal for ChangeRefused.
  void Put(detail::RecordTable& table, const std::string& key, int64_t order, const std::string& body);
  // Forgets what is in memory, not what is stored.
  void ForgetLoaded();
  // Copies the rows of the recovered store attached as "carried"; its messages.
  int64_t CopyCarriedRows(const std::string& demoHash);

  std::wstring m_file;
  bool m_moved_aside = false;
  std::unique_ptr<detail::Database> m_db;
  std::unique_ptr<Tables> m_tables;
  bool m_refused = false;
};

}  // namespace mireloom::service
