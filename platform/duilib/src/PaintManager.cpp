#include "duilib/PaintManager.h"

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>

#include "ControlPin.h"
#include "ControlTree.h"
#include "duilib/Control.h"
#include "FontPool.h"
#include "NativeEdit.h"
#include "PaintSupport.h"
#include "quennet/EventLog.h"
#include "TestHooks.h"

namespace DuiLib {

namespace {

HINSTANCE g_instance = nullptr;
// The window timer of the animations; control timers count up from 0x10000.
constexpr UINT_PTR kAnimationTimer = 0x7FFF0000;
DWORD g_sharedLinkColor = 0xFF0066CC;
DWORD g_sharedLinkHoverColor = 0xFF0088FF;

// Private messages are registered, so no WM_USER number of the client's is taken.
UINT AsyncNotifyMessage() {
  static const UINT message = RegisterWindowMessageW(L"DuiLib.AsyncNotify");
  return message;
}

std::vector<CPaintManagerUI*>& LiveManagers() {
  static auto* managers = new std::vector<CPaintManagerUI*>;
  return *managers;
}

bool IsAliveAnywhere(CControlUI* pControl) {
  if (!pControl) return false;
  for (CPaintManagerUI* manager : LiveManagers()) {
    if (manager->IsControlAlive(pControl)) return true;
  }
  return false;
}

// A key sent on to the window that hosts a native edit: whether the paint
// manager saw it and whether a control used it.
struct KeyRoute {
  HWND window;
  CControlUI* target;
  bool reached;
  bool consumed;
};
thread_local KeyRoute* t_keyRoute = nullptr;

int DepthOf(const CControlUI* control) {
  int depth = 0;
  for (const CControlUI* p = control; p; p = p->GetParent()) ++depth;
  return depth;
}

}  // namespace

CPaintManagerUI::CPaintManagerUI() { LiveManagers().push_back(this); }

CPaintManagerUI::~CPaintManagerUI() {
  ReleaseAll();
  auto& managers = LiveManagers();
  managers.erase(std::remove(managers.begin(), managers.end(), this), managers.end());
}

void CPaintManagerUI::SetInstance(HINSTANCE hInst) {
  g_instance = hInst;
  detail::StartGraphics();
}

HINSTANCE CPaintManagerUI::GetInstance() { return g_instance ? g_instance : GetModuleHandleW(nullptr); }

void CPaintManagerUI::Init(HWND hWnd) {
  m_hWndPaint = hWnd;
  m_toolTip = std::make_unique<detail::ToolTip>(hWnd);
}

CPaintManagerUI* CPaintManagerUI::FromWindow(HWND hWnd) {
  if (!hWnd) return nullptr;
  for (CPaintManagerUI* manager : LiveManagers()) {
    if (manager->m_hWndPaint == hWnd) return manager;
  }
  return nullptr;
}

void CPaintManagerUI::SetResourcePath(LPCTSTR pStrPath) {
  std::wstring path = pStrPath ? pStrPath : L"";
  std::replace(path.begin(), path.end(), L'/', L'\\');
  if (!path.empty() && path.back() != L'\\') path += L'\\';
  m_sResourcePath = path;
}

CDuiString CPaintManagerUI::ResolvePath(LPCTSTR pStrName) const {
  std::wstring name = pStrName ? pStrName : L"";
  std::replace(name.begin(), name.end(), L'/', L'\\');
  const bool absolute = (name.size() >= 2 && name[1] == L':') || (!name.empty() && name[0] == L'\\');
  if (absolute || m_sResourcePath.IsEmpty()) return CDuiString(name);
  return m_sResourcePath + name.c_str();
}

// ---- Tree -------------------------------------------------------------------

bool CPaintManagerUI::AttachDialog(CControlUI* pControl) {
  if (!pControl) return false;
  if (m_pRoot) CControlUI::Release(m_pRoot);
  m_pRoot = pControl;
  m_pRoot->SetManager(this, nullptr);
  NeedUpdate();
  return true;
}

CControlUI* CPaintManagerUI::FindControl(LPCTSTR pstrName) const {
  if (!pstrName) return nullptr;
  const auto it = m_names.find(pstrName);
  if (it == m_names.end() || it->second.empty()) return nullptr;
  return it->second.begin()->second;
}

CControlUI* CPaintManagerUI::FindControl(POINT pt) const { return m_pRoot ? m_pRoot->HitTest(pt) : nullptr; }

bool CPaintManagerUI::IsControlAlive(CControlUI* pControl) const {
  return pControl && m_liveControls.count(pControl) != 0;
}

void CPaintManagerUI::RegisterControl(CControlUI* pControl) {
  m_liveControls.insert(pControl);
  pControl->m_nRegistration = m_nNextRegistration++;
  if (!pControl->m_sName.IsEmpty()) m_names[pControl->m_sName.str()][pControl->m_nRegistration] = pControl;
}

void CPaintManagerUI::ReapControl(CControlUI* pControl) {
  if (m_liveControls.erase(pControl) == 0) return;
  if (!pControl->m_sName.IsEmpty()) {
    auto it = m_names.find(pControl->m_sName.str());
    if (it != m_names.end()) {
      it->second.erase(pControl->m_nRegistration);
      if (it->second.empty()) m_names.erase(it);
    }
  }
  // No reference of the manager may outlive the control.
  if (m_pFocus == pControl) m_pFocus = nullptr;
  if (m_pFocusToRestore == pControl) m_pFocusToRestore = nullptr;
  ForgetGroupEntry(pControl);
  if (m_pEventHover == pControl) {
    m_pEventHover = nullptr;
    HideToolTip();
  }
  if (m_pEventClick == pControl) m_pEventClick = nullptr;
  if (m_pEventRClick == pControl) m_pEventRClick = nullptr;
  m_dirty.erase(pControl);
  m_animated.erase(pControl);
  KillTimer(pControl);
  m_asyncNotify.erase(std::remove_if(m_asyncNotify.begin(), m_asyncNotify.end(),
                                     [pControl](const AsyncNotify& n) { return n.msg.pSender == pControl; }),
                      m_asyncNotify.end());
}

void CPaintManagerUI::RenameControl(CControlUI* pControl, const CDuiString& oldName) {
  if (!IsControlAlive(pControl)) return;
  if (!oldName.IsEmpty()) {
    auto it = m_names.find(oldName.str());
    if (it != m_names.end()) {
      it->second.erase(pControl->m_nRegistration);
      if (it->second.empty()) m_names.erase(it);
    }
  }
  if (!pControl->m_sName.IsEmpty()) m_names[pControl->m_sName.str()][pControl->m_nRegistration] = pControl;
}

void CPaintManagerUI::AddOptionGroup(LPCTSTR pStrGroupName, CControlUI* pControl) {
  auto& group = m_optionGroups[pStrGroupName];
  if (std::find(group.begin(), group.end(), pControl) == group.end()) group.push_back(pControl);
}

void CPaintManagerUI::RemoveOptionGroup(LPCTSTR pStrGroupName, CControlUI* pControl) {
  auto it = m_optionGroups.find(pStrGroupName);
  if (it == m_optionGroups.end()) return;
  auto& group = it->second;
  group.erase(std::remove(group.begin(), group.end(), pControl), group.end());
  if (group.empty()) m_optionGroups.erase(it);
}

std::vector<CControlUI*> CPaintManagerUI::GetOptionGroup(LPCTSTR pStrGroupName) const {
  const auto it = m_optionGroups.find(pStrGroupName);
  return it == m_optionGroups.end() ? std::vector<CControlUI*>{} : it->second;
}

void CPaintManagerUI::ReleaseAll() {
  HideToolTip();
  m_toolTip.reset();
  for (const TimerInfo& timer : m_timers) {
    if (m_hWndPaint) ::KillTimer(m_hWndPaint, timer.uWinTimer);
  }
  m_timers.clear();
  if (m_hWndPaint && m_animationDue) ::KillTimer(m_hWndPaint, kAnimationTimer);
  m_animated.clear();
  m_animationDue = 0;
  m_notifiers.clear();
  m_preFilters.clear();
  m_filters.clear();
  m_asyncNotify.clear();
  m_pFocus = m_pFocusToRestore = m_pEventHover = m_pEventClick = m_pEventRClick = nullptr;
  m_groupEntries.clear();
  CControlUI* root = m_pRoot;
  m_pRoot = nullptr;
  // A control pinned by a dispatch still running (a window destroyed inside
  // its own Notify) is detached now and freed when that dispatch returns.
  CControlUI::Release(root);
  m_dirty.clear();
  m_bLayoutPending = false;
  m_backBuffer.reset();
  m_hWndPaint = nullptr;
}

// ---- Notifications ------------------------------------------------------------

void CPaintManagerUI::SendNotify(TNotifyUI& Msg, bool bAsync) {
  if (bAsync) {
    m_asyncNotify.push_back(AsyncNotify{Msg});
    if (!m_bAsyncPosted && m_hWndPaint) m_bAsyncPosted = ::PostMessageW(m_hWndPaint, AsyncNotifyMessage(), 0, 0) != FALSE;
    return;
  }
  // The sender stays alive while every notifier runs, even if one of them
  // removes it or destroys the window.
  std::unique_ptr<CControlPin> pin;
  if (IsAliveAnywhere(Msg.pSender)) pin = std::make_unique<CControlPin>(Msg.pSender);
  detail::TraceNotify(Msg, m_hWndPaint);
  const std::vector<INotifyUI*> notifiers = m_notifiers;
  for (INotifyUI* notifier : notifiers) {
    // A notifier removed by an earlier one (its window is gone) is skipped.
    if (std::find(m_notifiers.begin(), m_notifiers.end(), notifier) == m_notifiers.end()) continue;
    notifier->Notify(Msg);
  }
}

void CPaintManagerUI::SendNotify(CControlUI* pControl, LPCTSTR pstrMessage, WPARAM wParam, LPARAM lParam,
                                 bool bAsync) {
  TNotifyUI msg;
  msg.sType = pstrMessage;
  msg.pSender = pControl;
  msg.dwTimestamp = GetTickCount();
  msg.ptMouse = m_ptLastMousePos;
  msg.wParam = wParam;
  msg.lParam = lParam;
  msg.bFromKeyboard = m_nKeyDispatchDepth > 0;
  SendNotify(msg, bAsync);
}

void CPaintManagerUI::DeliverAsyncNotifications() {
  m_bAsyncPosted = false;
  while (!m_asyncNotify.empty()) {
    TNotifyUI msg = m_asyncNotify.front().msg;
    m_asyncNotify.pop_front();
    if (!IsAliveAnywhere(msg.pSender)) continue;
    SendNotify(msg, false);
  }
}

namespace {

template <class T>
bool AddUnique(std::vector<T*>& list, T* item) {
  if (!item || std::find(list.begin(), list.end(), item) != list.end()) return false;
  list.push_back(item);
  return true;
}

template <class T>
bool RemoveItem(std::vector<T*>& list, T* item) {
  const auto it = std::find(list.begin(), list.end(), item);
  if (it == list.end()) return false;
  list.erase(it);
  return true;
}

}  // namespace

bool CPaintManagerUI::AddNotifier(INotifyUI* pControl) { return AddUnique(m_notifiers, pControl); }
bool CPaintManagerUI::RemoveNotifier(INotifyUI* pControl) { return RemoveItem(m_notifiers, pControl); }
bool CPaintManagerUI::AddPreMessageFilter(IMessageFilterUI* pFilter) { return AddUnique(m_preFilters, pFilter); }
bool CPaintManagerUI::RemovePreMessageFilter(IMessageFilterUI* pFilter) { return RemoveItem(m_preFilters, pFilter); }
bool CPaintManagerUI::AddMessageFilter(IMessageFilterUI* pFilter) { return AddUnique(m_filters, pFilter); }
bool CPaintManagerUI::RemoveMessageFilter(IMessageFilterUI* pFilter) { return RemoveItem(m_filters, pFilter); }

// ---- Fonts and colours --------------------------------------------------------

void CPaintManagerUI::SetDefaultFont(LPCTSTR pStrFontName, int nSize, bool bBold, bool bUnderline, bool bItalic,
                                     bool bShared) {
  auto font = detail::AcquireFont(pStrFontName, nSize, bBold, bUnderline, bItalic);
  if (!font) return;
  if (bShared) detail::SetProcessDefaultFont(font);
  m_defaultFont = std::move(font);
  BroadcastFontChange();
}

HFONT CPaintManagerUI::AddFont(int id, LPCTSTR pStrFontName, int nSize, bool bBold, bool bUnderline, bool bItalic) {
  auto font = detail::AcquireFont(pStrFontName, nSize, bBold, bUnderline, bItalic);
  if (!font) return nullptr;
  HFONT handle = font->info.hFont;
  m_fonts[id] = std::move(font);
  if (m_pRoot) BroadcastFontChange();
  return handle;
}

HFONT CPaintManagerUI::GetFont(int id) {
  const TFontInfo* info = GetFontInfo(id);
  return info ? info->hFont : nullptr;
}

const TFontInfo* CPaintManagerUI::GetFontInfo(int id) {
  if (auto it = m_fonts.find(id); it != m_fonts.end()) return &it->second->info;
  if (m_defaultFont) return &m_defaultFont->info;
  auto font = detail::ProcessDefaultFont();
  return font ? &font->info : nullptr;
}

const TFontInfo* CPaintManagerUI::ResolveFont(CPaintManagerUI* pManager, int id) {
  if (pManager) return pManager->GetFontInfo(id);
  auto font = detail::ProcessDefaultFont();
  return font ? &font->info : nullptr;
}

void CPaintManagerUI::SetDefaultLinkFontColor(DWORD dwColor, bool bShared) {
  if (bShared) g_sharedLinkColor = dwColor;
  m_dwLinkFontColor = dwColor;
}

DWORD CPaintManagerUI::GetDefaultLinkFontColor() const { return m_dwLinkFontColor ? m_dwLinkFontColor : g_sharedLinkColor; }

void CPaintManagerUI::SetDefaultLinkHoverFontColor(DWORD dwColor, bool bShared) {
  if (bShared) g_sharedLinkHoverColor = dwColor;
  m_dwLinkHoverFontColor = dwColor;
}

DWORD CPaintManagerUI::GetDefaultLinkHoverFontColor() const {
  return m_dwLinkHoverFontColor ? m_dwLinkHoverFontColor : g_sharedLinkHoverColor;
}

void CPaintManagerUI::ShareStyleOf(const CPaintManagerUI& other) {
  m_fonts = other.m_fonts;
  m_defaultFont = other.m_defaultFont;
  m_dwDefaultFontColor = other.m_dwDefaultFontColor;
  m_dwDefaultDisabledColor = other.m_dwDefaultDisabledColor;
  m_dwLinkFontColor = other.m_dwLinkFontColor;
  m_dwLinkHoverFontColor = other.m_dwLinkHoverFontColor;
  m_sResourcePath = other.m_sResourcePath;
  BroadcastFontChange();
}

void CPaintManagerUI::AddDefaultAttributeList(LPCTSTR pStrControlName, LPCTSTR pStrControlAttrList) {
  if (!pStrControlName) return;
  m_defaultAttributes[pStrControlName] = pStrControlAttrList ? pStrControlAttrList : L"";
}

LPCTSTR CPaintManagerUI::GetDefaultAttributeList(LPCTSTR pStrControlName) const {
  if (!pStrControlName) return nullptr;
  const auto it = m_defaultAttributes.find(pStrControlName);
  return it == m_defaultAttributes.end() ? nullptr : it->second.c_str();
}

void CPaintManagerUI::BroadcastFontChange() {
  detail::WalkTree(m_pRoot, [](CControlUI* control) { control->OnFontChanged(); });
  NeedUpdate();
}

// ---- Focus --------------------------------------------------------------------

void CPaintManagerUI::SetFocus(CControlUI* pControl) {
  // Chosen now: what was focused before a deactivation is not brought back.
  m_pFocusToRestore = nullptr;
  SetFocusImpl(pControl, true);
}

void CPaintManagerUI::RestoreFocusAfterActivation() {
  CControlUI* control = m_pFocusToRestore;
  m_pFocusToRestore = nullptr;
  if (!m_pFocus && control && IsControlAlive(control)) SetFocusImpl(control, true);
}

void CPaintManagerUI::OnNativeFocusLost(CControlUI* pControl) {
  if (m_pFocus == pControl) SetFocusImpl(nullptr, false);
}

void CPaintManagerUI::SetFocusImpl(CControlUI* pControl, bool bMoveNativeFocus) {
  if (pControl && (!IsControlAlive(pControl) || !pControl->IsVisible() || !pControl->IsEnabled())) return;
  if (pControl != m_pFocus) {
    CControlUI* old = m_pFocus;
    m_pFocus = nullptr;
    if (old) {
      SendEvent(old, UIEVENT_KILLFOCUS, m_ptLastMousePos);
      if (old->IsFocusable() && IsControlAlive(old)) SendNotify(old, L"killfocus");
    }
    // A killfocus handler may have moved the focus already.
    if (pControl && m_pFocus == nullptr && IsControlAlive(pControl)) {
      m_pFocus = pControl;
      RememberGroupEntry(pControl);
      SendEvent(pControl, UIEVENT_SETFOCUS, m_ptLastMousePos);
      if (pControl->IsFocusable() && m_pFocus == pControl) SendNotify(pControl, L"setfocus");
    }
  }
  if (bMoveNativeFocus && m_hWndPaint) {
    // Windowless controls keep the keyboard on the window itself, so a
    // native child that no longer holds the framework focus gives it back.
    HWND focus = ::GetFocus();
    if (focus && focus != m_hWndPaint && IsChild(m_hWndPaint, focus) &&
        (!m_pFocus || detail::NativeEditControlOf(focus) != m_pFocus)) {
      ::SetFocus(m_hWndPaint);
    }
  }
}

bool CPaintManagerUI::IsFocusWithin(const CControlUI* pControl) const {
  for (const CControlUI* p = m_pFocus; p; p = p->GetParent()) {
    if (p == pControl) return true;
  }
  return false;
}

// ---- Layout and painting ----------------------------------------------------------

namespace {

bool Contains(const RECT& outer, const RECT& inner) {
  return !IsRectEmpty(&outer) && inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
         inner.bottom <= outer.bottom;
}

}  // namespace

void CPaintManagerUI::Invalidate(const RECT& rcItem) {
  if (!m_hWndPaint || IsRectEmpty(&rcItem) || Contains(m_rcQuiet, rcItem)) return;
  if (m_nInvalidationHolds > 0) {
    // One InvalidateRect per layout instead of one per moved control.
    m_rcHeldInvalid.Join(rcItem);
    return;
  }
  InvalidateWindow(&rcItem);
}

void CPaintManagerUI::InvalidateWindow(const RECT* rc) {
  // Under Wine each ask is a trip to the server, and a change often asks for
  // an area already waiting (a row's badge inside the list it moved in).
  constexpr size_t kRememberedAreas = 16;
  if (m_bWholePaintPending) return;
  if (!rc) {
    ::InvalidateRect(m_hWndPaint, nullptr, FALSE);
    m_bWholePaintPending = true;
    m_pendingPaint.clear();
    return;
  }
  // Only the part inside the window can be painted (a row that moved from
  // far down the list left an area thousands of pixels below it).
  RECT client;
  RECT area;
  GetClientRect(m_hWndPaint, &client);
  if (!IntersectRect(&area, rc, &client)) return;
  for (const RECT& pending : m_pendingPaint) {
    if (Contains(pending, area)) return;
  }
  ::InvalidateRect(m_hWndPaint, &area, FALSE);
  if (m_pendingPaint.size() == kRememberedAreas) m_pendingPaint.erase(m_pendingPaint.begin());
  m_pendingPaint.push_back(area);
}

void CPaintManagerUI::BeginChangeWhilePainting(const RECT& rcArea, RECT* rcPreviousQuiet) {
  *rcPreviousQuiet = m_rcQuiet;
  for (const RECT& painting : m_paintingAreas) {
    if (Contains(painting, rcArea)) m_rcQuiet = rcArea;
  }
}

void CPaintManagerUI::HoldInvalidation() {
  if (m_nInvalidationHolds++ > 0) return;
  m_rcHeldInvalid.Empty();
  m_bHeldWholeInvalid = false;
}

void CPaintManagerUI::ReleaseInvalidation() {
  if (m_nInvalidationHolds == 0 || --m_nInvalidationHolds > 0 || !m_hWndPaint) return;
  if (m_bHeldWholeInvalid) {
    InvalidateWindow(nullptr);
  } else if (!m_rcHeldInvalid.IsEmpty()) {
    InvalidateWindow(&m_rcHeldInvalid);
  }
}

void CPaintManagerUI::Invalidate() {
  if (!m_hWndPaint) return;
  if (m_nInvalidationHolds > 0) {
    // Controls not laid out yet (thousands of new rows) each ask for the
    // whole window: one InvalidateRect when the hold ends.
    m_bHeldWholeInvalid = true;
    return;
  }
  InvalidateWindow(nullptr);
}

void CPaintManagerUI::NeedUpdate() {
  if (m_pRoot) m_pRoot->m_bUpdateNeeded = true;
  m_bLayoutPending = true;
  Invalidate();
}

void CPaintManagerUI::NeedUpdate(CControlUI* pControl) {
  if (!pControl) return;
  m_bLayoutPending = true;
  // Invalidated when it was first marked: adding thousands of rows to a list
  // invalidates it once.
  if (!m_dirty.insert(pControl).second || m_bInLayout) return;
  // A control not placed yet (a row just added) will be placed inside its
  // nearest placed ancestor: that area is repainted, not the whole window.
  for (const CControlUI* control = pControl; control; control = control->GetParent()) {
    const RECT& rc = control->GetPos();
    if (!IsRectEmpty(&rc)) return Invalidate(rc);
  }
  Invalidate();
}

void CPaintManagerUI::UpdateLayout() {
  if (!m_pRoot || !m_hWndPaint || m_bInLayout) return;
  RECT client;
  GetClientRect(m_hWndPaint, &client);
  m_bInLayout = true;
  HoldInvalidation();
  const SIZE size = {client.right - client.left, client.bottom - client.top};
  if (size.cx != m_szLaidOut.cx || size.cy != m_szLaidOut.cy || m_pRoot->IsUpdateNeeded()) {
    m_szLaidOut = size;
    m_pRoot->SetPos(client, true);
  }
  ProcessDirtyControls();
  m_bLayoutPending = false;
  m_bInLayout = false;
  ReleaseInvalidation();
}

void CPaintManagerUI::ProcessDirtyControls() {
  // Shallow controls first: laying a container out lays out its children,
  // which then need nothing more.
  for (int pass = 0; pass < 8 && !m_dirty.empty(); ++pass) {
    std::vector<std::pair<int, CControlUI*>> order;
    order.reserve(m_dirty.size());
    for (CControlUI* control : m_dirty) order.emplace_back(DepthOf(control), control);
    m_dirty.clear();
    std::sort(order.begin(), order.end(),
              [](const auto& a, const auto& b) { return a.first < b.first; });
    for (const auto& [depth, control] : order) {
      if (!IsControlAlive(control) || !control->IsUpdateNeeded()) continue;
      control->SetPos(control->GetPos(), true);
    }
  }
  m_dirty.clear();
}

void CPaintManagerUI::Render(HDC hDC, const RECT& rcPaint) {
  if (m_bLayoutPending) UpdateLayout();
  // What no control covers shows the window colour, not an older frame.
  FillRect(hDC, &rcPaint, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  if (m_pRoot) m_pRoot->DoPaint(hDC, rcPaint);
}

void CPaintManagerUI::OnPaint() {
  // Layout first: it may widen the area to paint.
  if (m_bLayoutPending) UpdateLayout();
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(m_hWndPaint, &ps);
  RECT client;
  GetClientRect(m_hWndPaint, &client);
  // What was asked for is being painted; what controls ask for from here on
  // waits for the next paint. BeginPaint gives only the update region's
  // bounding box, but the region holds every area asked for since the last
  // paint: nothing here validates part of one.
  m_paintingAreas.swap(m_pendingPaint);
  if (m_bWholePaintPending) m_paintingAreas.assign(1, client);
  m_pendingPaint.clear();
  m_bWholePaintPending = false;
  if (!dc) {
    m_paintingAreas.clear();
    return;
  }
  if (!m_backBuffer) m_backBuffer = std::make_unique<detail::BackBuffer>();
  HDC memory = IsRectEmpty(&ps.rcPaint) ? nullptr : m_backBuffer->Prepare(dc, client.right, client.bottom);
  if (memory) {
    const int saved = SaveDC(memory);
    IntersectClipRect(memory, ps.rcPaint.left, ps.rcPaint.top, ps.rcPaint.right, ps.rcPaint.bottom);
    Render(memory, ps.rcPaint);
    RestoreDC(memory, saved);
    ExcludeNativeChildren(dc, ps.rcPaint);
    BitBlt(dc, ps.rcPaint.left, ps.rcPaint.top, ps.rcPaint.right - ps.rcPaint.left, ps.rcPaint.bottom - ps.rcPaint.top,
           memory, ps.rcPaint.left, ps.rcPaint.top, SRCCOPY);
  }
  EndPaint(m_hWndPaint, &ps);
  m_paintingAreas.clear();
}

void CPaintManagerUI::ExcludeNativeChildren(HDC dc, const RECT& rcPaint) const {
  // Native children (edits, a browser owned by another thread) are never
  // painted over. A window that clips its children has the system leave them
  // out of its paint already, at no cost; finding them costs a trip to the
  // server for each.
  if (GetWindowLongW(m_hWndPaint, GWL_STYLE) & WS_CLIPCHILDREN) return;
  for (HWND child = GetWindow(m_hWndPaint, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    if (!(GetWindowLongW(child, GWL_STYLE) & WS_VISIBLE)) continue;
    RECT rc;
    GetWindowRect(child, &rc);
    MapWindowPoints(nullptr, m_hWndPaint, reinterpret_cast<POINT*>(&rc), 2);
    // A child outside the painted area needs no exclusion; asking for its
    // shape costs a trip to the server. Only its visible part is left out.
    RECT overlap;
    if (!IntersectRect(&overlap, &rc, &rcPaint)) continue;
    HRGN shape = CreateRectRgn(0, 0, 0, 0);
    if (GetWindowRgn(child, shape) != ERROR) {
      OffsetRgn(shape, rc.left, rc.top);
      ExtSelectClipRgn(dc, shape, RGN_DIFF);
    } else {
      ExcludeClipRect(dc, rc.left, rc.top, rc.right, rc.bottom);
    }
    DeleteObject(shape);
  }
}

// ---- Timers ---------------------------------------------------------------------

bool CPaintManagerUI::SetTimer(CControlUI* pControl, UINT nTimerID, UINT uElapse) {
  if (!m_hWndPaint || !IsControlAlive(pControl)) return false;
  for (const TimerInfo& timer : m_timers) {
    if (timer.pControl == pControl && timer.nLocalID == nTimerID) {
      return ::SetTimer(m_hWndPaint, timer.uWinTimer, uElapse, nullptr) != 0;
    }
  }
  const UINT_PTR id = m_uNextTimerID++;
  if (!::SetTimer(m_hWndPaint, id, uElapse, nullptr)) return false;
  m_timers.push_back(TimerInfo{pControl, nTimerID, id});
  return true;
}

bool CPaintManagerUI::KillTimer(CControlUI* pControl, UINT nTimerID) {
  for (auto it = m_timers.begin(); it != m_timers.end(); ++it) {
    if (it->pControl == pControl && it->nLocalID == nTimerID) {
      if (m_hWndPaint) ::KillTimer(m_hWndPaint, it->uWinTimer);
      m_timers.erase(it);
      return true;
    }
  }
  return false;
}

void CPaintManagerUI::KillTimer(CControlUI* pControl) {
  if (m_timers.empty()) return;
  for (auto it = m_timers.begin(); it != m_timers.end();) {
    if (it->pControl == pControl) {
      if (m_hWndPaint) ::KillTimer(m_hWndPaint, it->uWinTimer);
      it = m_timers.erase(it);
    } else {
      ++it;
    }
  }
}

void CPaintManagerUI::ScheduleAnimation(CControlUI* pControl, UINT uDelay) {
  if (!m_hWndPaint || !IsControlAlive(pControl)) return;
  m_animated.insert(pControl);
  const ULONGLONG due = GetTickCount64() + uDelay;
  if (m_animationDue && m_animationDue <= due) return;
  m_animationDue = due;
  ::SetTimer(m_hWndPaint, kAnimationTimer, uDelay, nullptr);
}

// ---- Window shape ---------------------------------------------------------------

void CPaintManagerUI::UpdateWindowRegion() {
  if (!m_hWndPaint) return;
  RECT rc;
  GetWindowRect(m_hWndPaint, &rc);
  const int width = rc.right - rc.left;
  const int height = rc.bottom - rc.top;
  const bool zoomed = IsZoomed(m_hWndPaint) != FALSE;
  if (width == m_szRegion.cx && height == m_szRegion.cy && zoomed == m_bRegionZoomed) return;
  m_szRegion = {width, height};
  m_bRegionZoomed = zoomed;
  HRGN region = (!zoomed && m_szRoundCorner.cx > 0 && m_szRoundCorner.cy > 0)
                    ? CreateRoundRectRgn(0, 0, width + 1, height + 1, m_szRoundCorner.cx, m_szRoundCorner.cy)
                    : CreateRectRgn(0, 0, width, height);
  // The system owns the region once it is set.
  if (region && !SetWindowRgn(m_hWndPaint, region, TRUE)) DeleteObject(region);
}

LRESULT CPaintManagerUI::HitTestNonClient(POINT pt) const {
  if (!m_hWndPaint) return HTCLIENT;
  RECT client;
  GetClientRect(m_hWndPaint, &client);
  const LONG style = GetWindowLongW(m_hWndPaint, GWL_STYLE);
  if ((style & WS_THICKFRAME) && !IsZoomed(m_hWndPaint)) {
    const RECT& box = m_rcSizeBox;
    const bool left = pt.x < client.left + box.left;
    const bool right = pt.x >= client.right - box.right;
    const bool top = pt.y < client.top + box.top;
    const bool bottom = pt.y >= client.bottom - box.bottom;
    if (top && left) return HTTOPLEFT;
    if (top && right) return HTTOPRIGHT;
    if (bottom && left) return HTBOTTOMLEFT;
    if (bottom && right) return HTBOTTOMRIGHT;
    if (top) return HTTOP;
    if (bottom) return HTBOTTOM;
    if (left) return HTLEFT;
    if (right) return HTRIGHT;
  }
  const RECT caption = {m_rcCaption.left, m_rcCaption.top, client.right - m_rcCaption.right, m_rcCaption.bottom};
  if (PtInRect(&caption, pt)) {
    for (CControlUI* control = FindControl(pt); control; control = control->GetParent()) {
      if (control->IsInteractiveAt(pt)) return HTCLIENT;
    }
    return HTCAPTION;
  }
  return HTCLIENT;
}

void CPaintManagerUI::ApplyZoomState() {
  if (!m_hWndPaint) return;
  const int zoomed = IsZoomed(m_hWndPaint) ? 1 : 0;
  if (zoomed == m_nZoomState) return;
  const bool first = m_nZoomState < 0;
  m_nZoomState = zoomed;
  // The skin decides the first look; every change of the zoom state after
  // that swaps the maximise and restore buttons.
  if (first && !zoomed) return;
  if (CControlUI* maxButton = FindControl(L"maxbtn")) maxButton->SetVisible(!zoomed);
  if (CControlUI* restoreButton = FindControl(L"restorebtn")) restoreButton->SetVisible(zoomed != 0);
}

detail::INativeEditHost* CPaintManagerUI::FindHostOf(HWND hWndChild) const {
  detail::INativeEditHost* host = detail::NativeEditHostOf(hWndChild);
  return host && IsControlAlive(host->HostControl()) ? host : nullptr;
}

bool CPaintManagerUI::PreMessageHandler(UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lRes) {
  switch (uMsg) {
    case WM_WINDOWPOSCHANGED: {
      // Before WM_SIZE goes out, so a shadow reading the region at WM_SIZE sees the new one.
      const auto* pos = reinterpret_cast<const WINDOWPOS*>(lParam);
      if (pos && !(pos->flags & SWP_NOSIZE)) UpdateWindowRegion();
      if (pos && (~pos->flags & (SWP_NOSIZE | SWP_NOMOVE))) OnWindowMoved();
      return false;
    }
    case WM_SIZE:
      ApplyZoomState();
      return false;
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC: {
      detail::INativeEditHost* host = FindHostOf(reinterpret_cast<HWND>(lParam));
      HBRUSH brush = host ? host->OnCtlColor(reinterpret_cast<HDC>(wParam)) : nullptr;
      if (!brush) return false;
      lRes = reinterpret_cast<LRESULT>(brush);
      return true;
    }
    case WM_COMMAND:
      if (HIWORD(wParam) == EN_CHANGE) {
        if (detail::INativeEditHost* host = FindHostOf(reinterpret_cast<HWND>(lParam))) host->OnNativeChange();
      }
      return false;
    default:
      return false;
  }
}

bool CPaintManagerUI::MessageHandler(UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lRes) {
  if (!m_hWndPaint) return false;
  const std::vector<IMessageFilterUI*> filters = m_filters;
  for (IMessageFilterUI* filter : filters) {
    bool handled = false;
    const LRESULT result = filter->MessageHandler(uMsg, wParam, lParam, handled);
    if (handled) {
      lRes = result;
      return true;
    }
  }
  if (uMsg == AsyncNotifyMessage()) {
    DeliverAsyncNotifications();
    return true;
  }
  if (uMsg == detail::NativeReleaseMessage()) {
    if (detail::INativeEditHost* host = FindHostOf(reinterpret_cast<HWND>(lParam))) host->OnDeferredRelease();
    return true;
  }
  const POINT pt = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
  switch (uMsg) {
    case WM_PAINT:
      OnPaint();
      return true;
    case WM_PRINTCLIENT: {
      RECT client;
      GetClientRect(m_hWndPaint, &client);
      Render(reinterpret_cast<HDC>(wParam), client);
      return true;
    }
    case WM_ERASEBKGND:
      lRes = 1;
      return true;
    case WM_SIZE:
      HideToolTip();
      // The layout is current when the window's own size handler runs next.
      if (m_pRoot) UpdateLayout();
      return true;
    case WM_TIMER:
      if (OnToolTipTimer(wParam)) return true;
      if (wParam == kAnimationTimer) {
        // Repaint what showed an animation; painting schedules the next frame.
        ::KillTimer(m_hWndPaint, kAnimationTimer);
        m_animationDue = 0;
        std::unordered_set<CControlUI*> animated;
        animated.swap(m_animated);
        for (CControlUI* control : animated) control->Invalidate();
        return true;
      }
      for (const TimerInfo& timer : m_timers) {
        if (timer.uWinTimer == wParam) {
          SendEvent(timer.pControl, UIEVENT_TIMER, m_ptLastMousePos, timer.nLocalID);
          return true;
        }
      }
      return wParam >= 0x10000;
    case WM_MOUSEMOVE:
      OnMouseMove(pt, wParam);
      return true;
    case WM_MOUSELEAVE:
      m_bMouseTracking = false;
      HideToolTip();
      if (!m_pEventClick) SetHot(nullptr, m_ptLastMousePos);
      return true;
    case WM_MOUSEHOVER:
      m_bMouseTracking = false;
      m_ptLastMousePos = pt;
      // The pointer rested, but what lies under it may have changed since it
      // moved (a scroll, a new size): the tip is that of the control there now.
      if (CControlUI* hit = FindControl(pt); hit != m_pEventHover && !m_pEventClick) {
        HideToolTip();
        SetHot(hit, pt);
      }
      if (m_pEventHover) {
        ShowToolTip();
        if (m_pEventHover) SendEvent(m_pEventHover, UIEVENT_MOUSEHOVER, pt, wParam);
      }
      return true;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
      OnButtonDown(uMsg, pt, wParam);
      return true;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
      OnButtonUp(uMsg, pt, wParam);
      return true;
    case WM_CAPTURECHANGED:
      if (m_pEventClick && reinterpret_cast<HWND>(lParam) != m_hWndPaint) {
        // Capture taken by someone else: the press is cancelled, no click.
        CControlUI* target = m_pEventClick;
        m_pEventClick = nullptr;
        m_bMouseCapture = false;
        if (IsControlAlive(target)) SendEvent(target, UIEVENT_BUTTONUP, POINT{-32000, -32000});
      }
      return false;
    case WM_MOUSEWHEEL:
      return OnMouseWheel(wParam, lParam);
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN: {
      KeyRoute* route = (t_keyRoute && t_keyRoute->window == m_hWndPaint) ? t_keyRoute : nullptr;
      const bool consumed = OnKeyDown(uMsg, wParam, lParam);
      if (route) {
        // A key routed from a hosted edit: the edit itself gets it if unused.
        route->reached = true;
        route->consumed = consumed;
        return true;
      }
      return consumed;
    }
    case WM_KEYUP:
    case WM_CHAR:
      if (m_pFocus) {
        SendEvent(m_pFocus, uMsg == WM_KEYUP ? UIEVENT_KEYUP : UIEVENT_CHAR, m_ptLastMousePos, wParam, lParam,
                  static_cast<TCHAR>(wParam));
      }
      return false;
    case WM_SETCURSOR:
      if (OnSetCursor(wParam, lParam)) {
        lRes = TRUE;
        return true;
      }
      return false;
    case WM_KILLFOCUS:
      HideToolTip();
      return false;
    case WM_ACTIVATE:
      // Sent before the focus leaves: a hosted field still holds it.
      if (LOWORD(wParam) == WA_INACTIVE) m_pFocusToRestore = m_pFocus;
      return false;
    case WM_SETFOCUS:
      RestoreFocusAfterActivation();
      return false;
    default:
      return false;
  }
}

CControlUI* CPaintManagerUI::GetRoutedKeyTarget() { return t_keyRoute ? t_keyRoute->target : nullptr; }

bool CPaintManagerUI::TranslateMessage(const LPMSG pMsg) {
  if (!pMsg) return false;
  // Pre-filters of the framework windows that hold the target.
  for (HWND window = pMsg->hwnd; window; window = GetAncestor(window, GA_PARENT)) {
    CPaintManagerUI* manager = FromWindow(window);
    if (!manager) continue;
    const std::vector<IMessageFilterUI*> filters = manager->m_preFilters;
    for (IMessageFilterUI* filter : filters) {
      bool handled = false;
      filter->MessageHandler(pMsg->message, pMsg->wParam, pMsg->lParam, handled);
      if (handled) return true;
    }
  }
  if (pMsg->message != WM_KEYDOWN && pMsg->message != WM_SYSKEYDOWN) return false;
  CControlUI* host = detail::NativeEditControlOf(pMsg->hwnd);
  CPaintManagerUI* manager = host ? host->GetManager() : nullptr;
  if (!manager || !manager->m_hWndPaint) return false;
  // The window sees keys aimed at its edits first: a window that does not
  // pass the key on to the base consumes it (Enter starting one action).
  KeyRoute route{manager->m_hWndPaint, host, false, false};
  KeyRoute* previous = t_keyRoute;
  t_keyRoute = &route;
  ::SendMessageW(route.window, pMsg->message, pMsg->wParam, pMsg->lParam);
  t_keyRoute = previous;
  return !route.reached || route.consumed;
}

}  // namespace DuiLib
