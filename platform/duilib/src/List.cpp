#include "duilib/List.h"

#include <algorithm>

#include "duilib/PaintManager.h"
#include "ListItem.h"

namespace DuiLib {

using detail::AsListItem;

CListUI::CListUI() { EnableScrollBar(true, false); }

LPCTSTR CListUI::GetClass() const { return L"ListUI"; }

LPVOID CListUI::GetInterface(LPCTSTR pstrName) {
  if (pstrName && wcscmp(pstrName, L"List") == 0) return this;
  if (pstrName && wcscmp(pstrName, L"IListOwner") == 0) return static_cast<IListOwnerUI*>(this);
  return CVerticalLayoutUI::GetInterface(pstrName);
}

// ---- Children and selection ----------------------------------------------------------

bool CListUI::AddAt(CControlUI* pControl, int iIndex) {
  if (!CVerticalLayoutUI::AddAt(pControl, iIndex)) return false;
  m_rowEnds.clear();  // stale until the next layout: paint and hit tests visit every row
  detail::AdoptListItem(*this, m_pSelected, pControl);
  return true;
}

void CListUI::ForgetSelectionOf(CControlUI* pControl) {
  detail::ReleaseListItem(m_pSelected, pControl);
  m_rowEnds.clear();
}

bool CListUI::Remove(CControlUI* pControl) {
  if (GetItemIndex(pControl) < 0) return false;
  ForgetSelectionOf(pControl);
  return CVerticalLayoutUI::Remove(pControl);
}

bool CListUI::RemoveAt(int iIndex) {
  CControlUI* item = GetItemAt(iIndex);
  if (!item) return false;
  ForgetSelectionOf(item);
  return CVerticalLayoutUI::RemoveAt(iIndex);
}

bool CListUI::MoveItem(int iFrom, int iTo) {
  if (!CVerticalLayoutUI::MoveItem(iFrom, iTo)) return false;
  m_rowEnds.clear();
  return true;
}

void CListUI::RemoveAll() {
  for (CControlUI* item : m_items) detail::ReleaseListItem(m_pSelected, item);
  m_rowEnds.clear();
  CVerticalLayoutUI::RemoveAll();
}

int CListUI::GetCurSel() const { return m_pSelected ? GetItemIndex(m_pSelected) : -1; }

bool CListUI::IsSelectable(CControlUI* pControl) const { return detail::IsChoosableItem(pControl); }

bool CListUI::SelectItem(int iIndex, bool bTakeFocus, bool bTriggerEvent) {
  // The focus moves first: "setfocus" comes before "itemselect".
  if (bTakeFocus && AsListItem(GetItemAt(iIndex))) SetFocus();
  return detail::MoveSelection(*this, m_pSelected, iIndex, bTriggerEvent);
}

// ---- Item look -------------------------------------------------------------------------

void CListUI::SetListInfo(const TListInfoUI& info) {
  m_info = info;
  NeedUpdate();
  Invalidate();
}

void CListUI::SetItemFont(int index) {
  m_info.nFont = index;
  NeedUpdate();
}

void CListUI::SetItemHeight(int nHeight) {
  if (nHeight <= 0) return;
  m_info.nItemHeight = nHeight;
  NeedUpdate();
}

void CListUI::SetItemColor(DWORD TListInfoUI::*field, DWORD dwColor) {
  m_info.*field = dwColor;
  Invalidate();
}

void CListUI::SetItemTextColor(DWORD dwColor) { SetItemColor(&TListInfoUI::dwTextColor, dwColor); }
void CListUI::SetItemBkColor(DWORD dwColor) { SetItemColor(&TListInfoUI::dwBkColor, dwColor); }
void CListUI::SetItemHotBkColor(DWORD dwColor) { SetItemColor(&TListInfoUI::dwHotBkColor, dwColor); }
void CListUI::SetItemSelectedBkColor(DWORD dwColor) { SetItemColor(&TListInfoUI::dwSelectedBkColor, dwColor); }
void CListUI::SetItemDisabledBkColor(DWORD dwColor) { SetItemColor(&TListInfoUI::dwDisabledBkColor, dwColor); }

void CListUI::SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue) {
  const std::wstring name = pstrName ? pstrName : L"";
  if (detail::SetListInfoAttribute(m_info, name, pstrValue)) {
    NeedUpdate();
    Invalidate();
  } else if (name != L"header") {  // "header" is accepted for older skins: lists have none
    CVerticalLayoutUI::SetAttribute(pstrName, pstrValue);
  }
}

