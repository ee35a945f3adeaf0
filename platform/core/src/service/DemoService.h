#pragma once

// The embedded service: an in-process stand-in for the team service. It keeps
// its teams in its own SQLite store (never in the client's data folder),
// answers every server operation of the core, pushes events to connected
// sessions, lets demo members act, and answers the web addresses of its hosts.

#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "../Operation.h"
#include "mireloom/Entity.h"
#include "mireloom/IM.h"
#include "mireloom/Service.h"
#include "mireloom/testing.h"
#include "mireloom/Usergroup.h"
#include "ServiceTypes.h"

namespace mireloom::service {

class ServiceModel;
class PushHub;
class ActingMembers;

using detail::Outcome;

class DemoService final : public std::enable_shared_from_this<DemoService> {
 public:
  // Answers of Login beside 200 and 201: signed in, and the store was
  // repaired since (told once); refused, the store being held by another
  // program or not writable, so that nothing would be kept.
  static constexpr int64_t kSignedInAfterRepair = 202;
  static constexpr int64_t kStoreInUse = 8003;
  static constexpr int64_t kStoreNotWritable = 8004;

  // The running service, started with the default options when none runs.
  static std::shared_ptr<DemoService> Get();
  // (Re)starts with these options; Stop ends it.
  static void Start(const testing::ServiceOptions& options);
  static void Stop();

  explicit DemoService(const testing::ServiceOptions& options);
  ~DemoService();
  DemoService(const DemoService&) = delete;
  DemoService& operator=(const DemoService&) = delete;

  // ---- Without a session ----
  Outcome ClientVersion(VersionRecord* record);
  Outcome TeamBySubdomain(const std::string& subdomain, TeamInfo* team);
  Outcome Login(const std::string& userName, const std::string& password, const std::string& teamId,
                LoginResult* result);
  Outcome PostFeedback(const std::string& token, const testing::FeedbackRecord& record);

  // ---- Session ----
  // A token for the user without a password (test sessions).
  Outcome MintToken(const std::string& teamId, const std::string& uid, LoginResult* result);
  Outcome CheckToken(const std::string& token);
  Outcome PutInitPassword(const std::string& token, const std::string& password);
  Outcome Logout(const std::string& token);

  // automatic: a retry of the connection itself rather than a request of the client.
  Outcome Connect(const std::string& token, std::weak_ptr<PushSink> sink, bool automatic, int64_t* seq);
  void Disconnect(const std::string& token, const PushSink* sink);
  // Messages of the user's conversations after seq, with the current counts
  // and statuses.
  Outcome Missed(const std::string& token, int64_t sinceSeq, std::vector<PushEvent>* events, int64_t* seq);

  Outcome Users(const std::string& token, std::vector<User::Data>* users);
  Outcome Statuses(const std::string& token, std::map<std::string, int>* statuses);
  Outcome Services(const std::string& token, std::vector<Service::Data>* services);
  Outcome Groups(const std::string& token, const std::string& parentId, std::vector<Usergroup::Data>* groups,
                 std::vector<Membership::Data>* memberships);

  Outcome Channels(const std::string& token, std::vector<ChannelView>* channels);
  Outcome Ims(const std::string& token, std::vector<IM::Data>* ims);
  // Whole histories of the conversations (every conversation of the user
  // when empty), with the generation of the store they come from.
  Outcome History(const std::string& token, const std::vector<std::string>& conversations,
                  std::vector<Message::Data>* messages, std::string* storeGeneration);
  Outcome Unread(const std::string& token, std::map<std::string, _NumUnread>* counts);
  Outcome MarkRead(const std::string& token, const std::string& conversationId, int64_t timestamp);
  Outcome Send(const std::string& token, const Message::Data& message, Message::Data* sent);
  // The bytes come chunk by chunk from `source` and go straight into the store.
  Outcome Upload(const std::string& token, UploadSource& source, const std::string& name, const std::string& mime,
                 const std::string& conversationId, Message::Data* share);

  Outcome JoinChannel(const std::string& token, const std::string& channelId, ChannelView* view);
  Outcome EnableChannel(const std::string& token, const std::string& channelId, ChannelView* view);
  Outcome LeaveChannel(const std::string& token, const std::string& channelId);
  Outcome Invite(const std::string& token, const std::string& channelId, const std::string& uid,
                 ChannelView* view);
  Outcome CreateChannel(const std::string& token, const std::string& name, const std::string& purpose,
                        int visibility, const std::vector<std::string>& uids, int color, ChannelView* view);

