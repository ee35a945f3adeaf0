#include "duilib/WindowImplBase.h"

#include <windowsx.h>

#include <algorithm>
#include <string>

#include "duilib/DialogBuilder.h"
#include "quennet/EventLog.h"

namespace DuiLib {

namespace {

std::string Narrow(const CDuiString& text) {
  const int size = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
  std::string out(size > 0 ? size - 1 : 0, '\0');
  if (size > 1) WideCharToMultiByte(CP_UTF8, 0, text, -1, out.data(), size, nullptr, nullptr);
  return out;
}

CDuiString CurrentDirectory() {
  wchar_t buffer[MAX_PATH * 2] = L"";
  const DWORD length = GetCurrentDirectoryW(MAX_PATH * 2, buffer);
  return CDuiString(buffer, static_cast<int>(length));
}

// "C:\..." or "\\server\..." (either separator): a folder that no longer
// depends on the working directory.
bool IsAbsoluteFolder(const CDuiString& folder) {
  const std::wstring text = folder.GetData();
  const bool drive = text.size() >= 3 && text[1] == L':' && (text[2] == L'\\' || text[2] == L'/');
  const bool unc = text.size() >= 2 && (text[0] == L'\\' || text[0] == L'/') && (text[1] == L'\\' || text[1] == L'/');
  return drive || unc;
}

}  // namespace

WindowImplBase::~WindowImplBase() {
  // Before the paint manager goes: no message may reach a half-destroyed window.
  DetachAndDestroyWindow();
}

UINT WindowImplBase::GetClassStyle() const { return CS_DBLCLKS; }

CControlUI* WindowImplBase::CreateControl(LPCTSTR pstrClass) { return nullptr; }

LRESULT WindowImplBase::MessageHandler(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled) {
  // Neither Esc nor Enter closes a window by itself: the skin names the
  // controls they press (see the paint manager's keyboard roles).
  bHandled = false;
  return 0;
}

void WindowImplBase::Notify(TNotifyUI& msg) {
  if (msg.sType == L"click" && !msg.m_bClickDispatched) OnClick(msg);
}

void WindowImplBase::OnClick(TNotifyUI& msg) {
  // A window that sends unhandled clicks to OnClick and then every record to
  // the base Notify would otherwise maximise twice.
  if (msg.m_bClickDispatched || !msg.pSender) return;
  msg.m_bClickDispatched = true;
  const CDuiString name = msg.pSender->GetName();
  if (name == L"closebtn") {
    Close(IDOK);
  } else if (name == L"minbtn") {
    SendMessage(WM_SYSCOMMAND, SC_MINIMIZE, 0);
  } else if (name == L"maxbtn") {
    SendMessage(WM_SYSCOMMAND, SC_MAXIMIZE, 0);
  } else if (name == L"restorebtn") {
    SendMessage(WM_SYSCOMMAND, SC_RESTORE, 0);
  }
}

RECT WindowImplBase::WorkAreaOf(HWND hWnd) {
  MONITORINFO monitor = {sizeof monitor};
  GetMonitorInfoW(MonitorFromWindow(hWnd, MONITOR_DEFAULTTONEAREST), &monitor);
  return monitor.rcWork;
}

SIZE WindowImplBase::ClampWindowSize(SIZE asked, SIZE minimum, const RECT& workArea) {
  // A skin's size is not trusted: a negative or tiny one gives a window
  // nobody can see, a huge one a bitmap of gigabytes.
  auto clamp = [](LONG value, LONG least, LONG most) {
    least = std::max<LONG>(least, kLeastWindowExtent);
    most = std::max<LONG>(most, least);
    return std::min<LONG>(std::max<LONG>(value, least), most);
  };
  return SIZE{clamp(asked.cx, minimum.cx, workArea.right - workArea.left),
              clamp(asked.cy, minimum.cy, workArea.bottom - workArea.top)};
}

LRESULT WindowImplBase::OnCreate(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled) {
  HWND hWnd = GetHWND();
  m_PaintManager.Init(hWnd);
  const CDuiString folder = GetSkinFolder();
  m_PaintManager.SetResourcePath(IsAbsoluteFolder(folder) ? folder : CurrentDirectory() + L"\\" + folder);
  const CDuiString skin = GetSkinFile();
  CDialogBuilder builder;
  CControlUI* root = builder.Create(skin, nullptr, this, &m_PaintManager);
  if (!root) {
    // Creation fails cleanly: no message box, no exit; Create returns NULL.
    quennet::log_error("Window skin could not be built: %s", Narrow(skin.Left(200)).c_str());
    return -1;
  }
  m_PaintManager.AttachDialog(root);
  const SIZE asked = m_PaintManager.GetInitSize();
  if (asked.cx != 0 || asked.cy != 0) {
    const SIZE size = ClampWindowSize(asked, m_PaintManager.GetMinInfo(), WorkAreaOf(hWnd));
    SetWindowPos(hWnd, nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  m_PaintManager.UpdateWindowRegion();
  m_PaintManager.AddNotifier(this);
  m_PaintManager.AddPreMessageFilter(this);
  InitWindow();
  // After the window's own set-up, which may have chosen a field itself.
  m_PaintManager.FocusInitialControl();
  return 0;
}

LRESULT WindowImplBase::OnClose(UINT, WPARAM, LPARAM, BOOL& bHandled) {
  bHandled = FALSE;
  return 0;
}

LRESULT WindowImplBase::OnDestroy(UINT, WPARAM, LPARAM, BOOL& bHandled) {
  bHandled = FALSE;
  return 0;
}

LRESULT WindowImplBase::OnNcActivate(UINT, WPARAM, LPARAM, BOOL& bHandled) {
  // No system caption is ever drawn.
  if (IsIconic(GetHWND())) bHandled = FALSE;
  return TRUE;
}

LRESULT WindowImplBase::OnNcCalcSize(UINT, WPARAM, LPARAM, BOOL& bHandled) {
  // The client area is the whole window, whatever the style holds.
  return 0;
}

LRESULT WindowImplBase::OnNcPaint(UINT, WPARAM, LPARAM, BOOL& bHandled) { return 0; }

LRESULT WindowImplBase::OnNcHitTest(UINT, WPARAM, LPARAM lParam, BOOL& bHandled) {
  POINT pt = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
  ScreenToClient(GetHWND(), &pt);
  return m_PaintManager.HitTestNonClient(pt);
}

LRESULT WindowImplBase::OnGetMinMaxInfo(UINT, WPARAM, LPARAM lParam, BOOL& bHandled) {
  auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
  MONITORINFO monitor = {sizeof monitor};
  GetMonitorInfoW(MonitorFromWindow(GetHWND(), MONITOR_DEFAULTTONEAREST), &monitor);
  // Maximised means exactly the work area: the taskbar stays visible.
  info->ptMaxPosition.x = monitor.rcWork.left - monitor.rcMonitor.left;
  info->ptMaxPosition.y = monitor.rcWork.top - monitor.rcMonitor.top;
  info->ptMaxSize.x = monitor.rcWork.right - monitor.rcWork.left;
  info->ptMaxSize.y = monitor.rcWork.bottom - monitor.rcWork.top;
  const SIZE minimum = m_PaintManager.GetMinInfo();
  const SIZE maximum = m_PaintManager.GetMaxInfo();
  if (minimum.cx > 0) info->ptMinTrackSize.x = minimum.cx;
  if (minimum.cy > 0) info->ptMinTrackSize.y = minimum.cy;
  if (maximum.cx > 0) info->ptMaxTrackSize.x = maximum.cx;
  if (maximum.cy > 0) info->ptMaxTrackSize.y = maximum.cy;
  return 0;
}

#define DUI_UNHANDLED_HOOK(name)                                             \
  LRESULT WindowImplBase::name(UINT, WPARAM, LPARAM, BOOL& bHandled) {       \
    bHandled = FALSE;                                                        \
    return 0;                                                                \
  }
DUI_UNHANDLED_HOOK(OnMouseWheel)
DUI_UNHANDLED_HOOK(OnMouseHover)
DUI_UNHANDLED_HOOK(OnSize)
DUI_UNHANDLED_HOOK(OnChar)
DUI_UNHANDLED_HOOK(OnKeyDown)
DUI_UNHANDLED_HOOK(OnKillFocus)
DUI_UNHANDLED_HOOK(OnSetFocus)
DUI_UNHANDLED_HOOK(OnLButtonDown)
DUI_UNHANDLED_HOOK(OnLButtonUp)
DUI_UNHANDLED_HOOK(OnMouseMove)
DUI_UNHANDLED_HOOK(HandleCustomMessage)
#undef DUI_UNHANDLED_HOOK

LRESULT WindowImplBase::OnSysCommand(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled) {
  HWND hWnd = GetHWND();
  return hWnd ? DefWindowProcW(hWnd, uMsg, wParam, lParam) : 0;
}

LRESULT WindowImplBase::HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) {
  // A destroyed window's object may still be called by code that was running
  // inside it; that is harmless.
  if (!GetHWND()) return 0;
  LRESULT result = 0;
  BOOL handled = TRUE;
  switch (uMsg) {
    case WM_CREATE: result = OnCreate(uMsg, wParam, lParam, handled); break;
    case WM_CLOSE: result = OnClose(uMsg, wParam, lParam, handled); break;
    case WM_DESTROY: result = OnDestroy(uMsg, wParam, lParam, handled); break;
    case WM_NCACTIVATE: result = OnNcActivate(uMsg, wParam, lParam, handled); break;
    case WM_NCCALCSIZE: result = OnNcCalcSize(uMsg, wParam, lParam, handled); break;
    case WM_NCPAINT: result = OnNcPaint(uMsg, wParam, lParam, handled); break;
    case WM_NCHITTEST: result = OnNcHitTest(uMsg, wParam, lParam, handled); break;
    case WM_GETMINMAXINFO: result = OnGetMinMaxInfo(uMsg, wParam, lParam, handled); break;
    case WM_MOUSEWHEEL: result = OnMouseWheel(uMsg, wParam, lParam, handled); break;
    case WM_MOUSEHOVER: result = OnMouseHover(uMsg, wParam, lParam, handled); break;
    case WM_SIZE: result = OnSize(uMsg, wParam, lParam, handled); break;
    case WM_CHAR: result = OnChar(uMsg, wParam, lParam, handled); break;
    case WM_SYSCOMMAND: result = OnSysCommand(uMsg, wParam, lParam, handled); break;
    case WM_KEYDOWN: result = OnKeyDown(uMsg, wParam, lParam, handled); break;
    case WM_KILLFOCUS: result = OnKillFocus(uMsg, wParam, lParam, handled); break;
    case WM_SETFOCUS: result = OnSetFocus(uMsg, wParam, lParam, handled); break;
    case WM_LBUTTONDOWN: result = OnLButtonDown(uMsg, wParam, lParam, handled); break;
    case WM_LBUTTONUP: result = OnLButtonUp(uMsg, wParam, lParam, handled); break;
    case WM_MOUSEMOVE: result = OnMouseMove(uMsg, wParam, lParam, handled); break;
    default: handled = FALSE; break;
  }
  if (handled) return result;
  handled = FALSE;
  result = HandleCustomMessage(uMsg, wParam, lParam, handled);
  if (handled) return result;
  if (!GetHWND()) return 0;
  if (m_PaintManager.MessageHandler(uMsg, wParam, lParam, result)) return result;
  return CWindowWnd::HandleMessage(uMsg, wParam, lParam);
}

bool WindowImplBase::PreHandleFrameworkMessage(UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lRes) {
  return m_PaintManager.PreMessageHandler(uMsg, wParam, lParam, lRes);
}

void WindowImplBase::ReleaseFrameworkResources() { m_PaintManager.ReleaseAll(); }

}  // namespace DuiLib
