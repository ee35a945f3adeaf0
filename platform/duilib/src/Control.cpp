#include "duilib/Control.h"

#include <algorithm>
#include <atomic>
#include <cassert>
#include <cstring>

#include "Attributes.h"
#include "ControlPin.h"
#include "duilib/PaintManager.h"
#include "quennet/WinHandles.h"
#include "Render.h"
#include "RoundCorners.h"

// Free in release builds; the checks of AssertUsable in debug builds.
#ifdef NDEBUG
#define DUI_CHECK_USABLE() ((void)0)
#else
#define DUI_CHECK_USABLE() AssertUsable()
#endif

namespace DuiLib {

namespace {

std::atomic<size_t> g_liveControls{0};
constexpr uint32_t kAlive = 0xA11CE5ED;
constexpr uint32_t kFreed = 0xDEADC0DE;
// The largest fixed extent a skin may give: GDI's coordinate range.
constexpr int kMaxControlExtent = 32767;

}  // namespace

namespace detail {
size_t LiveControlCount() { return g_liveControls.load(); }
}  // namespace detail

CControlPin::CControlPin(CControlUI* pControl) {
  for (CControlUI* p = pControl; p; p = p->m_pParent) {
    ++p->m_nPins;
    m_chain.push_back(p);
  }
}

CControlPin::~CControlPin() {
  for (CControlUI* p : m_chain) --p->m_nPins;
  // Only detached controls wait for deletion, and a detached control is no
  // one's child, so deleting one never deletes another entry of the chain.
  for (CControlUI* p : m_chain) {
    if (p->m_nPins == 0 && p->m_bReleasePending) delete p;
  }
}

CControlUI::CControlUI() : m_uAliveMark(kAlive), m_dwOwnerThread(GetCurrentThreadId()) { ++g_liveControls; }

CControlUI::~CControlUI() {
  if (m_pManager) m_pManager->ReapControl(this);
  m_uAliveMark = kFreed;
  --g_liveControls;
}

std::weak_ptr<void> CControlUI::GetLifetimeToken() const {
  DUI_CHECK_USABLE();
  if (!m_lifetime) m_lifetime = std::make_shared<char>(0);
  return m_lifetime;
}

void CControlUI::AssertUsable() const {
  // Controls belong to the user-interface thread; a core thread touching
  // one, or a pointer kept past a removal, shows up here in debug builds.
  assert(m_uAliveMark == kAlive && "control used after it was freed");
  assert(m_dwOwnerThread == GetCurrentThreadId() && "control used off the user-interface thread");
}

#ifndef NDEBUG
void CControlUI::operator delete(void* p, std::size_t size) {
  std::memset(p, 0xDD, size);
  ::operator delete(p);
}
#endif

LPCTSTR CControlUI::GetClass() const { return L"ControlUI"; }

LPVOID CControlUI::GetInterface(LPCTSTR pstrName) {
  if (pstrName && wcscmp(pstrName, L"Control") == 0) return this;
  return nullptr;
}

void CControlUI::SetName(LPCTSTR pstrName) {
  DUI_CHECK_USABLE();
  CDuiString name(pstrName);
  if (name == m_sName) return;
  CDuiString old = m_sName;
  m_sName = name;
  if (m_pManager) m_pManager->RenameControl(this, old);
}

CDuiString CControlUI::GetText() const { return m_sText; }

void CControlUI::SetText(LPCTSTR pstrText) {
  DUI_CHECK_USABLE();
  CDuiString text(pstrText);
  if (text == m_sText) return;
  m_sText = text;
  Invalidate();
}

void CControlUI::SetToolTip(LPCTSTR pstrText) { m_sToolTip = pstrText; }

void CControlUI::SetUserData(LPCTSTR pstrText) { m_sUserData = pstrText; }

bool CControlUI::IsVisible() const {
  for (const CControlUI* p = this; p; p = p->m_pParent) {
    if (!p->m_bVisible) return false;
  }
  return true;
}

void CControlUI::SetVisible(bool bVisible) {
  DUI_CHECK_USABLE();
  if (m_bVisible == bVisible) return;
  if (!bVisible) Invalidate();
  m_bVisible = bVisible;
  if (m_pManager && !bVisible && m_pManager->IsFocusWithin(this)) m_pManager->SetFocus(nullptr);
  NeedParentUpdate();
  PropagateState();
}

bool CControlUI::IsEnabled() const {
  for (const CControlUI* p = this; p; p = p->m_pParent) {
    if (!p->m_bEnabled) return false;
  }
  return true;
}

void CControlUI::SetEnabled(bool bEnable) {
  DUI_CHECK_USABLE();
  if (m_bEnabled == bEnable) return;
  m_bEnabled = bEnable;
  if (m_pManager && !bEnable && m_pManager->IsFocusWithin(this)) m_pManager->SetFocus(nullptr);
  Invalidate();
  PropagateState();
}

void CControlUI::SetFocus() {
  if (m_pManager) m_pManager->SetFocus(this);
}

void CControlUI::SetFixedWidth(int cx) {
  cx = std::min(cx, kMaxControlExtent);
  if (cx < 0 || cx == m_cxyFixed.cx) return;
  m_cxyFixed.cx = cx;
  NeedParentUpdate();
}

void CControlUI::SetFixedHeight(int cy) {
  cy = std::min(cy, kMaxControlExtent);
  if (cy < 0 || cy == m_cxyFixed.cy) return;
  m_cxyFixed.cy = cy;
  NeedParentUpdate();
}

void CControlUI::SetMinWidth(int cx) {
  if (cx < 0 || cx == m_cxyMin.cx) return;
  m_cxyMin.cx = cx;
  NeedParentUpdate();
}

void CControlUI::SetMaxWidth(int cx) {
  if (cx < 0 || cx == m_cxyMax.cx) return;
  m_cxyMax.cx = cx;
  NeedParentUpdate();
}

void CControlUI::SetMinHeight(int cy) {
  if (cy < 0 || cy == m_cxyMin.cy) return;
  m_cxyMin.cy = cy;
  NeedParentUpdate();
}

void CControlUI::SetMaxHeight(int cy) {
  if (cy < 0 || cy == m_cxyMax.cy) return;
  m_cxyMax.cy = cy;
  NeedParentUpdate();
}

void CControlUI::SetPadding(RECT rcPadding) {
  if (EqualRect(&rcPadding, &m_rcPadding)) return;
  m_rcPadding = rcPadding;
  NeedParentUpdate();
}

void CControlUI::SetFloat(bool bFloat) {
  if (m_bFloat == bFloat) return;
  m_bFloat = bFloat;
  NeedParentUpdate();
}

void CControlUI::SetFloatPos(RECT rc) {
  m_rcFloatPos = rc;
  if (m_bFloat) NeedParentUpdate();
}

void CControlUI::SetBkColor(DWORD dwColor) {
  if (m_dwBackColor == dwColor) return;
  m_dwBackColor = dwColor;
  Invalidate();
}

void CControlUI::SetBkImage(LPCTSTR pStrImage) {
  // Setting the same value again retries a failed load.
  m_bkImage.Set(pStrImage);
  Invalidate();
}

void CControlUI::SetBorderColor(DWORD dwColor) {
  if (m_dwBorderColor == dwColor) return;
  m_dwBorderColor = dwColor;
  Invalidate();
}

void CControlUI::SetFocusBorderColor(DWORD dwColor) {
  if (m_dwFocusBorderColor == dwColor) return;
  m_dwFocusBorderColor = dwColor;
  Invalidate();
}

void CControlUI::SetBorderSize(int nSize) {
  if (nSize < 0 || m_nBorderSize == nSize) return;
  m_nBorderSize = nSize;
  Invalidate();
}

void CControlUI::SetBorderRound(SIZE cxyRound) {
  m_cxyBorderRound = cxyRound;
  Invalidate();
}

void CControlUI::SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue) {
  DUI_CHECK_USABLE();
  using namespace detail;
  const std::wstring name = pstrName ? pstrName : L"";
  RECT rc;
  SIZE sz;
  DWORD color;
  int number;
  bool flag;
  if (name == L"name") {
    SetName(pstrValue);
  } else if (name == L"text") {
    SetText(pstrValue);
  } else if (name == L"tooltip") {
    SetToolTip(pstrValue);
  } else if (name == L"userdata") {
    SetUserData(pstrValue);
  } else if (name == L"visible") {
    if (ParseBool(pstrValue, &flag)) SetVisible(flag);
  } else if (name == L"enabled") {
    if (ParseBool(pstrValue, &flag)) SetEnabled(flag);
  } else if (name == L"mouse") {
    if (ParseBool(pstrValue, &flag)) SetMouseEnabled(flag);
  } else if (name == L"keyboard") {
    if (ParseBool(pstrValue, &flag)) SetKeyboardEnabled(flag);
  } else if (name == L"tabstop") {
    if (ParseBool(pstrValue, &flag)) SetTabStop(flag);
  } else if (name == L"float") {
    if (ParseBool(pstrValue, &flag)) SetFloat(flag);
  } else if (name == L"pos") {
    // A floating control is placed by it; any control takes its size from it.
    if (ParseRect(pstrValue, &rc)) {
      SetFloatPos(rc);
      if (rc.right - rc.left > 0) SetFixedWidth(rc.right - rc.left);
      if (rc.bottom - rc.top > 0) SetFixedHeight(rc.bottom - rc.top);
    }
  } else if (name == L"padding") {
    if (ParseRect(pstrValue, &rc)) SetPadding(rc);
  } else if (name == L"width") {
    if (ParseInt(pstrValue, &number)) SetFixedWidth(number);
  } else if (name == L"height") {
    if (ParseInt(pstrValue, &number)) SetFixedHeight(number);
  } else if (name == L"minwidth") {
    if (ParseInt(pstrValue, &number)) SetMinWidth(number);
  } else if (name == L"maxwidth") {
    if (ParseInt(pstrValue, &number)) SetMaxWidth(number);
  } else if (name == L"minheight") {
    if (ParseInt(pstrValue, &number)) SetMinHeight(number);
  } else if (name == L"maxheight") {
    if (ParseInt(pstrValue, &number)) SetMaxHeight(number);
  } else if (name == L"bkcolor") {
    if (ParseColor(pstrValue, &color)) SetBkColor(color);
  } else if (name == L"bkimage") {
    SetBkImage(pstrValue);
  } else if (name == L"bordercolor") {
    if (ParseColor(pstrValue, &color)) SetBorderColor(color);
  } else if (name == L"focusbordercolor") {
    if (ParseColor(pstrValue, &color)) SetFocusBorderColor(color);
  } else if (name == L"bordersize") {
    if (ParseInt(pstrValue, &number)) SetBorderSize(number);
  } else if (name == L"borderround") {
    if (ParseSize(pstrValue, &sz)) SetBorderRound(sz);
  } else if (name == L"cursor") {
    m_bHandCursor = pstrValue && wcscmp(pstrValue, L"hand") == 0;
  }
}

