#include "DemoService.h"

#include <windows.h>
#include <shlobj.h>

#include <algorithm>
#include <ctime>
#include <random>
#include <set>
#include <thread>

#include "../Text.h"
#include "ActingMembers.h"
#include "DemoLoader.h"
#include "PushHub.h"
#include "quennet/EventLog.h"
#include "ServiceHosts.h"
#include "ServiceModel.h"

namespace mireloom::service {
namespace {

struct Running {
  std::mutex mutex;
  std::shared_ptr<DemoService> service;
};

Running& GetRunning() {
  static Running* running = new Running;
  return *running;
}

std::wstring Environment(const wchar_t* name) {
  wchar_t value[MAX_PATH] = {};
  const DWORD length = GetEnvironmentVariableW(name, value, MAX_PATH);
  return length > 0 && length < MAX_PATH ? std::wstring(value) : std::wstring();
}

// The program's defaults: the demo beside the skin, the store under the
// user's local application data (never the client's data folder).
testing::ServiceOptions DefaultOptions() {
  testing::ServiceOptions options;
  options.storeFolder = Environment(L"MIRELOOM_SERVICE_STORE");
  if (options.storeFolder.empty()) {
    wchar_t local[MAX_PATH] = {};
    if (SUCCEEDED(SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, 0, local))) {
      options.storeFolder = detail::JoinPath(local, L"MireloomDemoService");
    }
  }
  options.demoFolder = Environment(L"MIRELOOM_DEMO_FOLDER");
  if (options.demoFolder.empty()) options.demoFolder = L"..\\Mireloom\\demo";
  options.latencyMs = 20;
  options.replyDelayMs = 1000;
  return options;
}

std::string RandomHex(size_t length) {
  static std::mutex mutex;
  static std::mt19937_64 generator(std::random_device{}() ^ static_cast<uint64_t>(GetTickCount64()));
  std::lock_guard<std::mutex> lock(mutex);
  static const char kDigits[] = "0123456789abcdef";
  std::string hex;
  for (size_t i = 0; i < length; ++i) hex += kDigits[generator() % 16];
  return hex;
}

}  // namespace

std::shared_ptr<DemoService> DemoService::Get() {
  Running& running = GetRunning();
  std::lock_guard<std::mutex> lock(running.mutex);
  if (!running.service) {
    running.service = std::make_shared<DemoService>(DefaultOptions());
    ServiceHosts::Register(running.service);
  }
  return running.service;
}

void DemoService::Start(const testing::ServiceOptions& options) {
  Stop();
  Running& running = GetRunning();
  std::lock_guard<std::mutex> lock(running.mutex);
  running.service = std::make_shared<DemoService>(options);
  ServiceHosts::Register(running.service);
}

void DemoService::Stop() {
  std::shared_ptr<DemoService> stopping;
  {
    Running& running = GetRunning();
    std::lock_guard<std::mutex> lock(running.mutex);
    stopping = std::move(running.service);
  }
  if (stopping) ServiceHosts::Unregister();
}