// ---- Keys ---------------------------------------------------------------------------

void CListUI::DoEvent(TEventUI& event) {
  if (event.Type == UIEVENT_KEYDOWN && MoveSelectionByKey(static_cast<UINT>(event.wParam))) {
    if (m_pManager) m_pManager->MarkKeyHandled();
    return;
  }
  if (event.Type == UIEVENT_CHAR && SelectByInitial(event.chKey)) return;
  CVerticalLayoutUI::DoEvent(event);
}

bool CListUI::SelectByInitial(wchar_t letter) {
  const int target = detail::FindItemByInitial(*this, GetCurSel(), letter);
  if (target < 0) return false;
  SelectItem(target, false);
  if (m_pManager && target < GetCount()) ScrollIntoViewByUser(target);
  return true;
}

bool CListUI::MoveSelectionByKey(UINT vk) {
  const int count = GetCount();
  const int current = GetCurSel();
  auto selectable = [this](int i) { return IsSelectable(m_items[static_cast<size_t>(i)]); };
  int target = -1;
  switch (vk) {
    case VK_UP:
      for (int i = (current < 0 ? count : current) - 1; i >= 0 && target < 0; --i) target = selectable(i) ? i : -1;
      break;
    case VK_DOWN:
      for (int i = current + 1; i < count && target < 0; ++i) target = selectable(i) ? i : -1;
      break;
    case VK_HOME:
      for (int i = 0; i < count && target < 0; ++i) target = selectable(i) ? i : -1;
      break;
    case VK_END:
      for (int i = count - 1; i >= 0 && target < 0; --i) target = selectable(i) ? i : -1;
      break;
    case VK_PRIOR:
    case VK_NEXT: {
      // As far as one view away, at least one row.
      const int direction = vk == VK_NEXT ? 1 : -1;
      const RECT inner = GetInnerRect();
      const LONG view = inner.bottom - inner.top;
      const LONG from = current >= 0 ? m_items[static_cast<size_t>(current)]->GetPos().top : inner.top;
      for (int i = (current < 0 ? (direction > 0 ? -1 : count) : current) + direction; i >= 0 && i < count; i += direction) {
        if (!selectable(i)) continue;
        const LONG distance = std::abs(m_items[static_cast<size_t>(i)]->GetPos().top - from);
        if (target >= 0 && distance > view) break;
        target = i;
      }
      break;
    }
    default:
      return false;
  }
  if (target < 0 || target == current) return true;
  SelectItem(target, false);
  // The handler may have emptied or removed the list.
  if (m_pManager && target < GetCount()) ScrollIntoViewByUser(target);
  return true;
}

void CListUI::ScrollIntoViewByUser(int iIndex) {
  if (m_pManager && m_pManager->IsLayoutPending()) m_pManager->UpdateLayout();
  CControlUI* item = GetItemAt(iIndex);
  if (!item) return;
  const RECT rc = item->GetPos();
  const RECT inner = GetInnerRect();
  SIZE pos = GetScrollPos();
  if (rc.top < inner.top || rc.bottom - rc.top > inner.bottom - inner.top) {
    pos.cy -= inner.top - rc.top;
  } else if (rc.bottom > inner.bottom) {
    pos.cy += rc.bottom - inner.bottom;
  } else {
    return;
  }
  ScrollByUser(pos);
}

// ---- Layout, painting and hit testing of big lists --------------------------------------

int CListUI::RowHeight(CControlUI* pItem, int width) const {
  int height = pItem->GetFixedHeight();
  if (height <= 0) {
    IListItemUI* row = AsListItem(pItem);
    height = row ? row->HeightAtWidth(width) : pItem->EstimateSize({width, 0}).cy;
    if (height <= 0 && row) height = m_info.nItemHeight;
  }
  return std::clamp(height, pItem->GetMinHeight(), std::max(pItem->GetMinHeight(), pItem->GetMaxHeight()));
}

