#pragma once

// The main window's tray icon and what draws the user's attention: the
// icon's three pictures (normal, grey while offline, none in the blink's dark
// phase), the balloon on a lost connection, the ten-second network check that
// reconnects, the taskbar flash and the message sound. The window owns one;
// its timers tick in the window's handler, which hands the ticks on.

#include <windows.h>
#include <shellapi.h>

#include <string>

#include "duilib/UIlib.h"
#include "quennet/WinHandles.h"

namespace mireloomwnd {

// The network state that the last check acted on; true at start.
extern bool NetworkOnline;

class CTrayAttention final {
 public:
  // The icon, its callback, the timers and the flash are `window`'s.
  explicit CTrayAttention(DuiLib::CWindowWnd& window) : m_window(window) {}
  CTrayAttention(const CTrayAttention&) = delete;
  CTrayAttention& operator=(const CTrayAttention&) = delete;

  // The pictures, from the program's folder; the normal one becomes the
  // window's small icon.
  void LoadIcons();
  // The icons go; the tray icon must have gone before.
  void ReleaseIcons();
  void AddIcon();
  void RemoveIcon();
  void ApplyConnectionState(int state);
  void StartNetworkTimer();
  void OnNetworkStateChecked(bool online);
  void StartBlink();
  void StopBlink();
  void ToggleIcon();
  void StartTaskbarFlash();
  void StopTaskbarFlash();
  void PlayMessageSound();

 private:
  // The tray record afresh: this window, its callback, the tip and the icon.
  void FillRecord(const std::wstring& tip, HICON icon);
  void SetIcon(HICON icon);
  void ShowBalloon(const std::wstring& title, const std::wstring& text);

  DuiLib::CWindowWnd& m_window;
  NOTIFYICONDATAW m_trayIconData = {};
  bool m_trayIconAdded = false;
  quennet::UniqueIcon m_appIcon;
  HICON m_blankIcon = nullptr;
  quennet::UniqueIcon m_greyIcon;
};

}  // namespace mireloomwnd
