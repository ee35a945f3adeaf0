#include "support/RecordingPlatform.h"

#include "app/storage/FileHelpers.h"

CRecordingPlatform::CRecordingPlatform() { SetPlatformForTesting(this); }

CRecordingPlatform::~CRecordingPlatform() { SetPlatformForTesting(nullptr); }

void CRecordingPlatform::QueueMessageBoxResult(int result) {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_message_box_results.push_back(result);
}

void CRecordingPlatform::SetMenuCommand(UINT command) {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_menu_command = command;
}

void CRecordingPlatform::SetOpenFileName(std::wstring path) {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_open_file_name = std::move(path);
}

void CRecordingPlatform::SetSaveFileName(std::wstring path) {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_save_file_name = std::move(path);
}

void CRecordingPlatform::SetOnline(bool online) {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_online = online;
}

void CRecordingPlatform::SetSniffedMimeType(std::wstring mime) {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_sniffed_mime = std::move(mime);
}

void CRecordingPlatform::SetDownloadResult(bool succeeds, std::string written) {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_download_succeeds = succeeds;
  m_download_written = std::move(written);
}

std::vector<CRecordingPlatform::Call> CRecordingPlatform::Calls() const {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_calls;
}

std::vector<CRecordingPlatform::Call> CRecordingPlatform::CallsOf(PlatformCall kind) const {
  std::lock_guard<std::mutex> lock(m_mutex);
  std::vector<Call> calls;
  for (const auto& call : m_calls) {
    if (call.kind == kind) calls.push_back(call);
  }
  return calls;
}

size_t CRecordingPlatform::Count(PlatformCall kind) const { return CallsOf(kind).size(); }

void CRecordingPlatform::Clear() {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_calls.clear();
}

void CRecordingPlatform::Record(Call call) {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_calls.push_back(std::move(call));
}

int CRecordingPlatform::ShowMessageBox(HWND owner, const std::wstring& text, const std::wstring& caption, UINT type) {
  Record({PlatformCall::MessageBox, owner, text, caption, type});
  std::lock_guard<std::mutex> lock(m_mutex);
  if (m_message_box_results.empty()) return IDOK;
  const int result = m_message_box_results.front();
  m_message_box_results.pop_front();
  return result;
}

bool CRecordingPlatform::ShellOpen(const std::wstring& target) {
  Record({PlatformCall::ShellOpen, nullptr, target});
  return true;
}

UINT CRecordingPlatform::TrackMenu(HMENU menu, UINT flags, int x, int y, HWND owner) {
  Call call{PlatformCall::TrackPopupMenu, owner, {}, {}, flags};
  call.menu = menu;
  call.ownerInFront = owner && IsWindowVisible(owner) && GetForegroundWindow() == owner;
  Record(std::move(call));
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_menu_command;
}

bool CRecordingPlatform::AnswerFileDialog(PlatformCall kind, const std::wstring& path, OPENFILENAMEW* dialog) {
  // The caption keeps the name the dialog was opened with.
  const std::wstring offered = dialog && dialog->lpstrFile ? dialog->lpstrFile : L"";
  Call call{kind, dialog ? dialog->hwndOwner : nullptr, path, offered, dialog ? static_cast<UINT>(dialog->Flags) : 0u};
  if (dialog && dialog->lpstrInitialDir) call.folder = dialog->lpstrInitialDir;
  Record(std::move(call));
  if (path.empty() || !dialog || !dialog->lpstrFile || dialog->nMaxFile <= path.size()) return false;
  wcsncpy(dialog->lpstrFile, path.c_str(), dialog->nMaxFile);
  dialog->lpstrFile[dialog->nMaxFile - 1] = L'\0';
  return true;
}

bool CRecordingPlatform::ShowOpenFileDialog(OPENFILENAMEW* dialog) {
  std::wstring path;
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    path = m_open_file_name;
  }
  return AnswerFileDialog(PlatformCall::OpenFileDialog, path, dialog);
}

bool CRecordingPlatform::ShowSaveFileDialog(OPENFILENAMEW* dialog) {
  std::wstring path;
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    path = m_save_file_name;
  }
  return AnswerFileDialog(PlatformCall::SaveFileDialog, path, dialog);
}

bool CRecordingPlatform::NotifyIcon(DWORD message, NOTIFYICONDATAW* data) {
  Call call{PlatformCall::NotifyIcon, data ? data->hWnd : nullptr};
  call.message = message;
  if (data) {
    call.caption = data->szTip;
    call.flags = data->uFlags;
    call.icon = data->hIcon;
    call.text = data->szInfo;
    call.title = data->szInfoTitle;
  }
  Record(std::move(call));
  return true;
}

bool CRecordingPlatform::PlaySoundFile(const std::wstring& path, DWORD flags) {
  Record({PlatformCall::PlaySound, nullptr, path, {}, flags});
  return true;
}

bool CRecordingPlatform::FlashWindow(const FLASHWINFO& info) {
  Call call{PlatformCall::FlashWindow, info.hwnd};
  call.flags = info.dwFlags;
  call.count = info.uCount;
  Record(std::move(call));
  return true;
}

bool CRecordingPlatform::IsOnline() {
  Record({PlatformCall::IsOnline});
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_online;
}

std::wstring CRecordingPlatform::SniffMimeType(const void* bytes, DWORD size) {
  Call call{PlatformCall::SniffMimeType};
  call.count = size;
  Record(std::move(call));
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_sniffed_mime;
}

bool CRecordingPlatform::DownloadUrlToFile(const std::wstring& address, const std::wstring& path) {
  Record({PlatformCall::DownloadUrlToFile, nullptr, address, path});
  std::lock_guard<std::mutex> lock(m_mutex);
  if (!m_download_written.empty() && !WriteWholeFile(path, m_download_written.data(), m_download_written.size())) {
    return false;
  }
  return m_download_succeeds;
}
