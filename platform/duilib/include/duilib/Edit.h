#pragma once

// A single-line text field hosted in a native EDIT child window. The child
// is shown while the field has the focus or holds text; otherwise the
// framework draws the tip in its place.

#include <memory>

#include "duilib/Label.h"

namespace DuiLib {

namespace detail {
class CLongTextSpan;
}

class CEditUI : public CLabelUI {
 public:
  CEditUI();
  ~CEditUI() override;

  [[nodiscard]] LPCTSTR GetClass() const override;
  LPVOID GetInterface(LPCTSTR pstrName) override;

  // The current content; never the tip.
  [[nodiscard]] CDuiString GetText() const override;
  // Sets the content without raising "textchanged".
  void SetText(LPCTSTR pstrText) override;
  void SetTipValue(LPCTSTR pStrTipValue);
  [[nodiscard]] CDuiString GetTipValue() const { return m_sTipValue; }
  void SetTipValueColor(DWORD dwColor);
  [[nodiscard]] DWORD GetTipValueColor() const { return m_dwTipValueColor; }
  void SetPasswordMode(bool bPasswordMode);
  [[nodiscard]] bool IsPasswordMode() const { return m_bPasswordMode; }
  void SetReadOnly(bool bReadOnly);
  [[nodiscard]] bool IsReadOnly() const { return m_bReadOnly; }
  // 0 lifts the limit.
  void SetMaxChar(UINT uMax);
  [[nodiscard]] UINT GetMaxChar() const { return m_uMaxChar; }
  void SetNativeEditBkColor(DWORD dwBkColor);
  [[nodiscard]] DWORD GetNativeEditBkColor() const { return m_dwNativeBkColor; }
  void SetSel(long nStartChar, long nEndChar);

  // The hosted child window (NULL until the field is laid out in a window).
  [[nodiscard]] HWND GetNativeWindow() const { return m_hWndEdit; }

  [[nodiscard]] bool IsFocusable() const override { return true; }
  [[nodiscard]] bool IsInteractiveAt(POINT pt) const override { return true; }
  void SetFocus() override;
  void SetVisible(bool bVisible = true) override;
  void SetEnabled(bool bEnable = true) override;
  void PropagateState() override;
  void SetPos(RECT rc, bool bNeedInvalidate = true) override;
  void SetManager(CPaintManagerUI* pManager, CControlUI* pParent) override;
  void SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue) override;
  void DoEvent(TEventUI& event) override;
  void PaintText(HDC hDC) override;

  // ---- Called by the framework for the child window ----
  // The field hosting a native window, or NULL for any other window.
  [[nodiscard]] static CEditUI* FromNativeWindow(HWND hWnd);
  // Colours of the child (WM_CTLCOLOREDIT/STATIC); returns its brush.
  HBRUSH OnCtlColor(HDC hDC);
  // EN_CHANGE from the child.
  void OnNativeChange();
  void OnNativeFocus(bool bGained);
  // The child is being destroyed (with its parent window): keep its text.
  void OnNativeDestroyed();

 protected:
  [[nodiscard]] CDuiString GetDisplayText() const override;
  void OnFontChanged() override;

 private:
  class NativeHost;  // reports the child's focus, changes and keys to this control
  void EnsureNativeWindow();
  // Puts the text into the child, with the caret at its end.
  void WriteNativeText();
  void DestroyNativeWindow();
  // Shows the child while it has focus or text, and places it.
  void UpdateNativeWindow();
  [[nodiscard]] RECT NativeRect() const;
  void ApplyStyle();
  void RaiseTextChanged();

  HWND m_hWndEdit = nullptr;
  std::unique_ptr<NativeHost> m_host;
  // Holds a text too long for the child; lives as long as the child.
  std::unique_ptr<detail::CLongTextSpan> m_span;
  HBRUSH m_hBkBrush = nullptr;
  DWORD m_dwBrushColor = 0;
  HFONT m_hAppliedFont = nullptr;
  CDuiString m_sTipValue;
  DWORD m_dwTipValueColor = 0xFFBABABA;
  DWORD m_dwNativeBkColor = 0xFFFFFFFF;
  UINT m_uMaxChar = 0;
  bool m_bPasswordMode = false;
  bool m_bReadOnly = false;
  bool m_bSettingText = false;
  bool m_bClipped = false;
};

}  // namespace DuiLib
