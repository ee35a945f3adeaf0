#include "duilib/Combo.h"

#include <algorithm>

#include "Attributes.h"
#include "ComboDropWindow.h"
#include "duilib/PaintManager.h"
#include "ListItem.h"

namespace DuiLib {

namespace {

constexpr int kMaxDropHeight = 300;

// Attributes that style the shown text; the rest are the combo's own.
bool IsTextAttribute(const std::wstring& name) {
  return name == L"font" || name == L"textcolor" || name == L"disabledtextcolor" || name == L"align" ||
         name == L"valign" || name == L"textpadding" || name == L"endellipsis" || name == L"showhtml";
}

}  // namespace

CComboUI::CComboUI() : m_pDisplay(std::make_unique<CLabelUI>()) { m_pDisplay->SetTextStyle(DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS); }

CComboUI::~CComboUI() {
  CloseDropList();
  m_pDisplay->SetManager(nullptr, nullptr);
}

LPCTSTR CComboUI::GetClass() const { return L"ComboUI"; }

LPVOID CComboUI::GetInterface(LPCTSTR pstrName) {
  if (pstrName && wcscmp(pstrName, L"Combo") == 0) return this;
  if (pstrName && wcscmp(pstrName, L"IListOwner") == 0) return static_cast<IListOwnerUI*>(this);
  return CContainerUI::GetInterface(pstrName);
}

// ---- Entries and selection ------------------------------------------------------------

bool CComboUI::AddAt(CControlUI* pControl, int iIndex) {
  if (!CContainerUI::AddAt(pControl, iIndex)) return false;
  detail::AdoptListItem(*this, m_pSelected, pControl);
  Invalidate();
  return true;
}

bool CComboUI::Remove(CControlUI* pControl) {
  if (GetItemIndex(pControl) < 0) return false;
  detail::ReleaseListItem(m_pSelected, pControl);
  Invalidate();
  return CContainerUI::Remove(pControl);
}

bool CComboUI::RemoveAt(int iIndex) {
  CControlUI* item = GetItemAt(iIndex);
  if (!item) return false;
  detail::ReleaseListItem(m_pSelected, item);
  Invalidate();
  return CContainerUI::RemoveAt(iIndex);
}

void CComboUI::RemoveAll() {
  for (CControlUI* item : m_items) detail::ReleaseListItem(m_pSelected, item);
  Invalidate();
  CContainerUI::RemoveAll();
}

int CComboUI::GetCurSel() const { return m_pSelected ? GetItemIndex(m_pSelected) : -1; }

bool CComboUI::SelectItem(int iIndex, bool bTakeFocus, bool bTriggerEvent) {
  if (bTakeFocus) SetFocus();
  const bool selected = detail::MoveSelection(*this, m_pSelected, iIndex, bTriggerEvent);
  Invalidate();
  return selected;
}

CDuiString CComboUI::GetText() const { return m_pSelected ? m_pSelected->GetText() : CDuiString(); }

// ---- The drop list ----------------------------------------------------------------------

bool CComboUI::Activate() {
  if (m_pDrop || !CanRaise() || !m_pManager || !m_pManager->GetPaintWindow()) return false;
  HWND window = m_pManager->GetPaintWindow();
  int height = m_szDropBox.cy;
  if (height <= 0) {
    for (CControlUI* item : m_items) {
      if (item->IsSelfVisible()) height += item->GetFixedHeight() > 0 ? item->GetFixedHeight() : m_info.nItemHeight;
    }
    height = std::min(height + 2, kMaxDropHeight);
  }
  const int width = m_szDropBox.cx > 0 ? m_szDropBox.cx : m_rcItem.right - m_rcItem.left;
  POINT below = {m_rcItem.left, m_rcItem.bottom};
  POINT above = {m_rcItem.left, m_rcItem.top};
  ClientToScreen(window, &below);
  ClientToScreen(window, &above);
  MONITORINFO monitor = {sizeof monitor};
  GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &monitor);
  // Below the combo, or above it when the work area ends first.
  const LONG top = below.y + height <= monitor.rcWork.bottom ? below.y : above.y - height;
  auto* drop = new detail::ComboDropWindow(this);
  m_pDrop = drop;
  if (!drop->Open(window, RECT{below.x, top, below.x + width, top + height})) {
    m_pDrop = nullptr;
    delete drop;
    return false;
  }
  // From here the window object frees itself once its window is gone.
  if (m_pDrop == drop) drop->SetAutoDelete(true);
  Invalidate();
  return true;
}

HWND CComboUI::GetDropWindow() const { return m_pDrop ? m_pDrop->GetHWND() : nullptr; }

void CComboUI::OnDropClosed(detail::ComboDropWindow* pDrop) {
  if (m_pDrop != pDrop) return;
  m_pDrop = nullptr;
  Invalidate();
}

void CComboUI::CloseDropList() {
  detail::ComboDropWindow* drop = m_pDrop;
  if (!drop) return;
  m_pDrop = nullptr;
  drop->Detach();
  if (HWND hwnd = drop->GetHWND()) DestroyWindow(hwnd);
}