DemoService::DemoService(const testing::ServiceOptions& options)
    : m_options(options), m_model(std::make_unique<ServiceModel>()), m_push(std::make_unique<PushHub>()) {
  m_now = options.now;
  const std::wstring store_file = detail::JoinPath(options.storeFolder, L"store.db");
  const detail::OpenOutcome opened = detail::MakeFolders(options.storeFolder) ? m_model->Open(store_file)
                                                                              : detail::OpenOutcome::Unavailable;
  m_store = opened == detail::OpenOutcome::InUse ? StoreState::InUse
            : opened == detail::OpenOutcome::Unavailable ? StoreState::Unavailable
                                                          : StoreState::Kept;
  if (m_store != StoreState::Kept) {
    quennet::log_error("Demo service store %s is %s: nothing would be kept, so no one can sign in",
                       detail::WideToUtf8(store_file).c_str(),
                       m_store == StoreState::InUse ? "held by another program" : "not writable");
  }
  const std::string fingerprint =
      options.inlineDemoJson.empty() ? DemoLoader::Fingerprint(options.demoFolder) : HexKey(options.inlineDemoJson);
  const bool current = !fingerprint.empty() && m_model->Meta("demo_hash") == fingerprint && m_model->Load();
  // Damaged beyond its first page, which only reading it shows: it goes the
  // way of any damaged store.
  if (m_model->Damaged() && !m_model->OpenAfresh()) {
    quennet::log_error("Demo service store cannot be made afresh; nothing would be kept, so no one can sign in");
    m_store = StoreState::Unavailable;
  }
  if (!current) {
    // A new or changed demo, or a store that was lost: the store starts again from it.
    m_model->Clear();
    m_model->StartGeneration(RandomHex(8));
    DemoLoader loader(Now());
    const bool loaded = options.inlineDemoJson.empty() ? loader.LoadFolder(options.demoFolder, *m_model)
                                                 : loader.LoadInline(options.inlineDemoJson, *m_model);
    if (!loaded) quennet::log_error("Demo service has no demo team");
    m_model->SaveAll();
    if (loaded) m_model->SetMeta("demo_hash", fingerprint);
  } else if (m_model->generation.empty()) {
    m_model->StartGeneration(RandomHex(8));  // a store of a time before generations
  }
  if (m_model->MovedAside() && m_store == StoreState::Kept) RepairHistory(fingerprint);
  const std::wstring version = Environment(L"MIRELOOM_DEMO_CLIENT_VERSION");
  if (version == L"16") {
    m_model->version.version = 16;
    m_model->version.name = "2.2.0";
  }
  m_acting = std::make_unique<ActingMembers>(*this);
}

DemoService::~DemoService() {
  m_acting.reset();  // its timers go first: they post through the model
  m_push.reset();
}

void DemoService::RepairHistory(const std::string& fingerprint) {
  const int64_t carried = m_model->CarryOverFromAside(fingerprint);
  quennet::log_event("Demo service: the store was damaged and is repaired: %lld messages that could still be read "
                     "were carried into the store built afresh",
                     static_cast<long long>(carried));
  m_repaired_untold = true;
}

int64_t DemoService::Now() const {
  const int64_t fixed = m_now;
  return fixed != 0 ? fixed : static_cast<int64_t>(time(nullptr));
}

void DemoService::SetNow(int64_t now) { m_now = now; }

Outcome DemoService::EnterWithoutSession() {
  if (m_options.latencyMs > 0) std::this_thread::sleep_for(std::chrono::milliseconds(m_options.latencyMs));
  return m_outage ? Outcome::Unreachable() : Outcome::Success();
}

Outcome DemoService::Enter(const std::string& token, Caller* caller) {
  Outcome outcome = EnterWithoutSession();
  if (!outcome.ok) return outcome;
  std::lock_guard<std::mutex> lock(m_mutex);
  auto found = m_model->tokens.find(token);
  if (token.empty() || found == m_model->tokens.end() || found->second.revoked) return Outcome::NotSignedIn();
  caller->team = found->second.team;
  caller->uid = found->second.uid;
  return outcome;
}

Outcome DemoService::WithCaller(const std::string& token, const std::function<Outcome(const Caller&)>& body) {
  Caller caller;
  Outcome outcome = Enter(token, &caller);
  if (!outcome.ok) return outcome;
  std::lock_guard<std::mutex> lock(m_mutex);
  m_model->BeginChange();
  return Stored(body(caller));
}

Outcome DemoService::Stored(const Outcome& outcome) {
  if (!outcome.ok || !m_model->ChangeRefused()) return outcome;
  quennet::log_error("Demo service: the store refused a change; the operation fails");
  return Outcome::Failure(500, "the service could not store the change");
}

// ---- Without a session ---------------------------------------------------------

Outcome DemoService::ClientVersion(VersionRecord* record) {
  Outcome outcome = EnterWithoutSession();
  if (!outcome.ok) return outcome;
  std::lock_guard<std::mutex> lock(m_mutex);
  *record = m_model->version;
  return outcome;
}

