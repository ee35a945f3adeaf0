#include "duilib/PaintManager.h"

#include <commctrl.h>
#include <windowsx.h>

#include "ControlPin.h"
#include "duilib/Control.h"
#include "PaintSupport.h"

// Mouse, wheel, keys, cursor and tooltips: window messages turned into
// control events.

namespace DuiLib {

namespace {

// Hides the tip after its show time, as Windows' own tips go.
constexpr UINT_PTR kToolTipTimer = 0x7FFF0001;

WORD KeyState() {
  WORD state = 0;
  if (GetKeyState(VK_CONTROL) < 0) state |= MK_CONTROL;
  if (GetKeyState(VK_SHIFT) < 0) state |= MK_SHIFT;
  return state;
}

}  // namespace

void CPaintManagerUI::SendEvent(CControlUI* pControl, int type, POINT pt, WPARAM wParam, LPARAM lParam, TCHAR ch) {
  if (!pControl) return;
  TEventUI event;
  event.Type = type;
  event.pSender = pControl;
  event.dwTimestamp = GetTickCount();
  event.ptMouse = pt;
  event.chKey = ch;
  event.wKeyState = KeyState();
  event.wParam = wParam;
  event.lParam = lParam;
  DispatchEvent(pControl, event);
}

void CPaintManagerUI::DispatchEvent(CControlUI* pControl, TEventUI& event) {
  CControlPin pin(pControl);
  pControl->DoEvent(event);
}

void CPaintManagerUI::SetHot(CControlUI* pControl, POINT pt) {
  CControlUI* old = m_pEventHover;
  m_pEventHover = pControl;
  if (old && IsControlAlive(old)) SendEvent(old, UIEVENT_MOUSELEAVE, pt);
  if (pControl && m_pEventHover == pControl && IsControlAlive(pControl)) SendEvent(pControl, UIEVENT_MOUSEENTER, pt);
}

void CPaintManagerUI::OnMouseMove(POINT pt, WPARAM wParam) {
  m_ptLastMousePos = pt;
  if (m_bToolTipHeldBack) {
    // The window moves the pointer's client point, not its place on the
    // screen: only a real move lets the tips show again.
    POINT screen = pt;
    ClientToScreen(m_hWndPaint, &screen);
    m_bToolTipHeldBack = screen.x == m_ptToolTipHeldAt.x && screen.y == m_ptToolTipHeldAt.y;
  }
  if (!m_bMouseTracking) {
    TRACKMOUSEEVENT track = {sizeof track, TME_LEAVE | TME_HOVER, m_hWndPaint, 500};
    m_bMouseTracking = TrackMouseEvent(&track) != FALSE;
  }
  CControlUI* hit = FindControl(pt);
  if (hit != m_pEventHover) {
    HideToolTip();
    SetHot(hit, pt);
  }
  if (m_pEventClick) {
    SendEvent(m_pEventClick, UIEVENT_MOUSEMOVE, pt, wParam);
  } else if (hit && IsControlAlive(hit)) {
    SendEvent(hit, UIEVENT_MOUSEMOVE, pt, wParam);
  }
}

void CPaintManagerUI::OnButtonDown(UINT uMsg, POINT pt, WPARAM wParam) {
  m_ptLastMousePos = pt;
  HideToolTip();
  CControlUI* hit = FindControl(pt);
  if (uMsg == WM_RBUTTONDOWN) {
    m_pEventRClick = hit;
    if (hit) SendEvent(hit, UIEVENT_RBUTTONDOWN, pt, wParam);
    return;
  }
  // The focus moves first, so "killfocus"/"setfocus" come before the click.
  // A press on what cannot take the keyboard (a picture, a label, the
  // background, a disabled field) leaves the caret where it is, as in any
  // dialog: the user who clicks a window to bring it forward keeps typing.
  CControlUI* focusTarget = hit;
  while (focusTarget && !focusTarget->IsFocusable()) focusTarget = focusTarget->GetParent();
  if (focusTarget && focusTarget->IsEnabled()) SetFocus(focusTarget);
  HWND focus = ::GetFocus();
  if (focus != m_hWndPaint && !IsChild(m_hWndPaint, focus)) ::SetFocus(m_hWndPaint);
  if (!hit || !IsControlAlive(hit)) return;
  m_pEventClick = hit;
  ::SetCapture(m_hWndPaint);
  m_bMouseCapture = true;
  SendEvent(hit, uMsg == WM_LBUTTONDBLCLK ? UIEVENT_DBLCLICK : UIEVENT_BUTTONDOWN, pt, wParam);
}

void CPaintManagerUI::OnButtonUp(UINT uMsg, POINT pt, WPARAM wParam) {
  m_ptLastMousePos = pt;
  if (uMsg == WM_RBUTTONUP) {
    CControlUI* target = m_pEventRClick;
    m_pEventRClick = nullptr;
    if (target && IsControlAlive(target)) SendEvent(target, UIEVENT_RBUTTONUP, pt, wParam);
    return;
  }
  CControlUI* target = m_pEventClick;
  m_pEventClick = nullptr;
  if (m_bMouseCapture) {
    m_bMouseCapture = false;
    ::ReleaseCapture();
  }
  if (target && IsControlAlive(target)) SendEvent(target, UIEVENT_BUTTONUP, pt, wParam);
}

bool CPaintManagerUI::OnMouseWheel(WPARAM wParam, LPARAM lParam) {
  POINT pt = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
  ScreenToClient(m_hWndPaint, &pt);
  m_ptLastMousePos = pt;
  CControlUI* hit = FindControl(pt);
  if (!hit) return false;
  SendEvent(hit, UIEVENT_SCROLLWHEEL, pt, wParam, lParam);
  return true;
}

bool CPaintManagerUI::OnKeyDown(UINT uMsg, WPARAM wParam, LPARAM lParam) {
  m_bKeyHandled = false;
  // A control that takes Tab as typing keeps it.
  if (uMsg == WM_KEYDOWN && wParam == VK_TAB && GetKeyState(VK_CONTROL) >= 0 && !(m_pFocus && m_pFocus->WantsTab())) {
    if (SetNextTabControl(GetKeyState(VK_SHIFT) >= 0)) return true;
  }
  // What the key raises is marked as raised by the keyboard.
  ++m_nKeyDispatchDepth;
  if (m_pFocus) {
    SendEvent(m_pFocus, uMsg == WM_SYSKEYDOWN ? UIEVENT_SYSKEY : UIEVENT_KEYDOWN, m_ptLastMousePos, wParam, lParam,
              static_cast<TCHAR>(wParam));
  }
  if (!m_bKeyHandled && uMsg == WM_KEYDOWN) m_bKeyHandled = OnUnusedKey(wParam);
  --m_nKeyDispatchDepth;
  return m_bKeyHandled;
}

bool CPaintManagerUI::OnSetCursor(WPARAM wParam, LPARAM lParam) {
  // Native children set their own cursor; sizing borders are the system's.
  if (reinterpret_cast<HWND>(wParam) != m_hWndPaint || LOWORD(lParam) != HTCLIENT) return false;
  POINT pt;
  GetCursorPos(&pt);
  ScreenToClient(m_hWndPaint, &pt);
  CControlUI* hit = FindControl(pt);
  if (!hit) {
    ::SetCursor(LoadCursorW(nullptr, IDC_ARROW));
  } else {
    SendEvent(hit, UIEVENT_SETCURSOR, pt, wParam, lParam);
  }
  return true;
}

void CPaintManagerUI::OnContentScrolled(const CControlUI* pContainer) {
  for (const CControlUI* control = m_pEventHover; control; control = control->GetParent()) {
    if (control == pContainer) {
      HideToolTip();
      return;
    }
  }
}

void CPaintManagerUI::ShowToolTip() {
  if (!m_toolTip || !m_pEventHover || m_bToolTipHeldBack) return;
  const CDuiString text = m_pEventHover->GetToolTip();
  if (text.IsEmpty()) return;
  POINT pt = m_ptLastMousePos;
  ClientToScreen(m_hWndPaint, &pt);
  m_toolTip->Show(text, pt);
  const UINT showTime = m_toolTip->ShowTime();
  if (showTime > 0) ::SetTimer(m_hWndPaint, kToolTipTimer, showTime, nullptr);
}

void CPaintManagerUI::HideToolTip() {
  if (!m_toolTip || m_toolTip->Text().IsEmpty()) return;
  m_toolTip->Hide();
  if (m_hWndPaint) ::KillTimer(m_hWndPaint, kToolTipTimer);
}

bool CPaintManagerUI::OnToolTipTimer(WPARAM timer) {
  if (timer != kToolTipTimer) return false;
  ::KillTimer(m_hWndPaint, kToolTipTimer);
  HideToolTip();
  return true;
}

void CPaintManagerUI::OnWindowMoved() {
  // The tip stood beside the pointer over a control that has moved away. The
  // system's mouse move after the move does not bring it back; a real one does.
  HideToolTip();
  if (m_pEventHover) m_bToolTipHeldBack = GetCursorPos(&m_ptToolTipHeldAt) != FALSE;
}

CDuiString CPaintManagerUI::GetCurrentToolTip() const { return m_toolTip ? m_toolTip->Text() : CDuiString(); }

}  // namespace DuiLib
