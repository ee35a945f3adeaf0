// The message view: the newest pages of the open conversation, oldest at the
// top, a day separator before each new day, and the frame every message item
// shares: the sender's avatar and, beside it, a column that starts with the
// sender's name and the time. The builders of each kind of message are in
// MessageViewText.cpp, MessageViewShares.cpp and MessageViewCards.cpp.

#include "mainwnd/messages/MessageView.h"

#include <algorithm>
#include <optional>

#include "app/storage/UserFolders.h"
#include "app/ui/MemberAvatar.h"
#include "mainwnd/MainWndMessages.h"
#include "mainwnd/messages/MessageControls.h"
#include "mainwnd/messages/MessageLayout.h"
#include "mainwnd/messages/MessageSender.h"
#include "mainwnd/messages/MessageTimes.h"
#include "mireloom/ChatManager.h"

namespace mireloomwnd {

using namespace DuiLib;
using messagecontrols::kAvatarPadding;
using messagecontrols::kAvatarSide;
using messagecontrols::kSenderFont;
using messagecontrols::LetGrowTall;

int MessagePageCount = 0;

namespace {

constexpr SIZE kAvatarRound = {6, 6};
constexpr DWORD kSenderColor = 0xFF949494;
constexpr RECT kSenderPadding = {14, -1, 0, 0};

CMemberAvatarUI* MakeAvatar(CMemberAvatarUI::LookUp lookUp) {
  auto* avatar = new CMemberAvatarUI(std::move(lookUp));
  avatar->SetFixedWidth(kAvatarSide);
  avatar->SetFixedHeight(kAvatarSide);
  avatar->SetBorderRound(kAvatarRound);
  avatar->SetPadding(kAvatarPadding);
  avatar->SetMouseEnabled(false);
  return avatar;
}

CLabelUI* MakeSenderLine(const std::wstring& line) {
  auto* label = new CLabelUI;
  label->SetFont(kSenderFont);
  label->SetText(line.c_str());
  label->SetTextColor(kSenderColor);
  label->SetPadding(kSenderPadding);
  label->SetShowHtml(true);
  return label;
}

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

void CMessageView::Load(const std::string& conversationId) {
  m_conversationId = conversationId;
  MessagePageCount = 1;
  const MessagePage messages = mireloom::ChatManager::DefaultManager()->FetchMessagesFromCache(
      conversationId, 0, messageview::kNewestTimestamp, messageview::kMessagePageSize, nullptr, nullptr, false);
  Clear();
  Fill(messages, MessagePageCount);
  ScrollToEndSoon();
}

void CMessageView::LoadMore() {
  ++MessagePageCount;
  const MessagePage messages = mireloom::ChatManager::DefaultManager()->FetchMessagesFromCache(
      m_conversationId, 0, messageview::kNewestTimestamp, messageview::kMessagePageSize * MessagePageCount, nullptr,
      nullptr, false);
  // The whole view is rebuilt, the clicked button with it; the scroll
  // position stays where it was.
  Clear();
  Fill(messages, MessagePageCount);
}

void CMessageView::Clear() {
  if (m_list) m_list->RemoveAll();
}

bool CMessageView::IsScrolledToTop() const {
  if (!m_list) return false;
  const SIZE position = m_list->GetScrollPos();
  return position.cx == 0 && position.cy == 0;
}

void CMessageView::ScrollToEndSoon() { SetTimer(m_window.GetHWND(), kScrollToEndTimer, kScrollToEndMs, nullptr); }

void CMessageView::ScrollToEnd() {
  KillTimer(m_window.GetHWND(), kScrollToEndTimer);
  if (m_list) m_list->EndDown();
}

void CMessageView::Fill(const MessagePage& messages, int pages) {
  // Each sender's avatar looks its cached file up under the Documents folder;
  // asked once for the page, not once per message.
  const DocumentsFolderSnapshot cacheFolder;
  if (m_list && messageview::NeedsLoadMoreButton(messages.size(), pages)) AddLoadMoreButton(m_list);
  for (size_t i = 0; i < messages.size(); ++i) {
    const int64_t timestamp = messages[i]->timestamp();
    if (i == 0 || !IsSameDay(timestamp, messages[i - 1]->timestamp())) AddDaySeparator(timestamp);
    Append(*messages[i]);
  }
}

void CMessageView::Append(const mireloom::Message& message) { messageview::RouteToBuilder(*this, message); }

bool CMessageView::IsSameDay(int64_t first, int64_t second) { return messageview::IsSameDay(first, second); }

void CMessageView::AddDaySeparator(int64_t timestamp) {
  if (!m_list) return;
  auto* separator = new CButtonUI;
  separator->SetAttribute(L"align", L"center");
  separator->SetFixedHeight(kSeparatorHeight);
  separator->SetFixedWidth(kSeparatorWidth);
  separator->SetShowHtml(true);
  separator->SetText(messageview::DaySeparatorText(timestamp).c_str());
  separator->SetTextColor(kSeparatorColor);
  separator->SetMouseEnabled(false);
  m_list->Add(separator);
}

std::unique_ptr<CListContainerElementUI> CMessageView::AddSenderHeader(const mireloom::Message& message,
                                                                      CVerticalLayoutUI** column) {
  const std::optional<messageview::MessageSender> sender = messageview::FindMessageSender(message);
  if (!sender) return nullptr;
  auto item = std::make_unique<CListContainerElementUI>();
  auto* row = new CHorizontalLayoutUI;
  // The record names the conversation the item was built for, which is the
  // one shown while the item lives. The picture is looked up once the item is seen.
  CMemberAvatarUI* avatar = MakeAvatar([window = m_window.GetHWND(), session = m_conversationId,
                                        picture = AvatarPicture{sender->avatar_address, sender->avatar_key}](
                                           CMemberAvatarUI& shown) {
    ShowMemberAvatar(&shown, picture,
                     [window, button = &shown, alive = shown.GetLifetimeToken(), session](const std::string& path) {
                       OnSenderAvatarDownloaded(window, button, alive, session, path);
                     });
  });
  auto* content = new CVerticalLayoutUI;
  content->Add(MakeSenderLine(messageview::SenderLineText(sender->name, message.timestamp())));
  row->Add(avatar);
  row->Add(content);
  item->Add(row);
  LetGrowTall(row);
  LetGrowTall(content);

  if (column) *column = content;
  return item;
}

CVerticalLayoutUI* CMessageView::AppendMessageItem(const mireloom::Message& message,
                                                   CListContainerElementUI** item) {
  CVerticalLayoutUI* column = nullptr;
  std::unique_ptr<CListContainerElementUI> frame = AddSenderHeader(message, &column);
  if (!frame || !m_list) return nullptr;
  if (item) *item = frame.get();
  // Added before it is filled, so that its texts measure in the window's fonts.
  m_list->Add(frame.release());
  return column;
}

void CMessageView::OnSenderAvatarDownloaded(HWND window, CControlUI* button, std::weak_ptr<void> buttonAlive,
                                            const std::string& sessionId, const std::string& localPath) {
  SendDownloadedImage(window, WM_SENDER_AVATAR_DOWNLOADED, button, std::move(buttonAlive), sessionId, localPath);
}

}  // namespace mireloomwnd
