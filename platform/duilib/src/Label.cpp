#include "duilib/Label.h"

#include <algorithm>

#include "Attributes.h"
#include "duilib/PaintManager.h"
#include "Markup.h"
#include "MarkupLayout.h"
#include "Render.h"

namespace DuiLib {

namespace {

constexpr UINT kHorizontalAlign = DT_LEFT | DT_CENTER | DT_RIGHT;
constexpr UINT kVerticalAlign = DT_TOP | DT_VCENTER | DT_BOTTOM;

}  // namespace

struct CLabelUI::MarkupState {
  detail::MarkupDocument doc;
  uint32_t version = 0;  // text version the document was parsed from
  detail::MarkupLayout painted;
  int hotLink = -1;
  int pressedLink = -1;
};

CLabelUI::CLabelUI() = default;

CLabelUI::~CLabelUI() = default;

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
  // The tags no longer take room, and breaks may add lines.
  if (IsSizeFromText()) NeedParentUpdate();
}

void CLabelUI::SetAutoCalcWidth(bool bAutoCalcWidth) {
  if (m_bAutoCalcWidth == bAutoCalcWidth) return;
  m_bAutoCalcWidth = bAutoCalcWidth;
  NeedParentUpdate();
}

CLabelUI::MarkupState& CLabelUI::Markup() const {
  // Parsed once per text: painting, measuring and hit testing share it.
  if (!m_markup) m_markup = std::make_unique<MarkupState>();
  if (m_markup->version != m_textVersion) {
    m_markup->doc = detail::ParseMarkup(GetDisplayText().str());
    m_markup->version = m_textVersion;
    m_markup->hotLink = m_markup->pressedLink = -1;
  }
  return *m_markup;
}

CLabelUI::MarkupState& CLabelUI::PaintedMarkup() const {
  MarkupState& markup = Markup();
  const RECT rc = GetTextRect();
  const TFontInfo* font = CPaintManagerUI::ResolveFont(m_pManager, GetEffectiveFont());
  const int width = std::max<int>(0, rc.right - rc.left);
  if (!markup.painted.Matches(width, m_uTextStyle, font ? font->hFont : nullptr, markup.version)) {
    markup.painted.Build(markup.doc, m_pManager, GetEffectiveFont(), width, m_uTextStyle);
    markup.painted.SetKey(markup.version);
  }
  return markup;
}

CDuiString CLabelUI::GetPlainText() const { return m_bShowHtml ? CDuiString(Markup().doc.plain) : m_sText; }

int CLabelUI::GetLinkCount() const { return m_bShowHtml ? static_cast<int>(Markup().doc.links.size()) : 0; }

const CDuiString* CLabelUI::GetLinkContent(int iIndex) const {
  if (iIndex < 0 || iIndex >= GetLinkCount()) return nullptr;
  return &m_markup->doc.links[static_cast<size_t>(iIndex)];
}

RECT CLabelUI::GetTextRect() const {
  return RECT{m_rcItem.left + m_rcTextPadding.left, m_rcItem.top + m_rcTextPadding.top,
              m_rcItem.right - m_rcTextPadding.right, m_rcItem.bottom - m_rcTextPadding.bottom};
}

int CLabelUI::LinkAt(POINT pt) const {
  if (GetLinkCount() == 0) return -1;
  return PaintedMarkup().painted.LinkAt(GetTextRect(), pt);
}

bool CLabelUI::GetLinkRect(int iIndex, RECT* pRect) const {
  if (!pRect || iIndex < 0 || iIndex >= GetLinkCount()) return false;
  return PaintedMarkup().painted.LinkRect(GetTextRect(), iIndex, pRect);
}

bool CLabelUI::IsInteractiveAt(POINT pt) const { return LinkAt(pt) >= 0; }

