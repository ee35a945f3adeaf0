#include "duilib/Button.h"

#include "Attributes.h"
#include "duilib/PaintManager.h"
#include "Render.h"

namespace DuiLib {

CButtonUI::CButtonUI() { m_uTextStyle = DT_SINGLELINE | DT_VCENTER | DT_CENTER; }

LPCTSTR CButtonUI::GetClass() const { return L"ButtonUI"; }

LPVOID CButtonUI::GetInterface(LPCTSTR pstrName) {
  if (pstrName && wcscmp(pstrName, L"Button") == 0) return this;
  return CLabelUI::GetInterface(pstrName);
}

bool CButtonUI::Activate() {
  if (!CanRaise()) return false;
  Notify(L"click");
  return true;
}

void CButtonUI::SetEnabled(bool bEnable) {
  if (!bEnable) m_uButtonState = 0;
  CLabelUI::SetEnabled(bEnable);
}

void CButtonUI::SetNormalImage(LPCTSTR pStrImage) {
  m_normalImage.Set(pStrImage);
  Invalidate();
}

void CButtonUI::SetHotImage(LPCTSTR pStrImage) { SetStateImage(&StateImages::hot, pStrImage); }

void CButtonUI::SetPushedImage(LPCTSTR pStrImage) { SetStateImage(&StateImages::pushed, pStrImage); }

void CButtonUI::SetFocusedImage(LPCTSTR pStrImage) { SetStateImage(&StateImages::focused, pStrImage); }

void CButtonUI::SetDisabledImage(LPCTSTR pStrImage) { SetStateImage(&StateImages::disabled, pStrImage); }

void CButtonUI::SetForeImage(LPCTSTR pStrImage) { SetStateImage(&StateImages::fore, pStrImage); }

CDuiString CButtonUI::StateImage(TImageSlot StateImages::*slot) const {
  return m_pStateImages ? ((*m_pStateImages).*slot).sValue : CDuiString();
}

void CButtonUI::SetStateImage(TImageSlot StateImages::*slot, LPCTSTR pStrImage) {
  if (!m_pStateImages) m_pStateImages = std::make_unique<StateImages>();
  ((*m_pStateImages).*slot).Set(pStrImage);
  Invalidate();
}

bool CButtonUI::DrawStateImage(HDC hDC, TImageSlot StateImages::*slot) {
  return m_pStateImages && DrawImage(hDC, (*m_pStateImages).*slot, m_rcItem);
}

void CButtonUI::SetHotTextColor(DWORD dwColor) { m_dwHotTextColor = dwColor; }
void CButtonUI::SetPushedTextColor(DWORD dwColor) { m_dwPushedTextColor = dwColor; }
void CButtonUI::SetFocusedTextColor(DWORD dwColor) { m_dwFocusedTextColor = dwColor; }
void CButtonUI::SetHotBkColor(DWORD dwColor) { m_dwHotBkColor = dwColor; }
void CButtonUI::SetPushedBkColor(DWORD dwColor) { m_dwPushedBkColor = dwColor; }

void CButtonUI::DoEvent(TEventUI& event) {
  // A link in the button's markup takes its own presses.
  if (HandleLinkEvent(event)) return;
  switch (event.Type) {
    case UIEVENT_BUTTONDOWN:
    case UIEVENT_DBLCLICK:
      // A disabled button still takes the hit, but does nothing with it.
      if (IsEnabled() && PtInRect(&m_rcItem, event.ptMouse)) {
        m_uButtonState |= kStatePushed | kStateCaptured;
        Invalidate();
      }
      return;
    case UIEVENT_MOUSEMOVE:
      if (m_uButtonState & kStateCaptured) {
        const bool inside = PtInRect(&m_rcItem, event.ptMouse) != FALSE;
        if (inside != IsPushed()) {
          m_uButtonState = inside ? (m_uButtonState | kStatePushed) : (m_uButtonState & ~kStatePushed);
          Invalidate();
        }
      }
      return;
    case UIEVENT_BUTTONUP:
      if (m_uButtonState & kStateCaptured) {
        m_uButtonState &= ~(kStatePushed | kStateCaptured);
        Invalidate();
        // A press cancelled by hiding or disabling the button gives no click.
        if (PtInRect(&m_rcItem, event.ptMouse) && CanRaise()) Activate();
      }
      return;
    // Entering and leaving also reach the parent: a row that holds the
    // button keeps its own hot look right.
    case UIEVENT_MOUSEENTER:
      if (IsEnabled()) {
        m_uButtonState |= kStateHot;
        Invalidate();
      }
      break;
    case UIEVENT_MOUSELEAVE:
      if (m_uButtonState & kStateHot) {
        m_uButtonState &= ~kStateHot;
        Invalidate();
      }
      break;
    case UIEVENT_KEYDOWN:
      if (event.chKey == VK_SPACE || event.chKey == VK_RETURN) {
        if (m_pManager) m_pManager->MarkKeyHandled();
        Activate();
        return;
      }
      break;
    case UIEVENT_SETCURSOR:
      ::SetCursor(LoadCursorW(nullptr, m_bHandCursor ? IDC_HAND : IDC_ARROW));
      return;
    default:
      break;
  }
  CLabelUI::DoEvent(event);
}

DWORD CButtonUI::GetStateTextColor() const {
  if (IsPushed() && m_dwPushedTextColor) return m_dwPushedTextColor;
  if (IsHot() && m_dwHotTextColor) return m_dwHotTextColor;
  if (m_bFocused && m_dwFocusedTextColor) return m_dwFocusedTextColor;
  return GetRestingTextColor();
}

DWORD CButtonUI::GetStateBkColor() const {
  if (IsPushed() && m_dwPushedBkColor) return m_dwPushedBkColor;
  if (IsHot() && m_dwHotBkColor) return m_dwHotBkColor;
  return GetRestingBkColor();
}

void CButtonUI::PaintBkColor(HDC hDC) { detail::FillColor(hDC, m_rcItem, GetStateBkColor(), m_cxyBorderRound); }

bool CButtonUI::PaintButtonImages(HDC hDC) {
  // The first state that applies and has an image wins; a state whose image
  // is missing falls back to the normal image.
  if (!IsEnabled() && DrawStateImage(hDC, &StateImages::disabled)) return true;
  if (IsEnabled()) {
    if (IsPushed() && DrawStateImage(hDC, &StateImages::pushed)) return true;
    if (IsHot() && DrawStateImage(hDC, &StateImages::hot)) return true;
    if (m_bFocused && DrawStateImage(hDC, &StateImages::focused)) return true;
  }
  return DrawImage(hDC, m_normalImage, m_rcItem);
}

void CButtonUI::PaintStatusImage(HDC hDC) {
  PaintButtonImages(hDC);
  DrawStateImage(hDC, &StateImages::fore);
}

void CButtonUI::SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue) {
  using namespace detail;
  const std::wstring name = pstrName ? pstrName : L"";
  DWORD color;
  if (name == L"normalimage") {
    SetNormalImage(pstrValue);
  } else if (name == L"hotimage") {
    SetHotImage(pstrValue);
  } else if (name == L"pushedimage") {
    SetPushedImage(pstrValue);
  } else if (name == L"focusedimage") {
    SetFocusedImage(pstrValue);
  } else if (name == L"disabledimage") {
    SetDisabledImage(pstrValue);
  } else if (name == L"foreimage") {
    SetForeImage(pstrValue);
  } else if (name == L"hottextcolor") {
    if (ParseColor(pstrValue, &color)) SetHotTextColor(color);
  } else if (name == L"pushedtextcolor") {
    if (ParseColor(pstrValue, &color)) SetPushedTextColor(color);
  } else if (name == L"focusedtextcolor") {
    if (ParseColor(pstrValue, &color)) SetFocusedTextColor(color);
  } else if (name == L"hotbkcolor") {
    if (ParseColor(pstrValue, &color)) SetHotBkColor(color);
  } else if (name == L"pushedbkcolor") {
    if (ParseColor(pstrValue, &color)) SetPushedBkColor(color);
  } else {
    CLabelUI::SetAttribute(pstrName, pstrValue);
  }
}

}  // namespace DuiLib
