// The message view: the newest page of the open conversation, oldest at the
// top, a day separator before each new day, and the builder of each
// message's kind.

#include <algorithm>

#include "app/storage/UserFolders.h"
#include "mainwnd/MainWnd.h"
#include "mainwnd/MessageLayout.h"
#include "mainwnd/MessageTimes.h"
#include "mireloom/ChatManager.h"

namespace mireloomwnd {

using namespace DuiLib;

int MessagePageCount = 0;

namespace {

constexpr DWORD kLoadMoreColor = 0xFF4BBCB7;
constexpr int kLoadMoreWidth = 40;
constexpr int kLoadMoreHeight = 20;
constexpr DWORD kSeparatorColor = 0xFFB2B2B2;
constexpr int kSeparatorWidth = 400;
constexpr int kSeparatorHeight = 20;

void AddLoadMoreButton(CListUI* view) {
  auto* button = new CButtonUI;
  view->Add(button);
  button->SetName(L"load_more");
  button->SetText(messageview::kLoadMoreText);
  button->SetTextColor(kLoadMoreColor);
  button->SetFixedHeight(kLoadMoreHeight);
  // At least 40 wide, and as wide as its text in the view's font: 40 alone
  // would cut the text to two of its six characters.
  button->SetAutoCalcWidth(true);
  button->SetFixedWidth(std::max(kLoadMoreWidth, static_cast<int>(button->EstimateSize({0, 0}).cx)));
}

}  // namespace

void MainWnd::LoadMessages(const std::string& id) {
  MessagePageCount = 1;
  const MessagePage messages = mireloom::ChatManager::DefaultManager()->FetchMessagesFromCache(
      id, 0, messageview::kNewestTimestamp, messageview::kMessagePageSize, nullptr, nullptr, false);
  if (m_chatDisplay) m_chatDisplay->RemoveAll();
  FillMessageView(messages, MessagePageCount);
  ScrollMessagesToEndSoon();
}

void MainWnd::FillMessageView(const MessagePage& messages, int pages) {
  // Each sender's avatar looks its cached file up under the Documents folder;
  // asked once for the page, not once per message.
  const DocumentsFolderSnapshot cacheFolder;
  if (m_chatDisplay && messageview::NeedsLoadMoreButton(messages.size(), pages)) {
    AddLoadMoreButton(m_chatDisplay);
  }
  for (size_t i = 0; i < messages.size(); ++i) {
    const int64_t timestamp = messages[i]->timestamp();
    if (i == 0 || !IsSameDay(timestamp, messages[i - 1]->timestamp())) AddDaySeparator(timestamp);
    AddMessageItem(*messages[i]);
  }
}

void MainWnd::AddMessageItem(const mireloom::Message& message) {
  using messageview::MessageBuilder;
  switch (messageview::BuilderForContentType(message.content_type())) {
    case MessageBuilder::kText: return AddTextMessage(message);
    case MessageBuilder::kNotice: return AddNoticeMessage(message);
    case MessageBuilder::kImage: return AddImageMessage(message);
    case MessageBuilder::kFile: return AddFileMessage(message);
    case MessageBuilder::kSnippet: return AddSnippetMessage(message);
    case MessageBuilder::kMail: return AddMailMessage(message);
    case MessageBuilder::kComment: return AddCommentMessage(message);
    case MessageBuilder::kAttachment: return AddAttachmentMessage(message);
    case MessageBuilder::kUnsupported: return AddUnsupportedMessage(message);
  }
}

bool MainWnd::IsSameDay(int64_t first, int64_t second) { return messageview::IsSameDay(first, second); }

void MainWnd::AddDaySeparator(int64_t timestamp) {
  if (!m_chatDisplay) return;
  auto* separator = new CButtonUI;
  separator->SetAttribute(L"align", L"center");
  separator->SetFixedHeight(kSeparatorHeight);
  separator->SetFixedWidth(kSeparatorWidth);
  separator->SetShowHtml(true);
  separator->SetText(messageview::DaySeparatorText(timestamp).c_str());
  separator->SetTextColor(kSeparatorColor);
  separator->SetMouseEnabled(false);
  m_chatDisplay->Add(separator);
}

}  // namespace mireloomwnd
