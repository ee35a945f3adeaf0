#pragma once

// The soft drop shadow every window carries: a layered window owned by the
// window, following it, with a picture computed from the window's region.

#include <windows.h>

#include <map>

#include "app/ui/ShadowPixels.h"

class CWndShadow {
 public:
  CWndShadow() = default;
  // Detaches from a window that outlives the shadow object, so that its
  // window procedure never reaches a destroyed shadow.
  virtual ~CWndShadow();
  CWndShadow(const CWndShadow&) = delete;
  CWndShadow& operator=(const CWndShadow&) = delete;

  // Once per process, before any window; false on a second call, or when
  // layered windows are unavailable (shadows then do nothing).
  static bool Initialize(HINSTANCE hInstance);
  // Attaches to a created window.
  void Create(HWND hParentWnd);
  // Each value lies in -20..20, else nothing changes and the result is false.
  bool SetSize(int NewSize);
  bool SetPosition(int NewXOffset, int NewYOffset);

  static constexpr BYTE kEnabled = 1;
  static constexpr BYTE kShown = 2;
  static constexpr BYTE kParentVisible = 4;
  [[nodiscard]] HWND GetShadowWindow() const { return m_hWnd; }
  [[nodiscard]] BYTE GetStatus() const { return m_Status; }
  [[nodiscard]] ShadowParams GetParams() const;

 protected:
  static LRESULT CALLBACK ParentProc(HWND hwnd, UINT uMsg, WPARAM wParam, LPARAM lParam);
  void Update(HWND hParent);
  // The shadow's premultiplied pixels for the parent's outline (its window
  // region) at the parent's size; empty when there is nothing to draw.
  [[nodiscard]] std::vector<uint32_t> MakeShadow(HWND hParent, int width, int height) const;

 private:
  static std::map<HWND, CWndShadow*>& ShadowMap();
  [[nodiscard]] bool HasWindow() const { return m_hWnd && m_hWnd != kNoWindow; }

  static inline const HWND kNoWindow = reinterpret_cast<HWND>(-1);
  HWND m_hWnd = kNoWindow;
  HWND m_hParent = nullptr;
  WNDPROC m_OriParentProc = nullptr;
  BYTE m_Status = 0;
  BYTE m_nDarkness = 150;
  BYTE m_nSharpness = 5;
  signed char m_nSize = 0;
  signed char m_nxOffset = 5;
  signed char m_nyOffset = 5;
  LPARAM m_WndSize = 0;
  bool m_bUpdate = false;
  COLORREF m_Color = RGB(0, 0, 0);
};
