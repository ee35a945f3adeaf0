#pragma once

// The main window's message view: the list "chat_display" with the open
// conversation's newest pages, oldest at the top, a day separator before each
// new day, a "load more" button over full pages, and one builder per kind of
// message. The main window's chat area owns one.

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "duilib/UIlib.h"
#include "mireloom/Message.h"

namespace mireloomwnd {

// The pages of 20 messages the view shows of the open conversation: 1 after
// every Load, raised by LoadMore.
extern int MessagePageCount;

class CMessageView final {
 public:
  using MessagePage = std::vector<std::unique_ptr<mireloom::Message>>;

  // The records of thumbnail and avatar downloads, and the scroll timer, go
  // to `window`'s handle.
  explicit CMessageView(DuiLib::CWindowWnd& window) : m_window(window) {}
  CMessageView(const CMessageView&) = delete;
  CMessageView& operator=(const CMessageView&) = delete;

  // The skin's list; without one every operation adds nothing.
  void Attach(DuiLib::CListUI* list) { m_list = list; }

  // Replaces the view with the newest page of the conversation.
  void Load(const std::string& conversationId);
  // One more page of older messages: the view rebuilt from the cache with
  // `MessagePageCount` pages ("load_more", and scrolling to the top).
  void LoadMore();
  // Empties the view; it keeps the conversation it showed.
  void Clear();
  // Only at the very top: the oldest shown message has come into view.
  [[nodiscard]] bool IsScrolledToTop() const;
  // Appends one message at the end of the view; it does not scroll.
  void Append(const mireloom::Message& message);
  void AddDaySeparator(int64_t timestamp);
  [[nodiscard]] static bool IsSameDay(int64_t first, int64_t second);
  // The view scrolls to its end once the window's timer ticks, after the
  // items just added have been laid out.
  void ScrollToEndSoon();
  // The timer's tick.
  void ScrollToEnd();

  // The builders of each kind of message.
  void AddTextMessage(const mireloom::Message& message);
  void AddNoticeMessage(const mireloom::Message& message);
  void AddUnsupportedMessage(const mireloom::Message& message);
  void AddImageMessage(const mireloom::Message& message);
  void AddFileMessage(const mireloom::Message& message);
  void AddSnippetMessage(const mireloom::Message& message);
  void AddCommentMessage(const mireloom::Message& message);
  void AddMailMessage(const mireloom::Message& message);
  void AddAttachmentMessage(const mireloom::Message& message);
  void AddAttachmentField(DuiLib::CContainerUI* container, const mireloom::Attachment::Field& field,
                          int* height = nullptr);
  // The frame of a message: its item with the avatar and the sender line; the
  // content column goes to `column`. None when the sender is not known.
  [[nodiscard]] std::unique_ptr<DuiLib::CListContainerElementUI> AddSenderHeader(
      const mireloom::Message& message, DuiLib::CVerticalLayoutUI** column = nullptr);
  // Completions of the thumbnail and avatar downloads, on whichever thread
  // finished them: they send the record to the window, for a target that may
  // be gone by then.
  static void OnChatImageDownloaded(HWND window, DuiLib::CControlUI* button, std::weak_ptr<void> buttonAlive,
                                    const std::string& sessionId, const std::string& localPath);
  static void OnSenderAvatarDownloaded(HWND window, DuiLib::CControlUI* button, std::weak_ptr<void> buttonAlive,
                                       const std::string& sessionId, const std::string& localPath);

 private:
  // Appends to the emptied view what `pages` pages of messages show: the
  // "load more" button when the pages are full, then the messages with
  // their day separators. Load and LoadMore share it.
  void Fill(const MessagePage& messages, int pages);
  void AddServiceShare(const mireloom::Message& message);
  // The frame appended to the view; its content column, or null when the
  // message shows nothing (no sender, no view).
  DuiLib::CVerticalLayoutUI* AppendMessageItem(const mireloom::Message& message,
                                               DuiLib::CListContainerElementUI** item = nullptr);

  DuiLib::CWindowWnd& m_window;
  DuiLib::CListUI* m_list = nullptr;
  // The conversation Load showed, which is the window's open one (the window
  // loads every conversation it opens): the download records name it, and
  // LoadMore reads its older pages.
  std::string m_conversationId;
};

}  // namespace mireloomwnd