  Outcome NewIm(const std::string& token, const std::string& uid, IM::Data* im);
  Outcome OpenIm(const std::string& token, const std::string& imId, IM::Data* im);
  Outcome CloseIm(const std::string& token, const std::string& imId);

  Outcome Entities(const std::string& token, const std::string& conversationId, int type, const std::string& keyword,
                   int page, int pageSize, std::vector<Entity::Data>* entities, int* total);
  Outcome EntityById(const std::string& token, const std::string& entityId, Entity::Data* entity);
  Outcome PostComment(const std::string& token, const std::string& entityId, const std::string& text,
                      int applicationType, Comment::Data* comment, std::vector<Message::Data>* posted);

  Outcome MakeCall(const std::string& token, const std::string& uid, std::string* callId);
  Outcome MakeGroupCall(const std::string& token, const std::vector<std::string>& uids,
                        const std::vector<std::string>& phoneNumbers, std::string* callId);
  Outcome CancelCall(const std::string& token, const std::string& callId);

  // ---- Web addresses ----
  [[nodiscard]] bool InOutage() const { return m_outage; }
  bool FindUserByAvatar(const std::string& headerUri, User::Data* user);
  bool FindServiceByAvatar(const std::string& avatarName, Service::Data* service);
  // 302 with the file's "<path>.<ext>"; 401 without valid credentials for the
  // team; 404 for an unknown entity.
  int FileLocation(const std::string& token, const std::string& teamId, const std::string& entityId,
                   std::string* location);
  // The bytes of the file stored under the path; false when there is none.
  bool FileBytes(const std::string& path, std::string* bytes, std::string* mime);

  // ---- Acting members ----
  // Posts a message from a demo member (or service) and pushes it.
  void PostAs(Message::Data message);
  void SetStatus(const std::string& team, const std::string& uid, int status);
  void PushFailure(const std::string& uid, const std::string& text);

  // ---- Controls ----
  void SetOutage(bool on);
  // Drops the user's connections; automatic reconnects are accepted after
  // reconnectAfterMs (never when negative).
  void DropConnections(const std::string& uid, int reconnectAfterMs);
  void SetNow(int64_t now);
  [[nodiscard]] int64_t Now() const;
  [[nodiscard]] ServiceModel& model() { return *m_model; }
  [[nodiscard]] std::mutex& mutex() { return m_mutex; }
  [[nodiscard]] PushHub& push() { return *m_push; }
  [[nodiscard]] const testing::ServiceOptions& options() const { return m_options; }
  // Posts a message as its sender and pushes it to the conversation's
  // connected members but the one of `exceptToken`. With the lock held. Its
  // sequence number; 0 when the store refused it (then nobody hears of it).
  int64_t PostLocked(Message::Data& message, const std::string& exceptToken);

 private:
  struct Caller {
    std::string team;
    std::string uid;
  };
  friend class ActingMembers;
  // Outage, latency and the token: the start of every session operation.
  Outcome Enter(const std::string& token, Caller* caller);
  Outcome EnterWithoutSession();
  // Enter, then the body under the lock with the caller; a failure when the
  // store refused what the body changed.
  Outcome WithCaller(const std::string& token, const std::function<Outcome(const Caller&)>& body);
  // The outcome of a change begun with the model's BeginChange, under the lock:
  // a success only when the store kept all of it.
  Outcome Stored(const Outcome& outcome);
  // The caller's side of the conversation opened or closed.
  Outcome SetImOpen(const std::string& token, const std::string& imId, bool open, IM::Data* im);
  // Carries what can be read of the damaged store into the one built afresh.
  void RepairHistory(const std::string& fingerprint);

  enum class StoreState { Kept, InUse, Unavailable };

  const testing::ServiceOptions m_options;
  std::mutex m_mutex;  // guards the model; never held while calling out of the service
  std::unique_ptr<ServiceModel> m_model;
  std::unique_ptr<PushHub> m_push;
  std::unique_ptr<ActingMembers> m_acting;
  std::atomic<bool> m_outage{false};
  std::atomic<int64_t> m_now{0};
  StoreState m_store = StoreState::Kept;  // set once, before the service is shared
  bool m_repaired_untold = false;  // guarded by m_mutex
};

}  // namespace mireloom::service
