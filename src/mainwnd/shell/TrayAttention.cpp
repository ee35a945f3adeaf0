#include "mainwnd/shell/TrayAttention.h"

#include <mmsystem.h>

#include <utility>

#include "app/storage/SkinPaths.h"
#include "app/text/StringTable.h"
#include "app/ui/AppIcons.h"
#include "app/ui/PlatformSeam.h"
#include "mainwnd/MainWndMessages.h"
#include "mireloom/Director.h"

namespace mireloomwnd {

bool NetworkOnline = true;

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

void CTrayAttention::LoadIcons() {
  // Read ahead by the sign-in where it could. A file that cannot be read
  // leaves a null icon; the tray icon then has no picture.
  AppIcons icons = TakeAppIcons();
  m_appIcon = std::move(icons.colour);
  m_greyIcon = std::move(icons.grey);
  // The dark phase of the blink: no picture at all.
  m_blankIcon = nullptr;
  ::SendMessageW(m_window.GetHWND(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_appIcon.get()));
}

void CTrayAttention::ReleaseIcons() {
  m_appIcon.reset();
  m_greyIcon.reset();
}

void CTrayAttention::FillRecord(const std::wstring& tip, HICON icon) {
  m_trayIconData = {};
  m_trayIconData.cbSize = sizeof(NOTIFYICONDATAW);
  m_trayIconData.hWnd = m_window.GetHWND();
  m_trayIconData.uID = 0;
  m_trayIconData.uFlags = kIconFlags;
  m_trayIconData.uCallbackMessage = WM_TRAY_NOTIFY;
  CopyText(m_trayIconData.szTip, tip);
  m_trayIconData.hIcon = icon;
}

void CTrayAttention::AddIcon() {
  FillRecord(LocalizedText("TrayTip"), m_appIcon.get());
  // A shell that refuses the icon leaves the window without one; nothing to report.
  Platform().NotifyIcon(NIM_ADD, &m_trayIconData);
  m_trayIconAdded = true;
}

void CTrayAttention::RemoveIcon() {
  if (!m_trayIconAdded) return;
  Platform().NotifyIcon(NIM_DELETE, &m_trayIconData);
  m_trayIconAdded = false;
}

void CTrayAttention::SetIcon(HICON icon) {
  if (!m_trayIconAdded) return;
  m_trayIconData.uFlags = kIconFlags;
  m_trayIconData.hIcon = icon;
  Platform().NotifyIcon(NIM_MODIFY, &m_trayIconData);
}

void CTrayAttention::ShowBalloon(const std::wstring& title, const std::wstring& text) {
  if (!m_trayIconAdded) return;
  m_trayIconData.uFlags = NIF_INFO;
  m_trayIconData.uTimeout = kBalloonTimeoutMs;
  m_trayIconData.dwInfoFlags = NIIF_INFO;
  CopyText(m_trayIconData.szInfoTitle, title);
  CopyText(m_trayIconData.szInfo, text);
  Platform().NotifyIcon(NIM_MODIFY, &m_trayIconData);
  m_trayIconData.uFlags = kIconFlags;
}

void CTrayAttention::ApplyConnectionState(int state) {
  if (state != mireloom::kInterrupted && state != mireloom::kConnectionFailed) return;
  SetIcon(m_greyIcon.get());
  ShowBalloon(kConnectionLostTitle, state == mireloom::kInterrupted ? kReconnectingText : kConnectionFailedText);
  // The next check that finds the network up reconnects and restores the icon.
  NetworkOnline = false;
}

void CTrayAttention::StartNetworkTimer() { SetTimer(m_window.GetHWND(), kNetworkCheckTimer, kNetworkCheckMs, nullptr); }

void CTrayAttention::OnNetworkStateChecked(bool online) {
  if (online == NetworkOnline) return;
  if (m_trayIconAdded) {
    FillRecord(kOnlineTip, online ? m_appIcon.get() : m_greyIcon.get());
    Platform().NotifyIcon(NIM_MODIFY, &m_trayIconData);
  }
  NetworkOnline = online;
  if (!online) return;
  mireloom::Director* director = mireloom::Director::DefaultDirector();
  // The outcome comes back as a connection state.
  if (director) director->ConnectToIMServer(director->im_protocol(), kReconnectRetrySeconds, [](bool) {});
}

void CTrayAttention::StartBlink() {
  // A window the user can see (minimised ones too) does not blink.
  if (!IsWindowVisible(m_window.GetHWND())) SetTimer(m_window.GetHWND(), kTrayBlinkTimer, kTrayBlinkMs, nullptr);
}

void CTrayAttention::StopBlink() {
  KillTimer(m_window.GetHWND(), kTrayBlinkTimer);
  SetIcon(m_appIcon.get());
}

void CTrayAttention::ToggleIcon() {
  SetIcon(m_trayIconData.hIcon == m_appIcon.get() ? m_blankIcon : m_appIcon.get());
}

void CTrayAttention::StartTaskbarFlash() {
  FLASHWINFO flash = {};
  flash.cbSize = sizeof flash;
  flash.hwnd = m_window.GetHWND();
  flash.dwFlags = FLASHW_TRAY;
  flash.uCount = kFlashCount;
  flash.dwTimeout = kFlashIntervalMs;
  Platform().FlashWindow(flash);
}

void CTrayAttention::StopTaskbarFlash() {
  FLASHWINFO flash = {};
  flash.cbSize = sizeof flash;
  flash.hwnd = m_window.GetHWND();
  flash.dwFlags = FLASHW_STOP;
  Platform().FlashWindow(flash);
}

void CTrayAttention::PlayMessageSound() {
  // A missing file plays nothing.
  Platform().PlaySoundFile(MessageSoundPath(), SND_ASYNC);
}

}  // namespace mireloomwnd
