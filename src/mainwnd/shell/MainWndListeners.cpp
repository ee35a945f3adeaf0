// The core library calls the window's listeners on its own thread; each call
// is brought to the window's thread in the order it came, and dropped there
// once the window has gone. A message this window sent comes the same road
// from the chat area's completion; both are shown through the message view's
// operations below.

#include "app/ui/UiThread.h"
#include "mainwnd/MainWnd.h"
#include "mainwnd/MainWndMessages.h"
#include "mainwnd/messages/ChatArea.h"
#include "mainwnd/messages/MessageLayout.h"
#include "mainwnd/sessions/SessionList.h"
#include "mainwnd/shell/TrayAttention.h"
#include "mireloom/ChannelManager.h"
#include "mireloom/ChatManager.h"
#include "mireloom/IMManager.h"
#include "mireloom/UserManager.h"
#include "quennet/EventLog.h"

namespace mireloomwnd {

using namespace DuiLib;

void MainWnd::PostToWindow(std::weak_ptr<void> alive, MainWnd* window, std::function<void()> task) {
  // `window` is only dereferenced on the window's thread, once the token says
  // that the object still lives.
  CUiThread::Post(std::move(alive), [window, task = std::move(task)] {
    if (window->GetHWND()) task();
  });
}

void MainWnd::RunOnWindowThread(std::function<void()> task) { PostToWindow(m_lifetime.Token(), this, std::move(task)); }

void MainWnd::HandleDirectMessage(const mireloom::Message& message) {
  std::shared_ptr<mireloom::Message> copy = message.Clone();
  const std::optional<int64_t> last = CChatArea::LastMessageTimestamp(message.ChannelID());
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
  RunOnWindowThread([this, state] { m_attention->ApplyConnectionState(state); });
}

void MainWnd::OnDirectMessage(const mireloom::Message& message, std::optional<int64_t> lastTimestamp) {
  quennet::log_event("Recv direct message : %s", message.content().c_str());
  if (message.ChannelID() == m_chat->ConversationId()) {
    // A day separator first when the message begins a new day.
    if (!lastTimestamp || !IsSameDay(*lastTimestamp, message.timestamp())) AddDaySeparator(message.timestamp());
    AddMessageItem(message);
    ScrollMessagesToEndSoon();
  }
  NoteSessionMessage(message, kSessionIm);
}

void MainWnd::OnChannelMessage(const mireloom::Message& message) {
  quennet::log_event("Recv channel message %s, channel id is %s, current channel id is %s", message.content().c_str(),
                     message.ChannelID().c_str(), CurrentSessionId().c_str());
  // A channel's message gets no day separator.
  if (message.ChannelID() == m_chat->ConversationId()) {
    AddMessageItem(message);
    ScrollMessagesToEndSoon();
  }
  NoteSessionMessage(message, kSessionChannel);
}

// A sent message, a channel's too, takes the road of an incoming one-to-one
// message. A failed send's text is already back with the chat area.
void MainWnd::OnMessageSent(bool ok, const mireloom::Message* message, std::optional<int64_t> lastTimestamp) {
  if (ok && message) OnDirectMessage(*message, lastTimestamp);
}

// What shows a new message: the window routes it to its builder, and the
// chat area's view does the work.

void MainWnd::AddMessageItem(const mireloom::Message& message) { messageview::RouteToBuilder(*this, message); }

void MainWnd::AddTextMessage(const mireloom::Message& message) { m_chat->View().AddTextMessage(message); }

void MainWnd::AddNoticeMessage(const mireloom::Message& message) { m_chat->View().AddNoticeMessage(message); }

void MainWnd::AddUnsupportedMessage(const mireloom::Message& message) {
  m_chat->View().AddUnsupportedMessage(message);
}

void MainWnd::AddImageMessage(const mireloom::Message& message) { m_chat->View().AddImageMessage(message); }

void MainWnd::AddFileMessage(const mireloom::Message& message) { m_chat->View().AddFileMessage(message); }

void MainWnd::AddSnippetMessage(const mireloom::Message& message) { m_chat->View().AddSnippetMessage(message); }

void MainWnd::AddCommentMessage(const mireloom::Message& message) { m_chat->View().AddCommentMessage(message); }

void MainWnd::AddMailMessage(const mireloom::Message& message) { m_chat->View().AddMailMessage(message); }

void MainWnd::AddAttachmentMessage(const mireloom::Message& message) { m_chat->View().AddAttachmentMessage(message); }

bool MainWnd::IsSameDay(int64_t first, int64_t second) { return CMessageView::IsSameDay(first, second); }

void MainWnd::AddDaySeparator(int64_t timestamp) { m_chat->View().AddDaySeparator(timestamp); }

void MainWnd::ScrollMessagesToEndSoon() { m_chat->View().ScrollToEndSoon(); }

// Every message, received or sent, moves its conversation's row when the
// posted refresh comes; a conversation the list lacks is fetched first, as
// the road the message came by says.
void MainWnd::NoteSessionMessage(const mireloom::Message& message, SessionType road) {
  m_sessionList->NoteMessage(message.ChannelID(), message.timestamp());
  PostRefreshSessionList();
  if (!IsSessionMissing(message.ChannelID())) return;
  if (road == kSessionIm) {
    FetchMissingIm(message.ChannelID());
  } else {
    FetchMissingChannels();
  }
}

void MainWnd::OnUnreadCountChanged(const std::string& conversationId, mireloom::_NumUnread counts) {
  const mireloom::ChatManager* chat = mireloom::ChatManager::DefaultManager();
  // A minimised window counts as visible; one hidden to the tray does not.
  const bool visible = IsWindowVisible(GetHWND()) != FALSE;
  const bool isOpenConversation = conversationId == CurrentSessionId();
  if (isOpenConversation && visible) chat->MarkReadCursorForChannelInCache(conversationId, CurrentTimeSeconds(), false);

  // Read once: the core counts over every conversation of the team.
  const int total = static_cast<int>(chat->NumUnreadInCurrentTeam().num_unread);
  if (total > 0) {
    StartTrayBlink();
    StartTaskbarFlash();
    if (!visible) m_attention->PlayMessageSound();
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
  SetUnreadBadge(m_PaintManager.FindControl(L"total_unread_num_btn"), total);
}

// The attention signals are the tray's (m_attention); the window's own
// roads start and stop them through these.
void MainWnd::StartNetworkTimer() { m_attention->StartNetworkTimer(); }

void MainWnd::OnNetworkStateChecked(bool online) { m_attention->OnNetworkStateChecked(online); }

void MainWnd::StartTrayBlink() { m_attention->StartBlink(); }

void MainWnd::StopTrayBlink() { m_attention->StopBlink(); }

void MainWnd::ToggleTrayIcon() { m_attention->ToggleIcon(); }

void MainWnd::StartTaskbarFlash() { m_attention->StartTaskbarFlash(); }

void MainWnd::StopTaskbarFlash() { m_attention->StopTaskbarFlash(); }

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

void MainWnd::FetchImsThenRefresh() {
  mireloom::IMManager::DefaultManager()->GetIMs(
      [this, alive = m_lifetime.Token()](bool, const std::string&, std::vector<std::unique_ptr<mireloom::IM>>) {
        PostToWindow(alive, this, [this] { OnMissingSessionsFetched(); });
      });
}

void MainWnd::FetchMissingChannels() {
  mireloom::ChannelManager::DefaultManager()->GetChannels(
      false,
      [this, alive = m_lifetime.Token()](bool, const std::string&, std::vector<std::unique_ptr<mireloom::Channel>>) {
        PostToWindow(alive, this, [this] { OnMissingSessionsFetched(); });
      });
}

// Whatever the fetch's outcome, the list takes in what the cache holds now.
void MainWnd::OnMissingSessionsFetched() {
  m_sessionList->NoteCacheChanged();
  PostRefreshSessionList();
}

void MainWnd::PostRefreshSessionList() { ::PostMessageW(GetHWND(), WM_REFRESH_SESSION_LIST, 0, 0); }

}  // namespace mireloomwnd