SIZE CListUI::ArrangeChildren(const RECT& rcInner, SIZE szScroll) {
  // One pass over the rows without measuring those of fixed height; only the
  // rows in view lay out what they hold.
  const int width = rcInner.right - rcInner.left;
  m_rowEnds.resize(m_items.size());
  m_rowsOrigin = rcInner.top - szScroll.cy;
  m_bHasFloats = false;
  LONG y = 0;
  LONG widest = 0;
  bool first = true;
  for (size_t i = 0; i < m_items.size(); ++i) {
    CControlUI* item = m_items[i];
    m_bHasFloats = m_bHasFloats || item->IsFloat();
    if (item->IsFloat() || !item->IsSelfVisible()) {
      const RECT& pos = item->GetPos();
      if (!item->IsFloat() && (pos.left || pos.top || pos.right || pos.bottom)) item->SetPos({0, 0, 0, 0});
      m_rowEnds[i] = y;
      continue;
    }
    if (!first) y += m_iChildPadding;
    first = false;
    const RECT pad = item->GetPadding();
    const int padX = pad.left + pad.right;
    const int height = RowHeight(item, width - padX);
    const int itemWidth = item->GetFixedWidth() > 0 ? item->GetFixedWidth() : std::max(0, width - padX);
    const RECT rc = {rcInner.left + pad.left - szScroll.cx, m_rowsOrigin + y + pad.top,
                     rcInner.left + pad.left - szScroll.cx + itemWidth, m_rowsOrigin + y + pad.top + height};
    if (rc.bottom > rcInner.top && rc.top < rcInner.bottom) {
      item->SetPos(rc);
    } else {
      item->PlaceLazily(rc);
    }
    y += pad.top + height + pad.bottom;
    m_rowEnds[i] = y;
    widest = std::max<LONG>(widest, itemWidth + padX);
  }
  return SIZE{widest, y};
}

std::pair<size_t, size_t> CListUI::RowsIn(LONG top, LONG bottom) const {
  const LONG from = top - m_rowsOrigin;
  const LONG to = bottom - m_rowsOrigin;
  const auto first = std::upper_bound(m_rowEnds.begin(), m_rowEnds.end(), from);
  auto last = std::lower_bound(first, m_rowEnds.end(), to);
  if (last != m_rowEnds.end()) ++last;
  return {static_cast<size_t>(first - m_rowEnds.begin()), static_cast<size_t>(last - m_rowEnds.begin())};
}

void CListUI::PaintChildren(HDC hDC, const RECT& rcChildren) {
  if (m_rowEnds.size() != m_items.size()) {
    CVerticalLayoutUI::PaintChildren(hDC, rcChildren);
    return;
  }
  const auto [first, last] = RowsIn(rcChildren.top, rcChildren.bottom);
  for (size_t i = first; i < last; ++i) {
    CControlUI* item = m_items[i];
    if (item->IsFloat() || !item->IsSelfVisible()) continue;
    RECT rcTest;
    if (IntersectRect(&rcTest, &rcChildren, &item->GetPos())) item->DoPaint(hDC, rcChildren);
  }
}

void CListUI::PaintFloatChildren(HDC hDC, const RECT& rcClip) {
  // The last layout saw whether any row floats: a paint need not visit them all.
  if (m_rowEnds.size() == m_items.size() && !m_bHasFloats) return;
  CVerticalLayoutUI::PaintFloatChildren(hDC, rcClip);
}

CControlUI* CListUI::HitTestChildren(POINT pt, bool bInInner) {
  if (m_rowEnds.size() != m_items.size()) return CVerticalLayoutUI::HitTestChildren(pt, bInInner);
  // Floating children lie over the rows; lists rarely have them.
  for (auto it = m_items.rbegin(); m_bHasFloats && it != m_items.rend(); ++it) {
    if (!(*it)->IsFloat()) continue;
    if (CControlUI* hit = (*it)->HitTest(pt)) return hit;
  }
  if (!bInInner) return nullptr;
  const auto [first, last] = RowsIn(pt.y, pt.y + 1);
  for (size_t i = last; i-- > first;) {
    if (m_items[i]->IsFloat()) continue;
    if (CControlUI* hit = m_items[i]->HitTest(pt)) return hit;
  }
  return nullptr;
}

}  // namespace DuiLib
