#pragma once

// One file shared in a conversation, with its comments, in a side panel that
// covers the file list: its name, creator, date, size and kind, a preview
// (thumbnail, text or type icon), a download, and the comments, where the
// user adds one.

#include <cstdint>
#include <memory>
#include <string>

#include "app/ui/UiThread.h"
#include "app/ui/WndShadow.h"
#include "duilib/UIlib.h"
#include "files/FileActions.h"

namespace mireloom {
class Comment;
class Entity;
}  // namespace mireloom

namespace mireloomwnd {

class FileDetailsWnd final : public DuiLib::WindowImplBase {
 public:
  FileDetailsWnd(const std::string& entityId, int x, int y, int height);
  ~FileDetailsWnd() override;

  LPCTSTR GetWindowClassName() const override { return L"FileDetailsWnd"; }
  DuiLib::CDuiString GetSkinFolder() override;
  DuiLib::CDuiString GetSkinFile() override { return L"skin_file_details.xml"; }
  LRESULT OnCreate(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled) override;
  void InitWindow() override;
  void Notify(DuiLib::TNotifyUI& msg) override;
  LRESULT HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) override;
  void OnFinalMessage(HWND hWnd) override;

  // "1023Bytes", "1.0KB", "1.0MB"...
  [[nodiscard]] static std::string FormatFileSize(int64_t size);

 private:
  void LookUpControls();
  void FetchEntity();

  // The panel's content (FileDetailsContent.cpp).
  void ShowEntityDetails(std::unique_ptr<mireloom::Entity> entity);
  void ShowCreator(const std::string& creatorUid);
  void ShowImagePreview(const mireloom::Entity& entity, std::string sizeText);
  void ShowTextPreview(const mireloom::Entity& entity, const std::string& sizeText, const wchar_t* typeIcon);
  void ShowFilePreview(const mireloom::Entity& entity, std::string sizeText);
  void SetSizeText(const std::string& sizeText);
  void ShowCommentCount();
  void AppendCommentRow(const mireloom::Comment& comment);
  // A comment row: the avatar of the key ("": none), the heading above the text.
  void AppendRow(const std::string& avatarKey, const std::wstring& heading, DuiLib::CLabelUI* text, bool roundAvatar);

  void PostTypedComment();
  void SendComment(const std::string& text);
  void OnCommentPosted(bool ok, const std::string& text);
  void AppendPostedComment(const std::string& text);

  CWndShadow m_shadow;
  std::string m_entityId;
  int m_x;
  int m_y;
  int m_height;
  CCopyMenu m_copyMenu;
  DuiLib::CLabelUI* m_authorLabel = nullptr;
  DuiLib::CButtonUI* m_downloadButton = nullptr;
  DuiLib::CLabelUI* m_createTimeLabel = nullptr;
  DuiLib::CButtonUI* m_fileTypeButton = nullptr;
  DuiLib::CLabelUI* m_fileNameLabel = nullptr;
  DuiLib::CButtonUI* m_filePreviewButton = nullptr;
  DuiLib::CLabelUI* m_fileSizeLabel = nullptr;
  DuiLib::CLabelUI* m_commentCountLabel = nullptr;
  DuiLib::CListUI* m_commentList = nullptr;
  DuiLib::CEditUI* m_commentEdit = nullptr;
  DuiLib::CButtonUI* m_sendButton = nullptr;
  DuiLib::CContainerUI* m_previewLayout = nullptr;
  DuiLib::CRichEditUI* m_previewText = nullptr;
  // Empty until the entity has arrived: a download before then has no address.
  std::string m_downloadAddress;
  int m_commentCount = 0;
  // Last: completions still queued for this panel are dropped once it goes.
  CLifetimeGuard m_guard;
};

}  // namespace mireloomwnd
