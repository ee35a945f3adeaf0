#pragma once

// The custom messages of the member, channel and call dialogs. Each dialog
// handles only its own; one number may mean different things in different
// windows, so these stay apart from the other windows' numbers.

#include <windows.h>

namespace mireloomwnd {

// Row avatars of the conversation picker and the group-call picker (DownloadedImage).
inline constexpr UINT WM_ROW_AVATAR_DOWNLOADED = 0x40B;
// Row avatars of the channel members panel (ImageDownloadedMsg).
inline constexpr UINT WM_MEMBER_AVATAR_DOWNLOADED = 0x40C;
// A one-to-one conversation opened (mireloom::IM, may be null) or not.
inline constexpr UINT WM_IM_OPENED = 0x413;
inline constexpr UINT WM_IM_OPEN_FAILED = 0x414;
// A channel created (mireloom::Channel, may be null) or not.
inline constexpr UINT WM_CHANNEL_CREATED = 0x415;
inline constexpr UINT WM_CHANNEL_CREATE_FAILED = 0x416;
// An invitation accepted (InvitedUserMsg) or refused (no record).
inline constexpr UINT WM_MEMBER_INVITED = 0x417;
inline constexpr UINT WM_MEMBER_INVITE_FAILED = 0x418;
// Row avatars of the add-members list (DownloadedImage).
inline constexpr UINT WM_INVITEE_AVATAR_DOWNLOADED = 0x420;
// The member card's avatar, the callee's and a group-call tile's (ImageDownloadedMsg).
inline constexpr UINT WM_PROFILE_AVATAR_DOWNLOADED = 0x434;
inline constexpr UINT WM_CALLEE_AVATAR_DOWNLOADED = 0x436;
inline constexpr UINT WM_GROUP_CALLEE_AVATAR_DOWNLOADED = 0x437;

}  // namespace mireloomwnd
