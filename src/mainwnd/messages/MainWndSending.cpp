// Sending the chat input to the open conversation, Enter's "return" and the
// send button, and the screen capture that goes to the clipboard.

#include <climits>

#include "app/text/StringTable.h"
#include "app/text/TextHelpers.h"
#include "mainwnd/MainWnd.h"
#include "mainwnd/sessions/SessionEntry.h"
#include "mireloom/ChatManager.h"
#include "mireloom/IMManager.h"
#include "quennet/EventLog.h"
#include "quennet/WinHandles.h"

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

void MainWnd::AddSendingRows(CNotifyTable& table) {
  table.Bind(L"return", nullptr, &MainWnd::OnChatInputReturn);
  table.Bind(L"click", L"send_message_btn", &MainWnd::OnSendClicked);
}

// Only the chat input's own Enter sends: the search field raises "return"
// too. Enter in the input is taken by the window's key handler before the
// input sees it, so the input raises this only when that handler let the
// key through; either way one Enter sends once.
void MainWnd::OnChatInputReturn(TNotifyUI& msg, const std::wstring&) {
  if (ChatInputEdit && msg.pSender == ChatInputEdit) SendChatInput();
}

void MainWnd::OnSendClicked(TNotifyUI&, const std::wstring&) { SendChatInput(); }

void MainWnd::SendChatInput() {
  if (!ChatInputEdit) return;
  const std::wstring text = ChatInputEdit->GetText().GetData();
  // With no conversation open there is nowhere to send to: the text stays.
  if (text.empty() || m_currentSessionId.empty()) return;
  const std::string conversation = m_currentSessionId;
  const bool channel = GetSessionType(conversation) == kSessionChannel;
  const std::string to = channel ? std::string() : PartnerOf(conversation);
  // Sent as typed: blanks and line breaks included.
  const std::string utf8 = WideToUtf8(text);
  ChatInputEdit->SetText(L"");
  std::unique_ptr<mireloom::Message> message = channel
                                                   ? mireloom::Message::TextMessageForChannel(conversation, utf8)
                                                   : mireloom::Message::TextMessageForIM(conversation, to, utf8);
  const UnsentText unsent{conversation, text, IsSendFailedNoticeShown()};
  mireloom::ChatManager::DefaultManager()->SendMessage(
      std::move(message),
      [this, alive = m_lifetime.Token(), unsent](bool ok, std::unique_ptr<mireloom::Message> sent) {
        const std::optional<int64_t> last = ok && sent ? LastMessageTimestamp(sent->ChannelID()) : std::nullopt;
        auto held = std::make_shared<std::unique_ptr<mireloom::Message>>(std::move(sent));
        PostToWindow(alive, this,
                     [this, ok, held, unsent, last] { OnMessageSent(ok, std::move(*held), unsent, last); });
      });
}

void MainWnd::OnMessageSent(bool ok, std::unique_ptr<mireloom::Message> message, const UnsentText& unsent,
                            std::optional<int64_t> lastTimestamp) {
  // A sent message takes the road of an incoming one-to-one message, a
  // channel's too: shown when its conversation is still open, and the list
  // rebuilt either way.
  if (ok && message) {
    // A send that was already on its way when a failure came back says
    // nothing about the text given back; one sent after it does.
    if (unsent.endsNotice) ShowSendFailedNotice(false);
    return OnDirectMessage(*message, lastTimestamp);
  }
  GiveBackUnsentText(unsent);
}

// The input dropped the text when it was sent; a failure gives it back to its
// conversation, into the input when it is open, into its draft otherwise.
void MainWnd::GiveBackUnsentText(const UnsentText& unsent) {
  const char* id = unsent.conversationId.c_str();
  std::wstring& givenBack = m_givenBackTexts[unsent.conversationId];
  if (unsent.conversationId == m_currentSessionId && ChatInputEdit) {
    ChatInputEdit->SetText(PutBack(ChatInputEdit->GetText().GetData(), unsent.text, givenBack).c_str());
    // Whoever types on does so after everything, not ahead of the text given back.
    ChatInputEdit->SetSel(LONG_MAX, LONG_MAX);
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
void MainWnd::ShowSendFailedNotice(bool shown) {
  if (CControlUI* notice = m_PaintManager.FindControl(L"send_failed_notice")) {
    notice->SetText(shown ? LocalizedText("MessageNotSent").c_str() : L"");
  }
}

bool MainWnd::IsSendFailedNoticeShown() {
  const CControlUI* notice = m_PaintManager.FindControl(L"send_failed_notice");
  return notice && !notice->GetText().IsEmpty();
}

void MainWnd::CaptureScreenToClipboard() {
  const int left = GetSystemMetrics(SM_XVIRTUALSCREEN);
  const int top = GetSystemMetrics(SM_YVIRTUALSCREEN);
  const int width = GetSystemMetrics(SM_CXVIRTUALSCREEN);
  const int height = GetSystemMetrics(SM_CYVIRTUALSCREEN);
  const quennet::WindowDc screen(nullptr);
  if (!screen) return;
  const quennet::UniqueMemoryDc memory(CreateCompatibleDC(screen.get()));
  quennet::UniqueBitmap bitmap(CreateCompatibleBitmap(screen.get(), width, height));
  if (!memory || !bitmap) return;
  {
    const quennet::SelectGuard selected(memory.get(), bitmap.get());
    BitBlt(memory.get(), 0, 0, width, height, screen.get(), left, top, SRCCOPY);
  }
  // A clipboard that cannot be opened stays as it was; the bitmap it did not
  // take is deleted by its owner here. Opened for this window: emptied
  // without an owner, the clipboard would refuse the data.
  if (!OpenClipboard(GetHWND())) return;
  EmptyClipboard();
  if (SetClipboardData(CF_BITMAP, bitmap.get())) {
    bitmap.release();  // the clipboard's now
  } else {
    quennet::log_error("The screen capture did not reach the clipboard");
  }
  CloseClipboard();
}

}  // namespace mireloomwnd
