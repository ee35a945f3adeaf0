// The chat input, sending its text to the open conversation, and what the
// send's completion does: the sent message shown, or its text given back.

#include "mainwnd/messages/ChatArea.h"

#include <climits>

#include "app/text/StringTable.h"
#include "app/text/TextHelpers.h"
#include "mainwnd/MainWndMessages.h"
#include "mainwnd/sessions/SessionEntry.h"
#include "mireloom/ChatManager.h"
#include "mireloom/IMManager.h"
#include "quennet/EventLog.h"

namespace mireloomwnd {

using namespace DuiLib;

namespace {

std::string PartnerOf(const std::string& imId) {
  const std::unique_ptr<mireloom::IM> im = mireloom::IMManager::DefaultManager()->FetchImFromCacheByImId(imId);
  return im ? im->to_uid() : std::string();
}

// `current` with the unsent text put back: after the texts earlier failures
// gave back (`givenBack`, while `current` still begins with them) and ahead
// of what the user typed since, a line break between each. Completions come
// in the order of the sends, so several failures come back in that order.
// `givenBack` then holds everything given back so far.
std::wstring PutBack(const std::wstring& current, const std::wstring& unsent, std::wstring& givenBack) {
  const size_t led = givenBack.size();
  const bool stillLeads = led > 0 && current.compare(0, led, givenBack) == 0 &&
                          (current.size() == led || current[led] == L'\n');
  // What was typed since, with the line break that parts it from what comes back.
  const std::wstring typedSince =
      stillLeads ? current.substr(led) : current.empty() ? std::wstring() : L'\n' + current;
  givenBack = stillLeads ? givenBack + L'\n' + unsent : unsent;
  return givenBack + typedSince;
}

}  // namespace

void CChatArea::FocusInput() {
  if (m_input && !m_input->IsFocused()) m_input->SetFocus();
}

std::wstring CChatArea::TakeInputText() {
  if (!m_input) return {};
  std::wstring text = m_input->GetText().GetData();
  m_input->SetText(L"");
  return text;
}

void CChatArea::PutDraft(const std::wstring& text) {
  if (text.empty() || !m_input) return;
  m_input->SetText(text.c_str());
  // Typing on continues the draft.
  m_input->SetSel(LONG_MAX, LONG_MAX);
}

bool CChatArea::HasInputFocus() const {
  // A key typed into the input is the input's even when the window lost the
  // focus while the key waited in the queue.
  return m_input && (m_input->IsFocused() || DuiLib::CPaintManagerUI::GetRoutedKeyTarget() == m_input);
}

void CChatArea::AppendLineBreak() {
  // A line break at the end of the text, wherever the caret stands. Set as
  // a whole text it would leave the caret at the start, so that typing went
  // on in front of the first line; appended, the caret follows it.
  if (m_input) m_input->AppendText(L"\n");
}

void CChatArea::RunInputCommand(UINT command) {
  if (!m_input) return;
  switch (command) {
    case kCopyCommand: m_input->Copy(); break;
    case kPasteCommand: m_input->Paste(); break;
    case kCutCommand: m_input->Cut(); break;
    default: break;
  }
}

void CChatArea::SendInput() {
  if (!m_input) return;
  const std::wstring text = m_input->GetText().GetData();
  // With no conversation open there is nowhere to send to: the text stays.
  if (text.empty() || m_conversationId.empty()) return;
  const std::string conversation = m_conversationId;
  const bool channel = m_conversationType == kSessionChannel;
  const std::string to = channel ? std::string() : PartnerOf(conversation);
  // Sent as typed: blanks and line breaks included.
  const std::string utf8 = WideToUtf8(text);
  m_input->SetText(L"");
  ClearStoredDraft(conversation);
  std::unique_ptr<mireloom::Message> message = channel
                                                   ? mireloom::Message::TextMessageForChannel(conversation, utf8)
                                                   : mireloom::Message::TextMessageForIM(conversation, to, utf8);
  const UnsentText unsent{conversation, text, IsSendFailedNoticeShown()};
  mireloom::ChatManager::DefaultManager()->SendMessage(
      std::move(message),
      [this, alive = m_lifetime.Token(), unsent](bool ok, std::unique_ptr<mireloom::Message> sent) {
        const std::optional<int64_t> last = ok && sent ? LastMessageTimestamp(sent->ChannelID()) : std::nullopt;
        auto held = std::make_shared<std::unique_ptr<mireloom::Message>>(std::move(sent));
        // `this` is only used on the window's thread, once the token says
        // that the area still lives, and while its window exists.
        CUiThread::Post(alive, [this, ok, held, unsent, last] {
          if (m_window.GetHWND()) OnMessageSent(ok, std::move(*held), unsent, last);
        });
      });
}

void CChatArea::OnMessageSent(bool ok, std::unique_ptr<mireloom::Message> message, const UnsentText& unsent,
                              std::optional<int64_t> lastTimestamp) {
  if (ok && message) {
    // A send that was already on its way when a failure came back says
    // nothing about the text given back; one sent after it does.
    if (unsent.endsNotice) ShowSendFailedNotice(false);
    // The window shows it as it shows a message that arrived.
    return m_events.OnMessageSent(true, message.get(), lastTimestamp);
  }
  GiveBackUnsentText(unsent);
  m_events.OnMessageSent(false, nullptr, std::nullopt);
}

// A draft put into the input stays stored until the conversation is left;
// once the input is sent it is no draft any more, and a program ended before
// the next switch must not bring it back.
void CChatArea::ClearStoredDraft(const std::string& conversationId) {
  const mireloom::ChatManager* chat = mireloom::ChatManager::DefaultManager();
  const std::unique_ptr<mireloom::Draft> draft = chat->FetchDraftFromCacheByChannelId(conversationId);
  if (draft && !draft->text().empty()) chat->SaveDraftToCache(mireloom::Draft(conversationId, "", CurrentTimeSeconds()));
}

// The input dropped the text when it was sent; a failure gives it back to its
// conversation, into the input when it is open, into its draft otherwise.
void CChatArea::GiveBackUnsentText(const UnsentText& unsent) {
  const char* id = unsent.conversationId.c_str();
  std::wstring& givenBack = m_givenBackTexts[unsent.conversationId];
  if (unsent.conversationId == m_conversationId && m_input) {
    m_input->SetText(PutBack(m_input->GetText().GetData(), unsent.text, givenBack).c_str());
    // Whoever types on does so after everything, not ahead of the text given back.
    m_input->SetSel(LONG_MAX, LONG_MAX);
    quennet::log_error("Sending a message to %s failed; its text is back in the input", id);
  } else {
    const mireloom::ChatManager* chat = mireloom::ChatManager::DefaultManager();
    const std::unique_ptr<mireloom::Draft> draft = chat->FetchDraftFromCacheByChannelId(unsent.conversationId);
    const std::wstring text = PutBack(draft ? Utf8ToWide(draft->text()) : std::wstring(), unsent.text, givenBack);
    chat->SaveDraftToCache(mireloom::Draft(unsent.conversationId, WideToUtf8(text), CurrentTimeSeconds()));
    quennet::log_error("Sending a message to %s failed; its text is kept in the conversation's draft", id);
  }
  ShowSendFailedNotice(true);
}

// The notice fills the room left of the send button; without its text it
// shows nothing.
void CChatArea::ShowSendFailedNotice(bool shown) {
  if (CControlUI* notice = m_paintManager.FindControl(L"send_failed_notice")) {
    notice->SetText(shown ? LocalizedText("MessageNotSent").c_str() : L"");
  }
}

bool CChatArea::IsSendFailedNoticeShown() const {
  const CControlUI* notice = m_paintManager.FindControl(L"send_failed_notice");
  return notice && !notice->GetText().IsEmpty();
}

}  // namespace mireloomwnd
