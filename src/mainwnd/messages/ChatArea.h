#pragma once

// The main window's chat area: the message view of the open conversation,
// the chat input ("chat_input", which ChatInputEdit points to while the area
// has it), sending the input and what a failed send's completion does: its
// text given back with the "not sent" notice. The window owns one; it hears
// of every completion through CChatAreaEvents, and shows a sent message in
// the view as one that arrived.

#include <windows.h>

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "app/ui/UiThread.h"
#include "duilib/UIlib.h"
#include "mainwnd/messages/ChatAreaEvents.h"
#include "mainwnd/messages/MessageView.h"
#include "mainwnd/sessions/SessionEntry.h"
#include "mireloom/Message.h"

namespace mireloomwnd {

class CChatArea final {
 public:
  // What a send needs to give the text back when it fails.
  struct UnsentText {
    std::string conversationId;
    std::wstring text;
    // Sent while the notice of an earlier failure showed: its success ends it.
    bool endsNotice = false;
  };

  // The controls are `paintManager`'s; the view's timer and records and the
  // completions go to `window`.
  CChatArea(DuiLib::CWindowWnd& window, DuiLib::CPaintManagerUI& paintManager, CChatAreaEvents& events)
      : m_window(window), m_paintManager(paintManager), m_events(events), m_view(window) {}
  ~CChatArea() { Detach(); }
  CChatArea(const CChatArea&) = delete;
  CChatArea& operator=(const CChatArea&) = delete;

  // The skin's view and input; ChatInputEdit points to the input from now on.
  void Attach(DuiLib::CListUI* view, DuiLib::CRichEditUI* input);
  // ChatInputEdit is cleared while it is still this area's input.
  void Detach();

  [[nodiscard]] CMessageView& View() { return m_view; }
  // Replaces the view with the conversation's newest page; sends go to it,
  // as to a conversation of that kind.
  void LoadMessages(const std::string& conversationId, SessionType type);
  [[nodiscard]] const std::string& ConversationId() const { return m_conversationId; }

  // The time of the conversation's last message, none when it has none. The
  // core counts a message as the conversation's last only once its listeners
  // or its completion have run, so read there this is the one before it.
  [[nodiscard]] static std::optional<int64_t> LastMessageTimestamp(const std::string& conversationId);

  // ---- The input (ChatSending.cpp)
  void FocusInput();
  // The input's text; the input is empty afterwards.
  [[nodiscard]] std::wstring TakeInputText();
  // A draft into the input, the caret after it; an empty one changes nothing.
  void PutDraft(const std::wstring& text);
  [[nodiscard]] bool HasInputFocus() const;
  [[nodiscard]] bool IsInput(const DuiLib::CControlUI* control) const { return control && control == m_input; }
  // Shift+Enter: a line break at the end, the caret after it.
  void AppendLineBreak();
  // The input's context menu command (copy, cut, paste).
  void RunInputCommand(UINT command);

  // ---- Sending (ChatSending.cpp)
  // Sends the input's text to the open conversation.
  void SendInput();
  void OnMessageSent(bool ok, std::unique_ptr<mireloom::Message> message, const UnsentText& unsent,
                     std::optional<int64_t> lastTimestamp);
  // The line by the send button that says a message was not sent.
  void ShowSendFailedNotice(bool shown);
  [[nodiscard]] bool IsSendFailedNoticeShown() const;

 private:
  void GiveBackUnsentText(const UnsentText& unsent);
  static void ClearStoredDraft(const std::string& conversationId);

  DuiLib::CWindowWnd& m_window;
  DuiLib::CPaintManagerUI& m_paintManager;
  CChatAreaEvents& m_events;
  CMessageView m_view;
  DuiLib::CRichEditUI* m_input = nullptr;
  // The open conversation: the view shows it, sends go to it.
  std::string m_conversationId;
  SessionType m_conversationType = kSessionNone;
  // Per conversation, the texts failed sends gave back at the head of its
  // input or draft, so that the next failure goes after them.
  std::map<std::string, std::wstring> m_givenBackTexts;
  // Last: completions posted for this object are dropped from the start of
  // its destruction on.
  CLifetimeGuard m_lifetime;
};

}  // namespace mireloomwnd
