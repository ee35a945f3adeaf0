// The rows of the file list: one per entity, from a fresh page or rebuilt
// from a kept list after a filter switch.

#include "app/text/StringTable.h"
#include "app/text/TextHelpers.h"
#include "app/ui/CachedImage.h"
#include "files/FileAddresses.h"
#include "files/FilesMessages.h"
#include "files/FileTexts.h"
#include "files/list/ThumbnailBoxes.h"
#include "files/list/ViewFilesWnd.h"
#include "mireloom/Entity.h"
#include "mireloom/UserManager.h"

namespace mireloomwnd {

using namespace DuiLib;

namespace {

constexpr int kIconBoxSide = 68;
constexpr wchar_t kDocumentIcon[] = L"file_type/file_type_document.png";
constexpr wchar_t kSnippetIcon[] = L"file_type/file_type_snippet.png";

std::string CreatorName(const std::string& uid) {
  const std::unique_ptr<mireloom::User> user = mireloom::UserManager::DefaultManager()->FetchUserFromCacheByUid(uid);
  return user ? user->display_name() : std::string();
}

CButtonUI* BuildDownloadButton(const std::string& address) {
  auto* button = new CButtonUI;
  button->SetName(L"download_file");
  button->SetFixedWidth(15);
  button->SetFixedHeight(15);
  button->SetPadding({205, 4, 0, 0});
  button->SetMouseEnabled(true);
  button->SetNormalImage(L"SysBtn/file_download.png");
  button->SetBkColor(0xFFFFFFFF);
  button->SetUserData(Utf8ToWide(address).c_str());
  button->SetToolTip(LocalizedText("DownloadBtnTip").c_str());
  return button;
}

}  // namespace

CListContainerElementUI* ViewFilesWnd::BuildRow(const mireloom::Entity& entity, RowSource source) {
  auto* row = new CListContainerElementUI;
  row->ApplyAttributeList(L"height=\"85\"");
  auto* layout = new CHorizontalLayoutUI;
  row->Add(layout);

  auto* iconBox = new CVerticalLayoutUI;
  iconBox->SetFixedWidth(kIconBoxSide);
  iconBox->SetFixedHeight(kIconBoxSide);
  iconBox->SetPadding({12, 10, 0, 0});
  layout->Add(iconBox);

  auto* column = new CVerticalLayoutUI;
  layout->Add(column);
  auto* info = new CLabelUI;
  info->SetFont(1);
  info->SetText(InfoText(entity).c_str());
  info->SetTextColor(0xFFA1A7AD);
  info->SetPadding({10, 12, 0, 0});
  column->Add(info);
  auto* title = new CTextUI;
  const std::wstring titleText = Utf8ToWide(entity.title());
  title->SetFont(2);
  title->SetText(titleText.c_str());
  title->SetToolTip(titleText.c_str());
  title->SetPadding({10, 2, 0, 0});
  title->SetTextColor(0xFF627180);
  title->SetTextStyle(DT_END_ELLIPSIS);
  column->Add(title);
  CButtonUI* download = BuildDownloadButton(RowDownloadAddress(entity, source));
  column->Add(download);

  // The icon decides whether the row offers a download, so it comes after the button.
  iconBox->Add(BuildIconButton(entity, source, download));
  return row;
}

CButtonUI* ViewFilesWnd::BuildIconButton(const mireloom::Entity& entity, RowSource source, CButtonUI* download) {
  auto* icon = new CButtonUI;
  const files::FittedBox box = entity.entity_type() == mireloom::Entity::kImage
                                   ? files::ListIconBox(entity.thumb_width(), entity.thumb_height())
                                   : files::ListIconBox(0, 0);
  icon->SetFixedWidth(box.width);
  icon->SetFixedHeight(box.height);
  icon->SetPadding(box.padding);
  icon->SetMouseEnabled(false);
  icon->SetBorderColor(0xFFECEFF4);
  icon->SetBkColor(0xFFFFFFFF);
  icon->SetHotBkColor(0xFFE4F5F4);
  switch (entity.entity_type()) {
    case mireloom::Entity::kImage: {
      const std::string address = source == RowSource::FreshPage
                                      ? files::ThumbnailAddress(entity.path(), box.width, box.height)
                                      : files::FileAddress(entity.path(), entity.file_extension());
      ShowCachedImage(GetHWND(), WM_FILE_IMAGE_DOWNLOADED, icon, address,
                      files::ImageCacheKey(entity.path(), entity.file_extension()));
      break;
    }
    case mireloom::Entity::kDocument:
      icon->SetNormalImage(kDocumentIcon);
      download->SetVisible(false);
      break;
    case mireloom::Entity::kSnippet:
      icon->SetNormalImage(kSnippetIcon);
      download->SetVisible(false);
      break;
    default:
      icon->SetNormalImage(AnsiToWide(files::FileTypeIconPath(entity.title())).c_str());
      break;
  }
  return icon;
}

std::wstring ViewFilesWnd::InfoText(const mireloom::Entity& entity) const {
  return Utf8ToWide(CreatorName(entity.creator_uid())) + L"  " + files::FileTimeText(entity.created_at());
}

std::string ViewFilesWnd::RowDownloadAddress(const mireloom::Entity& entity, RowSource source) const {
  return source == RowSource::FreshPage ? files::DownloadAddress(entity.entity_id(), m_teamId)
                                        : files::FileAddress(entity.path(), entity.file_extension());
}

}  // namespace mireloomwnd
