#include "files/UploadFileWnd.h"

#include "app/frame/WindowManager.h"
#include "app/text/StringTable.h"
#include "app/text/TextHelpers.h"
#include "app/ui/BusyButton.h"
#include "app/ui/PlatformSeam.h"
#include "app/ui/SkinControls.h"
#include "app/ui/WindowConventions.h"
#include "duilib/ImageFiles.h"
#include "files/FileTexts.h"
#include "files/list/ThumbnailBoxes.h"
#include "files/UploadLogic.h"
#include "mireloom/ChatManager.h"
#include "quennet/EventLog.h"

namespace mireloomwnd {

using namespace DuiLib;

namespace {

constexpr int kChannelKind = 1;
constexpr UINT_PTR kUploadingTimer = 1;
constexpr BusyKeys kUploadingKeys{"UploadingOne", "UploadingTwo", "UploadingThree"};

}  // namespace

void WindowManager::ShowUploadFileWnd(const std::string& chatId, const std::string& filePathCp936, int chatKind) {
  Show<UploadFileWnd>(WindowSlot::UploadFileWnd, {}, chatId, filePathCp936, chatKind);
}

UploadFileWnd::UploadFileWnd(const std::string& chatId, const std::string& filePathCp936, int chatKind)
    : m_chatId(chatId), m_filePath(filePathCp936), m_chatKind(chatKind) {}

CDuiString UploadFileWnd::GetSkinFolder() { return SkinFolder(); }

LRESULT UploadFileWnd::OnCreate(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled) {
  return CreateWithShadow(*this, m_shadow, uMsg, wParam, lParam, bHandled);
}

void UploadFileWnd::InitWindow() {
  ApplyTexts(m_PaintManager, {{L"upload_window_title", "UploadWndTitle"},
                              {L"close_btn", "CloseTips", TextTarget::ToolTip},
                              {L"public_description", "UploadPublicDescription"},
                              {L"private_description", "UploadPrivateDescription"},
                              {L"file_name", "UploadFileNameLabel"},
                              {L"upload_btn", "UploadButtonLabel"},
                              {L"cancel_btn", "CancelUploadButtonLabel"}});
  m_nameEdit = FindSkinControl<CEditUI>(m_PaintManager, L"file_name_edit", L"Edit");
  m_uploadButton = FindSkinControl<CButtonUI>(m_PaintManager, L"upload_btn", L"Button");
  m_cancelButton = FindSkinControl<CButtonUI>(m_PaintManager, L"cancel_btn", L"Button");
  m_previewButton = FindSkinControl<CButtonUI>(m_PaintManager, L"preview_file", L"Button");
  m_closeButton = FindSkinControl<CButtonUI>(m_PaintManager, L"close_btn", L"Button");
  ShowPreview();
}

void UploadFileWnd::ShowPreview() {
  const std::string name = files::FileNameOfPath(m_filePath);
  if (m_nameEdit) m_nameEdit->SetText(AnsiToWide(name).c_str());
  if (!m_previewButton) return;
  if (!files::HasPicturePreview(files::ExtensionOfName(name))) {
    m_previewButton->SetNormalImage(AnsiToWide(files::FileTypeIconPath(name)).c_str());
    return;
  }
  const std::wstring path = AnsiToWide(m_filePath);
  SIZE size = {0, 0};
  // One that cannot be decoded, or is too large to be, is shown as an empty area.
  if (!GetImageFileSize(path.c_str(), &size) || !FitsPictureBudget(size.cx, size.cy)) size = {0, 0};
  const files::FittedBox box = files::UploadPreviewBox(size.cx, size.cy);
  m_previewButton->SetFixedWidth(box.width);
  m_previewButton->SetFixedHeight(box.height);
  m_previewButton->SetPadding(box.padding);
  m_previewButton->SetNormalImage(path.c_str());
}

bool UploadFileWnd::SendFile() {
  const std::optional<std::string> head = files::ReadFileHead(AnsiToWide(m_filePath));
  if (!head) {
    // Nothing is sent for a file that is gone or locked; the core would fail later with no one to see it.
    quennet::log_error("Upload of %s cancelled: the file cannot be read", m_filePath.c_str());
    return false;
  }
  const std::string name = m_nameEdit ? WideToUtf8(m_nameEdit->GetText().GetData())
                                      : WideToUtf8(AnsiToWide(files::FileNameOfPath(m_filePath)));
  const std::string mime =
      files::MimeTypeToSend(Platform().SniffMimeType(head->data(), static_cast<DWORD>(head->size())));
  mireloom::ChatManager::DefaultManager()->SendFileMessage(
      m_filePath, name, mime, m_chatId, m_chatKind == kChannelKind,
      [guard = m_guard.Token(), this](bool ok, const std::string& error) {
        CUiThread::Post(guard, [this, ok, error] { OnUploaded(ok, error); });
      });
  return true;
}

// A big file takes a while: the upload button shows the busy look until the
// upload is done. Cancel and the close button (and Esc, which presses it)
// could not stop it and would leave its outcome unseen: they are off
// meanwhile.
void UploadFileWnd::SetUploading(bool uploading) {
  m_uploading = uploading;
  SetButtonLook(m_uploadButton, uploading ? ButtonLook::Busy : ButtonLook::Idle,
                LocalizedText(uploading ? kUploadingKeys.three : "UploadButtonLabel"));
  for (CButtonUI* button : {m_cancelButton, m_closeButton}) {
    if (button) button->SetEnabled(!uploading);
  }
  if (uploading) {
    SetTimer(GetHWND(), kUploadingTimer, kBusyTickMs, nullptr);
  } else {
    KillTimer(GetHWND(), kUploadingTimer);
  }
}

void UploadFileWnd::OnUploaded(bool ok, const std::string& error) {
  if (!GetHWND()) return;
  if (ok) {
    WindowManager::GetInstance()->CloseUploadFileWnd();
    return;
  }
  quennet::log_error("Upload of %s failed: %s", m_filePath.c_str(), error.c_str());
  SetUploading(false);
  Platform().ShowMessageBox(GetHWND(), LocalizedText("UploadFailed"), LocalizedText("UploadWndTitle"), MB_OK);
}

LRESULT UploadFileWnd::HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) {
  // Alt+F4 and the system menu wait for the outcome too; the window manager
  // still closes the window once the upload is done.
  if (uMsg == WM_CLOSE && m_uploading && wParam != kManagedCloseResult) return 0;
  if (uMsg == WM_TIMER && wParam == kUploadingTimer && m_uploadButton) {
    const std::wstring next = NextBusyText(m_uploadButton->GetText().GetData(), kUploadingKeys);
    if (!next.empty()) m_uploadButton->SetText(next.c_str());
    return 0;
  }
  return WindowImplBase::HandleMessage(uMsg, wParam, lParam);
}

void UploadFileWnd::Notify(TNotifyUI& msg) {
  if (msg.sType == L"click" && msg.pSender) {
    if (msg.pSender == m_uploadButton && !m_uploading) {
      // A file that cannot be read is not sent: the window closes as if cancelled.
      if (SendFile()) {
        SetUploading(true);
      } else {
        WindowManager::GetInstance()->CloseUploadFileWnd();
      }
    } else if ((msg.pSender == m_cancelButton || msg.pSender == m_closeButton) && !m_uploading) {
      WindowManager::GetInstance()->CloseUploadFileWnd();
    }
  }
  WindowImplBase::Notify(msg);
}

void UploadFileWnd::OnFinalMessage(HWND hWnd) { WindowManager::GetInstance()->SetUploadFileWnd(nullptr, this); }

}  // namespace mireloomwnd
