#pragma once

// What every window of the client shares: the skin folder, the styles it is
// created with, the first number of its own messages, texts from the string
// table by key, and the creation step that attaches the drop shadow.

#include <windows.h>

#include <initializer_list>

#include "app/storage/SkinPaths.h"
#include "duilib/UIlib.h"

class CWndShadow;

namespace mireloomwnd {

inline constexpr DWORD kDialogStyle = 0x96C80000;      // popup, caption, system menu, visible, clipping
inline constexpr DWORD kOverlappedStyle = 0x10CF0000;  // visible overlapped window
inline constexpr DWORD kWindowExStyle = 0x100;         // WS_EX_WINDOWEDGE

// Each window numbers its own messages from here; a number may mean
// different things in different windows.
inline constexpr UINT kFirstWindowMessage = WM_USER + 1;

// TipValue: the hint an edit or rich edit shows while it is empty.
enum class TextTarget { Text, ToolTip, TipValue };

// A control's text, tooltip or edit tip, and the key of the string table
// that gives it.
struct TextBinding {
  const wchar_t* control;
  const char* key;
  TextTarget target = TextTarget::Text;
};

// Sets each bound control's text from the string table of the current
// language. A control that is not found is skipped; a missing key gives "".
void ApplyTexts(DuiLib::CPaintManagerUI& manager, std::initializer_list<TextBinding> bindings);

// The creation step most windows share: the framework builds the window,
// the caption style goes, clipping styles come, and the shadow attaches.
// Returns the framework's result.
LRESULT CreateWithShadow(DuiLib::WindowImplBase& window, CWndShadow& shadow, UINT uMsg, WPARAM wParam, LPARAM lParam,
                         BOOL& bHandled);

// The creation step of the side panels (member card, channel members, file
// list, file details) and of the emoji picker: the framework builds the
// window and sizes it from its skin, then the window goes back to its
// opener's rectangle, on top, its style kept as created, and the shadow
// attaches. Returns the framework's result.
LRESULT CreateSidePanel(DuiLib::WindowImplBase& window, CWndShadow& shadow, const RECT& placement, UINT uMsg,
                        WPARAM wParam, LPARAM lParam, BOOL& bHandled);

// The style every window gets once the framework built it: no caption, and
// children and siblings clipped.
void ApplyBorderlessStyle(HWND window);

// The shadow steps alone, for windows with creation steps of their own.
void AttachShadow(CWndShadow& shadow, HWND window);

// Whether a button has the keyboard: Enter then presses it, not the window's
// main action (a window that acts on Enter itself asks first).
[[nodiscard]] bool IsButtonFocused(const DuiLib::CPaintManagerUI& manager);

}  // namespace mireloomwnd
