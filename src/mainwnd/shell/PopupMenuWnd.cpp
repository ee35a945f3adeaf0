#include "mainwnd/shell/PopupMenuWnd.h"

#include <algorithm>
#include <memory>

#include "app/ui/WindowConventions.h"
#include "quennet/EventLog.h"

namespace mireloomwnd {

using namespace DuiLib;

namespace {

constexpr DWORD kUnavailableTextColor = 0xFFBABABA;
constexpr UINT kCloseCode = 1;

bool IsMenuItem(CControlUI* control) { return control->GetInterface(L"ListItem") != nullptr; }

bool IsUsable(CControlUI* item) { return item->IsEnabled() && item->IsVisible(); }

void SetLit(CControlUI* item, bool lit) {
  if (auto* element = item ? static_cast<IListItemUI*>(item->GetInterface(L"ListItem")) : nullptr) {
    element->SetSelectedState(lit);
  }
}

}  // namespace

PopupMenuWnd::PopupMenuWnd(const MenuKind& kind) : m_kind(kind) {
  // Nobody holds a menu: the framework frees it after its last message, and
  // only once no dispatch on it is still running. An item click whose owner
  // runs a modal loop (in which this window goes) therefore returns first.
  SetAutoDelete(true);
}

CDuiString PopupMenuWnd::GetSkinFolder() { return SkinFolder(); }

void PopupMenuWnd::ShowAt(CPaintManagerUI* owner, int x, int y, MenuOpening opening) {
  if (!owner) {
    delete this;  // no window will ever free it
    return;
  }
  m_ownerManager = owner;
  const HWND ownerWindow = owner->GetPaintWindow();
  const std::weak_ptr<void> alive = m_lifetime.Token();
  if (!Create(ownerWindow, m_kind.title, kOverlappedStyle, kWindowExStyle, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
              CW_USEDEFAULT)) {
    quennet::log_error("Popup menu window could not be created");
    // A window that got as far as its last message has freed the menu already.
    if (!alive.expired()) delete this;
    return;
  }
  POINT point = {x, y};
  ClientToScreen(ownerWindow, &point);
  MoveToPoint(point.x, point.y);
  if (opening == MenuOpening::ByKeyboard) MoveHighlight(1);
}

void PopupMenuWnd::MoveToPoint(int x, int y) {
  const HWND window = GetHWND();
  if (m_kind.anchor == MenuAnchor::BottomLeft) {
    RECT rect;
    GetWindowRect(window, &rect);
    y -= rect.bottom - rect.top;
  }
  SetWindowPos(window, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_SHOWWINDOW);
}

LRESULT PopupMenuWnd::OnCreate(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled) {
  return CreateWithShadow(*this, m_shadow, uMsg, wParam, lParam, bHandled);
}

LRESULT PopupMenuWnd::HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) {
  switch (uMsg) {
    case WM_KILLFOCUS:
      // A click anywhere else takes the focus: the menu goes without a word to its owner.
      Close(kCloseCode);
      break;
    case WM_KEYDOWN:
      if (OnKeyDown(wParam)) return 0;
      break;
    case WM_CLOSE:
      ReturnActivationToOwner();
      break;
    case WM_MOUSEMOVE: {
      const LRESULT result = WindowImplBase::HandleMessage(uMsg, wParam, lParam);
      // Only a real move: the arrows may have taken the highlight from under a resting pointer.
      if (lParam != m_lastPointer) FollowPointer();
      m_lastPointer = lParam;
      return result;
    }
    case WM_MOUSELEAVE:
      m_lastPointer = -1;
      Highlight(nullptr);
      break;
    default:
      break;
  }
  return WindowImplBase::HandleMessage(uMsg, wParam, lParam);
}

bool PopupMenuWnd::OnKeyDown(WPARAM key) {
  switch (key) {
    case VK_ESCAPE:
      // Dismissed as any other menu: the owner has the keyboard again.
      Close(kCloseCode);
      return true;
    case VK_DOWN:
    case VK_UP:
      MoveHighlight(key == VK_DOWN ? 1 : -1);
      return true;
    case VK_RETURN:
    case VK_SPACE:
      // As a click on it; a menu with no lit item takes the key and does nothing.
      if (m_highlighted && IsUsable(m_highlighted)) m_PaintManager.SendNotify(m_highlighted, L"itemclick");
      return true;
    default:
      return false;
  }
}

std::vector<CControlUI*> PopupMenuWnd::Items() const {
  std::vector<CControlUI*> items;
  std::vector<CControlUI*> pending = {m_PaintManager.GetRoot()};
  while (!pending.empty()) {
    CControlUI* control = pending.back();
    pending.pop_back();
    if (!control) continue;
    if (IsMenuItem(control)) {
      items.push_back(control);
      continue;
    }
    for (int i = control->GetChildCount() - 1; i >= 0; --i) pending.push_back(control->GetChildAt(i));
  }
  return items;
}

void PopupMenuWnd::Highlight(CControlUI* item) {
  if (item == m_highlighted) return;
  SetLit(m_highlighted, false);
  m_highlighted = item;
  SetLit(m_highlighted, true);
}

void PopupMenuWnd::MoveHighlight(int step) {
  const std::vector<CControlUI*> items = Items();
  const int count = static_cast<int>(items.size());
  const auto lit = std::find(items.begin(), items.end(), m_highlighted);
  // From nothing lit, Down starts at the first item and Up at the last.
  int index = lit != items.end() ? static_cast<int>(lit - items.begin()) : (step > 0 ? -1 : count);
  for (int tried = 0; tried < count; ++tried) {
    index = ((index + step) % count + count) % count;
    if (IsUsable(items[index])) {
      Highlight(items[index]);
      return;
    }
  }
}

void PopupMenuWnd::FollowPointer() {
  CControlUI* item = m_PaintManager.GetHotControl();
  while (item && !IsMenuItem(item)) item = item->GetParent();
  Highlight(item && IsUsable(item) ? item : nullptr);
}

void PopupMenuWnd::ReturnActivationToOwner() {
  // A menu that still has the keyboard hands it back; one that lost it to a
  // click elsewhere, or to a dialog its item opened, leaves it there.
  const HWND owner = m_ownerManager ? m_ownerManager->GetPaintWindow() : nullptr;
  if (!owner || GetActiveWindow() != GetHWND() || !IsWindowEnabled(owner) || !IsWindowVisible(owner)) return;
  SetActiveWindow(owner);
}

void PopupMenuWnd::Notify(TNotifyUI& msg) {
  if (msg.sType == L"itemclick") {
    // The owner acts on the item before the menu goes on. It may run a modal
    // loop in which this window is destroyed; the item (the sender) stays
    // alive until the notification returns, and this object until the click
    // that raised it has been handled.
    if (m_ownerManager) m_ownerManager->SendNotify(msg, false);
    Close(kCloseCode);
  }
  WindowImplBase::Notify(msg);
}

void PopupMenuWnd::DisableItem(const wchar_t* itemName, const wchar_t* labelName) {
  if (CControlUI* item = m_PaintManager.FindControl(itemName)) {
    item->SetEnabled(false);
  } else {
    quennet::log_error("Popup menu %ls: no item %ls", GetWindowClassName(), itemName);
  }
  CControlUI* control = m_PaintManager.FindControl(labelName);
  if (auto* label = control ? static_cast<CLabelUI*>(control->GetInterface(L"Label")) : nullptr) {
    label->SetTextColor(kUnavailableTextColor);
  } else {
    quennet::log_error("Popup menu %ls: no label %ls", GetWindowClassName(), labelName);
  }
}

}  // namespace mireloomwnd
