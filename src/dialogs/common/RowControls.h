#pragma once

// The framework controls that the dialogs' list rows are built from, with the
// fixed sizes, paddings (left, top, right, bottom), ARGB colours and font
// indexes of the skin that each row gives. The caller adds them to a row,
// which then owns them.

#include <windows.h>

#include <functional>
#include <string>

#include "duilib/UIlib.h"

namespace mireloom {
class User;
}

namespace mireloomwnd {

// A square avatar button, without a name and without a picture yet.
[[nodiscard]] DuiLib::CButtonUI* NewAvatarButton(int size, RECT padding, int round);
// An avatar button that looks its picture up the first time it is painted,
// so that a list of thousands of rows is built without touching the disk or
// the network for the rows nobody scrolls to; and again on a later paint
// when its download failed (see MemberAvatar.h).
[[nodiscard]] DuiLib::CButtonUI* NewRowAvatar(int size, RECT padding, int round,
                                              std::function<void(DuiLib::CButtonUI& avatar)> lookUp);
// A one-line label.
[[nodiscard]] DuiLib::CLabelUI* NewRowLabel(const std::wstring& text, DWORD textColor, int font);
// The display name over "@" and the user name, as the member pickers show them.
[[nodiscard]] DuiLib::CVerticalLayoutUI* NewUserNameBox(const mireloom::User& user);
// A 16 x 16 icon button named after the row's id.
[[nodiscard]] DuiLib::CButtonUI* NewRowIcon(const wchar_t* image, RECT padding, const std::wstring& name);
// A text button, left-aligned and centred vertically, named after the row's id.
[[nodiscard]] DuiLib::CButtonUI* NewRowTextButton(const std::wstring& text, DWORD textColor, SIZE size, RECT padding,
                                                  const std::wstring& name);
// The send icon and the "Messages" button of a member row, both named after
// the row's uid: either opens the conversation with the row's member.
[[nodiscard]] DuiLib::CHorizontalLayoutUI* NewOpenImActions(const std::wstring& name, int iconLeft);
// The framed look of invite buttons and member tags.
void FrameRowButton(DuiLib::CButtonUI& button);
// A name in black over a grey detail line, in a box of the row's height.
[[nodiscard]] DuiLib::CVerticalLayoutUI* NewTwoLineTexts(const std::wstring& name, const std::wstring& detail,
                                                         int height);
// Adds the plus icon and a framed button of `width` that a keyboard reaches,
// both named `name`: the row's action (invite, join).
void AddFramedAction(DuiLib::CContainerUI& row, const std::wstring& text, int width, const std::wstring& name);
// Adds the framed grey "member" tag of `width`, named `name`; it takes no clicks.
void AddFramedTag(DuiLib::CContainerUI& row, int width, const std::wstring& name);
// A list row of a fixed height holding one box of the same height.
[[nodiscard]] DuiLib::CListContainerElementUI* NewListRow(int height, DuiLib::CContainerUI* box);

}  // namespace mireloomwnd
