// The core library calls the window's listeners on its own thread; each call
// is brought to the window's thread in the order it came, and dropped there
// once the window has gone.

#include "app/ui/UiThread.h"
#include "mainwnd/MainWnd.h"
#include "mainwnd/MainWndMessages.h"
#include "mainwnd/SessionItemNames.h"
#include "mireloom/ChannelManager.h"
#include "mireloom/ChatManager.h"
#include "mireloom/IMManager.h"
#include "mireloom/UserManager.h"
#include "quennet/EventLog.h"

namespace mireloomwnd {

using namespace DuiLib;

void MainWnd::HandleDirectMessage(const mireloom::Message& message) {
  std::shared_ptr<mireloom::Message> copy = message.Clone();
  const std::optional<int64_t> last = LastMessageTimestamp(message.ChannelID());
  RunOnWindowThread([this, copy, last] { OnDirectMessage(*copy, last); });
}

void MainWnd::HandleChannelMessage(const mireloom::Message& message) {
  std::shared_ptr<mireloom::Message> copy = message.Clone();
  RunOnWindowThread([this, copy] { OnChannelMessage(*copy); });
}

void MainWnd::OnNumUnreadChanged(const std::string& conversationId, mireloom::_NumUnread counts) {
  RunOnWindowThread([this, conversationId, counts] { OnUnreadCountChanged(conversationId, counts); });
}

void MainWnd::OnUserStatusChanged(const std::string& uid, mireloom::User::Status status) {
  RunOnWindowThread([this, uid, status] { OnStatusChanged(uid, status); });
}

void MainWnd::OnConnectionStateChanged(int state) {
  RunOnWindowThread([this, state] { ApplyConnectionState(state); });
}

// The core counts a message as the conversation's last only once its
// listeners or its completion have run, so this is the one before it.
std::optional<int64_t> MainWnd::LastMessageTimestamp(const std::string& conversationId) {
  const std::unique_ptr<mireloom::Message> last =
      mireloom::ChatManager::DefaultManager()->FetchLastMessageFromCache(conversationId);
  return last ? std::optional<int64_t>(last->timestamp()) : std::nullopt;
}

void MainWnd::OnDirectMessage(const mireloom::Message& message, std::optional<int64_t> lastTimestamp) {
  quennet::log_event("Recv direct message : %s", message.content().c_str());
  if (message.ChannelID() == m_currentSessionId) {
    if (!lastTimestamp || !IsSameDay(*lastTimestamp, message.timestamp())) AddDaySeparator(message.timestamp());
    AddMessageItem(message);
    ScrollMessagesToEndSoon();
  }
  PostRefreshSessionList();
  if (IsSessionMissing(message.ChannelID())) FetchMissingIm(message.ChannelID());
}

void MainWnd::OnChannelMessage(const mireloom::Message& message) {
  quennet::log_event("Recv channel message %s, channel id is %s, current channel id is %s", message.content().c_str(),
                     message.ChannelID().c_str(), m_currentSessionId.c_str());
  if (message.ChannelID() == m_currentSessionId) {
    AddMessageItem(message);
    ScrollMessagesToEndSoon();
  }
  PostRefreshSessionList();
  if (IsSessionMissing(message.ChannelID())) FetchMissingChannels();
}

void MainWnd::OnUnreadCountChanged(const std::string& conversationId, mireloom::_NumUnread counts) {
  const mireloom::ChatManager* chat = mireloom::ChatManager::DefaultManager();
  // A minimised window counts as visible; one hidden to the tray does not.
  const bool visible = IsWindowVisible(GetHWND()) != FALSE;
  const bool isOpenConversation = conversationId == m_currentSessionId;
  if (isOpenConversation && visible) chat->MarkReadCursorForChannelInCache(conversationId, CurrentTimeSeconds(), false);

  if (chat->NumUnreadInCurrentTeam().num_unread > 0) {
    StartTrayBlink();
    StartTaskbarFlash();
    if (!visible) PlayMessageSound();
  } else {
    StopTrayBlink();
    if (visible && IsIconic(GetHWND())) {
      StartTaskbarFlash();
    } else {
      StopTaskbarFlash();
    }
  }
  if (isOpenConversation) return;
  const SessionKey key{GetSessionType(conversationId), conversationId};
  if (key.type == kSessionNone) return;
  UpdateSessionUnread(key, counts);
  UpdateTotalUnreadBadge();
}

void MainWnd::OnStatusChanged(const std::string& uid, mireloom::User::Status status) {
  if (!mireloom::UserManager::DefaultManager()->FetchUserFromCacheByUid(uid)) return;
  SetStatusIcon(m_PaintManager.FindControl(StatusButtonName(uid).c_str()), status);
}

bool MainWnd::IsSessionMissing(const std::string& id) const { return FindSessionIndex(id) < 0; }

void MainWnd::FetchMissingIm(const std::string& imId) {
  mireloom::IMManager::DefaultManager()->ActiveIM(imId, [this, alive = m_lifetime.Token()](bool ok, const std::string&) {
    if (ok) PostToWindow(alive, this, [this] { FetchImsThenRefresh(); });
  });
}

// Whatever the fetch's outcome, the list is rebuilt from what the cache holds.
void MainWnd::FetchImsThenRefresh() {
  mireloom::IMManager::DefaultManager()->GetIMs(
      [this, alive = m_lifetime.Token()](bool, const std::string&, std::vector<std::unique_ptr<mireloom::IM>>) {
        PostToWindow(alive, this, [this] { PostRefreshSessionList(); });
      });
}

void MainWnd::FetchMissingChannels() {
  mireloom::ChannelManager::DefaultManager()->GetChannels(
      false,
      [this, alive = m_lifetime.Token()](bool, const std::string&, std::vector<std::unique_ptr<mireloom::Channel>>) {
        PostToWindow(alive, this, [this] { PostRefreshSessionList(); });
      });
}

void MainWnd::PostRefreshSessionList() { ::PostMessageW(GetHWND(), WM_REFRESH_SESSION_LIST, 0, 0); }

void MainWnd::ScrollMessagesToEndSoon() { SetTimer(GetHWND(), kScrollToEndTimer, kScrollToEndMs, nullptr); }

}  // namespace mireloomwnd
