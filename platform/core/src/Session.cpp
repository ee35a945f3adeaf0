#include "Session.h"

#include "CoreState.h"
#include "ImConnection.h"
#include "mireloom/SessionFolder.h"
#include "mireloom/SqlMigrate.h"
#include "Operation.h"
#include "quennet/EventLog.h"
#include "service/DemoService.h"
#include "Text.h"

namespace mireloom {

using detail::RecordCall;
using detail::CallKind;

Session::Session() : m_connection(std::make_shared<detail::ImConnection>()) {}

Session::~Session() { m_connection->Disconnect(); }

std::wstring Session::FolderOf(const User& me, const Team& team, const std::wstring& dataFolder) {
  return detail::JoinPath(detail::JoinPath(dataFolder, detail::Utf8ToWide(team.team_id())),
                          detail::Utf8ToWide(me.uid()));
}

bool MakeSessionFolder(const User& me, const Team& team, const std::string& dataFolder, std::wstring* folder) {
  const std::wstring made = Session::FolderOf(me, team, detail::Cp936ToWide(dataFolder));
  if (folder) *folder = made;
  return detail::MakeFolders(made);
}

bool Session::Init(const User& me, const Team& team, const Token& token, const std::wstring& dataFolder) {
  m_me = me.Clone();
  m_team = team.Clone();
  m_token = token.Clone();
  m_connection->Attach(weak_from_this());
  m_initialised = true;
  const std::wstring folder = FolderOf(me, team, dataFolder);
  if (!detail::MakeFolders(folder)) {
    quennet::log_error("Cannot create the session folder");
    return false;
  }
  return m_cache.Open(detail::JoinPath(folder, L"Cache.db"));
}

void Session::End() {
  if (m_ended.exchange(true)) return;
  m_connection->Disconnect();
  m_cache.Close();
  detail::ReleaseHeldOperations(this);
}

void Session::CloseAfterLogout() {
  m_connection->Disconnect();
  m_cache.Close();
}

std::shared_ptr<service::DemoService> Session::service() const { return detail::EmbeddedService(); }

bool Session::IsMuted(const std::string& conversationId) const {
  if (auto channel = const_cast<detail::SessionCache&>(m_cache).FindChannelData(conversationId)) {
    return channel->is_muted;
  }
  if (auto im = const_cast<detail::SessionCache&>(m_cache).FindIm(conversationId)) return im->is_muted;
  return false;
}

_NumUnread Session::CountsFor(const std::string& conversationId, uint32_t count) const {
  return {count, IsMuted(conversationId) ? 0u : count};
}

void Session::DeliverIncoming(const Message::Data& message, const std::optional<_NumUnread>& unread) {
  if (!m_cache.AddMessage(message, false)) return;  // seen before
  const bool unread_changed = unread && m_cache.SetUnread(message.channel_id, *unread);
  auto self = shared_from_this();
  detail::ListenerHub::Instance().Enqueue([self, message, unread_changed, unread] {
    if (self->ended()) return;
    const Message incoming(message);
    const bool direct = message.channel_type == Message::kDirectMessage;
    detail::MessageHandlers().CallEach([&](MessageHandler& handler) {
      handler.HandleMessage(incoming);
      if (direct) {
        handler.HandleDirectMessage(incoming);
      } else {
        handler.HandleChannelMessage(incoming);
      }
    });
    RecordCall(CallKind::kListener, direct ? "HandleDirectMessage" : "HandleChannelMessage", message.message_id);
    if (unread_changed) {
      detail::UnreadHandlers().CallEach(
          [&](NumUnreadHandler& handler) { handler.OnNumUnreadChanged(message.channel_id, *unread); });
      RecordCall(CallKind::kListener, "OnNumUnreadChanged", message.channel_id);
    }
    // Only now is it the conversation's last message for the client.
    self->cache().MarkDelivered(message.channel_id, message.message_id);
  });
}

void Session::DeliverUnread(const std::string& conversationId, _NumUnread counts) {
  if (!m_cache.SetUnread(conversationId, counts)) return;
  auto self = shared_from_this();
  detail::ListenerHub::Instance().Enqueue([self, conversationId, counts] {
    if (self->ended()) return;
    detail::UnreadHandlers().CallEach(
        [&](NumUnreadHandler& handler) { handler.OnNumUnreadChanged(conversationId, counts); });
    RecordCall(CallKind::kListener, "OnNumUnreadChanged", conversationId);
  });
}

void Session::DeliverStatus(const std::string& uid, int status) {
  if (!m_cache.SetStatus(uid, status)) return;
  auto self = shared_from_this();
  detail::ListenerHub::Instance().Enqueue([self, uid, status] {
    if (self->ended()) return;
    detail::StatusHandlers().CallEach(
        [&](UserStatusHandler& handler) { handler.OnUserStatusChanged(uid, static_cast<User::Status>(status)); });
    RecordCall(CallKind::kListener, "OnUserStatusChanged", uid + " " + std::to_string(status));
  });
}

void Session::DeliverFailure(const std::string& text) {
  auto self = shared_from_this();
  detail::ListenerHub::Instance().Enqueue([self, text] {
    if (self->ended()) return;
    detail::MessageHandlers().CallEach([&](MessageHandler& handler) { handler.HandleMessageFailure(text); });
    RecordCall(CallKind::kListener, "HandleMessageFailure", text);
  });
}

void Session::DeliverConnectionState(int state, int generation) {
  auto self = shared_from_this();
  detail::ListenerHub::Instance().Enqueue([self, state, generation] {
    if (self->ended() || self->connection().generation() != generation) return;
    self->connection_handlers().CallEach(
        [&](ConnectionStateHandler& handler) { handler.OnConnectionStateChanged(state); });
    RecordCall(CallKind::kListener, "OnConnectionStateChanged", std::to_string(state));
  });
}

}  // namespace mireloom
