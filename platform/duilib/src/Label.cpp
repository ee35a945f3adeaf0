#include "duilib/Label.h"

#include "Attributes.h"
#include "Render.h"
#include "duilib/PaintManager.h"

namespace DuiLib {

namespace {

constexpr UINT kHorizontalAlign = DT_LEFT | DT_CENTER | DT_RIGHT;
constexpr UINT kVerticalAlign = DT_TOP | DT_VCENTER | DT_BOTTOM;

}  // namespace

CLabelUI::CLabelUI() = default;

LPCTSTR CLabelUI::GetClass() const { return L"LabelUI"; }

LPVOID CLabelUI::GetInterface(LPCTSTR pstrName) {
  if (pstrName && wcscmp(pstrName, L"Label") == 0) return this;
  return CControlUI::GetInterface(pstrName);
}

void CLabelUI::SetText(LPCTSTR pstrText) {
  CDuiString text(pstrText);
  if (text == m_sText) return;
  m_sText = text;
  ++m_textVersion;
  Invalidate();
  if (IsSizeFromText()) NeedParentUpdate();
}

void CLabelUI::SetFont(int index) {
  if (m_iFont == index) return;
  m_iFont = index;
  OnFontChanged();
}

void CLabelUI::OnFontChanged() {
  Invalidate();
  if (IsSizeFromText() || m_cxyFixed.cy == 0) NeedParentUpdate();
}

void CLabelUI::SetTextColor(DWORD dwTextColor) {
  m_dwTextColor = dwTextColor;
  Invalidate();
}

void CLabelUI::SetDisabledTextColor(DWORD dwTextColor) {
  m_dwDisabledTextColor = dwTextColor;
  Invalidate();
}

void CLabelUI::SetTextStyle(UINT uStyle) {
  if (m_uTextStyle == uStyle) return;
  m_uTextStyle = uStyle;
  Invalidate();
  NeedParentUpdate();
}

void CLabelUI::SetTextPadding(RECT rc) {
  m_rcTextPadding = rc;
  Invalidate();
  if (IsSizeFromText()) NeedParentUpdate();
}

void CLabelUI::SetShowHtml(bool bShowHtml) {
  if (m_bShowHtml == bShowHtml) return;
  m_bShowHtml = bShowHtml;
  ++m_textVersion;
  Invalidate();
}

void CLabelUI::SetAutoCalcWidth(bool bAutoCalcWidth) {
  if (m_bAutoCalcWidth == bAutoCalcWidth) return;
  m_bAutoCalcWidth = bAutoCalcWidth;
  NeedParentUpdate();
}

CDuiString CLabelUI::GetPlainText() const { return m_sText; }

bool CLabelUI::IsSizeFromText() const {
  return m_bAutoCalcWidth || ((m_uTextStyle & DT_SINGLELINE) == 0 && m_cxyFixed.cy == 0);
}

SIZE CLabelUI::MeasureText(int width) {
  const TFontInfo* font = CPaintManagerUI::ResolveFont(m_pManager, m_iFont);
  const HFONT handle = font ? font->hFont : nullptr;
  if (m_measure.width == width && m_measure.style == m_uTextStyle && m_measure.font == handle &&
      m_measure.textVersion == m_textVersion) {
    return m_measure.size;
  }
  const SIZE size = detail::MeasureText(m_pManager, GetDisplayText(), m_iFont, m_uTextStyle, width);
  m_measure = MeasureCache{width, m_uTextStyle, handle, m_textVersion, size};
  return size;
}

SIZE CLabelUI::EstimateSize(SIZE szAvailable) {
  SIZE size = m_cxyFixed;
  const int padX = m_rcTextPadding.left + m_rcTextPadding.right;
  const int padY = m_rcTextPadding.top + m_rcTextPadding.bottom;
  if (size.cy == 0) {
    if (m_uTextStyle & DT_SINGLELINE) {
      const TFontInfo* font = CPaintManagerUI::ResolveFont(m_pManager, m_iFont);
      size.cy = (font ? font->tm.tmHeight : 16) + 4;
    } else {
      const int width = (size.cx > 0 ? size.cx : szAvailable.cx) - padX;
      size.cy = MeasureText(width > 0 ? width : 0).cy + padY;
    }
  }
  if (size.cx == 0 && m_bAutoCalcWidth) {
    UINT saved = m_uTextStyle;
    m_uTextStyle = (m_uTextStyle | DT_SINGLELINE) & ~DT_WORDBREAK;
    size.cx = MeasureText(0).cx + padX;
    m_uTextStyle = saved;
  }
  return size;
}

DWORD CLabelUI::GetStateTextColor() const { return m_dwTextColor; }

void CLabelUI::PaintText(HDC hDC) {
  const CDuiString text = GetDisplayText();
  if (text.IsEmpty()) return;
  DWORD color;
  if (!IsEnabled()) {
    color = m_dwDisabledTextColor ? m_dwDisabledTextColor : (m_pManager ? m_pManager->GetDefaultDisabledColor() : 0xFFA5A5A5);
  } else {
    color = GetStateTextColor();
    if (color == 0) color = m_pManager ? m_pManager->GetDefaultFontColor() : 0xFF000000;
  }
  const RECT rc = {m_rcItem.left + m_rcTextPadding.left, m_rcItem.top + m_rcTextPadding.top,
                   m_rcItem.right - m_rcTextPadding.right, m_rcItem.bottom - m_rcTextPadding.bottom};
  detail::DrawText(hDC, m_pManager, rc, text, color, m_iFont, m_uTextStyle);
}

void CLabelUI::SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue) {
  using namespace detail;
  const std::wstring name = pstrName ? pstrName : L"";
  const std::wstring value = pstrValue ? pstrValue : L"";
  int number;
  DWORD color;
  RECT rc;
  bool flag;
  if (name == L"font") {
    if (ParseInt(pstrValue, &number)) SetFont(number);
  } else if (name == L"textcolor") {
    if (ParseColor(pstrValue, &color)) SetTextColor(color);
  } else if (name == L"disabledtextcolor") {
    if (ParseColor(pstrValue, &color)) SetDisabledTextColor(color);
  } else if (name == L"align") {
    const UINT align = value == L"center" ? DT_CENTER : value == L"right" ? DT_RIGHT : value == L"left" ? DT_LEFT : ~0u;
    if (align != ~0u) SetTextStyle((m_uTextStyle & ~kHorizontalAlign) | align);
  } else if (name == L"valign") {
    const UINT align = value == L"vcenter" ? DT_VCENTER : value == L"bottom" ? DT_BOTTOM : value == L"top" ? DT_TOP : ~0u;
    if (align != ~0u) SetTextStyle((m_uTextStyle & ~kVerticalAlign) | align);
  } else if (name == L"textpadding") {
    if (ParseRect(pstrValue, &rc)) SetTextPadding(rc);
  } else if (name == L"showhtml") {
    if (ParseBool(pstrValue, &flag)) SetShowHtml(flag);
  } else if (name == L"endellipsis") {
    if (ParseBool(pstrValue, &flag)) SetTextStyle(flag ? (m_uTextStyle | DT_END_ELLIPSIS) : (m_uTextStyle & ~DT_END_ELLIPSIS));
  } else if (name == L"multiline") {
    if (ParseBool(pstrValue, &flag)) {
      SetTextStyle(flag ? ((m_uTextStyle & ~DT_SINGLELINE) | DT_WORDBREAK) : ((m_uTextStyle | DT_SINGLELINE) & ~DT_WORDBREAK));
    }
  } else if (name == L"autocalcwidth") {
    if (ParseBool(pstrValue, &flag)) SetAutoCalcWidth(flag);
  } else {
    CControlUI::SetAttribute(pstrName, pstrValue);
  }
}

CTextUI::CTextUI() { m_uTextStyle = DT_WORDBREAK | DT_LEFT | DT_TOP; }

LPCTSTR CTextUI::GetClass() const { return L"TextUI"; }

LPVOID CTextUI::GetInterface(LPCTSTR pstrName) {
  if (pstrName && wcscmp(pstrName, L"Text") == 0) return this;
  return CLabelUI::GetInterface(pstrName);
}

void CTextUI::SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue) {
  // "readonly" is accepted for skins written for rich text; a text is never editable.
  if (pstrName && wcscmp(pstrName, L"readonly") == 0) return;
  CLabelUI::SetAttribute(pstrName, pstrValue);
}

}  // namespace DuiLib
