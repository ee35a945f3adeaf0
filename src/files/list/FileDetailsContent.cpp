// What the file details show once the entity has arrived: the file's
// particulars, its preview by kind, and its comments.

#include "app/text/ServiceConstants.h"
#include "app/text/StringTable.h"
#include "app/text/TextHelpers.h"
#include "app/ui/CachedImage.h"
#include "app/ui/MemberAvatar.h"
#include "app/ui/SkinControls.h"
#include "app/ui/WindowConventions.h"
#include "files/FileAddresses.h"
#include "files/FilesMessages.h"
#include "files/FileTexts.h"
#include "files/list/FileDetailsWnd.h"
#include "files/list/ThumbnailBoxes.h"
#include "mireloom/Director.h"
#include "mireloom/Entity.h"
#include "mireloom/UserManager.h"

namespace mireloomwnd {

using namespace DuiLib;

namespace {

constexpr char kSizeGap[] = "    ";

std::unique_ptr<mireloom::User> CachedUser(const std::string& uid) {
  return mireloom::UserManager::DefaultManager()->FetchUserFromCacheByUid(uid);
}

}  // namespace

void FileDetailsWnd::ShowEntityDetails(std::unique_ptr<mireloom::Entity> entity) {
  if (!entity) return;  // the panel keeps the skin's own content
  const mireloom::Director* director = mireloom::Director::DefaultDirector();
  const mireloom::Team* team = director ? director->current_team() : nullptr;
  m_downloadAddress = files::DownloadAddress(entity->entity_id(), team ? team->team_id() : std::string());
  ShowCreator(entity->creator_uid());
  const std::wstring title = Utf8ToWide(entity->title());
  if (m_fileNameLabel) {
    m_fileNameLabel->SetText(title.c_str());
    m_fileNameLabel->SetToolTip(title.c_str());
  }
  if (m_createTimeLabel) {
    m_createTimeLabel->SetText(files::FileTimeText(entity->created_at()).c_str());
  }
  const std::string sizeText = FormatFileSize(entity->file_size());
  switch (entity->entity_type()) {
    case mireloom::Entity::kImage:
      ShowImagePreview(*entity, sizeText);
      break;
    case mireloom::Entity::kDocument:
      ShowTextPreview(*entity, sizeText + kSizeGap, L"file_type/file_type_document.png");
      break;
    case mireloom::Entity::kSnippet:
      ShowTextPreview(*entity, sizeText + kSizeGap + entity->snippet_type(), L"file_type/file_type_snippet.png");
      break;
    default:
      ShowFilePreview(*entity, sizeText);
      break;
  }
  m_commentCount = static_cast<int>(entity->comments().size());
  ShowCommentCount();
  for (const auto& comment : entity->comments()) AppendCommentRow(*comment);
}

void FileDetailsWnd::ShowCreator(const std::string& creatorUid) {
  const std::unique_ptr<mireloom::User> creator = CachedUser(creatorUid);
  const std::string key = creator ? files::AvatarKey(creator->header_uri()) : std::string();
  auto* avatar = FindSkinControl<CButtonUI>(m_PaintManager, L"avatar_btn", L"Button");
  ShowMemberAvatar(GetHWND(), WM_FILE_AVATAR_DOWNLOADED, avatar, MemberPictureNamed(key));
  if (creator && m_authorLabel) m_authorLabel->SetText(Utf8ToWide(creator->display_name()).c_str());
}

void FileDetailsWnd::ShowImagePreview(const mireloom::Entity& entity, std::string sizeText) {
  if (m_downloadButton) m_downloadButton->SetVisible(true);
  SetSizeText(sizeText + kSizeGap + files::UpperAscii(entity.file_extension()));
  if (m_fileTypeButton) m_fileTypeButton->SetNormalImage(L"file_type/file_type_image.png");
  if (!m_previewLayout) return;
  const files::FittedBox box = files::DetailsThumbnailBox(entity.thumb_width(), entity.thumb_height());
  auto* thumbnail = new CButtonUI;
  thumbnail->SetFixedWidth(box.width);
  thumbnail->SetFixedHeight(box.height);
  thumbnail->SetPadding(box.padding);
  m_previewLayout->Add(thumbnail);
  ShowCachedImage(GetHWND(), WM_FILE_IMAGE_DOWNLOADED, thumbnail,
                  files::ThumbnailAddress(entity.path(), box.width, box.height),
                  files::DetailsThumbnailKey(entity.path(), entity.file_extension()));
}

void FileDetailsWnd::ShowTextPreview(const mireloom::Entity& entity, const std::string& sizeText,
                                     const wchar_t* typeIcon) {
  SetSizeText(sizeText);
  if (m_fileTypeButton) m_fileTypeButton->SetNormalImage(typeIcon);
  if (!m_previewText) return;
  m_previewText->SetVisible(true);
  m_previewText->SetFixedHeight(177);
  m_previewText->SetFixedWidth(310);
  m_previewText->SetPadding({10, 0, 0, 0});
  m_previewText->SetText(Utf8ToWide(entity.content()).c_str());
}

void FileDetailsWnd::ShowFilePreview(const mireloom::Entity& entity, std::string sizeText) {
  if (m_downloadButton) m_downloadButton->SetVisible(true);
  const std::wstring icon = AnsiToWide(files::FileTypeIconPath(entity.title()));
  if (m_previewLayout) {
    auto* iconButton = new CButtonUI;
    iconButton->SetFixedWidth(100);
    iconButton->SetFixedHeight(100);
    iconButton->SetPadding({8, 10, 0, 0});
    iconButton->SetNormalImage(icon.c_str());
    m_previewLayout->SetFixedHeight(120);
    m_previewLayout->SetFixedWidth(300);
    m_previewLayout->SetBorderSize(1);
    m_previewLayout->SetBorderColor(0xFFECEFF4);
    m_previewLayout->SetPadding({12, 12, 0, 0});
    m_previewLayout->Add(iconButton);
  }
  SetSizeText(sizeText + kSizeGap + files::UpperAscii(entity.file_extension()));
  if (m_fileTypeButton) m_fileTypeButton->SetNormalImage(icon.c_str());
}

void FileDetailsWnd::SetSizeText(const std::string& sizeText) {
  // The extension and the snippet type are the core library's UTF-8.
  if (m_fileSizeLabel) m_fileSizeLabel->SetText(Utf8ToWide(sizeText).c_str());
}

void FileDetailsWnd::ShowCommentCount() {
  if (m_commentCountLabel) m_commentCountLabel->SetText(std::to_wstring(m_commentCount).c_str());
}

void FileDetailsWnd::AppendCommentRow(const mireloom::Comment& comment) {
  // The author is the comment's creator; one who left the team has no name or avatar.
  const std::unique_ptr<mireloom::User> author = CachedUser(comment.creator_uid());
  const std::wstring name = author ? Utf8ToWide(author->display_name()) : std::wstring();
  const std::wstring heading = name + L"  " + files::FileTimeText(comment.created_at());
  auto* text = new CTextUI;
  text->SetShowHtml(true);
  // Whatever the comment says shows as written, not as markup.
  text->SetText(EscapeMarkup(Utf8ToWide(comment.content()).c_str()));
  AppendRow(author ? files::AvatarKey(author->header_uri()) : std::string(), heading, text, true);
}

void FileDetailsWnd::AppendRow(const std::string& avatarKey, const std::wstring& heading, CLabelUI* text,
                               bool roundAvatar) {
  auto* row = new CListContainerElementUI;
  row->ApplyAttributeList(L"height=\"45\"");
  auto* layout = new CHorizontalLayoutUI;
  row->Add(layout);
  auto* avatar = new CButtonUI;
  avatar->SetFixedWidth(32);
  avatar->SetFixedHeight(32);
  avatar->SetPadding({10, 8, 0, 0});
  if (roundAvatar) avatar->SetBorderRound({3, 3});
  layout->Add(avatar);
  auto* column = new CVerticalLayoutUI;
  layout->Add(column);
  auto* headingLabel = new CLabelUI;
  headingLabel->SetText(heading.c_str());
  headingLabel->SetTextColor(0xFFBCC6D6);
  headingLabel->SetFont(0);
  headingLabel->SetPadding({8, 4, 0, 0});
  column->Add(headingLabel);
  text->SetTextColor(0xFF2D3E50);
  text->SetFont(1);
  text->SetPadding({8, 0, 0, 0});
  column->Add(text);
  ShowMemberAvatar(GetHWND(), WM_FILE_AVATAR_DOWNLOADED, avatar, MemberPictureNamed(avatarKey));
  if (m_commentList) {
    m_commentList->Add(row);
  } else {
    delete row;
  }
}

}  // namespace mireloomwnd
