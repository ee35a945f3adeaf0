#pragma once

// Owners for Win32 handles, so that every handle is released by the right
// function on every path.

#include <windows.h>

#include <memory>
#include <type_traits>

namespace quennet {

struct GdiDeleter {
  void operator()(HGDIOBJ object) const {
    if (object) DeleteObject(object);
  }
};
using UniqueFont = std::unique_ptr<std::remove_pointer_t<HFONT>, GdiDeleter>;
using UniqueBitmap = std::unique_ptr<std::remove_pointer_t<HBITMAP>, GdiDeleter>;
using UniqueBrush = std::unique_ptr<std::remove_pointer_t<HBRUSH>, GdiDeleter>;
using UniquePen = std::unique_ptr<std::remove_pointer_t<HPEN>, GdiDeleter>;
using UniqueRegion = std::unique_ptr<std::remove_pointer_t<HRGN>, GdiDeleter>;

struct MenuDestroyer {
  void operator()(HMENU menu) const {
    if (menu) DestroyMenu(menu);
  }
};
using UniqueMenu = std::unique_ptr<std::remove_pointer_t<HMENU>, MenuDestroyer>;

struct IconDestroyer {
  void operator()(HICON icon) const {
    if (icon) DestroyIcon(icon);
  }
};
// An icon that LoadImage or CreateIcon made (not a shared one).
using UniqueIcon = std::unique_ptr<std::remove_pointer_t<HICON>, IconDestroyer>;

struct DcDeleter {
  void operator()(HDC dc) const {
    if (dc) DeleteDC(dc);
  }
};
// A memory DC from CreateCompatibleDC.
using UniqueMemoryDc = std::unique_ptr<std::remove_pointer_t<HDC>, DcDeleter>;

struct KernelHandleCloser {
  void operator()(HANDLE handle) const {
    if (handle && handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
  }
};
using UniqueHandle = std::unique_ptr<void, KernelHandleCloser>;

// A DC from GetDC, released with ReleaseDC.
class WindowDc final {
 public:
  explicit WindowDc(HWND window) : m_window(window), m_dc(GetDC(window)) {}
  ~WindowDc() {
    if (m_dc) ReleaseDC(m_window, m_dc);
  }
  WindowDc(const WindowDc&) = delete;
  WindowDc& operator=(const WindowDc&) = delete;

  [[nodiscard]] HDC get() const { return m_dc; }
  explicit operator bool() const { return m_dc != nullptr; }

 private:
  HWND m_window;
  HDC m_dc;
};

// Selects an object into a DC and puts back whatever it replaced.
class SelectGuard final {
 public:
  SelectGuard(HDC dc, HGDIOBJ object) : m_dc(dc), m_previous(object ? SelectObject(dc, object) : nullptr) {}
  ~SelectGuard() {
    if (m_previous) SelectObject(m_dc, m_previous);
  }
  SelectGuard(const SelectGuard&) = delete;
  SelectGuard& operator=(const SelectGuard&) = delete;

 private:
  HDC m_dc;
  HGDIOBJ m_previous;
};

// A 32-bit BGRA DIB section, top-down unless asked otherwise; its pixels
// through `bits`. NULL when GDI is out of resources.
enum class DibRows { TopDown, BottomUp };
inline HBITMAP CreateDib32(HDC reference, int width, int height, void** bits, DibRows rows = DibRows::TopDown) {
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = rows == DibRows::TopDown ? -height : height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  return CreateDIBSection(reference, &info, DIB_RGB_COLORS, bits, nullptr, 0);
}

}  // namespace quennet
