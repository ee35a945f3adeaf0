#include "BrowserWindow.h"

#include "Browser.h"
#include "BrowserRegistry.h"
#include "CookieStore.h"
#include "quennet/WinHandles.h"

namespace cef_internal {

namespace {

constexpr int kMargin = 12;
constexpr int kAddressBarHeight = 28;
constexpr int kLineGap = 6;
constexpr COLORREF kPageColor = RGB(0xFF, 0xFF, 0xFF);
constexpr COLORREF kAddressBarColor = RGB(0xF1, 0xF3, 0xF4);
constexpr COLORREF kAddressTextColor = RGB(0x20, 0x21, 0x24);
constexpr COLORREF kDetailTextColor = RGB(0x5F, 0x63, 0x68);

void RegisterWindowClass(WNDPROC procedure) {
  static const bool registered = [procedure] {
    WNDCLASSEXW window_class = {};
    window_class.cbSize = sizeof window_class;
    window_class.lpfnWndProc = procedure;
    window_class.hInstance = GetModuleHandleW(nullptr);
    window_class.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    window_class.lpszClassName = BrowserWindow::kClassName;
    return RegisterClassExW(&window_class) != 0;
  }();
  (void)registered;
}

std::wstring JoinNames(const std::vector<std::wstring>& names) {
  std::wstring joined;
  for (const std::wstring& name : names) {
    if (!joined.empty()) joined += L", ";
    joined += name;
  }
  return joined;
}

void FillRect(HDC dc, const RECT& rect, COLORREF color) {
  quennet::UniqueBrush brush(CreateSolidBrush(color));
  ::FillRect(dc, &rect, brush.get());
}

// Draws one line of text and returns the bottom of what it took.
int DrawLine(HDC dc, const std::wstring& text, RECT area, COLORREF color) {
  SetTextColor(dc, color);
  RECT measured = area;
  DrawTextW(dc, text.c_str(), -1, &measured, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX | DT_EDITCONTROL);
  area.bottom = area.top + (measured.bottom - measured.top);
  DrawTextW(dc, text.c_str(), -1, &area, DT_WORDBREAK | DT_NOPREFIX | DT_EDITCONTROL);
  return area.bottom;
}

void DrawPage(HDC dc, const RECT& client, const std::vector<std::wstring>& lines) {
  FillRect(dc, client, kPageColor);
  SetBkMode(dc, TRANSPARENT);
  if (lines.empty()) return;

  const RECT bar = {client.left + kMargin, client.top + kMargin, client.right - kMargin,
                    client.top + kMargin + kAddressBarHeight};
  FillRect(dc, bar, kAddressBarColor);
  RECT address = bar;
  address.left += kMargin;
  address.right -= kMargin;
  SetTextColor(dc, kAddressTextColor);
  DrawTextW(dc, lines[0].c_str(), -1, &address, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);

  RECT rest = {bar.left, bar.bottom + 2 * kLineGap, bar.right, client.bottom - kMargin};
  for (size_t i = 1; i < lines.size() && rest.top < rest.bottom; ++i) {
    rest.top = DrawLine(dc, lines[i], rest, kDetailTextColor) + kLineGap;
  }
}

BrowserState* StateOf(HWND window) { return reinterpret_cast<BrowserState*>(GetWindowLongPtrW(window, GWLP_USERDATA)); }

RECT RectInParent(HWND window) {
  RECT rect;
  GetWindowRect(window, &rect);
  MapWindowPoints(HWND_DESKTOP, GetParent(window), reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

// Under Wine, moving, hiding or destroying a child makes its thread erase the
// parent at once, which sends WM_ERASEBKGND to the parent's thread and waits
// for it. The client moves this window from the UI thread while it holds its
// lock, and a host may wait for that lock, so the UI thread must never wait
// for the host. The window therefore takes every change without redrawing
// and invalidates what changed itself: invalidating (without erasing) does
// not wait, and the host repaints the uncovered part when it next paints.
void TakeWithoutRedraw(HWND window, WINDOWPOS& position, BrowserState& state) {
  state.placed_before = RectInParent(window);
  position.flags |= SWP_NOREDRAW;
}

void InvalidateAfterChange(HWND window, const WINDOWPOS& position, const BrowserState& state) {
  const bool moved = (position.flags & (SWP_NOMOVE | SWP_NOSIZE)) != (SWP_NOMOVE | SWP_NOSIZE);
  if (moved || (position.flags & SWP_HIDEWINDOW)) InvalidateRect(GetParent(window), &state.placed_before, FALSE);
  if (GetWindowLongPtrW(window, GWL_STYLE) & WS_VISIBLE) InvalidateRect(window, nullptr, FALSE);
}

}  // namespace

std::vector<std::wstring> ComposePageLines(const std::wstring& url, const std::vector<std::wstring>& cookie_names,
                                           const std::wstring& last_script) {
  std::vector<std::wstring> lines;
  lines.push_back(url.empty() ? L"about:blank" : url);
  lines.push_back(L"Cookies: " + (cookie_names.empty() ? std::wstring(L"none") : JoinNames(cookie_names)));
  if (!last_script.empty()) lines.push_back(L"Script: " + last_script);
  return lines;
}

HWND BrowserWindow::Create(HWND parent, const RECT& rect, BrowserState* state) {
  RegisterWindowClass(&BrowserWindow::WindowProc);
  // Not WS_TABSTOP and never SetFocus: the page must not take the focus from
  // the host, whose window belongs to another thread.
  return CreateWindowExW(WS_EX_NOPARENTNOTIFY, kClassName, L"",
                         WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, rect.left, rect.top,
                         rect.right - rect.left, rect.bottom - rect.top, parent, nullptr, GetModuleHandleW(nullptr),
                         state);
}

void BrowserWindow::Repaint(HWND window) {
  // Only this window, which belongs to this thread: nothing waits for the host.
  if (window) RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_NOCHILDREN);
}

void BrowserWindow::Paint(HWND window, BrowserState& state) {
  std::wstring url;
  std::wstring script;
  {
    std::lock_guard<std::mutex> lock(state.mutex);
    url = state.url;
    if (!state.scripts.empty()) script = state.scripts.back().code;
  }
  std::vector<std::wstring> names;
  for (const StoredCookie& stored : CookieStore::Get().ForUrl(url)) names.push_back(stored.cookie.name.ToWString());
  std::vector<std::wstring> lines = ComposePageLines(url, names, script);

  PAINTSTRUCT paint;
  HDC dc = BeginPaint(window, &paint);
  RECT client;
  GetClientRect(window, &client);
  const int width = client.right - client.left;
  const int height = client.bottom - client.top;
  // Drawn off screen first, so that a resize does not flicker.
  quennet::UniqueMemoryDc memory(CreateCompatibleDC(dc));
  quennet::UniqueBitmap bitmap(CreateCompatibleBitmap(dc, width > 0 ? width : 1, height > 0 ? height : 1));
  if (memory && bitmap) {
    quennet::SelectGuard select_bitmap(memory.get(), bitmap.get());
    quennet::SelectGuard select_font(memory.get(), GetStockObject(DEFAULT_GUI_FONT));
    DrawPage(memory.get(), client, lines);
    BitBlt(dc, 0, 0, width, height, memory.get(), 0, 0, SRCCOPY);
  }
  EndPaint(window, &paint);

  std::lock_guard<std::mutex> lock(state.mutex);
  state.painted_lines = std::move(lines);
}

LRESULT CALLBACK BrowserWindow::WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_NCCREATE: {
      const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lparam);
      SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
      break;
    }
    case WM_ERASEBKGND:
      return 1;  // the paint covers everything
    case WM_PAINT:
      if (BrowserState* state = StateOf(window)) {
        Paint(window, *state);
        return 0;
      }
      break;
    case WM_WINDOWPOSCHANGING:
      if (BrowserState* state = StateOf(window)) TakeWithoutRedraw(window, *reinterpret_cast<WINDOWPOS*>(lparam), *state);
      break;
    case WM_WINDOWPOSCHANGED:
      if (BrowserState* state = StateOf(window)) {
        InvalidateAfterChange(window, *reinterpret_cast<const WINDOWPOS*>(lparam), *state);
      }
      break;
    case WM_NCDESTROY:
      if (BrowserState* state = StateOf(window)) {
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        BrowserRegistry::Get().OnWindowGoneOnUi(state);
      }
      break;
    default:
      break;
  }
  return DefWindowProcW(window, message, wparam, lparam);
}

}  // namespace cef_internal
