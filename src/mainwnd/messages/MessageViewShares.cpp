// Messages that are not texts or cards: notices, shared pictures, files and
// snippets, comments on files, mail notices, and the notice for kinds the
// client does not show. A share names its controls so that a click finds
// what to open (see MessageItemNames.h).

#include "mainwnd/messages/MessageView.h"

#include "app/text/TextHelpers.h"
#include "app/ui/CachedImage.h"
#include "mainwnd/MainWndMessages.h"
#include "mainwnd/messages/MessageControls.h"
#include "mainwnd/messages/MessageLayout.h"
#include "mainwnd/messages/MessageMarkup.h"
#include "mainwnd/messages/ShareTexts.h"
#include "mireloom/Director.h"
#include "mireloom/Entity.h"
#include "quennet/EventLog.h"

namespace mireloomwnd {

using namespace DuiLib;
using namespace messagecontrols;

namespace {

constexpr DWORD kNoticeColor = 0xFFCDC9C9;
constexpr DWORD kShareTitleColor = 0xFFB2B2B2;
constexpr SIZE kPictureRound = {3, 3};
constexpr RECT kPicturePadding = {14, 6, 0, 0};
constexpr int kFileIconSide = 80;
constexpr RECT kFileIconPadding = {5, 6, 0, 0};
constexpr RECT kSnippetIconPadding = {14, 6, 0, 0};
constexpr RECT kMailHeadingPadding = {14, 3, 0, 0};
constexpr DWORD kMailBarColor = 0xFF51BCB6;

const mireloom::Team* CurrentTeam() {
  const mireloom::Director* director = mireloom::Director::DefaultDirector();
  return director ? director->current_team() : nullptr;
}

std::string CurrentTeamId() {
  const mireloom::Team* team = CurrentTeam();
  return team ? team->team_id() : std::string();
}

// The title and the picture of a share lead to the same place.
void NameShareControl(CControlUI* control, const std::wstring& name, const std::string& downloadAddress,
                      const std::wstring& tooltip) {
  control->SetName(name.c_str());
  control->SetUserData(Utf8ToWide(downloadAddress).c_str());
  control->SetToolTip(tooltip.c_str());
}

CButtonUI* AddFileIcon(CContainerUI* column, const std::wstring& image, RECT padding) {
  auto* icon = new CButtonUI;
  column->Add(icon);
  icon->SetFixedWidth(kFileIconSide);
  icon->SetFixedHeight(kFileIconSide);
  icon->SetBorderRound(kPictureRound);
  icon->SetPadding(padding);
  icon->SetNormalImage(image.c_str());
  return icon;
}

// Files and snippets: the title over an icon.
void FollowFileTitle(CListContainerElementUI* item, CTextUI* title) {
  FollowViewWidth(item, [title](int width) { return messageview::FileItemHeight(EstimatedHeight(title, width)); });
}

}  // namespace

void CMessageView::AddNoticeMessage(const mireloom::Message& message) {
  CListContainerElementUI* item = nullptr;
  CVerticalLayoutUI* column = AppendMessageItem(message, &item);
  if (!column) return;
  CTextUI* notice = AddText(column, kMessageFont, messageview::FormatMessageText(message.content()), kTextPadding);
  notice->SetTextColor(kNoticeColor);
  FollowText(item, notice);
}

void CMessageView::AddUnsupportedMessage(const mireloom::Message& message) {
  CListContainerElementUI* item = nullptr;
  CVerticalLayoutUI* column = AppendMessageItem(message, &item);
  if (!column) return;
  FollowText(item, AddText(column, kLinkFont, messageview::kUnsupportedText, kTextPadding, /*markup=*/false));
}

void CMessageView::AddImageMessage(const mireloom::Message& message) {
  mireloom::Entity entity;
  if (!entity.InitWithJsonOrDie(message.entity_json())) return;
  CListContainerElementUI* item = nullptr;
  CVerticalLayoutUI* column = AppendMessageItem(message, &item);
  if (!column) return;
  const messageview::ThumbnailSize size = messageview::ThumbnailSizeOf(entity.thumb_width(), entity.thumb_height());
  const std::string thumbnail = messageview::ThumbnailAddress(entity.path(), entity.file_extension(), size);
  const std::string key = messageview::ThumbnailCacheKey(entity.path(), entity.file_extension());
  const std::string download = messageview::ShareDownloadAddress(entity.entity_id(), CurrentTeamId());
  quennet::log_event("Thumb URL is %s, local path is %s", thumbnail.c_str(), key.c_str());
  const messageview::FormattedText content = messageview::FormatText(message.content());
  const std::wstring name = messageview::ImageItemNameFor(key);
  const std::wstring tooltip = messageview::ShareNamePart(content.plain);

  CTextUI* title =
      AddText(column, kMessageFont, messageview::ShareTitle(download, content.markup), kTextPadding);
  title->SetTextColor(kShareTitleColor);
  NameShareControl(title, name, download, tooltip);
  auto* picture = new CButtonUI;
  column->Add(picture);
  NameShareControl(picture, name, download, tooltip);
  picture->SetBorderRound(kPictureRound);
  picture->SetPadding(kPicturePadding);
  picture->SetFixedHeight(size.height);
  picture->SetFixedWidth(size.width);
  // A size of 0 would let the picture fill the column: an image of unknown
  // size is not drawn.
  picture->SetVisible(size.width > 0 && size.height > 0);
  ShowCachedImage(picture, thumbnail, key,
                  [window = m_window.GetHWND(), picture, alive = picture->GetLifetimeToken(),
                   session = m_conversationId](const std::string& path) {
                    OnChatImageDownloaded(window, picture, alive, session, path);
                  });
  FollowViewWidth(item, [title, thumbnailHeight = size.height](int width) {
    return messageview::ImageItemHeight(EstimatedHeight(title, width), thumbnailHeight);
  });
}

void CMessageView::OnChatImageDownloaded(HWND window, CControlUI* button, std::weak_ptr<void> buttonAlive,
                                    const std::string& sessionId, const std::string& localPath) {
  SendDownloadedImage(window, WM_CHAT_IMAGE_DOWNLOADED, button, std::move(buttonAlive), sessionId, localPath);
}

void CMessageView::AddFileMessage(const mireloom::Message& message) {
  mireloom::Entity entity;
  if (!entity.InitWithJsonOrDie(message.entity_json())) return;
  CListContainerElementUI* item = nullptr;
  CVerticalLayoutUI* column = AppendMessageItem(message, &item);
  if (!column) return;
  const messageview::FormattedText content = messageview::FormatText(message.content());
  const std::string download = messageview::ShareDownloadAddress(entity.entity_id(), CurrentTeamId());
  CTextUI* title = AddText(column, kLinkFont, messageview::ShareTitle(download, content.markup), kTextPadding);
  title->SetTextColor(kShareTitleColor);
  title->SetName(messageview::kFileItemName);
  AddFileIcon(column, messageview::FileIconImage(content.plain), kFileIconPadding);
  FollowFileTitle(item, title);
}

void CMessageView::AddSnippetMessage(const mireloom::Message& message) {
  mireloom::Entity entity;
  if (!entity.InitWithJsonOrDie(message.entity_json())) return;
  CListContainerElementUI* item = nullptr;
  CVerticalLayoutUI* column = AppendMessageItem(message, &item);
  if (!column) return;
  const std::wstring markup = messageview::FormatMessageText(message.content());
  const std::string download = messageview::ShareDownloadAddress(entity.entity_id(), CurrentTeamId());
  CTextUI* title = AddText(column, kLinkFont, messageview::ShareTitle(download, markup), kTextPadding);
  title->SetTextColor(kShareTitleColor);
  title->SetName(messageview::SnippetItemNameFor(entity.entity_id()).c_str());
  AddFileIcon(column, messageview::kSnippetFileIcon, kSnippetIconPadding);
  FollowFileTitle(item, title);
}

void CMessageView::AddCommentMessage(const mireloom::Message& message) {
  // A comment shows even when its file cannot be read.
  mireloom::Entity entity;
  (void)entity.InitWithJsonOrDie(message.entity_json());
  CListContainerElementUI* item = nullptr;
  CVerticalLayoutUI* column = AppendMessageItem(message, &item);
  if (!column) return;
  const std::wstring text =
      messageview::CommentText(messageview::CommentFileAddress(entity.path(), entity.file_extension()),
                               messageview::FormatMessageText(entity.title()),
                               messageview::FormatMessageText(message.content()));
  FollowText(item, AddText(column, kLinkFont, text, kTextPadding));
}

void CMessageView::AddMailMessage(const mireloom::Message& message) {
  mireloom::Entity entity;
  if (!entity.InitWithJsonOrDie(message.entity_json())) return;
  CListContainerElementUI* item = nullptr;
  CVerticalLayoutUI* column = AppendMessageItem(message, &item);
  if (!column) return;
  CTextUI* heading = AddText(column, kLinkFont, messageview::MailHeading(), kMailHeadingPadding);
  const mireloom::Team* team = CurrentTeam();
  const std::string address = messageview::MailAddress(team ? team->team_subdomain() : std::string(), entity.entity_id());
  FollowBarredText(item, heading,
                   AddQuotedText(column, kMailBarColor, messageview::MailBody(address, entity.subject(), entity.from())));
}

}  // namespace mireloomwnd
