#pragma once

// A platform for tests: records every call and answers from a script instead
// of opening dialogs, menus or the shell.

#include <deque>
#include <mutex>
#include <vector>

#include "app/ui/PlatformSeam.h"

enum class PlatformCall {
  MessageBox,
  ShellOpen,
  TrackPopupMenu,
  OpenFileDialog,
  SaveFileDialog,
  NotifyIcon,
  PlaySound,
  FlashWindow,
  IsOnline,
  SniffMimeType,
  DownloadUrlToFile,
};

class CRecordingPlatform final : public CPlatformSeam {
 public:
  struct Call {
    PlatformCall kind;
    HWND owner = nullptr;
    std::wstring text;     // message, address or path
    std::wstring caption;  // message box caption, tray tip, the name a file dialog offered
    UINT flags = 0;        // message box type, menu flags, sound flags, flash flags, file dialog flags
    DWORD message = 0;     // NIM_* of a tray call
    UINT count = 0;        // flash count, bytes sniffed
    // A tray call's icon and balloon; its text is the balloon's text, its
    // flags the record's NIF_* flags.
    HICON icon = nullptr;
    std::wstring title;
    HMENU menu = nullptr;  // the menu a TrackPopupMenu call tracked
    // A TrackPopupMenu call: its owner was shown and in the foreground, so
    // that the menu could take the keys.
    bool ownerInFront = false;
    std::wstring folder;   // the folder a file dialog starts in
  };

  // Puts itself in place of the real platform for its lifetime.
  CRecordingPlatform();
  ~CRecordingPlatform() override;

  void QueueMessageBoxResult(int result);  // IDOK when nothing is queued
  void SetMenuCommand(UINT command);
  void SetOpenFileName(std::wstring path);  // "" cancels the dialog
  void SetSaveFileName(std::wstring path);
  void SetOnline(bool online);
  // The type the sniff names ("" for none, the default).
  void SetSniffedMimeType(std::wstring mime);
  // Whether downloads succeed (they do by default), and what they write into
  // their file first: a failed one may leave part of it, as a full disk
  // does. Nothing is written when `written` is empty.
  void SetDownloadResult(bool succeeds, std::string written = {});

  [[nodiscard]] std::vector<Call> Calls() const;
  [[nodiscard]] std::vector<Call> CallsOf(PlatformCall kind) const;
  [[nodiscard]] size_t Count(PlatformCall kind) const;
  void Clear();

  int ShowMessageBox(HWND owner, const std::wstring& text, const std::wstring& caption, UINT type) override;
  bool ShellOpen(const std::wstring& target) override;
  UINT TrackMenu(HMENU menu, UINT flags, int x, int y, HWND owner) override;
  bool ShowOpenFileDialog(OPENFILENAMEW* dialog) override;
  bool ShowSaveFileDialog(OPENFILENAMEW* dialog) override;
  bool NotifyIcon(DWORD message, NOTIFYICONDATAW* data) override;
  bool PlaySoundFile(const std::wstring& path, DWORD flags) override;
  bool FlashWindow(const FLASHWINFO& info) override;
  bool IsOnline() override;
  // Recorded with the number of bytes as count.
  std::wstring SniffMimeType(const void* bytes, DWORD size) override;
  // Recorded with the address as text and the path as caption.
  bool DownloadUrlToFile(const std::wstring& address, const std::wstring& path) override;

 private:
  void Record(Call call);
  bool AnswerFileDialog(PlatformCall kind, const std::wstring& path, OPENFILENAMEW* dialog);

  mutable std::mutex m_mutex;
  std::vector<Call> m_calls;
  std::deque<int> m_message_box_results;
  UINT m_menu_command = 0;
  std::wstring m_open_file_name;
  std::wstring m_save_file_name;
  bool m_online = true;
  std::wstring m_sniffed_mime;
  bool m_download_succeeds = true;
  std::string m_download_written;
};
