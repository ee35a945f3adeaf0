#pragma once

#include <functional>
#include <memory>
#include <string>

#include "mireloom/Team.h"
#include "mireloom/Types.h"
#include "mireloom/User.h"

namespace mireloom {

class ChatManager;
class CommentManager;
class ConnectionStateHandler;
class EntityManager;
class Session;

// The signed-in session: who is signed in to which team, its local cache and
// its instant-messaging connection. The managers act on the default director.
class Director final {
 public:
  Director();
  ~Director();
  Director(const Director&) = delete;
  Director& operator=(const Director&) = delete;

  // Null before the first install. Thread-safe.
  static Director* DefaultDirector();
  // Takes ownership and destroys the previous default director: its connection
  // closes without state calls, its pending completions fail with "session
  // ended", its cache files are closed.
  static void ResetDefaultDirector(Director* director);

  // Opens (or creates) the session's cache under the data folder (code page
  // 936). False when the cache cannot be opened; the session still works.
  bool Init(const User& me, const Team& team, const Token& token, const std::string& dataFolder,
            const std::string& pushToken, const std::string& deviceId, const std::string& apiVersion,
            const std::string& source);

  // Not owned; null until Init.
  [[nodiscard]] const User* me() const;
  [[nodiscard]] const Team* current_team() const;
  [[nodiscard]] IMProtocol im_protocol() const;
  [[nodiscard]] bool HasPermission(Permission::TeamPermission permission) const;
  [[nodiscard]] bool HasPermission(Permission::ChatModulePermission permission) const;

  [[nodiscard]] const ChatManager* chat_manager() const;
  [[nodiscard]] const EntityManager* entity_manager() const;
  [[nodiscard]] const CommentManager* comment_manager() const;

  void AddConnectionStateHandler(ConnectionStateHandler* handler);
  void RemoveConnectionStateHandler(ConnectionStateHandler* handler);

  void GetIMProtocol(std::function<void(bool ok, const std::string& error, IMProtocol protocol)> completion);
  // retrySeconds: how long the connection retries after an interruption before
  // it reports a failure.
  void ConnectToIMServer(IMProtocol protocol, unsigned int retrySeconds, std::function<void(bool ok)> completion);
  // An empty completion is accepted.
  void DisconnectFromIMServer(std::function<void(bool ok)> completion);
  void Logout(std::function<void(bool ok, const std::string& error)> completion);

 private:
  // Shared with the operations in flight, which may outlive the director.
  std::shared_ptr<Session> m_session;
};

}  // namespace mireloom
