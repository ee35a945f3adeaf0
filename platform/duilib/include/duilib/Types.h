#pragma once

// Records and interfaces shared by the framework and the windows built on it.

#include <windows.h>

#include <memory>

#include "duilib/DuiString.h"

namespace DuiLib {

class CControlUI;
class CPaintManagerUI;
class WindowImplBase;

namespace detail {
struct ResolvedImageValue;
}  // namespace detail

// Input and state events given to CControlUI::DoEvent.
enum EventType {
  UIEVENT__FIRST = 1,
  UIEVENT__KEYBEGIN,
  UIEVENT_KEYDOWN,
  UIEVENT_KEYUP,
  UIEVENT_CHAR,
  UIEVENT_SYSKEY,
  UIEVENT__KEYEND,
  UIEVENT__MOUSEBEGIN,
  UIEVENT_MOUSEMOVE,
  UIEVENT_MOUSELEAVE,
  UIEVENT_MOUSEENTER,
  UIEVENT_MOUSEHOVER,
  UIEVENT_BUTTONDOWN,
  UIEVENT_BUTTONUP,
  UIEVENT_RBUTTONDOWN,
  UIEVENT_RBUTTONUP,
  UIEVENT_DBLCLICK,
  UIEVENT_CONTEXTMENU,
  UIEVENT_SCROLLWHEEL,
  UIEVENT__MOUSEEND,
  UIEVENT_KILLFOCUS,
  UIEVENT_SETFOCUS,
  UIEVENT_WINDOWSIZE,
  UIEVENT_SETCURSOR,
  UIEVENT_TIMER,
  UIEVENT__LAST,
};

struct TEventUI {
  int Type = 0;
  CControlUI* pSender = nullptr;
  DWORD dwTimestamp = 0;
  POINT ptMouse = {0, 0};
  TCHAR chKey = 0;
  WORD wKeyState = 0;
  WPARAM wParam = 0;
  LPARAM lParam = 0;
};

// A notification raised by a control.
struct TNotifyUI {
  CDuiString sType;
  CDuiString sVirtualWnd;
  CControlUI* pSender = nullptr;
  DWORD dwTimestamp = 0;
  POINT ptMouse = {0, 0};  // client coordinates of the sender's window
  WPARAM wParam = 0;
  LPARAM lParam = 0;
  // Raised while the window handled a key (Enter or Space on a button): the
  // mouse point is only where the pointer happens to be.
  bool bFromKeyboard = false;

 private:
  // Set once the base window has run OnClick for this record, so that a
  // derived Notify that calls OnClick and then the base does not act twice.
  bool m_bClickDispatched = false;
  friend class WindowImplBase;
};

class INotifyUI {
 public:
  virtual ~INotifyUI() = default;
  virtual void Notify(TNotifyUI& msg) = 0;
};

class IMessageFilterUI {
 public:
  virtual ~IMessageFilterUI() = default;
  virtual LRESULT MessageHandler(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled) = 0;
};

class IDialogBuilderCallback {
 public:
  virtual ~IDialogBuilderCallback() = default;
  virtual CControlUI* CreateControl(LPCTSTR pstrClass) = 0;
};

// An image value as set ("a.png" or "file='a.png' source='0,0,16,16'"), and
// whether loading it failed since then: failures are retried only when the
// value is set again, not on every paint.
struct TImageSlot {
  CDuiString sValue;
  bool bFailed = false;
  // The value parsed and its file resolved by the last paint, until the value
  // is set again: a list repaints the same values row after row.
  std::shared_ptr<const detail::ResolvedImageValue> resolved;
  void Set(LPCTSTR value) {
    sValue = value;
    bFailed = false;
    resolved.reset();
  }
};

struct TFontInfo {
  HFONT hFont = nullptr;
  CDuiString sFontName;
  int iSize = 0;  // pixel height
  bool bBold = false;
  bool bUnderline = false;
  bool bItalic = false;
  TEXTMETRICW tm = {};
};

}  // namespace DuiLib
