#pragma once

// Everything of one signed-in session: who, which team, the credentials, the
// cache, the instant-messaging connection and the connection listeners.
// Shared by the director and the operations in flight, so that replacing the
// director never pulls it away from under them.

#include <atomic>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "ListenerHub.h"
#include "mireloom/Handlers.h"
#include "mireloom/Team.h"
#include "mireloom/User.h"
#include "SessionCache.h"

namespace mireloom::service {
class DemoService;
}

namespace mireloom {

namespace detail {
class ImConnection;
}

class Session final : public std::enable_shared_from_this<Session> {
 public:
  Session();
  ~Session();
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  // The session's own folder, "<data folder>\<team id>\<uid>".
  [[nodiscard]] static std::wstring FolderOf(const User& me, const Team& team, const std::wstring& dataFolder);

  // Opens the cache "<folder>\<team id>\<uid>\Cache.db"; false when it cannot.
  bool Init(const User& me, const Team& team, const Token& token, const std::wstring& dataFolder);
  [[nodiscard]] bool initialised() const { return m_initialised; }
  [[nodiscard]] bool ended() const { return m_ended; }
  // The director was destroyed: nothing of the session is heard of again.
  void End();
  // The token was revoked: the cache is closed, the connection too.
  void CloseAfterLogout();

  // Null before Init.
  [[nodiscard]] const User* me() const { return m_me.get(); }
  [[nodiscard]] const Team* team() const { return m_team.get(); }
  [[nodiscard]] const Token* token() const { return m_token.get(); }
  [[nodiscard]] std::string api_token() const { return m_token ? m_token->api_token() : std::string(); }
  [[nodiscard]] std::string my_uid() const { return m_me ? m_me->uid() : std::string(); }
  [[nodiscard]] std::shared_ptr<service::DemoService> service() const;

  [[nodiscard]] detail::SessionCache& cache() { return m_cache; }
  [[nodiscard]] detail::ImConnection& connection() { return *m_connection; }
  [[nodiscard]] detail::Listeners<ConnectionStateHandler>& connection_handlers() { return m_connection_handlers; }
  std::atomic<int> im_protocol{kIMProtocolSocketIo};

  // Stores an incoming message and queues its listener calls; then, when the
  // counts changed, the conversation's unread call.
  void DeliverIncoming(const Message::Data& message, const std::optional<_NumUnread>& unread);
  void DeliverUnread(const std::string& conversationId, _NumUnread counts);
  void DeliverStatus(const std::string& uid, int status);
  void DeliverFailure(const std::string& text);
  // Skipped when the connection was closed (generation changed) before its turn.
  void DeliverConnectionState(int state, int generation);

  // The conversation's counts with its mute flag applied to the second number.
  [[nodiscard]] _NumUnread CountsFor(const std::string& conversationId, uint32_t count) const;
  [[nodiscard]] bool IsMuted(const std::string& conversationId) const;

 private:
  std::atomic<bool> m_initialised{false};
  std::atomic<bool> m_ended{false};
  std::unique_ptr<User> m_me;
  std::unique_ptr<Team> m_team;
  std::unique_ptr<Token> m_token;
  detail::SessionCache m_cache;
  detail::Listeners<ConnectionStateHandler> m_connection_handlers;
  std::shared_ptr<detail::ImConnection> m_connection;
};

}  // namespace mireloom
