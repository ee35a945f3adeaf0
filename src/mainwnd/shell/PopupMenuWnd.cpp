#include "mainwnd/shell/PopupMenuWnd.h"

#include <memory>

#include "app/ui/WindowConventions.h"
#include "quennet/EventLog.h"

namespace mireloomwnd {

using namespace DuiLib;

namespace {

constexpr DWORD kUnavailableTextColor = 0xFFBABABA;
constexpr UINT kCloseCode = 1;

}  // namespace

PopupMenuWnd::PopupMenuWnd(const MenuKind& kind) : m_kind(kind) {
  // Nobody holds a menu: the framework frees it after its last message, and
  // only once no dispatch on it is still running. An item click whose owner
  // runs a modal loop (in which this window goes) therefore returns first.
  SetAutoDelete(true);
}

CDuiString PopupMenuWnd::GetSkinFolder() { return SkinFolder(); }

void PopupMenuWnd::ShowAt(CPaintManagerUI* owner, int x, int y) {
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
  // A click anywhere else takes the focus: the menu goes without a word to its owner.
  if (uMsg == WM_KILLFOCUS) Close(kCloseCode);
  // Esc dismisses a menu as it does any other.
  if (uMsg == WM_KEYDOWN && wParam == VK_ESCAPE) {
    Close(kCloseCode);
    return 0;
  }
  return WindowImplBase::HandleMessage(uMsg, wParam, lParam);
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