CControlUI* CControlUI::ApplyAttributeList(LPCTSTR pstrList) {
  for (const auto& [name, value] : detail::ParseAttributeList(pstrList)) SetAttribute(name.c_str(), value.c_str());
  return this;
}

void CControlUI::SetPos(RECT rc, bool bNeedInvalidate) {
  DUI_CHECK_USABLE();
  if (rc.right < rc.left) rc.right = rc.left;
  if (rc.bottom < rc.top) rc.bottom = rc.top;
  const bool changed = !EqualRect(&rc, &m_rcItem);
  if (changed && bNeedInvalidate) Invalidate();
  m_rcItem = rc;
  m_bUpdateNeeded = false;
  if (changed && bNeedInvalidate) Invalidate();
}

void CControlUI::PlaceLazily(const RECT& rc) {
  m_rcItem = rc;
  m_bUpdateNeeded = true;
}

SIZE CControlUI::EstimateSize(SIZE szAvailable) { return m_cxyFixed; }

void CControlUI::Invalidate() {
  DUI_CHECK_USABLE();
  if (!m_pManager || IsRectEmpty(&m_rcItem)) return;
  m_pManager->Invalidate(m_rcItem);
}

void CControlUI::NeedUpdate() {
  DUI_CHECK_USABLE();
  m_bUpdateNeeded = true;
  if (m_pManager) m_pManager->NeedUpdate(this);
}

