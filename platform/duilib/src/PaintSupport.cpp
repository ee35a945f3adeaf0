#include "PaintSupport.h"

#include <commctrl.h>

#include "GdiPlus.h"
#include "quennet/SystemLibraries.h"

namespace DuiLib::detail {

BackBuffer::~BackBuffer() {
  if (m_dc && m_original) SelectObject(m_dc.get(), m_original);
}

HDC BackBuffer::Prepare(HDC reference, int width, int height) {
  width = std::max(width, 1);
  height = std::max(height, 1);
  if (m_dc && width <= m_width && height <= m_height && width * 2 > m_width && height * 2 > m_height) {
    return m_dc.get();
  }
  void* bits = nullptr;
  quennet::UniqueBitmap bitmap(quennet::CreateDib32(reference, width, height, &bits));
  if (!bitmap) return nullptr;
  if (!m_dc) {
    m_dc.reset(CreateCompatibleDC(reference));
    if (!m_dc) return nullptr;
    m_original = SelectObject(m_dc.get(), bitmap.get());
  } else {
    SelectObject(m_dc.get(), bitmap.get());
  }
  // The new bitmap is selected before the old one is freed.
  m_bitmap = std::move(bitmap);
  m_width = width;
  m_height = height;
  return m_dc.get();
}

ToolTip::~ToolTip() {
  if (m_hwnd && IsWindow(m_hwnd)) DestroyWindow(m_hwnd);
}

namespace {

// The tooltip class comes with the common controls, loaded when the first
// tooltip is shown: under Wine, loading them (and the theme they bring)
// costs the start a good part of the time to the first window.
bool LoadCommonControls() {
  static const bool loaded = [] {
    using InitFunction = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
    HMODULE library = quennet::LoadSystemLibrary(L"comctl32.dll");
    auto init = library ? reinterpret_cast<InitFunction>(GetProcAddress(library, "InitCommonControlsEx")) : nullptr;
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_WIN95_CLASSES};
    return init && init(&controls);
  }();
  return loaded;
}

}  // namespace

bool ToolTip::EnsureWindow() {
  if (m_hwnd && IsWindow(m_hwnd)) return true;
  if (!LoadCommonControls()) return false;
  m_hwnd = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP,
                           CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, m_owner, nullptr,
                           GetModuleHandleW(nullptr), nullptr);
  if (!m_hwnd) return false;
  TOOLINFOW info = {};
  info.cbSize = TTTOOLINFOW_V2_SIZE;
  info.uFlags = TTF_TRACK | TTF_ABSOLUTE;
  info.hwnd = m_owner;
  info.uId = 1;
  info.lpszText = const_cast<wchar_t*>(L"");
  ::SendMessageW(m_hwnd, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info));
  // A maximum width makes "\n" break lines.
  ::SendMessageW(m_hwnd, TTM_SETMAXTIPWIDTH, 0, 400);
  return true;
}

void ToolTip::Show(const CDuiString& text, POINT ptScreen) {
  if (text.IsEmpty() || !EnsureWindow()) return;
  TOOLINFOW info = {};
  info.cbSize = TTTOOLINFOW_V2_SIZE;
  info.hwnd = m_owner;
  info.uId = 1;
  info.lpszText = const_cast<wchar_t*>(text.GetData());
  ::SendMessageW(m_hwnd, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&info));
  ::SendMessageW(m_hwnd, TTM_TRACKPOSITION, 0, MAKELPARAM(ptScreen.x, ptScreen.y + 20));
  ::SendMessageW(m_hwnd, TTM_TRACKACTIVATE, TRUE, reinterpret_cast<LPARAM>(&info));
  m_text = text;
}

UINT ToolTip::ShowTime() const {
  if (!m_hwnd) return 0;
  return static_cast<UINT>(::SendMessageW(m_hwnd, TTM_GETDELAYTIME, TTDT_AUTOPOP, 0));
}

void ToolTip::Hide() {
  if (m_text.IsEmpty()) return;
  m_text.Empty();
  if (!m_hwnd) return;
  TOOLINFOW info = {};
  info.cbSize = TTTOOLINFOW_V2_SIZE;
  info.hwnd = m_owner;
  info.uId = 1;
  ::SendMessageW(m_hwnd, TTM_TRACKACTIVATE, FALSE, reinterpret_cast<LPARAM>(&info));
}

void StartGraphics() {
  static const bool started = [] {
    // GDI+ runs until the process ends: images decoded by one window are
    // drawn by another, and the client keeps GDI+ objects of its own.
    Gdiplus::GdiplusStartupInput input;
    ULONG_PTR token = 0;
    Gdiplus::GdiplusStartup(&token, &input, nullptr);
    return true;
  }();
  (void)started;
}

}  // namespace DuiLib::detail
