#include "files/list/FileDetailsWnd.h"

#include <ctime>

#include "app/frame/WindowManager.h"
#include "app/text/StringTable.h"
#include "app/text/TextHelpers.h"
#include "app/ui/CachedImage.h"
#include "app/ui/SkinControls.h"
#include "app/ui/WindowConventions.h"
#include "files/FileAddresses.h"
#include "files/FilesMessages.h"
#include "files/FileTexts.h"
#include "mireloom/Director.h"
#include "mireloom/Entity.h"
#include "mireloom/EntityManager.h"
#include "quennet/EventLog.h"

namespace mireloomwnd {

using namespace DuiLib;

namespace {

constexpr int kPanelWidth = 320;

}  // namespace

void WindowManager::ShowFileDetailsWnd(const std::string& entityId, int x, int y, int height) {
  Show<FileDetailsWnd>(WindowSlot::FileDetailsWnd, Placement{x, y, height}, entityId, x, y, height);
}

FileDetailsWnd::FileDetailsWnd(const std::string& entityId, int x, int y, int height)
    : m_entityId(entityId), m_x(x), m_y(y), m_height(height) {}

FileDetailsWnd::~FileDetailsWnd() = default;

std::string FileDetailsWnd::FormatFileSize(int64_t size) { return files::FormatFileSize(size); }

CDuiString FileDetailsWnd::GetSkinFolder() { return SkinFolder(); }

LRESULT FileDetailsWnd::OnCreate(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled) {
  const RECT placement = {m_x, m_y, m_x + kPanelWidth, m_y + m_height};
  const LRESULT result = CreateSidePanel(*this, m_shadow, placement, uMsg, wParam, lParam, bHandled);
  if (result == 0 && GetHWND()) SetCapture(GetHWND());
  return result;
}

void FileDetailsWnd::InitWindow() {
  ApplyTexts(m_PaintManager, {{L"file_details_title", "FileDetailsWndTitle"},
                              {L"close_btn", "CloseTips", TextTarget::ToolTip}});
  m_copyMenu.Create(LocalizedText("CopyButton"));
  LookUpControls();
  FetchEntity();
}

void FileDetailsWnd::LookUpControls() {
  m_authorLabel = FindSkinControl<CLabelUI>(m_PaintManager, L"author_label", L"Label");
  m_downloadButton = FindSkinControl<CButtonUI>(m_PaintManager, L"download_btn", L"Button");
  m_createTimeLabel = FindSkinControl<CLabelUI>(m_PaintManager, L"create_time_label", L"Label");
  m_fileTypeButton = FindSkinControl<CButtonUI>(m_PaintManager, L"file_type_btn", L"Button");
  m_fileNameLabel = FindSkinControl<CLabelUI>(m_PaintManager, L"file_name_label", L"Label");
  m_filePreviewButton = FindSkinControl<CButtonUI>(m_PaintManager, L"file_preview_btn", L"Button");
  m_fileSizeLabel = FindSkinControl<CLabelUI>(m_PaintManager, L"file_size_label", L"Label");
  m_commentCountLabel = FindSkinControl<CLabelUI>(m_PaintManager, L"comment_number_label", L"Label");
  m_commentList = FindSkinControl<CListUI>(m_PaintManager, L"comment_list", L"List");
  m_commentEdit = FindSkinControl<CEditUI>(m_PaintManager, L"comment_edit", L"Edit");
  m_sendButton = FindSkinControl<CButtonUI>(m_PaintManager, L"send_comment_btn", L"Button");
  m_previewLayout = FindSkinControl<CContainerUI>(m_PaintManager, L"entity_preview_layout", L"Container");
  m_previewText = FindSkinControl<CRichEditUI>(m_PaintManager, L"snippet_doc_richedit", L"RichEdit");
}

void FileDetailsWnd::FetchEntity() {
  const bool asked = FetchEntityForWindow(m_entityId, m_guard.Token(), [this](std::unique_ptr<mireloom::Entity> entity) {
    if (GetHWND()) ShowEntityDetails(std::move(entity));
  });
  if (!asked) quennet::log_error("File details %s: no signed-in session", m_entityId.c_str());
}

// ---- Comments ------------------------------------------------------------------------------

void FileDetailsWnd::PostTypedComment() {
  std::string text;
  if (m_commentEdit) {
    text = WideToUtf8(m_commentEdit->GetText().GetData());
    m_commentEdit->SetText(L"");
  }
  // An empty edit posts an empty comment, as the service accepts one.
  SendComment(text);
}

void FileDetailsWnd::SendComment(const std::string& text) {
  const mireloom::Director* director = mireloom::Director::DefaultDirector();
  if (!director) {
    OnCommentPosted(false, text);
    return;
  }
  director->comment_manager()->PostComment(
      text, {}, mireloom::kApplicationTypeFileComment, m_entityId,
      [this, text, token = m_guard.Token()](bool ok, const std::string&, std::unique_ptr<mireloom::Comment>) {
        CUiThread::Post(token, [this, ok, text] {
          if (GetHWND()) OnCommentPosted(ok, text);
        });
      });
}

void FileDetailsWnd::OnCommentPosted(bool ok, const std::string& text) {
  if (ok) {
    AppendPostedComment(text);
    return;
  }
  quennet::log_error("Comment on %s was not posted", m_entityId.c_str());
  // The text is not lost, unless the user has started another meanwhile.
  if (m_commentEdit && m_commentEdit->GetText().IsEmpty()) m_commentEdit->SetText(Utf8ToWide(text).c_str());
}

void FileDetailsWnd::AppendPostedComment(const std::string& text) {
  ++m_commentCount;
  ShowCommentCount();
  const mireloom::Director* director = mireloom::Director::DefaultDirector();
  const mireloom::User* me = director ? director->me() : nullptr;
  std::wstring heading;
  if (me) heading = Utf8ToWide(me->display_name()) + L"  " + files::FileTimeText(time(nullptr));
  auto* label = new CLabelUI;
  label->SetText(Utf8ToWide(text).c_str());
  AppendRow(me ? files::AvatarKey(me->header_uri()) : std::string(), heading, label, false);
}

// ---- Events --------------------------------------------------------------------------------

void FileDetailsWnd::Notify(TNotifyUI& msg) {
  const CDuiString name = msg.pSender ? msg.pSender->GetName() : CDuiString();
  if (msg.sType == L"click") {
    if (name == L"close_btn") {
      WindowManager::GetInstance()->CloseFileDetailsWnd();
    } else if (name == L"send_comment_btn") {
      PostTypedComment();
    } else if (name == L"download_btn" && !m_downloadAddress.empty()) {
      OpenDownloadAddress(m_downloadAddress);
    }
  } else if (msg.sType == L"richedit_click" && name == L"snippet_doc_richedit") {
    m_copyMenu.TrackAndCopy(GetHWND(), msg.ptMouse, static_cast<CRichEditUI*>(msg.pSender->GetInterface(L"RichEdit")));
  }
  WindowImplBase::Notify(msg);
}

LRESULT FileDetailsWnd::HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) {
  // The record's sender frees it unless told that this handler took it.
  if ((uMsg == WM_FILE_IMAGE_DOWNLOADED || uMsg == WM_FILE_AVATAR_DOWNLOADED) && lParam) {
    return ReceiveDownloadedImage(lParam);
  }
  if (uMsg == WM_DESTROY) m_copyMenu.Destroy();
  return WindowImplBase::HandleMessage(uMsg, wParam, lParam);
}

void FileDetailsWnd::OnFinalMessage(HWND hWnd) { WindowManager::GetInstance()->SetFileDetailsWnd(nullptr, this); }

}  // namespace mireloomwnd
