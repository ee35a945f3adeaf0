// The tray icon and what draws the user's attention: the icon's three
// pictures (normal, grey while offline, none in the blink's dark phase), the
// balloon on a lost connection, the ten-second network check that reconnects,
// the taskbar flash and the message sound.

#include <windows.h>
#include <mmsystem.h>

#include "app/frame/PlatformSeam.h"
#include "app/frame/SkinPaths.h"
#include "app/frame/StringTable.h"
#include "mainwnd/MainWnd.h"
#include "mainwnd/MainWndMessages.h"
#include "mireloom/Director.h"

namespace mireloomwnd {

namespace {

constexpr UINT kIconFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
constexpr UINT kBalloonTimeoutMs = 5000;
constexpr UINT kFlashCount = 3;
constexpr DWORD kFlashIntervalMs = 400;
constexpr unsigned int kReconnectRetrySeconds = 30;
constexpr wchar_t kConnectionLostTitle[] = L"与服务器连接中断";
constexpr wchar_t kReconnectingText[] = L"与服务器连接中断，Corvanel正在尝试重新连接";
constexpr wchar_t kConnectionFailedText[] = L"连接失败";
constexpr wchar_t kOnlineTip[] = L"Corvanel";

template <size_t N>
void CopyText(wchar_t (&field)[N], const std::wstring& text) {
  // Cut to the field, terminator included.
  lstrcpynW(field, text.c_str(), static_cast<int>(N));
}

}  // namespace

void MainWnd::FillTrayRecord(const std::wstring& tip, HICON icon) {
  m_trayIconData = {};
  m_trayIconData.cbSize = sizeof(NOTIFYICONDATAW);
  m_trayIconData.hWnd = GetHWND();
  m_trayIconData.uID = 0;
  m_trayIconData.uFlags = kIconFlags;
  m_trayIconData.uCallbackMessage = WM_TRAY_NOTIFY;
  CopyText(m_trayIconData.szTip, tip);
  m_trayIconData.hIcon = icon;
}

void MainWnd::AddTrayIcon() {
  FillTrayRecord(LocalizedText("TrayTip"), m_appIcon.get());
  // A shell that refuses the icon leaves the window without one; nothing to report.
  Platform().NotifyIcon(NIM_ADD, &m_trayIconData);
  m_trayIconAdded = true;
}

void MainWnd::RemoveTrayIcon() {
  if (!m_trayIconAdded) return;
  Platform().NotifyIcon(NIM_DELETE, &m_trayIconData);
  m_trayIconAdded = false;
}

void MainWnd::SetTrayIcon(HICON icon) {
  if (!m_trayIconAdded) return;
  m_trayIconData.uFlags = kIconFlags;
  m_trayIconData.hIcon = icon;
  Platform().NotifyIcon(NIM_MODIFY, &m_trayIconData);
}

void MainWnd::ShowTrayBalloon(const std::wstring& title, const std::wstring& text) {
  if (!m_trayIconAdded) return;
  m_trayIconData.uFlags = NIF_INFO;
  m_trayIconData.uTimeout = kBalloonTimeoutMs;
  m_trayIconData.dwInfoFlags = NIIF_INFO;
  CopyText(m_trayIconData.szInfoTitle, title);
  CopyText(m_trayIconData.szInfo, text);
  Platform().NotifyIcon(NIM_MODIFY, &m_trayIconData);
  m_trayIconData.uFlags = kIconFlags;
}

void MainWnd::ApplyConnectionState(int state) {
  if (state != mireloom::kInterrupted && state != mireloom::kConnectionFailed) return;
  SetTrayIcon(m_greyIcon.get());
  ShowTrayBalloon(kConnectionLostTitle, state == mireloom::kInterrupted ? kReconnectingText : kConnectionFailedText);
  // The next check that finds the network up reconnects and restores the icon.
  NetworkOnline = false;
}

void MainWnd::StartNetworkTimer() { SetTimer(GetHWND(), kNetworkCheckTimer, kNetworkCheckMs, nullptr); }

void MainWnd::OnNetworkStateChecked(bool online) {
  if (online == NetworkOnline) return;
  if (m_trayIconAdded) {
    FillTrayRecord(kOnlineTip, online ? m_appIcon.get() : m_greyIcon.get());
    Platform().NotifyIcon(NIM_MODIFY, &m_trayIconData);
  }
  NetworkOnline = online;
  if (!online) return;
  mireloom::Director* director = mireloom::Director::DefaultDirector();
  // The outcome comes back as a connection state.
  if (director) director->ConnectToIMServer(director->im_protocol(), kReconnectRetrySeconds, [](bool) {});
}

void MainWnd::StartTrayBlink() {
  // A window the user can see (minimised ones too) does not blink.
  if (!IsWindowVisible(GetHWND())) SetTimer(GetHWND(), kTrayBlinkTimer, kTrayBlinkMs, nullptr);
}

void MainWnd::StopTrayBlink() {
  KillTimer(GetHWND(), kTrayBlinkTimer);
  SetTrayIcon(m_appIcon.get());
}

void MainWnd::ToggleTrayIcon() {
  SetTrayIcon(m_trayIconData.hIcon == m_appIcon.get() ? m_blankIcon : m_appIcon.get());
}

void MainWnd::StartTaskbarFlash() {
  FLASHWINFO flash = {};
  flash.cbSize = sizeof flash;
  flash.hwnd = GetHWND();
  flash.dwFlags = FLASHW_TRAY;
  flash.uCount = kFlashCount;
  flash.dwTimeout = kFlashIntervalMs;
  Platform().FlashWindow(flash);
}

void MainWnd::StopTaskbarFlash() {
  FLASHWINFO flash = {};
  flash.cbSize = sizeof flash;
  flash.hwnd = GetHWND();
  flash.dwFlags = FLASHW_STOP;
  Platform().FlashWindow(flash);
}

void MainWnd::PlayMessageSound() {
  // A missing file plays nothing.
  Platform().PlaySoundFile(MessageSoundPath(), SND_ASYNC);
}

}  // namespace mireloomwnd
