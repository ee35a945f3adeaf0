#include "duilib/Container.h"

#include <algorithm>

#include "Attributes.h"
#include "duilib/PaintManager.h"
#include "Render.h"

namespace DuiLib {

CContainerUI::~CContainerUI() {
  std::vector<CControlUI*> items;
  items.swap(m_items);
  for (CControlUI* item : items) Release(item);
  Release(m_pVerticalScrollBar);
  Release(m_pHorizontalScrollBar);
}

LPCTSTR CContainerUI::GetClass() const { return L"ContainerUI"; }

LPVOID CContainerUI::GetInterface(LPCTSTR pstrName) {
  if (pstrName && wcscmp(pstrName, L"Container") == 0) return this;
  return CControlUI::GetInterface(pstrName);
}

bool CContainerUI::Add(CControlUI* pControl) { return AddAt(pControl, GetCount()); }

bool CContainerUI::AddAt(CControlUI* pControl, int iIndex) {
  if (!pControl || iIndex < 0 || iIndex > GetCount()) return false;
  m_items.insert(m_items.begin() + iIndex, pControl);
  pControl->SetManager(m_pManager, this);
  NeedUpdate();
  return true;
}

bool CContainerUI::Remove(CControlUI* pControl) {
  if (!pControl) return false;
  // Searching from the end makes removing recent rows cheap.
  for (int i = GetCount() - 1; i >= 0; --i) {
    if (m_items[static_cast<size_t>(i)] == pControl) return DetachChild(i);
  }
  return false;
}

bool CContainerUI::RemoveAt(int iIndex) {
  if (iIndex < 0 || iIndex >= GetCount()) return false;
  return DetachChild(iIndex);
}

bool CContainerUI::MoveItem(int iFrom, int iTo) {
  if (iFrom < 0 || iFrom >= GetCount() || iTo < 0 || iTo >= GetCount()) return false;
  const auto first = m_items.begin();
  if (iFrom < iTo) {
    std::rotate(first + iFrom, first + iFrom + 1, first + iTo + 1);
  } else if (iTo < iFrom) {
    std::rotate(first + iTo, first + iFrom, first + iFrom + 1);
  }
  NeedUpdate();
  return true;
}

bool CContainerUI::DetachChild(int iIndex) {
  CControlUI* child = m_items[static_cast<size_t>(iIndex)];
  m_items.erase(m_items.begin() + iIndex);
  NeedUpdate();
  Release(child);
  return true;
}

void CContainerUI::RemoveAll() {
  std::vector<CControlUI*> items;
  items.swap(m_items);
  // Back to the top without "scroll": this is not user input.
  m_szScrollPos = {0, 0};
  m_szScrollRange = {0, 0};
  m_bScrollPending = false;
  m_bScrollToEnd = false;
  NeedUpdate();
  for (CControlUI* item : items) Release(item);
}

CControlUI* CContainerUI::GetItemAt(int iIndex) const {
  if (iIndex < 0 || iIndex >= GetCount()) return nullptr;
  return m_items[static_cast<size_t>(iIndex)];
}

int CContainerUI::GetItemIndex(CControlUI* pControl) const {
  // From the end: rows are added, and asked for, mostly at the end of a list
  // of thousands (a tree looks up its last node for each one it adds).
  const auto it = std::find(m_items.rbegin(), m_items.rend(), pControl);
  return it == m_items.rend() ? -1 : static_cast<int>(m_items.rend() - it) - 1;
}

void CContainerUI::SetInset(RECT rcInset) {
  m_rcInset = rcInset;
  NeedUpdate();
}

void CContainerUI::SetChildPadding(int iPadding) {
  m_iChildPadding = iPadding;
  NeedUpdate();
}

void CContainerUI::SetScrollStepSize(int nSize) {
  if (nSize > 0) m_nScrollStepSize = nSize;
}

void CContainerUI::EnableScrollBar(bool bEnableVertical, bool bEnableHorizontal) {
  if (m_bVScroll == bEnableVertical && m_bHScroll == bEnableHorizontal) return;
  m_bVScroll = bEnableVertical;
  m_bHScroll = bEnableHorizontal;
  if (m_bVScroll) EnsureScrollBar(false);
  if (m_bHScroll) EnsureScrollBar(true);
  NeedUpdate();
}

CScrollBarUI* CContainerUI::EnsureScrollBar(bool bHorizontal) {
  CScrollBarUI*& bar = bHorizontal ? m_pHorizontalScrollBar : m_pVerticalScrollBar;
  if (!bar) {
    bar = new CScrollBarUI(this, bHorizontal);
    bar->SetManager(m_pManager, this);
  }
  return bar;
}

RECT CContainerUI::GetInnerRect() const {
  RECT rc = {m_rcItem.left + m_rcInset.left, m_rcItem.top + m_rcInset.top, m_rcItem.right - m_rcInset.right,
             m_rcItem.bottom - m_rcInset.bottom};
  if (m_bVBarShown) rc.right -= m_pVerticalScrollBar->GetThickness();
  if (m_bHBarShown) rc.bottom -= m_pHorizontalScrollBar->GetThickness();
  if (rc.right < rc.left) rc.right = rc.left;
  if (rc.bottom < rc.top) rc.bottom = rc.top;
  return rc;
}

bool CContainerUI::IsLayoutOutstanding() const {
  // Without a window nothing lays out on its own: only this container's state counts.
  const bool windowPending = m_pManager && m_pManager->GetPaintWindow() && m_pManager->IsLayoutPending();
  return !m_bLaidOut || m_bUpdateNeeded || windowPending;
}

void CContainerUI::SetScrollPos(SIZE szPos) {
  const bool layoutPending = IsLayoutOutstanding();
  if (layoutPending) {
    // The range is not known yet: apply once the layout has run.
    m_szPendingScroll = szPos;
    m_bScrollPending = true;
    m_bScrollToEnd = false;
    NeedUpdate();
    return;
  }
  ApplyScrollPos(szPos);
}

void CContainerUI::LineUp() { SetScrollPos({m_szScrollPos.cx, m_szScrollPos.cy - m_nScrollStepSize}); }
void CContainerUI::LineDown() { SetScrollPos({m_szScrollPos.cx, m_szScrollPos.cy + m_nScrollStepSize}); }

void CContainerUI::PageUp() {
  const RECT inner = GetInnerRect();
  SetScrollPos({m_szScrollPos.cx, m_szScrollPos.cy - (inner.bottom - inner.top)});
}

void CContainerUI::PageDown() {
  const RECT inner = GetInnerRect();
  SetScrollPos({m_szScrollPos.cx, m_szScrollPos.cy + (inner.bottom - inner.top)});
}

void CContainerUI::HomeUp() { SetScrollPos({m_szScrollPos.cx, 0}); }

void CContainerUI::EndDown() {
  const bool layoutPending = IsLayoutOutstanding();
  if (layoutPending) {
    m_bScrollToEnd = true;
    m_bScrollPending = false;
    NeedUpdate();
    return;
  }
  ApplyScrollPos({m_szScrollPos.cx, m_szScrollRange.cy});
}

void CContainerUI::ApplyScrollPos(SIZE szPos) {
  szPos.cx = std::clamp<LONG>(szPos.cx, 0, m_szScrollRange.cx);
  szPos.cy = std::clamp<LONG>(szPos.cy, 0, m_szScrollRange.cy);
  if (szPos.cx == m_szScrollPos.cx && szPos.cy == m_szScrollPos.cy) return;
  m_szScrollPos = szPos;
  if (m_pManager) m_pManager->OnContentScrolled(this);
  // Every child moves: one invalidation for all of them.
  if (m_pManager) m_pManager->HoldInvalidation();
  Invalidate();
  ArrangeChildren(GetInnerRect(), m_szScrollPos);
  UpdateScrollBars();
  if (m_pManager) m_pManager->ReleaseInvalidation();
}

bool CContainerUI::ScrollByUser(SIZE szPos) {
  const SIZE before = m_szScrollPos;
  ApplyScrollPos(szPos);
  if (before.cx == m_szScrollPos.cx && before.cy == m_szScrollPos.cy) return false;
  Notify(L"scroll", static_cast<WPARAM>(m_szScrollPos.cy), static_cast<LPARAM>(m_szScrollPos.cx));
  return true;
}

void CContainerUI::SetPos(RECT rc, bool bNeedInvalidate) {
  CControlUI::SetPos(rc, bNeedInvalidate);
  if (IsRectEmpty(&m_rcItem)) {
    // Hidden or squeezed away: children take no space either.
    m_bVBarShown = m_bHBarShown = false;
    for (CControlUI* item : m_items) {
      const RECT& pos = item->GetPos();
      if (pos.left || pos.top || pos.right || pos.bottom || item->IsUpdateNeeded()) item->SetPos({0, 0, 0, 0}, false);
    }
    return;
  }
  LayoutNow();
}

void CContainerUI::LayoutNow() {
  const RECT inset = {m_rcItem.left + m_rcInset.left, m_rcItem.top + m_rcInset.top,
                      std::max(m_rcItem.left + m_rcInset.left, m_rcItem.right - m_rcInset.right),
                      std::max(m_rcItem.top + m_rcInset.top, m_rcItem.bottom - m_rcInset.bottom)};
  RECT area = GetInnerRect();
  SIZE content = ArrangeChildren(area, m_szScrollPos);
  // Showing one bar narrows the view, which may call for the other bar.
  for (int pass = 0; pass < 2; ++pass) {
    const bool needV = m_bVScroll && content.cy > area.bottom - area.top &&
                       (inset.right - inset.left) > m_pVerticalScrollBar->GetThickness();
    const bool needH = m_bHScroll && content.cx > area.right - area.left &&
                       (inset.bottom - inset.top) > m_pHorizontalScrollBar->GetThickness();
    if (needV == m_bVBarShown && needH == m_bHBarShown) break;
    m_bVBarShown = needV;
    m_bHBarShown = needH;
    area = GetInnerRect();
    content = ArrangeChildren(area, m_szScrollPos);
  }
  m_szScrollRange.cx = m_bHScroll ? std::max<LONG>(0, content.cx - (area.right - area.left)) : 0;
  m_szScrollRange.cy = m_bVScroll ? std::max<LONG>(0, content.cy - (area.bottom - area.top)) : 0;
  SIZE target = m_bScrollPending ? m_szPendingScroll : m_szScrollPos;
  if (m_bScrollToEnd) target.cy = m_szScrollRange.cy;
  target.cx = std::clamp<LONG>(target.cx, 0, m_szScrollRange.cx);
  target.cy = std::clamp<LONG>(target.cy, 0, m_szScrollRange.cy);
  m_bScrollPending = false;
  m_bScrollToEnd = false;
  m_bLaidOut = true;
  if (target.cx != m_szScrollPos.cx || target.cy != m_szScrollPos.cy) {
    m_szScrollPos = target;
    ArrangeChildren(area, m_szScrollPos);
  }
  ArrangeFloatChildren(inset);
  UpdateScrollBars();
}

SIZE CContainerUI::ArrangeChildren(const RECT& rcInner, SIZE szScroll) {
  // The plain container stacks every child over the whole inner rectangle.
  for (CControlUI* item : m_items) {
    if (item->IsFloat()) continue;
    if (!item->IsSelfVisible()) {
      item->SetPos({0, 0, 0, 0});
      continue;
    }
    const RECT pad = item->GetPadding();
    RECT rc = {rcInner.left + pad.left - szScroll.cx, rcInner.top + pad.top - szScroll.cy,
               rcInner.right - pad.right - szScroll.cx, rcInner.bottom - pad.bottom - szScroll.cy};
    const SIZE fixed = item->EstimateSize({rc.right - rc.left, rc.bottom - rc.top});
    if (fixed.cx > 0) rc.right = rc.left + fixed.cx;
    if (fixed.cy > 0 && item->GetFixedHeight() > 0) rc.bottom = rc.top + fixed.cy;
    item->SetPos(rc);
  }
  return SIZE{rcInner.right - rcInner.left, rcInner.bottom - rcInner.top};
}

void CContainerUI::ArrangeFloatChildren(const RECT& rcInner) {
  for (CControlUI* item : m_items) {
    if (!item->IsFloat()) continue;
    if (!item->IsSelfVisible()) {
      item->SetPos({0, 0, 0, 0});
      continue;
    }
    const RECT pos = item->GetFloatPos();
    item->SetPos({rcInner.left + pos.left, rcInner.top + pos.top, rcInner.left + pos.right, rcInner.top + pos.bottom});
  }
}

void CContainerUI::UpdateScrollBars() {
  const RECT inner = GetInnerRect();
  if (m_pVerticalScrollBar) {
    const RECT bar = m_bVBarShown ? RECT{inner.right, inner.top, inner.right + m_pVerticalScrollBar->GetThickness(), inner.bottom}
                                  : RECT{0, 0, 0, 0};
    m_pVerticalScrollBar->Update(bar, m_szScrollRange.cy, m_szScrollPos.cy, inner.bottom - inner.top);
  }
  if (m_pHorizontalScrollBar) {
    const RECT bar = m_bHBarShown
                         ? RECT{inner.left, inner.bottom, inner.right, inner.bottom + m_pHorizontalScrollBar->GetThickness()}
                         : RECT{0, 0, 0, 0};
    m_pHorizontalScrollBar->Update(bar, m_szScrollRange.cx, m_szScrollPos.cx, inner.right - inner.left);
  }
}

void CContainerUI::DoEvent(TEventUI& event) {
  if (event.Type == UIEVENT_SCROLLWHEEL && m_bVScroll && IsEnabled()) {
    const int delta = static_cast<short>(HIWORD(event.wParam));
    int notches = delta / WHEEL_DELTA;
    if (notches == 0 && delta != 0) notches = delta > 0 ? 1 : -1;
    const LONG target = std::clamp<LONG>(m_szScrollPos.cy - notches * 3 * m_nScrollStepSize, 0, m_szScrollRange.cy);
    // The innermost container that can still move takes the wheel; the
    // others let it go on to their parent.
    if (target != m_szScrollPos.cy) {
      ScrollByUser({m_szScrollPos.cx, target});
      return;
    }
  }
  CControlUI::DoEvent(event);
}

CControlUI* CContainerUI::HitTest(POINT pt) {
  if (!m_bVisible || !PtInRect(&m_rcItem, pt)) return nullptr;
  if (m_bVBarShown && PtInRect(&m_pVerticalScrollBar->GetPos(), pt)) return m_pVerticalScrollBar;
  if (m_bHBarShown && PtInRect(&m_pHorizontalScrollBar->GetPos(), pt)) return m_pHorizontalScrollBar;
  if (m_bMouseChildEnabled) {
    const RECT inner = GetInnerRect();
    if (CControlUI* hit = HitTestChildren(pt, PtInRect(&inner, pt) != FALSE)) return hit;
  }
  return m_bMouseEnabled ? this : nullptr;
}

CControlUI* CContainerUI::HitTestChildren(POINT pt, bool bInInner) {
  for (auto it = m_items.rbegin(); it != m_items.rend(); ++it) {
    CControlUI* item = *it;
    if (!item->IsFloat() && !bInInner) continue;
    if (CControlUI* hit = item->HitTest(pt)) return hit;
  }
  return nullptr;
}

void CContainerUI::SetManager(CPaintManagerUI* pManager, CControlUI* pParent) {
  CControlUI::SetManager(pManager, pParent);
  for (CControlUI* item : m_items) item->SetManager(pManager, this);
  if (m_pVerticalScrollBar) m_pVerticalScrollBar->SetManager(pManager, this);
  if (m_pHorizontalScrollBar) m_pHorizontalScrollBar->SetManager(pManager, this);
}

void CContainerUI::PropagateState() {
  for (CControlUI* item : m_items) item->PropagateState();
}

void CContainerUI::DoPaint(HDC hDC, const RECT& rcPaint) {
  RECT rcClip;
  if (!IntersectRect(&rcClip, &rcPaint, &m_rcItem)) return;
  const int saved = SaveDC(hDC);
  IntersectClipRect(hDC, rcClip.left, rcClip.top, rcClip.right, rcClip.bottom);
  PaintBkColor(hDC);
  {
    const int rounded = SaveDC(hDC);
    ClipToRound(hDC);
    PaintBkImage(hDC);
    PaintStatusImage(hDC);
    PaintText(hDC);
    const RECT inner = GetInnerRect();
    RECT rcChildren;
    if (IntersectRect(&rcChildren, &rcClip, &inner)) {
      // Children are clipped to the inner rectangle and only those that
      // meet the paint rectangle are visited.
      const int clipped = SaveDC(hDC);
      IntersectClipRect(hDC, rcChildren.left, rcChildren.top, rcChildren.right, rcChildren.bottom);
      PaintChildren(hDC, rcChildren);
      RestoreDC(hDC, clipped);
    }
    PaintFloatChildren(hDC, rcClip);
    if (m_bVBarShown) m_pVerticalScrollBar->DoPaint(hDC, rcClip);
    if (m_bHBarShown) m_pHorizontalScrollBar->DoPaint(hDC, rcClip);
    RestoreDC(hDC, rounded);
  }
  PaintBorder(hDC);
  RestoreDC(hDC, saved);
}

void CContainerUI::PaintChildren(HDC hDC, const RECT& rcChildren) {
  for (CControlUI* item : m_items) {
    if (item->IsFloat() || !item->IsSelfVisible()) continue;
    RECT rcTest;
    if (!IntersectRect(&rcTest, &rcChildren, &item->GetPos())) continue;
    item->DoPaint(hDC, rcChildren);
  }
}

void CContainerUI::PaintFloatChildren(HDC hDC, const RECT& rcClip) {
  for (CControlUI* item : m_items) {
    if (item->IsFloat() && item->IsSelfVisible()) item->DoPaint(hDC, rcClip);
  }
}

void CContainerUI::SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue) {
  using namespace detail;
  const std::wstring name = pstrName ? pstrName : L"";
  RECT rc;
  int number;
  bool flag;
  if (name == L"inset") {
    if (ParseRect(pstrValue, &rc)) SetInset(rc);
  } else if (name == L"childpadding") {
    if (ParseInt(pstrValue, &number)) SetChildPadding(number);
  } else if (name == L"mousechild") {
    if (ParseBool(pstrValue, &flag)) SetMouseChildEnabled(flag);
  } else if (name == L"tabgroup") {
    if (ParseBool(pstrValue, &flag)) SetTabGroup(flag);
  } else if (name == L"vscrollbar") {
    if (ParseBool(pstrValue, &flag)) EnableScrollBar(flag, m_bHScroll);
  } else if (name == L"hscrollbar") {
    if (ParseBool(pstrValue, &flag)) EnableScrollBar(m_bVScroll, flag);
  } else if (name == L"scrollstepsize") {
    if (ParseInt(pstrValue, &number)) SetScrollStepSize(number);
  } else if (name == L"vscrollbarstyle" || name == L"hscrollbarstyle") {
    EnsureScrollBar(name[0] == L'h')->ApplyStyle(pstrValue);
    NeedUpdate();
  } else {
    CControlUI::SetAttribute(pstrName, pstrValue);
  }
}

}  // namespace DuiLib