bool CLabelUI::HandleLinkEvent(TEventUI& event) {
  if (GetLinkCount() == 0) return false;
  MarkupState& markup = *m_markup;
  switch (event.Type) {
    case UIEVENT_MOUSEMOVE: {
      const int link = LinkAt(event.ptMouse);
      if (link != markup.hotLink) {
        markup.hotLink = link;
        Invalidate();
      }
      return false;
    }
    case UIEVENT_MOUSELEAVE:
      if (markup.hotLink >= 0) {
        markup.hotLink = -1;
        Invalidate();
      }
      return false;
    case UIEVENT_BUTTONDOWN:
    case UIEVENT_DBLCLICK: {
      const int link = LinkAt(event.ptMouse);
      if (link < 0 || !IsEnabled()) return false;
      markup.pressedLink = link;
      return true;
    }
    case UIEVENT_BUTTONUP: {
      const int link = markup.pressedLink;
      if (link < 0) return false;
      markup.pressedLink = -1;
      // Pressed and released on the same link; the index says which one.
      if (LinkAt(event.ptMouse) == link && CanRaise()) Notify(L"link", static_cast<WPARAM>(link));
      return true;
    }
    case UIEVENT_SETCURSOR:
      if (LinkAt(event.ptMouse) < 0) return false;
      ::SetCursor(LoadCursorW(nullptr, IDC_HAND));
      return true;
    default:
      return false;
  }
}

void CLabelUI::DoEvent(TEventUI& event) {
  if (HandleLinkEvent(event)) return;
  CControlUI::DoEvent(event);
}

bool CLabelUI::IsSizeFromText() const {
  return m_bAutoCalcWidth || ((m_uTextStyle & DT_SINGLELINE) == 0 && m_cxyFixed.cy == 0);
}

SIZE CLabelUI::MeasureText(int width) {
  const TFontInfo* font = CPaintManagerUI::ResolveFont(m_pManager, GetEffectiveFont());
  const HFONT handle = font ? font->hFont : nullptr;
  if (m_measure.width == width && m_measure.style == m_uTextStyle && m_measure.font == handle &&
      m_measure.textVersion == m_textVersion) {
    return m_measure.size;
  }
  SIZE size;
  if (m_bShowHtml) {
    // Only the size is kept; the layout that is drawn is made for the text rectangle.
    detail::MarkupLayout measured;
    measured.Build(Markup().doc, m_pManager, GetEffectiveFont(), width, m_uTextStyle);
    size = measured.GetSize();
  } else {
    size = detail::MeasureText(m_pManager, GetDisplayText(), GetEffectiveFont(), m_uTextStyle, width);
  }
  m_measure = MeasureCache{width, m_uTextStyle, handle, m_textVersion, size};
  return size;
}

SIZE CLabelUI::EstimateSize(SIZE szAvailable) {
  SIZE size = m_cxyFixed;
  const int padX = m_rcTextPadding.left + m_rcTextPadding.right;
  const int padY = m_rcTextPadding.top + m_rcTextPadding.bottom;
  if (size.cy == 0) {
    if (m_uTextStyle & DT_SINGLELINE) {
      const TFontInfo* font = CPaintManagerUI::ResolveFont(m_pManager, GetEffectiveFont());
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

bool CLabelUI::IsShrinkable() const { return (m_uTextStyle & (DT_END_ELLIPSIS | DT_PATH_ELLIPSIS | DT_WORD_ELLIPSIS)) != 0; }

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
  const RECT rc = GetTextRect();
  if (!m_bShowHtml) {
    detail::DrawText(hDC, m_pManager, rc, text, color, GetEffectiveFont(), m_uTextStyle);
    return;
  }
  if (rc.right <= rc.left || rc.bottom <= rc.top) return;
  MarkupState& markup = PaintedMarkup();
  detail::MarkupColors colors;
  colors.text = color;
  colors.link = m_pManager ? m_pManager->GetDefaultLinkFontColor() : 0xFF0066CC;
  colors.linkHover = m_pManager ? m_pManager->GetDefaultLinkHoverFontColor() : 0xFF0088FF;
  colors.uniform = !IsEnabled();
  markup.painted.Draw(hDC, markup.doc, rc, colors, markup.hotLink);
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