Outcome DemoService::TeamBySubdomain(const std::string& subdomain, TeamInfo* team) {
  Outcome outcome = EnterWithoutSession();
  if (!outcome.ok) return outcome;
  std::lock_guard<std::mutex> lock(m_mutex);
  const TeamInfo* found = m_model->FindTeamBySubdomain(subdomain);
  if (!found) return Outcome::Failure(404, "unknown team");
  *team = *found;
  return outcome;
}

Outcome DemoService::Login(const std::string& userName, const std::string& password, const std::string& teamId,
                           LoginResult* result) {
  Outcome outcome = EnterWithoutSession();
  if (!outcome.ok) return outcome;
  // Without its store the service would lose everything the user does: it
  // says so rather than taking it.
  if (m_store == StoreState::InUse) return Outcome::Failure(kStoreInUse, "the store is held by another program");
  if (m_store == StoreState::Unavailable) return Outcome::Failure(kStoreNotWritable, "the store cannot be written");
  std::lock_guard<std::mutex> lock(m_mutex);
  m_model->BeginChange();
  auto record = [&](int64_t code) {
    m_model->logins.push_back({userName, teamId, code});
    m_model->SaveLogins();
  };
  if (!m_model->teams.count(teamId)) {
    record(404);
    return Outcome::Failure(404, "unknown team");
  }
  Account* account = m_model->FindAccountByName(teamId, userName);
  if (!account || account->password != password) {
    record(8000);
    return Outcome::Failure(8000, "wrong user name or password");
  }
  if (account->user.state == User::kDisabled) {
    record(8001);
    return Outcome::Failure(8001, "account disabled");
  }
  TokenRecord token{RandomHex(32), RandomHex(32), teamId, account->user.uid, false};
  m_model->tokens[token.api_token] = token;
  m_model->SaveToken(token);
  result->token = {token.web_token, token.api_token};
  result->user = account->user;
  result->initial_password = account->initial_password;
  int64_t code = account->initial_password ? 201 : 200;
  // The first plain sign-in after a repair tells the user of it.
  if (code == 200 && m_repaired_untold) code = kSignedInAfterRepair;
  record(code);
  const Outcome stored = Stored(Outcome::Success(code));
  if (stored.ok && code == kSignedInAfterRepair) m_repaired_untold = false;
  return stored;
}

Outcome DemoService::PostFeedback(const std::string& token, const testing::FeedbackRecord& record) {
  Outcome outcome = EnterWithoutSession();
  if (!outcome.ok) return outcome;
  std::lock_guard<std::mutex> lock(m_mutex);
  m_model->BeginChange();
  testing::FeedbackRecord stored = record;
  auto found = m_model->tokens.find(token);
  if (found != m_model->tokens.end() && !found->second.revoked) stored.uid = found->second.uid;
  stored.time = Now();
  m_model->feedback.push_back(stored);
  m_model->SaveFeedback();
  return Stored(outcome);
}

// ---- Session ------------------------------------------------------------------------

Outcome DemoService::MintToken(const std::string& teamId, const std::string& uid, LoginResult* result) {
  std::lock_guard<std::mutex> lock(m_mutex);
  Account* account = m_model->FindAccount(teamId, uid);
  if (!account) return Outcome::Failure(404, "unknown user");
  TokenRecord token{RandomHex(32), RandomHex(32), teamId, uid, false};
  m_model->tokens[token.api_token] = token;
  m_model->SaveToken(token);
  result->token = {token.web_token, token.api_token};
  result->user = account->user;
  return Outcome::Success();
}

Outcome DemoService::CheckToken(const std::string& token) {
  Caller caller;
  return Enter(token, &caller);
}

Outcome DemoService::PutInitPassword(const std::string& token, const std::string& password) {
  return WithCaller(token, [&](const Caller& caller) {
    Account* account = m_model->FindAccount(caller.team, caller.uid);
    if (!account) return Outcome::Failure(404, "unknown user");
    if (password.size() < 6 || (!account->initial.empty() && password == account->initial)) {
      return Outcome::Failure(8002, "password refused");
    }
    account->password = password;
    account->initial_password = false;
    m_model->SaveAccount(*account);
    return Outcome::Success();
  });
}

