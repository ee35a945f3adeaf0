#pragma once

// Multi-line text in a native RichEdit child window, plain text by default.
// Editable rich edits keep their child while visible. Read-only ones draw
// their text themselves and create a child only while the user selects in
// them, so a view of hundreds of messages holds at most one such window.

#include <memory>

#include "duilib/Control.h"

namespace DuiLib {

namespace detail {
class CFontBinding;
}

class CRichEditUI : public CControlUI {
 public:
  CRichEditUI();
  ~CRichEditUI() override;

  [[nodiscard]] LPCTSTR GetClass() const override;
  LPVOID GetInterface(LPCTSTR pstrName) override;

  // Line breaks come back as "\n".
  [[nodiscard]] CDuiString GetText() const override;
  // Accepts "\n" and "\r\n"; raises no "textchanged".
  void SetText(LPCTSTR pstrText) override;
  // Inserts at the end whatever the caret, moves the caret there and, with
  // "autovscroll", scrolls to it. Returns the length of the content after it.
  long AppendText(LPCTSTR pstrText, bool bCanUndo = false);
  // WM_COPY/WM_CUT/WM_PASTE on the child; nothing without a selection.
  void Copy();
  void Cut();
  void Paste();
  void SetSel(long nStartChar, long nEndChar);
  void GetSel(long& nStartChar, long& nEndChar) const;

  void SetReadOnly(bool bReadOnly);
  [[nodiscard]] bool IsReadOnly() const { return m_bReadOnly; }
  void SetFont(int index);
  [[nodiscard]] int GetFont() const { return m_iFont; }
  // 0 is the manager's default text colour.
  void SetTextColor(DWORD dwColor);
  [[nodiscard]] DWORD GetTextColor() const { return m_dwTextColor; }
  void SetTextPadding(RECT rc);
  [[nodiscard]] RECT GetTextPadding() const { return m_rcTextPadding; }
  // Enter as a new line (true) or as "return" (false, the chat input).
  void SetWantReturn(bool bWantReturn);
  [[nodiscard]] bool IsWantReturn() const { return m_bWantReturn; }
  void SetWantTab(bool bWantTab) { m_bWantTab = bWantTab; }
  [[nodiscard]] bool IsWantTab() const { return m_bWantTab; }
  // Rich text (true) or plain text (false, the default).
  void SetRich(bool bRich);
  [[nodiscard]] bool IsRich() const { return m_bRich; }
  void SetMultiLine(bool bMultiLine);
  [[nodiscard]] bool IsMultiLine() const { return m_bMultiLine; }
  void SetAutoVScroll(bool bAuto);
  void SetAutoHScroll(bool bAuto);
  // 0 gives the default of 1,000,000 characters.
  void SetMaxChar(UINT uMax);
  [[nodiscard]] UINT GetMaxChar() const { return m_uMaxChar; }
  void SetTipValue(LPCTSTR pStrTipValue);
  [[nodiscard]] CDuiString GetTipValue() const { return m_sTipValue; }
  void SetTipValueColor(DWORD dwColor);

  // The DrawText style of its text while it draws the text itself: a label
  // of the same style, font and padding measures the text as it is shown.
  [[nodiscard]] UINT GetDrawnTextStyle() const;

  // The child window now, NULL when there is none (a read-only rich edit
  // nobody selects in).
  [[nodiscard]] HWND GetNativeWindow() const { return m_hWndRich; }

  [[nodiscard]] bool IsFocusable() const override { return true; }
  [[nodiscard]] bool WantsTab() const override { return m_bWantTab; }
  [[nodiscard]] bool IsInteractiveAt(POINT pt) const override { return true; }
  // Visibility and enabled state (here or above) reach the child.
  void PropagateState() override;
  void SetPos(RECT rc, bool bNeedInvalidate = true) override;
  void SetManager(CPaintManagerUI* pManager, CControlUI* pParent) override;
  void SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue) override;
  void DoEvent(TEventUI& event) override;
  void PaintText(HDC hDC) override;

  // ---- Framework internals ----
  // A read-only child no longer in use is released (posted after kill-focus).
  void ReleaseIdleNativeWindow();

 protected:
  void OnFontChanged() override;
  // Read-only texts (one per message) are no Tab stops.
  [[nodiscard]] bool TakesTabStop() const override { return !m_bWantTab && !m_bReadOnly; }

 private:
  class NativeHost;
  friend class NativeHost;

  [[nodiscard]] bool DrawsItself() const { return m_bReadOnly; }
  void SetCreationStyle(bool& bFlag, bool bValue);
  void EnsureNativeWindow();
  void DestroyNativeWindow();
  // A new child in place of the current one, holding m_sText.
  void ReplaceNativeWindow();
  void UpdateNativeWindow();
  void ApplyFormat();
  void ApplyFont();
  void WriteText(const std::wstring& text);
  // Text in place of the selection, in faces that draw it where the control is plain.
  void InsertText(const std::wstring& nativeText, bool canUndo);
  void PastePlainText();
  [[nodiscard]] RECT TextRect() const;
  [[nodiscard]] DWORD EffectiveTextColor() const;
  // The colour the child fills behind its text, as a COLORREF.
  [[nodiscard]] COLORREF ChildBackground() const;
  // Right button released, or the context-menu key: "richedit_click" at the point.
  void RaiseClick(POINT ptClient);
  void PaintTip(HDC hDC, const RECT& rc) const;

  HWND m_hWndRich = nullptr;
  std::unique_ptr<NativeHost> m_host;
  CDuiString m_sTipValue;
  DWORD m_dwTipValueColor = 0xFFBABABA;
  DWORD m_dwTextColor = 0;
  RECT m_rcTextPadding = {0, 0, 0, 0};
  int m_iFont = -1;
  UINT m_uMaxChar = 0;
  HFONT m_hAppliedFont = nullptr;
  std::unique_ptr<detail::CFontBinding> m_binding;
  bool m_bReadOnly = false;
  bool m_bWantReturn = false;
  bool m_bWantTab = false;
  bool m_bRich = false;
  bool m_bMultiLine = true;
  bool m_bAutoVScroll = false;
  bool m_bAutoHScroll = false;
  bool m_bVScrollBar = false;
  bool m_bHScrollBar = false;
  bool m_bSettingText = false;
  bool m_bClipped = false;
};

}  // namespace DuiLib
