// Sending the chat input to the open conversation, Enter's "return" and the
// send button, and the screen capture that goes to the clipboard.

#include "app/frame/TextHelpers.h"
#include "mainwnd/MainWnd.h"
#include "mainwnd/SessionEntry.h"
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
  mireloom::ChatManager::DefaultManager()->SendMessage(
      std::move(message), [this, alive = m_lifetime.Token(), unsent = UnsentText{conversation, text}](
                              bool ok, std::unique_ptr<mireloom::Message> sent) {
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
  if (ok && message) return OnDirectMessage(*message, lastTimestamp);
  GiveBackUnsentText(unsent);
}

// The input dropped the text when it was sent; a failure gives it back where
// it does not overwrite anything the user typed since.
void MainWnd::GiveBackUnsentText(const UnsentText& unsent) {
  const char* id = unsent.conversationId.c_str();
  if (unsent.conversationId == m_currentSessionId) {
    if (ChatInputEdit && ChatInputEdit->GetText().IsEmpty()) {
      ChatInputEdit->SetText(unsent.text.c_str());
      quennet::log_error("Sending a message to %s failed; its text is back in the input", id);
    } else {
      quennet::log_error("Sending a message to %s failed; the input holds other text, the message is dropped", id);
    }
    return;
  }
  const mireloom::ChatManager* chat = mireloom::ChatManager::DefaultManager();
  const std::unique_ptr<mireloom::Draft> draft = chat->FetchDraftFromCacheByChannelId(unsent.conversationId);
  if (draft && !draft->text().empty()) {
    quennet::log_error("Sending a message to %s failed; it has another draft, the message is dropped", id);
    return;
  }
  chat->SaveDraftToCache(mireloom::Draft(unsent.conversationId, WideToUtf8(unsent.text), CurrentTimeSeconds()));
  quennet::log_error("Sending a message to %s failed; its text is kept as the conversation's draft", id);
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