Outcome DemoService::Logout(const std::string& token) {
  Caller caller;
  Outcome outcome = Enter(token, &caller);
  if (!outcome.ok) return outcome;
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_model->BeginChange();
    TokenRecord& record = m_model->tokens[token];
    record.revoked = true;
    m_model->SaveToken(record);
    outcome = Stored(outcome);
  }
  m_push->RemoveToken(token);
  return outcome;
}

Outcome DemoService::Connect(const std::string& token, std::weak_ptr<PushSink> sink, bool automatic, int64_t* seq) {
  Caller caller;
  Outcome outcome = Enter(token, &caller);
  if (!outcome.ok) return outcome;
  if (automatic && !m_push->AcceptsReconnect(token)) return Outcome::Unreachable();
  std::lock_guard<std::mutex> lock(m_mutex);
  // Registered under the lock, so that no message posted after `seq` is missed.
  m_push->Add(token, caller.uid, std::move(sink));
  *seq = m_model->next_seq - 1;
  return outcome;
}

void DemoService::Disconnect(const std::string& token, const PushSink* sink) { m_push->Remove(token, sink); }

// ---- Team data -----------------------------------------------------------------------

Outcome DemoService::Users(const std::string& token, std::vector<User::Data>* users) {
  return WithCaller(token, [&](const Caller& caller) {
    for (Account* account : m_model->TeamAccounts(caller.team)) users->push_back(account->user);
    return Outcome::Success();
  });
}

Outcome DemoService::Statuses(const std::string& token, std::map<std::string, int>* statuses) {
  return WithCaller(token, [&](const Caller& caller) {
    for (Account* account : m_model->TeamAccounts(caller.team)) (*statuses)[account->user.uid] = account->user.status;
    return Outcome::Success();
  });
}

Outcome DemoService::Services(const std::string& token, std::vector<Service::Data>* services) {
  return WithCaller(token, [&](const Caller& caller) {
    for (const auto& entry : m_model->services) {
      if (entry.second.first == caller.team) services->push_back(entry.second.second);
    }
    return Outcome::Success();
  });
}

Outcome DemoService::Groups(const std::string& token, const std::string& parentId,
                            std::vector<Usergroup::Data>* groups, std::vector<Membership::Data>* memberships) {
  return WithCaller(token, [&](const Caller& caller) {
    for (const auto& entry : m_model->groups) {
      if (entry.second.first != caller.team) continue;
      if (!parentId.empty() && entry.second.second.parent_id != parentId) continue;
      Usergroup::Data group = entry.second.second;
      group.num_users = 0;
      for (const auto& membership : m_model->memberships) {
        if (membership.first == caller.team && membership.second.usergroup_id == group.usergroup_id) ++group.num_users;
      }
      groups->push_back(group);
    }
    for (const auto& membership : m_model->memberships) {
      if (membership.first == caller.team) memberships->push_back(membership.second);
    }
    return Outcome::Success();
  });
}

// ---- Calls ------------------------------------------------------------------------------

Outcome DemoService::MakeCall(const std::string& token, const std::string& uid, std::string* callId) {
  return MakeGroupCall(token, {uid}, {}, callId);
}

