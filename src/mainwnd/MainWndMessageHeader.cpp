// The frame every message item shares: the sender's avatar and, beside it,
// a column that starts with the sender's name and the time. Also the readers
// that tell a click what a message control leads to.

#include "app/ui/CachedImage.h"
#include "mainwnd/MainWnd.h"
#include "mainwnd/MainWndMessages.h"
#include "mainwnd/MessageControls.h"
#include "mainwnd/MessageItemNames.h"
#include "mainwnd/MessageMarkup.h"
#include "mainwnd/MessageSender.h"
#include "mainwnd/MessageTimes.h"

namespace mireloomwnd {

using namespace DuiLib;
using messagecontrols::kAvatarPadding;
using messagecontrols::kAvatarSide;
using messagecontrols::kSenderFont;
using messagecontrols::LetGrowTall;

namespace {

constexpr SIZE kAvatarRound = {6, 6};
constexpr DWORD kSenderColor = 0xFF949494;
constexpr RECT kSenderPadding = {14, -1, 0, 0};

CButtonUI* MakeAvatar() {
  auto* avatar = new CButtonUI;
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

}  // namespace

std::unique_ptr<CListContainerElementUI> MainWnd::AddSenderHeader(const mireloom::Message& message,
                                                                 CVerticalLayoutUI** column) {
  const std::optional<messageview::MessageSender> sender = messageview::FindMessageSender(message);
  if (!sender) return nullptr;
  auto item = std::make_unique<CListContainerElementUI>();
  auto* row = new CHorizontalLayoutUI;
  CButtonUI* avatar = MakeAvatar();
  auto* content = new CVerticalLayoutUI;
  content->Add(MakeSenderLine(messageview::SenderLineText(sender->name, message.timestamp())));
  row->Add(avatar);
  row->Add(content);
  item->Add(row);
  LetGrowTall(row);
  LetGrowTall(content);

  // The record names the conversation the item was built for, which is the
  // one shown while the item lives.
  ShowCachedImage(avatar, sender->avatar_address, sender->avatar_key,
                  [window = GetHWND(), avatar, alive = avatar->GetLifetimeToken(),
                   session = m_currentSessionId](const std::string& path) {
                    OnSenderAvatarDownloaded(window, avatar, alive, session, path);
                  });
  if (column) *column = content;
  return item;
}

CVerticalLayoutUI* MainWnd::AppendMessageItem(const mireloom::Message& message, CListContainerElementUI** item) {
  CVerticalLayoutUI* column = nullptr;
  std::unique_ptr<CListContainerElementUI> frame = AddSenderHeader(message, &column);
  if (!frame || !m_chatDisplay) return nullptr;
  if (item) *item = frame.get();
  // Added before it is filled, so that its texts measure in the window's fonts.
  m_chatDisplay->Add(frame.release());
  return column;
}

void MainWnd::OnSenderAvatarDownloaded(HWND window, CControlUI* button, std::weak_ptr<void> buttonAlive,
                                       const std::string& sessionId, const std::string& localPath) {
  SendDownloadedImage(window, WM_SENDER_AVATAR_DOWNLOADED, button, std::move(buttonAlive), sessionId, localPath);
}

int MainWnd::OnMessageLinkClicked(const std::wstring& linkText, std::wstring* value) {
  return messageview::ReadMessageLink(linkText, value);
}

bool MainWnd::ImageItemName(const std::wstring& name, std::string* key) {
  return messageview::ImageItemName(name, key);
}

bool MainWnd::SnippetItemName(const std::wstring& name, std::string* entityId) {
  return messageview::SnippetItemName(name, entityId);
}

bool MainWnd::FileItemName(const std::wstring& name) { return messageview::FileItemName(name); }

bool MainWnd::SplitItemName(const std::wstring& name, std::string* first, std::string* second) {
  return messageview::SplitItemName(name, first, second);
}

}  // namespace mireloomwnd
