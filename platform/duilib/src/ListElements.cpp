#include <utility>

#include "ListItem.h"

namespace DuiLib {

LPCTSTR CListContainerElementUI::GetClass() const { return L"ListContainerElementUI"; }

LPVOID CListContainerElementUI::GetInterface(LPCTSTR pstrName) {
  if (pstrName && wcscmp(pstrName, L"ListContainerElement") == 0) return this;
  return CListElementOf<CContainerUI>::GetInterface(pstrName);
}

void CListContainerElementUI::DoEvent(TEventUI& event) {
  // The wheel goes on to the list.
  if (event.Type != UIEVENT_SCROLLWHEEL && detail::HandleListItemEvent(*this, event)) return;
  CContainerUI::DoEvent(event);
}

void CListContainerElementUI::SetHeightRule(HeightRule rule) {
  m_heightRule = std::move(rule);
  m_ruleWidth = -1;
  NeedParentUpdate();
}

int CListContainerElementUI::HeightAtWidth(int width) {
  if (!m_heightRule) return 0;
  if (width != m_ruleWidth) {
    m_ruleHeight = m_heightRule(width);
    m_ruleWidth = width;
  }
  return m_ruleHeight;
}

LPCTSTR CListLabelElementUI::GetClass() const { return L"ListLabelElementUI"; }

LPVOID CListLabelElementUI::GetInterface(LPCTSTR pstrName) {
  if (pstrName && wcscmp(pstrName, L"ListLabelElement") == 0) return this;
  return CListElementOf<CLabelUI>::GetInterface(pstrName);
}

void CListLabelElementUI::DoEvent(TEventUI& event) {
  if (HandleLinkEvent(event)) return;
  if (detail::HandleListItemEvent(*this, event)) return;
  CControlUI::DoEvent(event);
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
