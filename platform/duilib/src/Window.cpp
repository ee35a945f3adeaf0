#include "duilib/Window.h"

#include <algorithm>

#include <map>
#include <set>
#include <string>
#include <unordered_map>
#include <vector>

#include "duilib/PaintManager.h"
#include "ModalState.h"
#include "quennet/EventLog.h"

namespace DuiLib {

namespace {

// The loop of a window that ends while that loop waits in GetMessage (the
// window was closed by a handler of a message sent from another thread, or
// by a nested loop) must look again: it would otherwise wait for input that
// may never come. An empty thread message wakes it.
void WakeModalLoopOf(HWND hWnd) {
  const std::vector<HWND> loops = detail::ModalWindows();
  if (std::find(loops.begin(), loops.end(), hWnd) != loops.end()) {
    PostThreadMessageW(GetCurrentThreadId(), WM_NULL, 0, 0);
  }
}

std::unordered_map<HWND, CWindowWnd*>& Registry() {
  static auto* registry = new std::unordered_map<HWND, CWindowWnd*>;
  return *registry;
}

// Owners disabled by modal windows, counted, so that chained or nested
// dialogs re-enable an owner only when the last of them ends.
std::map<HWND, int>& OwnerLocks() {
  static auto* locks = new std::map<HWND, int>;
  return *locks;
}
// The owner that each modal window disabled.
std::map<HWND, HWND>& ModalOwners() {
  static auto* owners = new std::map<HWND, HWND>;
  return *owners;
}

void LockOwner(HWND modal, HWND owner) {
  if (!owner) return;
  ModalOwners()[modal] = owner;
  if (OwnerLocks()[owner]++ == 0) EnableWindow(owner, FALSE);
}

// Re-enables the owner of a modal window, once.
HWND UnlockOwner(HWND modal) {
  auto it = ModalOwners().find(modal);
  if (it == ModalOwners().end()) return nullptr;
  HWND owner = it->second;
  ModalOwners().erase(it);
  auto lock = OwnerLocks().find(owner);
  if (lock != OwnerLocks().end() && --lock->second <= 0) {
    OwnerLocks().erase(lock);
    EnableWindow(owner, TRUE);
  }
  return owner;
}

// Window objects that free themselves, alive in the process (tests look for
// leaks with it).
std::atomic<size_t> g_liveAutoDeleteWindows{0};

std::set<std::wstring>& RegisteredClasses() {
  static auto* classes = new std::set<std::wstring>;
  return *classes;
}

}  // namespace

namespace detail {

UINT WakeMessage() {
  static const UINT message = RegisterWindowMessageW(L"DuiLib.Wake");
  return message;
}

std::vector<CWindowWnd*> LiveWindows() {
  std::vector<CWindowWnd*> windows;
  for (const auto& [hwnd, window] : Registry()) {
    if (GetWindowThreadProcessId(hwnd, nullptr) == GetCurrentThreadId()) windows.push_back(window);
  }
  return windows;
}

size_t LiveAutoDeleteWindowCount() { return g_liveAutoDeleteWindows.load(); }

}  // namespace detail

CWindowWnd::CWindowWnd() = default;

CWindowWnd::~CWindowWnd() {
  if (m_bAutoDelete) --g_liveAutoDeleteWindows;
  DetachAndDestroyWindow();
}

void CWindowWnd::SetAutoDelete(bool bAutoDelete) {
  if (bAutoDelete == m_bAutoDelete) return;
  m_bAutoDelete = bAutoDelete;
  if (bAutoDelete) {
    ++g_liveAutoDeleteWindows;
  } else {
    --g_liveAutoDeleteWindows;
  }
}

void CWindowWnd::DetachAndDestroyWindow() {
  HWND hWnd = m_hWnd.exchange(nullptr);
  if (!hWnd) return;
  Registry().erase(hWnd);
  UnlockOwner(hWnd);
  if (IsWindow(hWnd)) DestroyWindow(hWnd);
}

CWindowWnd* CWindowWnd::FromHandle(HWND hWnd) {
  const auto it = Registry().find(hWnd);
  return it == Registry().end() ? nullptr : it->second;
}

HWND CWindowWnd::InnermostModalWindow() {
  const std::vector<HWND> windows = detail::ModalWindows();
  return windows.empty() ? nullptr : windows.back();
}

UINT CWindowWnd::GetClassStyle() const { return CS_DBLCLKS; }

bool CWindowWnd::RegisterWindowClass() {
  const std::wstring name = GetWindowClassName();
  if (RegisteredClasses().count(name)) return true;
  WNDCLASSEXW wc = {};
  wc.cbSize = sizeof wc;
  wc.style = GetClassStyle() | CS_DBLCLKS;
  wc.lpfnWndProc = WindowProc;
  wc.hInstance = CPaintManagerUI::GetInstance();
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.lpszClassName = name.c_str();
  if (!RegisterClassExW(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return false;
  RegisteredClasses().insert(name);
  return true;
}

HWND CWindowWnd::Create(HWND hwndParent, LPCTSTR pstrName, DWORD dwStyle, DWORD dwExStyle, int x, int y, int cx,
                        int cy, HMENU hMenu) {
  if (GetHWND()) return nullptr;
  if (!RegisterWindowClass()) {
    quennet::log_error("Window class could not be registered");
    return nullptr;
  }
  HWND hWnd = CreateWindowExW(dwExStyle, GetWindowClassName(), pstrName, dwStyle, x, y, cx, cy, hwndParent, hMenu,
                              CPaintManagerUI::GetInstance(), this);
  // A creation refused by OnCreate has already run the final message.
  return hWnd && GetHWND() == hWnd ? hWnd : nullptr;
}

void CWindowWnd::ShowWindow(bool bShow, bool bTakeFocus) {
  HWND hWnd = GetHWND();
  if (!hWnd) return;
  ::ShowWindow(hWnd, bShow ? (bTakeFocus ? SW_SHOWNORMAL : SW_SHOWNOACTIVATE) : SW_HIDE);
  if (bShow && bTakeFocus) {
    SetForegroundWindow(hWnd);
    SetActiveWindow(hWnd);
  }
}

UINT CWindowWnd::ShowModal() {
  HWND hWnd = GetHWND();
  if (!hWnd || !IsWindow(hWnd)) return 0;
  UINT result = 0;
  // Run while handling a message sent from another thread, this loop would
  // hold that sender until the window closes: an outer window's loop and every
  // loop nested in it later. Answer the sender now, so it goes on at once.
  const bool insideSentMessage = (InSendMessageEx(nullptr) & ISMEX_SEND) != 0;
  if (insideSentMessage) ReplyMessage(0);
  ShowWindow(true, true);
  LockOwner(hWnd, GetWindow(hWnd, GW_OWNER));
  detail::ModalFrame frame(hWnd);
  MSG msg;
  while (GetHWND() == hWnd && IsWindow(hWnd)) {
    const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got == 0) {
      // Pass the quit on to the loop outside, and take this window along so
      // that its final message runs and no window outlives its object.
      PostQuitMessage(static_cast<int>(msg.wParam));
      UnlockOwner(hWnd);
      if (IsWindow(hWnd)) DestroyWindow(hWnd);
      break;
    }
    if (got == -1) break;
    if (msg.message == WM_CLOSE && msg.hwnd == hWnd) {
      result = static_cast<UINT>(msg.wParam);
      // The owner is usable again before this window goes, so it takes the activation.
      if (HWND owner = UnlockOwner(hWnd)) SetActiveWindow(owner);
    }
    if (!CPaintManagerUI::TranslateMessage(&msg)) {
      ::TranslateMessage(&msg);
      ::DispatchMessageW(&msg);
    }
  }
  UnlockOwner(hWnd);
  // The loop outside received that sent message inside its GetMessage, which
  // goes on waiting for a posted message once the handler returns: wake it,
  // so it looks at its own window again. One wake per ended loop carries the
  // unwinding through any depth.
  if (insideSentMessage) PostThreadMessageW(GetCurrentThreadId(), detail::WakeMessage(), 0, 0);
  return result;
}

void CWindowWnd::Close(UINT nRet) {
  HWND hWnd = GetHWND();
  if (hWnd) ::PostMessageW(hWnd, WM_CLOSE, nRet, 0);
}

void CWindowWnd::CenterWindow() {
  HWND hWnd = GetHWND();
  if (!hWnd || IsZoomed(hWnd) || IsIconic(hWnd)) return;
  RECT rc;
  GetWindowRect(hWnd, &rc);
  const int width = rc.right - rc.left;
  const int height = rc.bottom - rc.top;
  MONITORINFO monitor = {sizeof monitor};
  GetMonitorInfoW(MonitorFromWindow(hWnd, MONITOR_DEFAULTTONEAREST), &monitor);
  const RECT work = monitor.rcWork;
  RECT center = work;
  HWND owner = GetWindow(hWnd, GW_OWNER);
  if (owner && IsWindowVisible(owner) && !IsIconic(owner)) GetWindowRect(owner, &center);
  int x = (center.left + center.right - width) / 2;
  int y = (center.top + center.bottom - height) / 2;
  // Kept inside the work area; a window larger than it starts at its corner.
  x = std::max<int>(work.left, std::min<int>(x, work.right - width));
  y = std::max<int>(work.top, std::min<int>(y, work.bottom - height));
  SetWindowPos(hWnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CWindowWnd::ResizeClient(int cx, int cy) {
  HWND hWnd = GetHWND();
  if (!hWnd) return;
  RECT rc;
  GetClientRect(hWnd, &rc);
  if (cx < 0) cx = rc.right - rc.left;
  if (cy < 0) cy = rc.bottom - rc.top;
  SetWindowPos(hWnd, nullptr, 0, 0, cx, cy, SWP_NOZORDER | SWP_NOMOVE | SWP_NOACTIVATE);
}

LRESULT CWindowWnd::SendMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) {
  HWND hWnd = GetHWND();
  return hWnd ? ::SendMessageW(hWnd, uMsg, wParam, lParam) : 0;
}

LRESULT CWindowWnd::PostMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) {
  HWND hWnd = GetHWND();
  return hWnd ? ::PostMessageW(hWnd, uMsg, wParam, lParam) : 0;
}

LRESULT CWindowWnd::HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) {
  HWND hWnd = GetHWND();
  return hWnd ? DefWindowProcW(hWnd, uMsg, wParam, lParam) : 0;
}

void CWindowWnd::OnFinalMessage(HWND hWnd) {}

bool CWindowWnd::PreHandleFrameworkMessage(UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lRes) { return false; }

LRESULT CALLBACK CWindowWnd::WindowProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam) {
  CWindowWnd* self = nullptr;
  if (uMsg == WM_NCCREATE) {
    self = static_cast<CWindowWnd*>(reinterpret_cast<LPCREATESTRUCTW>(lParam)->lpCreateParams);
    if (self) {
      self->m_hWnd = hWnd;
      // The object is found through the registry, and its pointer also sits
      // in GWLP_USERDATA; the procedure may be subclassed later (shadows).
      SetWindowLongPtrW(hWnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
      Registry()[hWnd] = self;
    }
  } else {
    self = FromHandle(hWnd);
  }
  if (!self) return DefWindowProcW(hWnd, uMsg, wParam, lParam);
  if (uMsg == WM_NCDESTROY) {
    const LRESULT result = DefWindowProcW(hWnd, uMsg, wParam, lParam);
    WakeModalLoopOf(hWnd);
    self->OnNcDestroy(hWnd);
    return result;
  }
  if (uMsg == WM_DESTROY) UnlockOwner(hWnd);
  return self->Dispatch(hWnd, uMsg, wParam, lParam);
}

LRESULT CWindowWnd::Dispatch(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam) {
  ++m_nDispatchDepth;
  LRESULT result = 0;
  if (!PreHandleFrameworkMessage(uMsg, wParam, lParam, result)) result = HandleMessage(uMsg, wParam, lParam);
  if (--m_nDispatchDepth == 0 && m_bDeletePending) delete this;
  return result;
}

void CWindowWnd::OnNcDestroy(HWND hWnd) {
  Registry().erase(hWnd);
  SetWindowLongPtrW(hWnd, GWLP_USERDATA, 0);
  // The framework's clean-up never depends on the client's OnFinalMessage.
  ReleaseFrameworkResources();
  m_hWnd = nullptr;
  // A modal loop waiting in GetMessage for this window wakes up and ends.
  PostThreadMessageW(GetCurrentThreadId(), detail::WakeMessage(), 0, 0);
  OnFinalMessage(hWnd);
  if (m_bAutoDelete) {
    if (m_nDispatchDepth == 0) {
      delete this;
    } else {
      m_bDeletePending = true;
    }
  }
}

}  // namespace DuiLib
