#pragma once

// What the main window's popup menus share: a borderless window with a
// shadow, opened at a point of the owner window, that hands an item click
// unchanged to the owner's notifiers and closes on the click or when it
// loses the focus. As in any menu, one highlight follows the pointer and the
// arrow keys over the usable items; Enter or Space chooses the highlighted
// item, and Esc closes the menu and gives the keyboard back to the owner.
//
// Ownership: the opener creates a menu with `new` for every opening and
// hands it to ShowAt; from then on the menu frees itself once its window is
// gone and no message or notification on it is still running. Never delete
// a menu after ShowAt, and never make one on the stack.

#include <vector>

#include "app/ui/UiThread.h"
#include "app/ui/WndShadow.h"
#include "duilib/UIlib.h"

namespace mireloomwnd {

// Which corner of the menu lies on the point it is opened at.
enum class MenuAnchor { TopLeft, BottomLeft };

// A menu opened from the keyboard starts with its first item highlighted.
enum class MenuOpening { ByMouse, ByKeyboard };

// What tells one menu from another.
struct MenuKind {
  const wchar_t* className;
  const wchar_t* skinFile;
  // Never shown (a menu has no caption); the window is found by it.
  const wchar_t* title;
  MenuAnchor anchor;
};

class PopupMenuWnd : public DuiLib::WindowImplBase {
 public:
  // Opens the menu with its corner on (x, y), a point in the owner window's
  // client coordinates. A null owner opens nothing, and the menu is freed.
  void ShowAt(DuiLib::CPaintManagerUI* owner, int x, int y, MenuOpening opening = MenuOpening::ByMouse);

  LPCTSTR GetWindowClassName() const override { return m_kind.className; }
  DuiLib::CDuiString GetSkinFolder() override;
  DuiLib::CDuiString GetSkinFile() override { return m_kind.skinFile; }
  LRESULT OnCreate(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled) override;
  LRESULT HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) override;
  void Notify(DuiLib::TNotifyUI& msg) override;

 protected:
  explicit PopupMenuWnd(const MenuKind& kind);

  // Greys an item the user may not use: it raises no click, and its label
  // reads as unavailable. A missing item or label is skipped.
  void DisableItem(const wchar_t* itemName, const wchar_t* labelName);

 private:
  void MoveToPoint(int x, int y);
  // The items in the order they show, usable or not.
  [[nodiscard]] std::vector<DuiLib::CControlUI*> Items() const;
  // Lights the item (none with null) and no other.
  void Highlight(DuiLib::CControlUI* item);
  // The next usable item after the highlighted one, going round; back with step -1.
  void MoveHighlight(int step);
  // The highlight follows the pointer onto a usable item, and off the others.
  void FollowPointer();
  bool OnKeyDown(WPARAM key);
  // Before the menu goes while it has the keyboard, the owner takes it back.
  void ReturnActivationToOwner();

  const MenuKind m_kind;
  // The opener's manager: item clicks go to its notifiers. Null until ShowAt.
  DuiLib::CPaintManagerUI* m_ownerManager = nullptr;
  // The lit item, an item of this window's tree, or null.
  DuiLib::CControlUI* m_highlighted = nullptr;
  // Where the pointer was last seen over the menu (WM_MOUSEMOVE's point).
  LPARAM m_lastPointer = -1;
  CWndShadow m_shadow;
  // Tells ShowAt whether a failed creation has already freed the menu.
  CLifetimeGuard m_lifetime;
};

}  // namespace mireloomwnd
