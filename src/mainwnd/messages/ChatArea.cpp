// The chat area's view: what the window shows of the open conversation, and
// of the messages that arrive or are sent while it is open.

#include "mainwnd/messages/ChatArea.h"

#include "app/ui/ConversationHost.h"
#include "mireloom/ChatManager.h"

namespace mireloomwnd {

using namespace DuiLib;

void CChatArea::Attach(CListUI* view, CRichEditUI* input) {
  m_view.Attach(view);
  m_input = input;
  ChatInputEdit = input;
}

void CChatArea::Detach() {
  if (ChatInputEdit == m_input) ChatInputEdit = nullptr;
  m_input = nullptr;
}

void CChatArea::LoadMessages(const std::string& conversationId, SessionType type) {
  m_conversationId = conversationId;
  m_conversationType = type;
  m_view.Load(conversationId);
}

void CChatArea::ShowDirectMessage(const mireloom::Message& message, std::optional<int64_t> lastTimestamp) {
  if (message.ChannelID() != m_conversationId) return;
  if (!lastTimestamp || !CMessageView::IsSameDay(*lastTimestamp, message.timestamp())) {
    m_view.AddDaySeparator(message.timestamp());
  }
  m_view.Append(message);
  m_view.ScrollToEndSoon();
}

void CChatArea::ShowChannelMessage(const mireloom::Message& message) {
  if (message.ChannelID() != m_conversationId) return;
  m_view.Append(message);
  m_view.ScrollToEndSoon();
}

std::optional<int64_t> CChatArea::LastMessageTimestamp(const std::string& conversationId) {
  const std::unique_ptr<mireloom::Message> last =
      mireloom::ChatManager::DefaultManager()->FetchLastMessageFromCache(conversationId);
  return last ? std::optional<int64_t>(last->timestamp()) : std::nullopt;
}

}  // namespace mireloomwnd
