// The chat area's view: the open conversation the window loaded, and the
// time of a conversation's last message, which decides a day separator.

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

std::optional<int64_t> CChatArea::LastMessageTimestamp(const std::string& conversationId) {
  const std::unique_ptr<mireloom::Message> last =
      mireloom::ChatManager::DefaultManager()->FetchLastMessageFromCache(conversationId);
  return last ? std::optional<int64_t>(last->timestamp()) : std::nullopt;
}

}  // namespace mireloomwnd
