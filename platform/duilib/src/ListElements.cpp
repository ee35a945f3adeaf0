#include "ListItem.h"
#include "Render.h"

namespace DuiLib {

using detail::ListItemBkColor;

// ---- CListContainerElementUI ------------------------------------------------------

LPCTSTR CListContainerElementUI::GetClass() const { return L"ListContainerElementUI"; }

LPVOID CListContainerElementUI::GetInterface(LPCTSTR pstrName) {
  if (pstrName && wcscmp(pstrName, L"ListContainerElement") == 0) return this;
  if (pstrName && wcscmp(pstrName, L"ListItem") == 0) return static_cast<IListItemUI*>(this);
  return CContainerUI::GetInterface(pstrName);
}

bool CListContainerElementUI::Select(bool bSelect) { return detail::SelectListItem(*this, bSelect); }

int CListContainerElementUI::GetIndex() const {
  return detail::ListItemIndex(const_cast<CListContainerElementUI&>(*this));
}

CControlUI* CListContainerElementUI::GetOwner() const {
  return m_state.pOwner ? m_state.pOwner->GetOwnerControl() : nullptr;
}

void CListContainerElementUI::SetSelectedState(bool bSelected) { detail::SetListItemSelectedState(*this, bSelected); }

void CListContainerElementUI::SetHotBkColor(DWORD dwColor) {
  m_state.dwHotBkColor = dwColor;
  Invalidate();
}

void CListContainerElementUI::SetSelectedBkColor(DWORD dwColor) {
  m_state.dwSelectedBkColor = dwColor;
  Invalidate();
}

void CListContainerElementUI::SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue) {
  if (!detail::SetListItemAttribute(*this, pstrName ? pstrName : L"", pstrValue)) CContainerUI::SetAttribute(pstrName, pstrValue);
}

void CListContainerElementUI::DoEvent(TEventUI& event) {
  if (event.Type != UIEVENT_SCROLLWHEEL && detail::HandleListItemEvent(*this, event)) return;
  CContainerUI::DoEvent(event);
}

void CListContainerElementUI::PaintBkColor(HDC hDC) {
  detail::FillColor(hDC, m_rcItem, ListItemBkColor(*this, m_dwBackColor), m_cxyBorderRound);
}

// ---- CListLabelElementUI ----------------------------------------------------------

LPCTSTR CListLabelElementUI::GetClass() const { return L"ListLabelElementUI"; }

LPVOID CListLabelElementUI::GetInterface(LPCTSTR pstrName) {
  if (pstrName && wcscmp(pstrName, L"ListLabelElement") == 0) return this;
  if (pstrName && wcscmp(pstrName, L"ListItem") == 0) return static_cast<IListItemUI*>(this);
  return CLabelUI::GetInterface(pstrName);
}

bool CListLabelElementUI::Select(bool bSelect) { return detail::SelectListItem(*this, bSelect); }

int CListLabelElementUI::GetIndex() const { return detail::ListItemIndex(const_cast<CListLabelElementUI&>(*this)); }

CControlUI* CListLabelElementUI::GetOwner() const {
  return m_state.pOwner ? m_state.pOwner->GetOwnerControl() : nullptr;
}

void CListLabelElementUI::SetSelectedState(bool bSelected) { detail::SetListItemSelectedState(*this, bSelected); }

void CListLabelElementUI::SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue) {
  if (!detail::SetListItemAttribute(*this, pstrName ? pstrName : L"", pstrValue)) CLabelUI::SetAttribute(pstrName, pstrValue);
}

void CListLabelElementUI::DoEvent(TEventUI& event) {
  if (HandleLinkEvent(event)) return;
  if (detail::HandleListItemEvent(*this, event)) return;
  CControlUI::DoEvent(event);
}

void CListLabelElementUI::PaintBkColor(HDC hDC) {
  detail::FillColor(hDC, m_rcItem, ListItemBkColor(*this, m_dwBackColor), m_cxyBorderRound);
}

DWORD CListLabelElementUI::GetStateTextColor() const {
  if (m_dwTextColor || !m_state.pOwner) return m_dwTextColor;
  return m_state.pOwner->GetListInfo().dwTextColor;
}

int CListLabelElementUI::GetEffectiveFont() const {
  if (m_iFont != -1 || !m_state.pOwner) return m_iFont;
  return m_state.pOwner->GetListInfo().nFont;
}

}  // namespace DuiLib
