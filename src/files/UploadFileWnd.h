#pragma once

// Confirms sending one local file into a conversation: a preview (the
// picture itself, or the icon of the file's type), the name under which the
// file is shared, and the upload button, which hands the file to the core
// library. The window stays, busy, until the upload is done (no way of
// closing it works meanwhile): then it closes, or, when the upload failed,
// says so and is ready for another try.

#include <string>

#include "app/ui/UiThread.h"
#include "app/ui/WndShadow.h"
#include "duilib/UIlib.h"

namespace mireloomwnd {

class UploadFileWnd final : public DuiLib::WindowImplBase {
 public:
  // The path is in code page 936; the kind is 1 for a channel, 2 for a
  // one-to-one conversation.
  UploadFileWnd(const std::string& chatId, const std::string& filePathCp936, int chatKind);

  LPCTSTR GetWindowClassName() const override { return L"UploadFileWnd"; }
  DuiLib::CDuiString GetSkinFolder() override;
  DuiLib::CDuiString GetSkinFile() override { return L"skin_upload_file.xml"; }
  LRESULT OnCreate(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled) override;
  void InitWindow() override;
  void Notify(DuiLib::TNotifyUI& msg) override;
  LRESULT HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) override;
  void OnFinalMessage(HWND hWnd) override;

 private:
  void ShowPreview();
  // Hands the file to the core library; false (logged) when it cannot be read.
  bool SendFile();
  void SetUploading(bool uploading);
  void OnUploaded(bool ok, const std::string& error);

  CWndShadow m_shadow;
  std::string m_chatId;
  std::string m_filePath;
  int m_chatKind;
  DuiLib::CEditUI* m_nameEdit = nullptr;
  DuiLib::CButtonUI* m_uploadButton = nullptr;
  DuiLib::CButtonUI* m_cancelButton = nullptr;
  DuiLib::CButtonUI* m_previewButton = nullptr;
  DuiLib::CButtonUI* m_closeButton = nullptr;
  bool m_uploading = false;
  CLifetimeGuard m_guard;  // last member: a late completion finds the window gone first
};

}  // namespace mireloomwnd