void CComboUI::SetManager(CPaintManagerUI* pManager, CControlUI* pParent) {
  if (pManager != m_pManager) CloseDropList();
  CContainerUI::SetManager(pManager, pParent);
  m_pDisplay->SetManager(pManager, this);
}

void CComboUI::PropagateState() {
  if (!IsVisible() || !IsEnabled()) CloseDropList();
  CContainerUI::PropagateState();
}

// ---- Look and input ---------------------------------------------------------------------

SIZE CComboUI::ArrangeChildren(const RECT& rcInner, SIZE szScroll) {
  for (CControlUI* item : m_items) item->PlaceLazily(RECT{0, 0, 0, 0});
  return SIZE{0, 0};
}

void CComboUI::SetNormalImage(LPCTSTR pStrImage) {
  m_normalImage.Set(pStrImage);
  Invalidate();
}

void CComboUI::SetHotImage(LPCTSTR pStrImage) {
  m_hotImage.Set(pStrImage);
  Invalidate();
}

void CComboUI::SetPushedImage(LPCTSTR pStrImage) {
  m_pushedImage.Set(pStrImage);
  Invalidate();
}

void CComboUI::SetDisabledImage(LPCTSTR pStrImage) {
  m_disabledImage.Set(pStrImage);
  Invalidate();
}

void CComboUI::PaintStatusImage(HDC hDC) {
  if (!IsEnabled() && DrawImage(hDC, m_disabledImage, m_rcItem)) return;
  if (IsEnabled() && m_pDrop && DrawImage(hDC, m_pushedImage, m_rcItem)) return;
  if (IsEnabled() && m_bHot && DrawImage(hDC, m_hotImage, m_rcItem)) return;
  DrawImage(hDC, m_normalImage, m_rcItem);
}

void CComboUI::PaintText(HDC hDC) {
  // Placed after the text is set: a new text invalidates nothing while painting.
  m_pDisplay->SetPos({0, 0, 0, 0}, false);
  m_pDisplay->SetText(GetText());
  m_pDisplay->SetPos(m_rcItem, false);
  m_pDisplay->PaintText(hDC);
}

void CComboUI::DoEvent(TEventUI& event) {
  switch (event.Type) {
    case UIEVENT_BUTTONDOWN:
    case UIEVENT_DBLCLICK:
      // A press while the list is open is the one that closed it.
      if (IsEnabled() && !m_pDrop) Activate();
      return;
    case UIEVENT_BUTTONUP:
      return;
    case UIEVENT_MOUSEENTER:
    case UIEVENT_MOUSELEAVE:
      m_bHot = event.Type == UIEVENT_MOUSEENTER;
      Invalidate();
      return;
    case UIEVENT_KEYDOWN:
    case UIEVENT_SYSKEY:
      if (IsEnabled() && OnKey(event)) {
        if (m_pManager) m_pManager->MarkKeyHandled();
        return;
      }
      break;
    case UIEVENT_CHAR:
      if (IsEnabled()) {
        const int target = detail::FindItemByInitial(*this, GetCurSel(), event.chKey);
        if (target >= 0) SelectItem(target);
        return;
      }
      break;
    default:
      break;
  }
  CContainerUI::DoEvent(event);
}

bool CComboUI::OnKey(const TEventUI& event) {
  const WPARAM key = event.wParam;
  if (event.Type == UIEVENT_SYSKEY) {
    if (key != VK_DOWN && key != VK_UP) return false;
    Activate();
    return true;
  }
  if (key == VK_F4) {
    Activate();
    return true;
  }
  // A closed box passes Enter on to the window's main action, as a dialog's
  // combo box does.
  if (key == VK_RETURN) return m_pManager && m_pManager->PressDefaultButton();
  if (key != VK_DOWN && key != VK_UP) return false;
  const int target = detail::NextChoosableItem(*this, GetCurSel(), key == VK_DOWN ? 1 : -1);
  if (target >= 0) SelectItem(target);
  return true;
}

void CComboUI::SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue) {
  const std::wstring name = pstrName ? pstrName : L"";
  SIZE size;
  if (IsTextAttribute(name)) {
    m_pDisplay->SetAttribute(pstrName, pstrValue);
    Invalidate();
  } else if (detail::SetListInfoAttribute(m_info, name, pstrValue)) {
    Invalidate();
  } else if (name == L"dropboxsize") {
    if (detail::ParseSize(pstrValue, &size)) SetDropBoxSize(size);
  } else if (name == L"normalimage") {
    SetNormalImage(pstrValue);
  } else if (name == L"hotimage") {
    SetHotImage(pstrValue);
  } else if (name == L"pushedimage") {
    SetPushedImage(pstrValue);
  } else if (name == L"disabledimage") {
    SetDisabledImage(pstrValue);
  } else {
    CContainerUI::SetAttribute(pstrName, pstrValue);
  }
}

}  // namespace DuiLib
