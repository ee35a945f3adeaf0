#pragma once

// Hosting of native edit children (EDIT and RichEdit): the child is
// subclassed so that focus changes, content changes and its own messages
// reach the control that hosts it, and the framework finds that control
// from the child's handle (key routing, colours, focus).

#include <windows.h>

#include <string>

namespace DuiLib {
class CControlUI;
}

namespace DuiLib::detail {

class INativeEditHost {
 public:
  virtual ~INativeEditHost() = default;
  [[nodiscard]] virtual CControlUI* HostControl() = 0;
  // WM_CTLCOLOREDIT/STATIC for the child; NULL leaves the default.
  virtual HBRUSH OnCtlColor(HDC hDC) { return nullptr; }
  // EN_CHANGE.
  virtual void OnNativeChange() = 0;
  virtual void OnNativeFocus(bool bGained) = 0;
  // The child is being destroyed with its parent window.
  virtual void OnNativeDestroyed() = 0;
  // A message to the child before the child sees it; true when the host
  // handled it and the child must not.
  virtual bool OnNativeMessage(UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lRes) { return false; }
  // After the child painted itself (WM_PAINT, or WM_PRINTCLIENT into a DC).
  virtual void OnNativePainted(HDC hDC) {}
  // After the child handled a message from outside it (not one it sent itself
  // while handling another).
  virtual void OnNativeMessageDone() {}
  // The release posted with PostNativeRelease arrived.
  virtual void OnDeferredRelease() {}
};

// Subclasses the child; the host must outlive it or call DetachNativeEdit.
void AttachNativeEdit(HWND hChild, INativeEditHost* pHost);
// Stops reporting to the host (before the host destroys the child itself).
void DetachNativeEdit(HWND hChild);
[[nodiscard]] INativeEditHost* NativeEditHostOf(HWND hChild);
[[nodiscard]] CControlUI* NativeEditControlOf(HWND hChild);
// The child's own handling of a message, past the hosting.
LRESULT CallNativeDefault(HWND hChild, UINT uMsg, WPARAM wParam, LPARAM lParam);

// The window text, as the child holds it.
[[nodiscard]] std::wstring NativeWindowText(HWND hWnd);

// The clipboard's text, whatever else it holds; up to the first line break
// for a single line.
[[nodiscard]] std::wstring ClipboardText(HWND owner, bool singleLine);

// What scrolling or small ancestors of the control leave visible of a child
// placed at the rectangle.
[[nodiscard]] RECT VisibleNativeRect(const CControlUI* pControl, const RECT& rc);
// Moves and shows or hides the child. The child stays where its text
// belongs; a part scrolled out of view is cut off by a region rather than by
// moving the text. Returns whether it is cut now.
bool PlaceNativeChild(HWND hChild, const RECT& rc, const RECT& visible, bool bShow, bool bWasClipped);

// Asks, through the paint window's queue, for the host of the child to
// release it once the current message is done.
void PostNativeRelease(HWND hPaintWindow, HWND hChild);
[[nodiscard]] UINT NativeReleaseMessage();

}  // namespace DuiLib::detail
