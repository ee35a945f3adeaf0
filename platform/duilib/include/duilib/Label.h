#pragma once

// Text controls: CLabelUI is one line, left and vertically centred; CTextUI
// wraps, left and top.

#include <cstdint>
#include <memory>

#include "duilib/Control.h"

namespace DuiLib {

class CLabelUI : public CControlUI {
 public:
  CLabelUI();
  ~CLabelUI() override;

  [[nodiscard]] LPCTSTR GetClass() const override;
  LPVOID GetInterface(LPCTSTR pstrName) override;

  void SetText(LPCTSTR pstrText) override;

  void SetFont(int index);
  [[nodiscard]] int GetFont() const { return m_iFont; }
  // 0 is the manager's default text colour; only RGB is used when drawing.
  void SetTextColor(DWORD dwTextColor);
  [[nodiscard]] DWORD GetTextColor() const { return m_dwTextColor; }
  void SetDisabledTextColor(DWORD dwTextColor);
  [[nodiscard]] DWORD GetDisabledTextColor() const { return m_dwDisabledTextColor; }
  // The DT_* flags used for drawing and measuring (DT_NOPREFIX is always added).
  void SetTextStyle(UINT uStyle);
  [[nodiscard]] UINT GetTextStyle() const { return m_uTextStyle; }
  void SetTextPadding(RECT rc);
  [[nodiscard]] RECT GetTextPadding() const { return m_rcTextPadding; }
  void SetShowHtml(bool bShowHtml = true);
  [[nodiscard]] bool IsShowHtml() const { return m_bShowHtml; }
  void SetAutoCalcWidth(bool bAutoCalcWidth);
  [[nodiscard]] bool IsAutoCalcWidth() const { return m_bAutoCalcWidth; }
  // The text as drawn (without markup tags).
  [[nodiscard]] CDuiString GetPlainText() const;
  // Links of the markup, in text order; none without "showhtml".
  [[nodiscard]] int GetLinkCount() const;
  // The unescaped argument of a link ("x=|link|https://...|"); NULL out of range.
  [[nodiscard]] const CDuiString* GetLinkContent(int iIndex) const;
  // The link drawn at a client point, or -1.
  [[nodiscard]] int LinkAt(POINT pt) const;
  // The box of a link's first piece as drawn now; false when it is not shown.
  bool GetLinkRect(int iIndex, RECT* pRect) const;

  SIZE EstimateSize(SIZE szAvailable) override;
  // With an end, path or word ellipsis.
  [[nodiscard]] bool IsShrinkable() const override;
  void SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue) override;
  void PaintText(HDC hDC) override;
  void DoEvent(TEventUI& event) override;
  [[nodiscard]] bool IsInteractiveAt(POINT pt) const override;

 protected:
  // The text colour of the current state (0: the default colour).
  [[nodiscard]] virtual DWORD GetStateTextColor() const;
  // The font drawn and measured with (list elements fall back to the list's).
  [[nodiscard]] virtual int GetEffectiveFont() const { return m_iFont; }
  // The text that PaintText draws (edits draw their tip or bullets).
  [[nodiscard]] virtual CDuiString GetDisplayText() const { return m_sText; }
  // Whether the estimated size depends on the text (auto width or wrapping).
  [[nodiscard]] bool IsSizeFromText() const;
  // Size of the drawn text within a width (0: unbounded), without padding.
  SIZE MeasureText(int width);
  void OnFontChanged() override;
  // Hover, press and release on a markup link; true when the event was used.
  bool HandleLinkEvent(TEventUI& event);
  // The control's rectangle minus the text padding.
  [[nodiscard]] RECT GetTextRect() const;

  int m_iFont = -1;
  DWORD m_dwTextColor = 0;
  DWORD m_dwDisabledTextColor = 0;
  UINT m_uTextStyle = DT_VCENTER | DT_SINGLELINE;
  RECT m_rcTextPadding = {0, 0, 0, 0};
  bool m_bShowHtml = false;
  bool m_bAutoCalcWidth = false;

 private:
  // One measurement, reused while width, text, font and style are unchanged.
  struct MeasureCache {
    int width = -1;
    UINT style = 0;
    HFONT font = nullptr;
    uint32_t textVersion = 0;
    SIZE size = {0, 0};
  } m_measure;
  uint32_t m_textVersion = 1;
  // Parsed markup and its layouts; only labels with "showhtml" have one.
  struct MarkupState;
  [[nodiscard]] MarkupState& Markup() const;
  // The markup laid out in the text rectangle, as it is drawn.
  [[nodiscard]] MarkupState& PaintedMarkup() const;
  mutable std::unique_ptr<MarkupState> m_markup;
};

class CTextUI : public CLabelUI {
 public:
  CTextUI();

  [[nodiscard]] LPCTSTR GetClass() const override;
  LPVOID GetInterface(LPCTSTR pstrName) override;
  void SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue) override;
};

}  // namespace DuiLib
