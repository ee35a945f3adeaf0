#include "NativeEdit.h"

#include <algorithm>
#include <mutex>
#include <unordered_map>

#include "duilib/Container.h"

namespace DuiLib::detail {

namespace {

constexpr WPARAM kCtrlACharacter = 1;

// A hosted child's host and the window procedure it had before. They live
// here rather than in window properties: the child's procedure reads both for
// every message it gets, and under Wine each property read is a trip to the
// server.
struct Hosting {
  INativeEditHost* host = nullptr;
  WNDPROC previous = nullptr;
};

class HostingTable final {
 public:
  [[nodiscard]] Hosting Find(HWND hChild) {
    std::lock_guard<std::mutex> lock(m_mutex);
    const auto it = m_children.find(hChild);
    return it == m_children.end() ? Hosting{} : it->second;
  }
  void SetHost(HWND hChild, INativeEditHost* pHost) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_children[hChild].host = pHost;
  }
  void SetPrevious(HWND hChild, WNDPROC previous) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_children[hChild].previous = previous;
  }
  void ClearHost(HWND hChild) {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (const auto it = m_children.find(hChild); it != m_children.end()) it->second.host = nullptr;
  }
  void Remove(HWND hChild) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_children.erase(hChild);
  }

 private:
  std::mutex m_mutex;
  std::unordered_map<HWND, Hosting> m_children;
};

HostingTable& Hosted() {
  // Never destroyed: children may still get messages while the process exits.
  static auto* table = new HostingTable;
  return *table;
}

// Ctrl+A selects everything in every edit and rich edit; the native EDIT
// does not do it itself and would beep at the character it makes.
bool HandleSelectAll(HWND hWnd, UINT uMsg, WPARAM wParam) {
  if (uMsg == WM_CHAR) return wParam == kCtrlACharacter;
  if (uMsg != WM_KEYDOWN || wParam != 'A') return false;
  // Asked only for the key itself: each ask is a trip to the server under Wine.
  if (GetKeyState(VK_CONTROL) >= 0 || GetKeyState(VK_MENU) < 0) return false;
  ::SendMessageW(hWnd, EM_SETSEL, 0, -1);
  return true;
}

// How deep each hosted child of this thread is in handling messages.
thread_local std::unordered_map<HWND, int> t_nesting;

// Runs the child's own handling; the host hears when a message from outside
// is done, not after each one the child sends itself meanwhile.
LRESULT CallAndReport(WNDPROC previous, HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam) {
  ++t_nesting[hWnd];
  const LRESULT result = CallWindowProcW(previous, hWnd, uMsg, wParam, lParam);
  const auto depth = t_nesting.find(hWnd);
  if (depth == t_nesting.end() || --depth->second > 0) return result;
  t_nesting.erase(depth);
  // The host may be gone meanwhile: look it up again.
  if (auto* host = NativeEditHostOf(hWnd)) host->OnNativeMessageDone();
  return result;
}

LRESULT CALLBACK NativeEditProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam) {
  const Hosting hosting = Hosted().Find(hWnd);
  INativeEditHost* host = hosting.host;
  const WNDPROC previous = hosting.previous;
  if (!previous) return DefWindowProcW(hWnd, uMsg, wParam, lParam);
  if (HandleSelectAll(hWnd, uMsg, wParam)) return 0;
  if (host && uMsg != WM_NCDESTROY) {
    LRESULT handled = 0;
    if (host->OnNativeMessage(uMsg, wParam, lParam, handled)) return handled;
  }
  switch (uMsg) {
    case WM_SETFOCUS:
    case WM_KILLFOCUS: {
      const LRESULT result = CallWindowProcW(previous, hWnd, uMsg, wParam, lParam);
      // The host may be gone meanwhile: look it up again.
      if (INativeEditHost* current = NativeEditHostOf(hWnd)) {
        current->OnNativeFocus(uMsg == WM_SETFOCUS);
      }
      return result;
    }
    case WM_PAINT:
    case WM_PRINT:
    case WM_PRINTCLIENT: {
      const LRESULT result = CallWindowProcW(previous, hWnd, uMsg, wParam, lParam);
      if (host) {
        if (uMsg != WM_PAINT) {
          host->OnNativePainted(reinterpret_cast<HDC>(wParam));
        } else if (HDC dc = GetDC(hWnd)) {
          host->OnNativePainted(dc);
          ReleaseDC(hWnd, dc);
        }
      }
      return result;
    }
    case WM_DESTROY:
      if (host) host->OnNativeDestroyed();
      break;
    case WM_NCDESTROY:
      Hosted().Remove(hWnd);
      SetWindowLongPtrW(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous));
      return CallWindowProcW(previous, hWnd, uMsg, wParam, lParam);
    default:
      break;
  }
  return CallAndReport(previous, hWnd, uMsg, wParam, lParam);
}

}  // namespace

