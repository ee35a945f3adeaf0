#include "app/ui/WndShadow.h"

#include "quennet/WinHandles.h"

namespace {

using UpdateLayeredWindowFn = BOOL(WINAPI*)(HWND, HDC, POINT*, SIZE*, HDC, POINT*, COLORREF, BLENDFUNCTION*, DWORD);

UpdateLayeredWindowFn g_updateLayeredWindow = nullptr;
HINSTANCE g_instance = nullptr;
constexpr wchar_t kShadowClassName[] = L"HalvoShadowWnd";
constexpr int kLimit = 20;

}  // namespace

std::map<HWND, CWndShadow*>& CWndShadow::ShadowMap() {
  static auto* map = new std::map<HWND, CWndShadow*>;
  return *map;
}

bool CWndShadow::Initialize(HINSTANCE hInstance) {
  if (g_updateLayeredWindow) return false;
  HMODULE user32 = GetModuleHandleW(L"USER32.DLL");
  g_updateLayeredWindow = user32 ? reinterpret_cast<UpdateLayeredWindowFn>(GetProcAddress(user32, "UpdateLayeredWindow")) : nullptr;
  if (!g_updateLayeredWindow) return false;
  g_instance = hInstance;
  WNDCLASSEXW wc = {};
  wc.cbSize = sizeof wc;
  wc.style = CS_HREDRAW | CS_VREDRAW;
  wc.lpfnWndProc = DefWindowProcW;
  wc.hInstance = hInstance;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  wc.lpszClassName = kShadowClassName;
  RegisterClassExW(&wc);
  return true;
}

CWndShadow::~CWndShadow() {
  if (!m_hParent) return;
  auto it = ShadowMap().find(m_hParent);
  if (it == ShadowMap().end() || it->second != this) return;
  ShadowMap().erase(it);
  if (IsWindow(m_hParent) &&
      GetWindowLongPtrW(m_hParent, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(&CWndShadow::ParentProc)) {
    SetWindowLongPtrW(m_hParent, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_OriParentProc));
  }
  if (HasWindow() && IsWindow(m_hWnd)) DestroyWindow(m_hWnd);
}

ShadowParams CWndShadow::GetParams() const {
  ShadowParams params;
  params.darkness = m_nDarkness;
  params.sharpness = m_nSharpness;
  params.size = m_nSize;
  params.xOffset = m_nxOffset;
  params.yOffset = m_nyOffset;
  params.color = m_Color;
  return params;
}

void CWndShadow::Create(HWND hParentWnd) {
  // One shadow per window: a second would subclass the window onto itself.
  if (!g_updateLayeredWindow || !hParentWnd || ShadowMap().count(hParentWnd)) return;
  ShadowMap()[hParentWnd] = this;
  m_hParent = hParentWnd;
  // Disabled: a shadow takes no input, and the system never hands it the
  // activation when a window above it closes (the keys would go nowhere).
  m_hWnd = CreateWindowExW(WS_EX_LAYERED | WS_EX_TRANSPARENT, kShadowClassName, nullptr, WS_POPUPWINDOW | WS_DISABLED,
                           CW_USEDEFAULT, 0, 0, 0, hParentWnd, nullptr, g_instance, nullptr);
  if (!m_hWnd) m_hWnd = kNoWindow;
  const LONG style = GetWindowLongW(hParentWnd, GWL_STYLE);
  if (!(style & WS_VISIBLE)) {
    m_Status = kEnabled;
  } else if (!(style & (WS_MAXIMIZE | WS_MINIMIZE))) {
    m_Status = kEnabled | kShown | kParentVisible;
    if (HasWindow()) ::ShowWindow(m_hWnd, SW_SHOWNA);
    // Drawn after the window's first paint, as for a window shown later.
    m_bUpdate = true;
    // For this size: the size message that follows the creation finds
    // nothing to draw again.
    RECT client;
    GetClientRect(hParentWnd, &client);
    m_WndSize = MAKELPARAM(client.right - client.left, client.bottom - client.top);
  } else {
    m_Status = kEnabled | kParentVisible;
  }
  m_OriParentProc = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(hParentWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CWndShadow::ParentProc)));
}

bool CWndShadow::SetSize(int NewSize) {
  if (NewSize > kLimit || NewSize < -kLimit) return false;
  m_nSize = static_cast<signed char>(NewSize);
  if (m_Status & kShown) Update(GetParent(m_hWnd));
  return true;
}

bool CWndShadow::SetPosition(int NewXOffset, int NewYOffset) {
  if (NewXOffset > kLimit || NewXOffset < -kLimit || NewYOffset > kLimit || NewYOffset < -kLimit) return false;
  m_nxOffset = static_cast<signed char>(NewXOffset);
  m_nyOffset = static_cast<signed char>(NewYOffset);
  if (m_Status & kShown) Update(GetParent(m_hWnd));
  return true;
}

std::vector<uint32_t> CWndShadow::MakeShadow(HWND hParent, int width, int height) const {
  quennet::UniqueRegion region(CreateRectRgn(0, 0, 0, 0));
  const bool hasOutline = GetWindowRgn(hParent, region.get()) != ERROR;
  return MakeShadowPixels(GetParams(), width, height, SpansOfRegion(hasOutline ? region.get() : nullptr, width, height));
}

