// The test controls of mireloom/testing.h: isolation, sessions, preloading,
// injected events and the service's read-back.

#include <windows.h>
#include <shellapi.h>

#include <atomic>
#include <future>

#include "../src/CorePool.h"
#include "../src/CoreState.h"
#include "../src/Database.h"
#include "../src/ImConnection.h"
#include "../src/Operation.h"
#include "../src/service/DemoService.h"
#include "../src/service/ServiceHosts.h"
#include "../src/service/ServiceModel.h"
#include "../src/Session.h"
#include "../src/Text.h"
#include "mireloom/Auth.h"
#include "mireloom/ChannelManager.h"
#include "mireloom/ChatManager.h"
#include "mireloom/Director.h"
#include "mireloom/IMManager.h"
#include "mireloom/ServiceManager.h"
#include "mireloom/testing.h"
#include "mireloom/UserManager.h"
#include "mireloom/WebApi.h"

#ifndef MIRELOOM_TEST_DEMO_FOLDER
#define MIRELOOM_TEST_DEMO_FOLDER L""
#endif

namespace mireloom::testing {
namespace {

using detail::CorePool;
using service::DemoService;

std::string ToCp936(const std::wstring& text) {
  if (text.empty()) return {};
  const int needed = WideCharToMultiByte(936, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
  std::string narrow(static_cast<size_t>(needed), '\0');
  WideCharToMultiByte(936, 0, text.data(), static_cast<int>(text.size()), narrow.data(), needed, nullptr, nullptr);
  return narrow;
}

void DeleteTree(const std::wstring& folder) {
  std::wstring from = folder;
  from.push_back(L'\0');
  SHFILEOPSTRUCTW operation = {};
  operation.wFunc = FO_DELETE;
  operation.pFrom = from.c_str();
  operation.fFlags = FOF_NO_UI;
  SHFileOperationW(&operation);
}

std::shared_ptr<Session> RequireSession() { return detail::CurrentSession(); }

// Preloaded messages and files count as the running store's, as if its
// history had brought them: the next history keeps them.
void FollowRunningStore(Session& session) {
  auto service = DemoService::Get();
  std::string generation;
  {
    std::lock_guard<std::mutex> lock(service->mutex());
    generation = service->model().generation;
  }
  session.cache().FollowStoreGeneration(generation);
}

// Waits for a completion that reports through the promise.
template <class T>
T Await(std::future<T> future, int timeoutMs = 20000) {
  if (future.wait_for(std::chrono::milliseconds(timeoutMs)) != std::future_status::ready) return T{};
  return future.get();
}

}  // namespace

// ---- Isolation ------------------------------------------------------------------

void ResetCore() {
  detail::ReleaseAllHeldOperations();
  CorePool::Instance().SetManualPump(false);
  CorePool::Instance().Pump();
  CorePool::Instance().WaitIdle(10000);
  Director::ResetDefaultDirector(nullptr);
  detail::MessageHandlers().Clear();
  detail::UnreadHandlers().Clear();
  detail::StatusHandlers().Clear();
  WebApiSetting::ResetInstance(nullptr);
  WebApi::Api()->InitWithConfiguration(WebApiSetting("15", "0", "Windows store"));
  detail::ClearOperationScripts();
  service::ServiceHosts::ClearScripts();
  DemoService::Stop();
  CorePool::Instance().WaitIdle(10000);
}

ScopedCore::ScopedCore(ServiceOptions options) {
  ResetCore();
  RecordCallLog(true);
  static std::atomic<int> counter{0};
  wchar_t temp[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, temp);
  m_root = std::wstring(temp) + L"核心测试" + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(++counter);
  DeleteTree(m_root);  // left over by a run that was killed: never reuse its store
  m_data_folder = m_root + L"\\数据文件夹";
  m_store_folder = m_root + L"\\服务";
  detail::MakeFolders(m_data_folder);
  if (options.storeFolder.empty()) options.storeFolder = m_store_folder;
  m_store_folder = options.storeFolder;
  if (options.demoFolder.empty()) options.demoFolder = SourceDemoFolder();
  StartService(options);
}

ScopedCore::~ScopedCore() {
  ResetCore();
  RecordCallLog(false);
  DeleteTree(m_root);
}

std::string ScopedCore::DataFolderCp936() const { return ToCp936(m_data_folder); }

void StartService(const ServiceOptions& options) { DemoService::Start(options); }

void SetNow(int64_t now) { DemoService::Get()->SetNow(now); }

std::wstring SourceDemoFolder() { return MIRELOOM_TEST_DEMO_FOLDER; }

// ---- Sessions -------------------------------------------------------------------

Director* InstallSession(const std::string& meUid, const std::string& teamId, const Permissions& permissions,
                         const std::wstring& dataFolder) {
  auto service = DemoService::Get();
  service::LoginResult login;
  if (!service->MintToken(teamId, meUid, &login).ok) login.user.uid = meUid;
  login.user.team_permissions = permissions.team;
  login.user.chat_module_permissions = permissions.chat_module;
  service::TeamInfo team{teamId, "", teamId};
  {
    std::lock_guard<std::mutex> lock(service->mutex());
    auto found = service->model().teams.find(teamId);
    if (found != service->model().teams.end()) team = found->second;
  }
  auto* director = new Director();
  director->Init(User(login.user), Team(team.id, team.subdomain, team.name), Token(login.token), ToCp936(dataFolder), "",
                 "windows_device_id", "1.2", "WebSite");
  Director::ResetDefaultDirector(director);
  return director;
}

bool SignIn(const std::string& userName, const std::wstring& dataFolder, const std::string& subdomain,
            const std::string& password, bool connect) {
  struct Found {
    bool ok = false;
    std::string id, name, subdomain;
  };
  std::promise<Found> team_promise;
  WebApi::Api()->GetTeamLiteBySubdomain(subdomain, [&](bool ok, int64_t, const std::string& id, const std::string& name,
                                                       const std::string& sub, bool) {
    team_promise.set_value({ok, id, name, sub});
  });
  const Found found = Await(team_promise.get_future());
  if (!found.ok) return false;
  const Team team(found.id, found.subdomain, found.name);

  struct LoggedIn {
    bool ok = false;
    std::unique_ptr<Token> token;
    std::unique_ptr<User> user;
  };
  std::promise<std::shared_ptr<LoggedIn>> login_promise;
  Auth::SharedAuth()->PostLoginRequest(
      userName, password, team.team_id(), team.team_subdomain(),
      [&](bool ok, int64_t code, std::unique_ptr<Token> token, std::unique_ptr<User> user) {
        auto result = std::make_shared<LoggedIn>();
        result->ok = ok && (code == 200 || code == DemoService::kSignedInAfterRepair);
        result->token = std::move(token);
        result->user = std::move(user);
        login_promise.set_value(result);
      });
  auto login = Await(login_promise.get_future());
  if (!login || !login->ok) return false;

  auto* director = new Director();
  Director::ResetDefaultDirector(nullptr);
  director->Init(*login->user, team, *login->token, ToCp936(dataFolder), "", "windows_device_id", "1.2", "WebSite");
  Director::ResetDefaultDirector(director);

  if (connect) {
    std::promise<bool> connected;
    director->ConnectToIMServer(kIMProtocolSocketIo, 30, [&](bool ok) { connected.set_value(ok); });
    if (!Await(connected.get_future())) return false;
  }
  auto step = [](const std::function<void(std::function<void(bool, const std::string&)>)>& call) {
    std::promise<bool> done;
    call([&](bool ok, const std::string&) { done.set_value(ok); });
    return Await(done.get_future());
  };
  return step([](auto done) {
           UserManager::DefaultManager()->GetTeamMembers(
               [done](bool ok, const std::string& error, auto) { done(ok, error); });
         }) &&
         step([](auto done) { UserManager::DefaultManager()->GetUsersStatus(done); }) &&
         step([](auto done) {
           ServiceManager::DefaultManager()->GetServices(
               [done](bool ok, const std::string& error, auto) { done(ok, error); });
         });
}

bool FetchMainWindowData() {
  auto step = [](const std::function<void(std::function<void(bool, const std::string&)>)>& call) {
    std::promise<bool> done;
    call([&](bool ok, const std::string&) { done.set_value(ok); });
    return Await(done.get_future());
  };
  return step([](auto done) {
           ChannelManager::DefaultManager()->GetChannels(
               false, [done](bool ok, const std::string& error, auto) { done(ok, error); });
         }) &&
         step([](auto done) {
           IMManager::DefaultManager()->GetIMs([done](bool ok, const std::string& error, auto) { done(ok, error); });
         }) &&
         step([](auto done) { ChatManager::DefaultManager()->SyncRecentMessagesWithServer(20, done); }) &&
         step([](auto done) { ChatManager::DefaultManager()->GetNumUnreadFromServer(done); });
}

// ---- Cache preloading -----------------------------------------------------------------

void PreloadUsers(const std::vector<User::Data>& users) {
  if (auto session = RequireSession()) {
    for (const auto& user : users) session->cache().PutUser(user);
  }
}

void PreloadChannels(const std::vector<PreloadChannel>& channels) {
  if (auto session = RequireSession()) {
    for (const auto& channel : channels) session->cache().PutChannel({channel.channel, channel.members});
  }
}

void PreloadIMs(const std::vector<IM::Data>& ims) {
  if (auto session = RequireSession()) {
    for (const auto& im : ims) session->cache().PutIm(im);
  }
}

void PreloadMessages(const std::vector<Message::Data>& messages) {
  auto session = RequireSession();
  if (!session) return;
  static std::atomic<int> counter{0};
  std::vector<Message::Data> filled = messages;
  for (auto& message : filled) {
    if (message.message_id.empty()) message.message_id = "preloaded-" + std::to_string(++counter);
  }
  FollowRunningStore(*session);
  session->cache().AddMessages(filled);
}

void PreloadDraft(const std::string& conversationId, const std::string& text, int64_t time) {
  if (auto session = RequireSession()) session->cache().PutDraft(conversationId, {text, time});
}

void PreloadUnread(const std::string& conversationId, uint32_t count, uint32_t notify) {
  if (auto session = RequireSession()) session->cache().SetUnread(conversationId, {count, notify});
}

void PreloadUsergroups(const std::vector<Usergroup::Data>& groups) {
  if (auto session = RequireSession()) session->cache().ReplaceGroups(groups, session->cache().Memberships());
}

void PreloadMemberships(const std::vector<Membership::Data>& memberships) {
  if (auto session = RequireSession()) session->cache().ReplaceGroups(session->cache().Groups(), memberships);
}

void PreloadServices(const std::vector<Service::Data>& services) {
  if (auto session = RequireSession()) session->cache().ReplaceServices(services);
}

void PreloadEntities(const std::string& conversationId, const std::vector<Entity::Data>& entities) {
  auto session = RequireSession();
  if (!session) return;
  FollowRunningStore(*session);
  session->cache().PutEntities(conversationId, entities);
}

// ---- Delivery ---------------------------------------------------------------------

void SetManualPump(bool on) { CorePool::Instance().SetManualPump(on); }
int Pump() { return CorePool::Instance().Pump(); }
bool WaitIdle(int timeoutMs) { return CorePool::Instance().WaitIdle(timeoutMs); }

// ---- Event injection ------------------------------------------------------------------

void InjectMessage(const Message::Data& message) {
  auto session = RequireSession();
  if (!session) return;
  static std::atomic<int> counter{0};
  Message::Data filled = message;
  if (filled.message_id.empty()) filled.message_id = "injected-" + std::to_string(++counter);
  if (filled.timestamp == 0) filled.timestamp = DemoService::Get()->Now();
  std::optional<_NumUnread> unread;
  const bool from_someone_else = filled.sender_type != Message::kUserSender || filled.uid != session->my_uid();
  if (from_someone_else) {
    unread = session->CountsFor(filled.channel_id, session->cache().Unread(filled.channel_id).num_unread + 1);
  }
  session->DeliverIncoming(filled, unread);
}

void InjectUnread(const std::string& conversationId, uint32_t count, uint32_t notify) {
  if (auto session = RequireSession()) session->DeliverUnread(conversationId, {count, notify});
}

void InjectStatus(const std::string& uid, User::Status status) {
  if (auto session = RequireSession()) session->DeliverStatus(uid, status);
}

void InjectConnectionState(int state) {
  if (auto session = RequireSession()) session->DeliverConnectionState(state, session->connection().generation());
}

void InjectMessageFailure(const std::string& text) {
  if (auto session = RequireSession()) session->DeliverFailure(text);
}

void DropConnection(int reconnectAfterMs) {
  if (auto session = RequireSession()) DemoService::Get()->DropConnections(session->my_uid(), reconnectAfterMs);
}

void Outage(bool on) { DemoService::Get()->SetOutage(on); }

void PostAsMember(const Message::Data& message) { DemoService::Get()->PostAs(message); }

}  // namespace mireloom::testing
