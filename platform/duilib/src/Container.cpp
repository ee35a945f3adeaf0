#include "duilib/Container.h"

#include <algorithm>

#include "Attributes.h"
#include "Render.h"
#include "duilib/PaintManager.h"

namespace DuiLib {

namespace {

constexpr int kMinThumbSize = 20;

}  // namespace

CContainerUI::~CContainerUI() {
  std::vector<CControlUI*> items;
  items.swap(m_items);
  for (CControlUI* item : items) Release(item);
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
  const auto it = std::find(m_items.begin(), m_items.end(), pControl);
  return it == m_items.end() ? -1 : static_cast<int>(it - m_items.begin());
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
  NeedUpdate();
}

RECT CContainerUI::GetInnerRect() const {
  RECT rc = {m_rcItem.left + m_rcInset.left, m_rcItem.top + m_rcInset.top, m_rcItem.right - m_rcInset.right,
             m_rcItem.bottom - m_rcInset.bottom};
  if (m_bVBarShown) rc.right -= m_vScrollStyle.nWidth;
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
  const RECT inner = GetInnerRect();
  ArrangeChildren(inner, m_szScrollPos);
  UpdateScrollBarRects();
  Invalidate();
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
    m_bVBarShown = false;
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
  const bool needBar = m_bVScroll && content.cy > area.bottom - area.top;
  if (needBar != m_bVBarShown) {
    // Showing or hiding the bar changes the width the children get.
    m_bVBarShown = needBar && (inset.right - inset.left) > m_vScrollStyle.nWidth;
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
  UpdateScrollBarRects();
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

void CContainerUI::UpdateScrollBarRects() {
  if (!m_bVBarShown) {
    m_vBar.rcBar = m_vBar.rcThumb = RECT{0, 0, 0, 0};
    return;
  }
  const RECT inner = GetInnerRect();
  m_vBar.rcBar = RECT{inner.right, inner.top, inner.right + m_vScrollStyle.nWidth, inner.bottom};
  const int barHeight = inner.bottom - inner.top;
  const int view = barHeight;
  const int content = view + m_szScrollRange.cy;
  int thumb = content > 0 ? static_cast<int>(static_cast<long long>(barHeight) * view / content) : barHeight;
  thumb = std::clamp(thumb, std::min(kMinThumbSize, barHeight), barHeight);
  const int travel = barHeight - thumb;
  const int offset =
      m_szScrollRange.cy > 0 ? static_cast<int>(static_cast<long long>(travel) * m_szScrollPos.cy / m_szScrollRange.cy) : 0;
  m_vBar.rcThumb = RECT{m_vBar.rcBar.left, inner.top + offset, m_vBar.rcBar.right, inner.top + offset + thumb};
}

void CContainerUI::PaintScrollBar(HDC hDC) {
  if (!m_bVBarShown) return;
  detail::FillColor(hDC, m_vBar.rcBar, m_vScrollStyle.dwBkColor);
  TImageSlot& image = m_vBar.bHot || m_vBar.bDragging ? m_vScrollStyle.thumbHotImage : m_vScrollStyle.thumbNormalImage;
  if (DrawImage(hDC, image, m_vBar.rcThumb)) return;
  const DWORD color = m_vBar.bDragging ? m_vScrollStyle.dwThumbPushedColor
                      : m_vBar.bHot    ? m_vScrollStyle.dwThumbHotColor
                                       : m_vScrollStyle.dwThumbColor;
  RECT thumb = m_vBar.rcThumb;
  InflateRect(&thumb, -2, -1);
  const LONG radius = thumb.right - thumb.left;
  detail::FillColor(hDC, thumb, color, SIZE{radius, radius});
}

bool CContainerUI::HandleScrollBarEvent(TEventUI& event) {
  if (!m_bVBarShown) return false;
  const bool inBar = PtInRect(&m_vBar.rcBar, event.ptMouse) != FALSE;
  switch (event.Type) {
    case UIEVENT_BUTTONDOWN:
    case UIEVENT_DBLCLICK: {
      if (!inBar || !IsEnabled()) return false;
      if (PtInRect(&m_vBar.rcThumb, event.ptMouse)) {
        m_vBar.bDragging = true;
        m_vBar.nDragOffset = event.ptMouse.y - m_vBar.rcThumb.top;
        Invalidate();
      } else {
        const RECT inner = GetInnerRect();
        const int page = inner.bottom - inner.top;
        const int direction = event.ptMouse.y < m_vBar.rcThumb.top ? -1 : 1;
        ScrollByUser({m_szScrollPos.cx, m_szScrollPos.cy + direction * page});
      }
      return true;
    }
    case UIEVENT_MOUSEMOVE: {
      if (m_vBar.bDragging) {
        const int travel = (m_vBar.rcBar.bottom - m_vBar.rcBar.top) - (m_vBar.rcThumb.bottom - m_vBar.rcThumb.top);
        const int top = event.ptMouse.y - m_vBar.nDragOffset - m_vBar.rcBar.top;
        const LONG pos = travel > 0 ? static_cast<LONG>(static_cast<long long>(top) * m_szScrollRange.cy / travel) : 0;
        ScrollByUser({m_szScrollPos.cx, pos});
        return true;
      }
      if (inBar != m_vBar.bHot) {
        m_vBar.bHot = inBar;
        Invalidate();
      }
      return inBar;
    }
    case UIEVENT_BUTTONUP:
      if (!m_vBar.bDragging) return inBar;
      m_vBar.bDragging = false;
      Invalidate();
      return true;
    case UIEVENT_MOUSELEAVE:
      if (m_vBar.bHot && !m_vBar.bDragging) {
        m_vBar.bHot = false;
        Invalidate();
      }
      return false;
    default:
      return false;
  }
}

void CContainerUI::DoEvent(TEventUI& event) {
  if (HandleScrollBarEvent(event)) return;
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
  if (m_bVBarShown && PtInRect(&m_vBar.rcBar, pt)) return this;
  if (m_bMouseChildEnabled) {
    const RECT inner = GetInnerRect();
    const bool inInner = PtInRect(&inner, pt) != FALSE;
    for (auto it = m_items.rbegin(); it != m_items.rend(); ++it) {
      CControlUI* item = *it;
      if (!item->IsFloat() && !inInner) continue;
      if (CControlUI* hit = item->HitTest(pt)) return hit;
    }
  }
  return m_bMouseEnabled ? this : nullptr;
}

bool CContainerUI::IsInteractiveAt(POINT pt) const {
  return m_bVBarShown && PtInRect(&m_vBar.rcBar, pt) != FALSE;
}

void CContainerUI::SetManager(CPaintManagerUI* pManager, CControlUI* pParent) {
  CControlUI::SetManager(pManager, pParent);
  for (CControlUI* item : m_items) item->SetManager(pManager, this);
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
      for (CControlUI* item : m_items) {
        if (item->IsFloat() || !item->IsSelfVisible()) continue;
        RECT rcTest;
        if (!IntersectRect(&rcTest, &rcChildren, &item->GetPos())) continue;
        item->DoPaint(hDC, rcChildren);
      }
      RestoreDC(hDC, clipped);
    }
    for (CControlUI* item : m_items) {
      if (item->IsFloat() && item->IsSelfVisible()) item->DoPaint(hDC, rcClip);
    }
    PaintScrollBar(hDC);
    RestoreDC(hDC, rounded);
  }
  PaintBorder(hDC);
  RestoreDC(hDC, saved);
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
  } else if (name == L"vscrollbar") {
    if (ParseBool(pstrValue, &flag)) EnableScrollBar(flag, m_bHScroll);
  } else if (name == L"hscrollbar") {
    if (ParseBool(pstrValue, &flag)) EnableScrollBar(m_bVScroll, flag);
  } else if (name == L"scrollstepsize") {
    if (ParseInt(pstrValue, &number)) SetScrollStepSize(number);
  } else if (name == L"vscrollbarstyle") {
    for (const auto& [key, value] : ParseAttributeList(pstrValue)) {
      DWORD color;
      if (key == L"width") {
        if (ParseInt(value.c_str(), &number) && number >= 0) m_vScrollStyle.nWidth = number;
      } else if (key == L"bkcolor") {
        if (ParseColor(value.c_str(), &color)) m_vScrollStyle.dwBkColor = color;
      } else if (key == L"thumbcolor") {
        if (ParseColor(value.c_str(), &color)) m_vScrollStyle.dwThumbColor = color;
      } else if (key == L"thumbhotcolor") {
        if (ParseColor(value.c_str(), &color)) m_vScrollStyle.dwThumbHotColor = color;
      } else if (key == L"thumbpushedcolor") {
        if (ParseColor(value.c_str(), &color)) m_vScrollStyle.dwThumbPushedColor = color;
      } else if (key == L"thumbnormalimage") {
        m_vScrollStyle.thumbNormalImage.Set(value.c_str());
      } else if (key == L"thumbhotimage") {
        m_vScrollStyle.thumbHotImage.Set(value.c_str());
      } else if (key == L"showbutton1") {
        ParseBool(value.c_str(), &m_vScrollStyle.bShowButton1);
      } else if (key == L"showbutton2") {
        ParseBool(value.c_str(), &m_vScrollStyle.bShowButton2);
      }
    }
    NeedUpdate();
  } else if (name == L"hscrollbarstyle") {
    // Accepted: horizontal scrolling has no bar of its own.
  } else {
    CControlUI::SetAttribute(pstrName, pstrValue);
  }
}

}  // namespace DuiLib