Outcome DemoService::MakeGroupCall(const std::string& token, const std::vector<std::string>& uids,
                                   const std::vector<std::string>& phoneNumbers, std::string* callId) {
  return WithCaller(token, [&](const Caller& caller) {
    const bool one_to_one = uids.size() == 1;
    std::vector<std::string> callees;
    std::set<std::string> distinct;
    for (const std::string& uid : uids) {
      if (!distinct.insert(uid).second) continue;
      Account* account = m_model->FindAccount(caller.team, uid);
      if (!account || account->user.state == User::kDisabled) return Outcome::Failure(404, "unknown user " + uid);
      if (account->user.bot) return Outcome::Failure(403, "a robot cannot be called");
      if (one_to_one && account->user.phone_number.empty()) return Outcome::Failure(403, "no phone number");
      if (uid != caller.uid) callees.push_back(uid);
    }
    if (!one_to_one && distinct.size() < 2) return Outcome::Failure(400, "a group call needs two people");
    if (one_to_one && callees.empty()) return Outcome::Failure(400, "cannot call oneself");
    CallRecord call;
    call.team = caller.team;
    call.created_at = Now();
    call.call = {m_model->NewId("call-"), caller.uid, callees, "ringing", uids, phoneNumbers};
    m_model->calls[call.call.call_id] = call;
    m_model->SaveCall(call);
    *callId = call.call.call_id;
    m_acting->EndCallLater(call.call.call_id);
    return Outcome::Success();
  });
}

Outcome DemoService::CancelCall(const std::string& token, const std::string& callId) {
  Caller caller;
  Outcome outcome = Enter(token, &caller);
  if (!outcome.ok) return outcome;
  if (callId.empty()) return Outcome::Failure(400, "no call id");
  std::lock_guard<std::mutex> lock(m_mutex);
  auto found = m_model->calls.find(callId);
  if (found == m_model->calls.end() || found->second.team != caller.team || found->second.call.state != "ringing") {
    return Outcome::Failure(404, "unknown call");
  }
  m_model->BeginChange();
  found->second.call.state = "cancelled";
  m_model->SaveCall(found->second);
  return Stored(outcome);
}

// ---- Web addresses --------------------------------------------------------------------

bool DemoService::FindUserByAvatar(const std::string& headerUri, User::Data* user) {
  std::lock_guard<std::mutex> lock(m_mutex);
  for (const auto& entry : m_model->accounts) {
    if (!headerUri.empty() && entry.second.user.header_uri == headerUri) {
      *user = entry.second.user;
      return true;
    }
  }
  return false;
}

bool DemoService::FindServiceByAvatar(const std::string& avatarName, Service::Data* service) {
  std::lock_guard<std::mutex> lock(m_mutex);
  for (const auto& entry : m_model->services) {
    if (entry.second.second.avatar_url == avatarName) {
      *service = entry.second.second;
      return true;
    }
  }
  return false;
}

int DemoService::FileLocation(const std::string& token, const std::string& teamId, const std::string& entityId,
                              std::string* location) {
  std::lock_guard<std::mutex> lock(m_mutex);
  auto session = m_model->tokens.find(token);
  if (token.empty() || session == m_model->tokens.end() || session->second.revoked ||
      session->second.team != teamId) {
    return 401;
  }
  auto entity = m_model->entities.find(entityId);
  if (entity == m_model->entities.end() || entity->second.team != teamId) return 404;
  const Entity::Data& data = entity->second.entity;
  *location = data.file_extension.empty() ? data.path : data.path + "." + data.file_extension;
  return 302;
}

// ---- Controls ----------------------------------------------------------------------------

void DemoService::SetOutage(bool on) {
  m_outage = on;
  if (on) m_push->Drop("", 0);  // reconnects fail while the outage lasts
}

void DemoService::DropConnections(const std::string& uid, int reconnectAfterMs) {
  m_push->Drop(uid, reconnectAfterMs);
}

void DemoService::SetStatus(const std::string& team, const std::string& uid, int status) {
  std::lock_guard<std::mutex> lock(m_mutex);
  Account* account = m_model->FindAccount(team, uid);
  if (!account) return;
  account->user.status = status;
  m_model->SaveAccount(*account);
  PushEvent event;
  event.kind = PushEvent::kStatus;
  event.uid = uid;
  event.status = status;
  for (Account* member : m_model->TeamAccounts(team)) m_push->Push(member->user.uid, event);
}

void DemoService::PushFailure(const std::string& uid, const std::string& text) {
  PushEvent event;
  event.kind = PushEvent::kFailure;
  event.text = text;
  m_push->Push(uid, event);
}

}  // namespace mireloom::service
