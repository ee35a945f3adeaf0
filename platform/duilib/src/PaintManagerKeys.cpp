#include "duilib/PaintManager.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <vector>

#include "ControlTree.h"
#include "duilib/Button.h"
#include "duilib/Container.h"

// The keyboard of a window as Windows users expect it: Tab through the stops
// in the order of the layout, a group of options as one stop walked with the
// arrows, and the controls the skin names for Esc, Enter and the first focus.

namespace DuiLib {

namespace {

bool IsKeyboardStop(const CControlUI* control) {
  return control->IsTabStop() && control->IsVisible() && control->IsEnabled();
}

CContainerUI* TabGroupOf(const CControlUI* control) {
  for (CControlUI* parent = control->GetParent(); parent; parent = parent->GetParent()) {
    auto* container = static_cast<CContainerUI*>(parent->GetInterface(L"Container"));
    if (container && container->IsTabGroup()) return container;
  }
  return nullptr;
}

std::vector<CControlUI*> StopsIn(CControlUI* root) {
  std::vector<CControlUI*> stops;
  detail::WalkTree(root, [&stops](CControlUI* control) {
    if (IsKeyboardStop(control)) stops.push_back(control);
  });
  return stops;
}

LONG CentreX(const RECT& rc) { return (rc.left + rc.right) / 2; }

// The member of the nearest row below (or above) `from` that is nearest to
// its column; NULL when no member lies that way.
CControlUI* NeighbourInColumn(const std::vector<CControlUI*>& members, const CControlUI* from, bool down) {
  const RECT origin = from->GetPos();
  CControlUI* best = nullptr;
  LONG bestRow = LONG_MAX;
  LONG bestColumn = LONG_MAX;
  for (CControlUI* member : members) {
    const RECT rc = member->GetPos();
    if (down ? rc.top < origin.bottom : rc.bottom > origin.top) continue;
    const LONG row = down ? rc.top - origin.bottom : origin.top - rc.bottom;
    const LONG column = std::abs(CentreX(rc) - CentreX(origin));
    if (row < bestRow || (row == bestRow && column < bestColumn)) {
      best = member;
      bestRow = row;
      bestColumn = column;
    }
  }
  return best;
}

// How far a span [from, to) must move to show within [first, last); a span
// longer than the room shows its start.
LONG ShiftIntoView(LONG from, LONG to, LONG first, LONG last) {
  if (from < first) return from - first;
  if (to > last) return std::min(to - last, from - first);
  return 0;
}

// Scrolls the container until the rectangle shows.
void ScrollRectIntoView(CContainerUI& container, const RECT& rc) {
  const RECT inner = container.GetInnerRect();
  SIZE pos = container.GetScrollPos();
  pos.cx += ShiftIntoView(rc.left, rc.right, inner.left, inner.right);
  pos.cy += ShiftIntoView(rc.top, rc.bottom, inner.top, inner.bottom);
  container.SetScrollPos(pos);
}

// Scrolls every scrolling container around the control until it shows. A
// list places a row out of view without laying out what it holds, so the
// row that holds the control comes into view first, then the control.
void ScrollIntoView(CControlUI* control) {
  for (CControlUI *item = control, *parent = control->GetParent(); parent; item = parent, parent = parent->GetParent()) {
    auto* container = static_cast<CContainerUI*>(parent->GetInterface(L"Container"));
    if (!container) continue;
    const SIZE range = container->GetScrollRange();
    if (range.cx <= 0 && range.cy <= 0) continue;
    ScrollRectIntoView(*container, item->GetPos());
    if (item != control) ScrollRectIntoView(*container, control->GetPos());
  }
}

bool IsArrowKey(WPARAM key) { return key == VK_LEFT || key == VK_RIGHT || key == VK_UP || key == VK_DOWN; }

}  // namespace

bool CPaintManagerUI::SetNextTabControl(bool bForward) {
  std::vector<CControlUI*> order;
  // A group whose member focused last is gone stands in the order by its first member.
  std::vector<const CContainerUI*> groupsWithoutEntry;
  detail::WalkTree(m_pRoot, [&](CControlUI* control) {
    if (!IsKeyboardStop(control)) return;
    if (const CContainerUI* group = TabGroupOf(control)) {
      if (const CControlUI* entry = GroupEntry(*group)) {
        if (control != entry) return;
      } else if (std::find(groupsWithoutEntry.begin(), groupsWithoutEntry.end(), group) != groupsWithoutEntry.end()) {
        return;
      } else {
        groupsWithoutEntry.push_back(group);
      }
    }
    order.push_back(control);
  });
  if (order.empty()) return false;
  const auto it = std::find(order.begin(), order.end(), m_pFocus);
  size_t next;
  if (it == order.end()) {
    next = bForward ? 0 : order.size() - 1;
  } else {
    const size_t index = static_cast<size_t>(it - order.begin());
    next = bForward ? (index + 1) % order.size() : (index + order.size() - 1) % order.size();
  }
  FocusByKeyboard(order[next]);
  return true;
}

bool CPaintManagerUI::OnUnusedKey(WPARAM key) {
  if (key == VK_ESCAPE) return PressEscapeControl();
  if (!IsArrowKey(key) || !m_pFocus) return false;
  CContainerUI* group = TabGroupOf(m_pFocus);
  return group && MoveFocusInGroup(*group, key);
}

bool CPaintManagerUI::MoveFocusInGroup(CContainerUI& group, WPARAM key) {
  const std::vector<CControlUI*> members = StopsIn(&group);
  const auto at = std::find(members.begin(), members.end(), m_pFocus);
  if (at == members.end()) return false;
  CControlUI* target = nullptr;
  if (key == VK_UP || key == VK_DOWN) {
    target = NeighbourInColumn(members, m_pFocus, key == VK_DOWN);
    // At the edge of a grid the focus stays; a single row takes Up and Down
    // as Left and Right, as a row of radio buttons does.
    if (!target && (NeighbourInColumn(members, m_pFocus, true) || NeighbourInColumn(members, m_pFocus, false))) {
      return true;
    }
  }
  if (!target) {
    const size_t count = members.size();
    const size_t index = static_cast<size_t>(at - members.begin());
    const bool forward = key == VK_RIGHT || key == VK_DOWN;
    target = members[forward ? (index + 1) % count : (index + count - 1) % count];
  }
  FocusByKeyboard(target);
  return true;
}

void CPaintManagerUI::FocusByKeyboard(CControlUI* pControl) {
  SetFocus(pControl);
  if (m_pFocus != pControl) return;  // a focus handler moved it on
  // Positions are those of the current layout.
  UpdateLayout();
  ScrollIntoView(pControl);
}

CControlUI* CPaintManagerUI::GroupEntry(const CContainerUI& group) const {
  const auto it = m_groupEntries.find(&group);
  if (it == m_groupEntries.end()) return nullptr;
  CControlUI* entry = it->second;
  return IsControlAlive(entry) && TabGroupOf(entry) == &group && IsKeyboardStop(entry) ? entry : nullptr;
}

void CPaintManagerUI::RememberGroupEntry(CControlUI* pControl) {
  if (CContainerUI* group = TabGroupOf(pControl)) m_groupEntries[group] = pControl;
}

void CPaintManagerUI::ForgetGroupEntry(CControlUI* pControl) {
  if (m_groupEntries.empty()) return;
  m_groupEntries.erase(pControl);
  for (auto it = m_groupEntries.begin(); it != m_groupEntries.end();) {
    it = it->second == pControl ? m_groupEntries.erase(it) : std::next(it);
  }
}

bool CPaintManagerUI::PressEscapeControl() {
  CControlUI* control = m_sEscapeControl.IsEmpty() ? nullptr : FindControl(m_sEscapeControl);
  // A close button hidden by a layout (full screen) still closes; a disabled one does not.
  if (!control || !control->IsEnabled()) return false;
  SendNotify(control, L"click");
  return true;
}

bool CPaintManagerUI::PressDefaultButton() {
  CControlUI* control = m_sDefaultButton.IsEmpty() ? nullptr : FindControl(m_sDefaultButton);
  auto* button = control ? static_cast<CButtonUI*>(control->GetInterface(L"Button")) : nullptr;
  if (!button) return false;
  // Enter is taken even when the button cannot act now (disabled, hidden):
  // the mouse could not press it either.
  button->Activate();
  return true;
}

void CPaintManagerUI::FocusInitialControl() {
  if (m_pFocus || m_sInitialFocus.IsEmpty()) return;
  if (CControlUI* control = FindControl(m_sInitialFocus)) SetFocus(control);
}

}  // namespace DuiLib