void CWndShadow::Update(HWND hParent) {
  if (!hParent || !HasWindow() || !g_updateLayeredWindow) return;
  RECT rc;
  GetWindowRect(hParent, &rc);
  const int width = rc.right - rc.left;
  const int height = rc.bottom - rc.top;
  const int shadowWidth = width + 2 * m_nSize;
  const int shadowHeight = height + 2 * m_nSize;
  // A negative size can leave nothing to draw: then there is no picture.
  if (shadowWidth <= 0 || shadowHeight <= 0) return;

  const std::vector<uint32_t> pixels = MakeShadow(hParent, width, height);
  if (pixels.empty()) return;

  void* bits = nullptr;
  // Bottom-up, as the picture is stored.
  quennet::UniqueBitmap section(quennet::CreateDib32(nullptr, shadowWidth, shadowHeight, &bits, quennet::DibRows::BottomUp));
  if (!section || !bits) return;
  memcpy(bits, pixels.data(), pixels.size() * sizeof(uint32_t));

  POINT destination = {rc.left + m_nxOffset - m_nSize, rc.top + m_nyOffset - m_nSize};
  SetWindowPos(m_hWnd, nullptr, destination.x, destination.y, shadowWidth, shadowHeight,
               SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW);
  quennet::UniqueMemoryDc dc(CreateCompatibleDC(nullptr));
  quennet::SelectGuard select(dc.get(), section.get());
  POINT source = {0, 0};
  SIZE size = {shadowWidth, shadowHeight};
  BLENDFUNCTION blend = {AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
  g_updateLayeredWindow(m_hWnd, nullptr, &destination, &size, dc.get(), &source, 0, &blend, ULW_ALPHA);
}

LRESULT CALLBACK CWndShadow::ParentProc(HWND hwnd, UINT uMsg, WPARAM wParam, LPARAM lParam) {
  const auto it = ShadowMap().find(hwnd);
  if (it == ShadowMap().end()) return DefWindowProcW(hwnd, uMsg, wParam, lParam);
  CWndShadow* shadow = it->second;
  WNDPROC previous = shadow->m_OriParentProc;
  switch (uMsg) {
    case WM_PAINT: {
      // The window's own picture first: a person waits for it, not for the
      // shadow, which takes tens of milliseconds for a large window.
      const LRESULT result = CallWindowProcW(previous, hwnd, uMsg, wParam, lParam);
      // The paint may have ended the window and its shadow with it.
      const auto still = ShadowMap().find(hwnd);
      if (still != ShadowMap().end() && still->second->m_bUpdate) {
        still->second->m_bUpdate = false;
        still->second->Update(hwnd);
      }
      return result;
    }
    case WM_DESTROY:
      if (shadow->HasWindow()) DestroyWindow(shadow->m_hWnd);
      shadow->m_hWnd = kNoWindow;
      break;
    case WM_MOVE:
      if (shadow->m_Status & kShown) {
        RECT rc;
        GetWindowRect(hwnd, &rc);
        SetWindowPos(shadow->m_hWnd, nullptr, rc.left + shadow->m_nxOffset - shadow->m_nSize,
                     rc.top + shadow->m_nyOffset - shadow->m_nSize, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE);
      }
      break;
    case WM_SIZE:
      if (shadow->m_Status & kEnabled) {
        if (wParam == SIZE_MAXIMIZED || wParam == SIZE_MINIMIZED) {
          ::ShowWindow(shadow->m_hWnd, SW_HIDE);
          shadow->m_Status &= ~kShown;
        } else if ((shadow->m_Status & kShown) && shadow->m_WndSize == lParam) {
          // Already drawn for this size.
        } else if (shadow->m_Status & kParentVisible) {
          // Growing waits for the next paint; shrinking is rebuilt now.
          if (LOWORD(lParam) > LOWORD(shadow->m_WndSize) || HIWORD(lParam) > HIWORD(shadow->m_WndSize)) {
            shadow->m_bUpdate = true;
          } else {
            shadow->Update(hwnd);
          }
          if (!(shadow->m_Status & kShown)) {
            ::ShowWindow(shadow->m_hWnd, SW_SHOWNA);
            shadow->m_Status |= kShown;
          }
        }
        shadow->m_WndSize = lParam;
      }
      break;
    case WM_SHOWWINDOW:
      if (shadow->m_Status & kEnabled) {
        if (!wParam) {
          ::ShowWindow(shadow->m_hWnd, SW_HIDE);
          shadow->m_Status &= ~(kShown | kParentVisible);
        } else if (!(shadow->m_Status & kParentVisible)) {
          shadow->m_bUpdate = true;
          ::ShowWindow(shadow->m_hWnd, SW_SHOWNA);
          shadow->m_Status |= kShown | kParentVisible;
        }
      }
      break;
    case WM_EXITSIZEMOVE:
      if (shadow->m_Status & kShown) shadow->Update(hwnd);
      break;
    case WM_NCDESTROY:
      ShadowMap().erase(it);
      shadow->m_hParent = nullptr;
      break;
    default:
      break;
  }
  return CallWindowProcW(previous, hwnd, uMsg, wParam, lParam);
}