void CControlUI::NeedParentUpdate() {
  if (m_pParent) {
    m_pParent->NeedUpdate();
  } else if (m_pManager) {
    m_pManager->NeedUpdate();
  }
  Invalidate();
}

void CControlUI::DoPaint(HDC hDC, const RECT& rcPaint) {
  DUI_CHECK_USABLE();
  RECT rcClip;
  if (!IntersectRect(&rcClip, &rcPaint, &m_rcItem)) return;
  const int saved = SaveDC(hDC);
  IntersectClipRect(hDC, rcClip.left, rcClip.top, rcClip.right, rcClip.bottom);
  {
    // The background, images and text are clipped to the round, whose edge a
    // large round (an avatar) has softened once they are drawn; the border
    // is drawn over the edge afterwards.
    const detail::SmoothRoundCorners softEdge(hDC, m_rcItem, m_cxyBorderRound);
    PaintBkColor(hDC);
    const int inner = SaveDC(hDC);
    ClipToRound(hDC);
    PaintBkImage(hDC);
    PaintStatusImage(hDC);
    PaintText(hDC);
    RestoreDC(hDC, inner);
  }
  PaintBorder(hDC);
  RestoreDC(hDC, saved);
}

void CControlUI::PaintBkColor(HDC hDC) { detail::FillColor(hDC, m_rcItem, m_dwBackColor, m_cxyBorderRound); }

