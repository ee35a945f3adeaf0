#pragma once

// The main window's own messages, timers and menu commands, each defined
// once; the one the language window posts stands with the conversation host.

#include <windows.h>

#include "app/ui/ConversationHost.h"

namespace mireloomwnd {

// Posted by the last step of the start-up fetch chain.
inline constexpr UINT WM_SYNC_FINISHED = WM_USER + 0x04;
// Image records (DownloadedImage) sent by downloads for the lists and panels,
// the message view's pictures and its sender avatars.
inline constexpr UINT WM_AVATAR_DOWNLOADED = WM_USER + 0x06;
inline constexpr UINT WM_CHAT_IMAGE_DOWNLOADED = WM_USER + 0x0A;
inline constexpr UINT WM_SENDER_AVATAR_DOWNLOADED = WM_USER + 0x0D;
// The shell's callback message of the tray icon.
inline constexpr UINT WM_TRAY_NOTIFY = WM_USER + 0x07;
// Posted by the message listeners: the session list is rebuilt from the cache.
inline constexpr UINT WM_REFRESH_SESSION_LIST = WM_USER + 0x12;

// Timers of the window.
inline constexpr UINT_PTR kNetworkCheckTimer = 0x40E;
inline constexpr UINT kNetworkCheckMs = 10000;
inline constexpr UINT_PTR kTrayBlinkTimer = 0x410;
inline constexpr UINT kTrayBlinkMs = 400;
inline constexpr UINT_PTR kScrollToEndTimer = 0x411;
inline constexpr UINT kScrollToEndMs = 40;
inline constexpr UINT_PTR kCallAnimationTimer = 0x432;

// Commands of the native popup menus.
inline constexpr UINT kTrayFeedbackCommand = 0x408;
inline constexpr UINT kTrayExitCommand = 0x409;
inline constexpr UINT kCloseImCommand = 0x420;
inline constexpr UINT kCopyCommand = 0x423;
inline constexpr UINT kPasteCommand = 0x424;
inline constexpr UINT kCutCommand = 0x425;

}  // namespace mireloomwnd
