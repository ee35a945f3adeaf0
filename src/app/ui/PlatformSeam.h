#pragma once

// The platform calls that block, or act outside the program: message boxes,
// the shell, menus, file dialogs, the tray, sound, flashing, the network state,
// type sniffing and downloads. Windows call them through here, so that tests
// can put a recording platform in place of the real one.

#include <windows.h>
#include <commdlg.h>
#include <shellapi.h>

#include <string>

class CPlatformSeam {
 public:
  virtual ~CPlatformSeam() = default;

  virtual int ShowMessageBox(HWND owner, const std::wstring& text, const std::wstring& caption, UINT type) = 0;
  // ShellExecuteW with "open"; true when the shell accepted it.
  virtual bool ShellOpen(const std::wstring& target) = 0;
  // TrackPopupMenu; with TPM_RETURNCMD, the chosen command or 0.
  virtual UINT TrackMenu(HMENU menu, UINT flags, int x, int y, HWND owner) = 0;
  virtual bool ShowOpenFileDialog(OPENFILENAMEW* dialog) = 0;
  virtual bool ShowSaveFileDialog(OPENFILENAMEW* dialog) = 0;
  virtual bool NotifyIcon(DWORD message, NOTIFYICONDATAW* data) = 0;
  // PlaySoundW of a file; flags besides SND_FILENAME are the caller's.
  virtual bool PlaySoundFile(const std::wstring& path, DWORD flags) = 0;
  virtual bool FlashWindow(const FLASHWINFO& info) = 0;
  // InternetGetConnectedState.
  virtual bool IsOnline() = 0;
  // FindMimeFromData over the bytes alone; "" when it names no type.
  virtual std::wstring SniffMimeType(const void* bytes, DWORD size) = 0;
  // URLDownloadToFileW of the address into the path; true when the file was
  // written. Blocks until done: call it off the user-interface thread.
  virtual bool DownloadUrlToFile(const std::wstring& address, const std::wstring& path) = 0;
};

// The platform in use: the real one unless a test put another in place.
CPlatformSeam& Platform();
// Puts a platform in place (not owned); null restores the real one.
void SetPlatformForTesting(CPlatformSeam* platform);

// The real platform calls.
class CWin32Platform final : public CPlatformSeam {
 public:
  int ShowMessageBox(HWND owner, const std::wstring& text, const std::wstring& caption, UINT type) override;
  bool ShellOpen(const std::wstring& target) override;
  UINT TrackMenu(HMENU menu, UINT flags, int x, int y, HWND owner) override;
  bool ShowOpenFileDialog(OPENFILENAMEW* dialog) override;
  bool ShowSaveFileDialog(OPENFILENAMEW* dialog) override;
  bool NotifyIcon(DWORD message, NOTIFYICONDATAW* data) override;
  bool PlaySoundFile(const std::wstring& path, DWORD flags) override;
  bool FlashWindow(const FLASHWINFO& info) override;
  bool IsOnline() override;
  std::wstring SniffMimeType(const void* bytes, DWORD size) override;
  // The embedded service's hosts exist only inside the process: their
  // downloads go through the base library's HTTP client.
  bool DownloadUrlToFile(const std::wstring& address, const std::wstring& path) override;
};

// Where an address may lead when the shell opens it.
enum class AddressPolicy { Web, WebAndMail };

// Opens a non-empty absolute http or https address (and mailto with
// WebAndMail) in the system's handler; anything else is logged and refused.
bool OpenAddress(const std::wstring& address, AddressPolicy policy = AddressPolicy::Web);
// The check alone.
[[nodiscard]] bool IsOpenableAddress(const std::wstring& address, AddressPolicy policy);