void AttachNativeEdit(HWND hChild, INativeEditHost* pHost) {
  Hosted().SetHost(hChild, pHost);
  Hosted().SetPrevious(
      hChild, reinterpret_cast<WNDPROC>(SetWindowLongPtrW(hChild, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(NativeEditProc))));
}

void DetachNativeEdit(HWND hChild) { Hosted().ClearHost(hChild); }

INativeEditHost* NativeEditHostOf(HWND hChild) { return hChild ? Hosted().Find(hChild).host : nullptr; }

CControlUI* NativeEditControlOf(HWND hChild) {
  INativeEditHost* host = NativeEditHostOf(hChild);
  return host ? host->HostControl() : nullptr;
}

LRESULT CallNativeDefault(HWND hChild, UINT uMsg, WPARAM wParam, LPARAM lParam) {
  const WNDPROC previous = Hosted().Find(hChild).previous;
  return previous ? CallWindowProcW(previous, hChild, uMsg, wParam, lParam)
                  : ::SendMessageW(hChild, uMsg, wParam, lParam);
}

std::wstring NativeWindowText(HWND hWnd) {
  const int length = GetWindowTextLengthW(hWnd);
  std::wstring text(static_cast<size_t>(std::max(length, 0)) + 1, L'\0');
  const int copied = GetWindowTextW(hWnd, text.data(), length + 1);
  text.resize(static_cast<size_t>(std::max(copied, 0)));
  return text;
}

std::wstring ClipboardText(HWND owner, bool singleLine) {
  std::wstring text;
  if (!OpenClipboard(owner)) return text;
  if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
    if (const auto* chars = static_cast<const wchar_t*>(GlobalLock(data))) {
      text = chars;
      GlobalUnlock(data);
    }
  }
  CloseClipboard();
  if (singleLine) text.resize(std::min(text.size(), text.find_first_of(L"\r\n")));
  return text;
}

RECT VisibleNativeRect(const CControlUI* pControl, const RECT& rc) {
  RECT visible = rc;
  for (CControlUI* parent = pControl->GetParent(); parent; parent = parent->GetParent()) {
    if (auto* container = static_cast<CContainerUI*>(parent->GetInterface(L"Container"))) {
      const RECT inner = container->GetInnerRect();
      if (!IntersectRect(&visible, &visible, &inner)) return RECT{0, 0, 0, 0};
    }
  }
  return visible;
}

bool PlaceNativeChild(HWND hChild, const RECT& rc, const RECT& visible, bool bShow, bool bWasClipped) {
  const bool clipped = bShow && !EqualRect(&visible, &rc);
  if (clipped || bWasClipped) {
    HRGN region = clipped ? CreateRectRgn(visible.left - rc.left, visible.top - rc.top, visible.right - rc.left,
                                          visible.bottom - rc.top)
                          : nullptr;
    // The system owns the region once it is set.
    if (!SetWindowRgn(hChild, region, TRUE) && region) DeleteObject(region);
  }
  SetWindowPos(hChild, nullptr, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top,
               SWP_NOZORDER | SWP_NOACTIVATE | (bShow ? SWP_SHOWWINDOW : SWP_HIDEWINDOW));
  return clipped;
}

UINT NativeReleaseMessage() {
  static const UINT message = RegisterWindowMessageW(L"DuiLib.ReleaseNativeChild");
  return message;
}

void PostNativeRelease(HWND hPaintWindow, HWND hChild) {
  if (hPaintWindow) ::PostMessageW(hPaintWindow, NativeReleaseMessage(), 0, reinterpret_cast<LPARAM>(hChild));
}

}  // namespace DuiLib::detail
