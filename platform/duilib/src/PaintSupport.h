#pragma once

// The per-window back buffer and tooltip of the paint manager.

#include <windows.h>

#include "duilib/DuiString.h"
#include "quennet/WinHandles.h"

namespace DuiLib::detail {

// A 32-bit DIB section kept across paints and recreated on resize.
class BackBuffer final {
 public:
  BackBuffer() = default;
  ~BackBuffer();
  BackBuffer(const BackBuffer&) = delete;
  BackBuffer& operator=(const BackBuffer&) = delete;

  // A DC holding a bitmap of at least the size; NULL when GDI is out of resources.
  HDC Prepare(HDC reference, int width, int height);

 private:
  quennet::UniqueMemoryDc m_dc;
  quennet::UniqueBitmap m_bitmap;
  HGDIOBJ m_original = nullptr;
  int m_width = 0;
  int m_height = 0;
};

// One native tooltip per window, shown at the pointer.
class ToolTip final {
 public:
  explicit ToolTip(HWND owner) : m_owner(owner) {}
  ~ToolTip();
  ToolTip(const ToolTip&) = delete;
  ToolTip& operator=(const ToolTip&) = delete;

  void Show(const CDuiString& text, POINT ptScreen);
  void Hide();
  [[nodiscard]] const CDuiString& Text() const { return m_text; }
  // How long a shown tip stays, in milliseconds: the tip control's own
  // "auto pop" time, which Windows derives from the double-click time.
  [[nodiscard]] UINT ShowTime() const;

 private:
  bool EnsureWindow();

  HWND m_owner;
  HWND m_hwnd = nullptr;
  CDuiString m_text;
};

// Starts GDI+, once per process. Called where GDI+ is first needed, not at
// start-up: a window drawn with GDI alone never loads it.
void StartGraphics();

}  // namespace DuiLib::detail
