#include "mireloom/Director.h"

#include <mutex>

#include "CoreState.h"
#include "ImConnection.h"
#include "ManagerSupport.h"
#include "mireloom/ChatManager.h"
#include "mireloom/EntityManager.h"
#include "mireloom/SqlMigrate.h"
#include "Operation.h"
#include "Text.h"

namespace mireloom {
namespace {

std::mutex& DefaultMutex() {
  static std::mutex* mutex = new std::mutex;
  return *mutex;
}

Director*& DefaultSlot() {
  static Director* director = nullptr;
  return director;
}

bool Has(const std::vector<int>& permissions, int wanted) {
  for (int permission : permissions) {
    if (permission == wanted) return true;
  }
  return false;
}

}  // namespace

using detail::NoResult;
using detail::Outcome;
using detail::RunSessionOperation;

Director::Director() : m_session(std::make_shared<Session>()) {}

Director::~Director() { m_session->End(); }

Director* Director::DefaultDirector() {
  std::lock_guard<std::mutex> lock(DefaultMutex());
  return DefaultSlot();
}

void Director::ResetDefaultDirector(Director* director) {
  Director* previous;
  {
    std::lock_guard<std::mutex> lock(DefaultMutex());
    previous = DefaultSlot();
    if (previous == director) return;
    DefaultSlot() = director;
    detail::SetCurrentSession(director ? director->m_session : nullptr);
  }
  // Outside the lock: ending the session fails its held operations.
  delete previous;
}

bool Director::Init(const User& me, const Team& team, const Token& token, const std::string& dataFolder,
                    const std::string& pushToken, const std::string& deviceId, const std::string& apiVersion,
                    const std::string& source) {
  // Logged whole, so that tests see each argument in its place.
  detail::RecordCall(detail::CallKind::kCall, "Director::Init",
                     me.uid() + "|" + team.team_id() + "|" + token.web_token() + "|" + dataFolder + "|" + pushToken +
                         "|" + deviceId + "|" + apiVersion + "|" + source);
  const std::wstring folder = detail::Cp936ToWide(dataFolder);
  // The data folder may have been emptied since the schema check.
  SqlMigrate meta;
  meta.InitOrDie(dataFolder + "\\");
  return m_session->Init(me, team, token, folder);
}

const User* Director::me() const { return m_session->me(); }
const Team* Director::current_team() const { return m_session->team(); }
IMProtocol Director::im_protocol() const { return static_cast<IMProtocol>(m_session->im_protocol.load()); }

bool Director::HasPermission(Permission::TeamPermission permission) const {
  return m_session->me() && Has(m_session->me()->data().team_permissions, permission);
}

bool Director::HasPermission(Permission::ChatModulePermission permission) const {
  return m_session->me() && Has(m_session->me()->data().chat_module_permissions, permission);
}

const ChatManager* Director::chat_manager() const { return ChatManager::DefaultManager(); }
const EntityManager* Director::entity_manager() const { return EntityManager::DefaultManager(); }
const CommentManager* Director::comment_manager() const { return CommentManager::DefaultManager(); }

void Director::AddConnectionStateHandler(ConnectionStateHandler* handler) {
  m_session->connection_handlers().Add(handler);
}

void Director::RemoveConnectionStateHandler(ConnectionStateHandler* handler) {
  m_session->connection_handlers().Remove(handler);
}

namespace {

// Operations of a director act on its own session, installed or not.
void RunDirectorOperation(const std::shared_ptr<Session>& session, const char* name, std::string arguments,
                          std::function<Outcome()> work, std::function<void(const Outcome&)> finish) {
  detail::RunOperation(name, std::move(arguments), session, true, std::move(work), std::move(finish));
}

}  // namespace

void Director::GetIMProtocol(std::function<void(bool, const std::string&, IMProtocol)> completion) {
  auto session = m_session;
  RunDirectorOperation(
      session, "Director::GetIMProtocol", "",
      [session] {
        Outcome outcome = session->service()->CheckToken(session->api_token());
        if (outcome.ok) session->im_protocol = kIMProtocolSocketIo;
        return outcome;
      },
      [session, completion](const Outcome& outcome) {
        if (completion) completion(outcome.ok, outcome.error, static_cast<IMProtocol>(session->im_protocol.load()));
      });
}

void Director::ConnectToIMServer(IMProtocol protocol, unsigned int retrySeconds, std::function<void(bool)> completion) {
  auto session = m_session;
  RunDirectorOperation(
      session, "Director::ConnectToIMServer", std::to_string(protocol) + " " + std::to_string(retrySeconds),
      [session, retrySeconds] { return session->connection().Connect(retrySeconds); },
      [completion](const Outcome& outcome) {
        if (completion) completion(outcome.ok);
      });
}

void Director::DisconnectFromIMServer(std::function<void(bool)> completion) {
  auto session = m_session;
  // Closing what is not open succeeds: no session needed.
  detail::RunOperation(
      "Director::DisconnectFromIMServer", "", session, false,
      [session] {
        session->connection().Disconnect();
        return Outcome::Success();
      },
      [completion](const Outcome& outcome) {
        if (completion) completion(outcome.ok);
      });
}

void Director::Logout(std::function<void(bool, const std::string&)> completion) {
  auto session = m_session;
  RunDirectorOperation(
      session, "Director::Logout", "",
      [session] {
        Outcome outcome = session->service()->Logout(session->api_token());
        if (outcome.ok) session->CloseAfterLogout();
        return outcome;
      },
      [completion](const Outcome& outcome) {
        if (completion) completion(outcome.ok, outcome.error);
      });
}

}  // namespace mireloom