void CControlUI::PaintBkImage(HDC hDC) { DrawImage(hDC, m_bkImage, m_rcItem); }

void CControlUI::PaintStatusImage(HDC hDC) {}

void CControlUI::PaintText(HDC hDC) {}

void CControlUI::PaintBorder(HDC hDC) {
  const DWORD color = (m_bFocused && m_dwFocusBorderColor != 0) ? m_dwFocusBorderColor : m_dwBorderColor;
  if (color == 0) return;
  detail::DrawBorder(hDC, m_rcItem, m_nBorderSize, color, m_cxyBorderRound);
}

void CControlUI::DoEvent(TEventUI& event) {
  DUI_CHECK_USABLE();
  switch (event.Type) {
    case UIEVENT_SETCURSOR:
      if (m_bHandCursor || !m_pParent) {
        ::SetCursor(LoadCursorW(nullptr, m_bHandCursor ? IDC_HAND : IDC_ARROW));
      } else {
        m_pParent->DoEvent(event);
      }
      return;
    case UIEVENT_SETFOCUS:
      m_bFocused = true;
      Invalidate();
      return;
    case UIEVENT_KILLFOCUS:
      m_bFocused = false;
      Invalidate();
      return;
    default:
      break;
  }
  // What a control does not use goes on to its parent: a click on a row's
  // label reaches the row.
  const bool bubbles = (event.Type > UIEVENT__MOUSEBEGIN && event.Type < UIEVENT__MOUSEEND) ||
                       (event.Type > UIEVENT__KEYBEGIN && event.Type < UIEVENT__KEYEND);
  if (bubbles && m_pParent) m_pParent->DoEvent(event);
}

CControlUI* CControlUI::HitTest(POINT pt) {
  if (!m_bVisible || !PtInRect(&m_rcItem, pt)) return nullptr;
  return m_bMouseEnabled ? this : nullptr;
}

void CControlUI::SetManager(CPaintManagerUI* pManager, CControlUI* pParent) {
  if (m_pManager && m_pManager != pManager) m_pManager->ReapControl(this);
  CPaintManagerUI* previous = m_pManager;
  m_pParent = pParent;
  m_pManager = pManager;
  if (pManager && pManager != previous) pManager->RegisterControl(this);
}

bool CControlUI::CanRaise() const { return m_pManager != nullptr && IsVisible() && IsEnabled(); }

void CControlUI::Release(CControlUI* pControl) {
  if (!pControl) return;
  if (pControl->m_nPins > 0) {
    pControl->DetachPinned();
  } else {
    delete pControl;
  }
}

void CControlUI::DetachPinned() {
  SetManager(nullptr, nullptr);
  m_pParent = nullptr;
  m_bVisible = false;
  m_bReleasePending = true;
}

bool CControlUI::DrawImage(HDC hDC, TImageSlot& image, const RECT& rcDest) {
  UINT nextFrame = 0;
  const bool drawn = detail::DrawImage(hDC, m_pManager, rcDest, image, &nextFrame);
  if (nextFrame > 0 && m_pManager) m_pManager->ScheduleAnimation(this, nextFrame);
  return drawn;
}

void CControlUI::Notify(LPCTSTR type, WPARAM wParam, LPARAM lParam) {
  if (m_pManager) m_pManager->SendNotify(this, type, wParam, lParam);
}

void CControlUI::ClipToRound(HDC hDC) const {
  if (m_cxyBorderRound.cx <= 0 || m_cxyBorderRound.cy <= 0) return;
  quennet::UniqueRegion region(CreateRoundRectRgn(m_rcItem.left, m_rcItem.top, m_rcItem.right + 1,
                                                  m_rcItem.bottom + 1, m_cxyBorderRound.cx, m_cxyBorderRound.cy));
  ExtSelectClipRgn(hDC, region.get(), RGN_AND);
}

}  // namespace DuiLib
