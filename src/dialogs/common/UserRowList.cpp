#include "dialogs/common/UserRowList.h"

#include <cstdlib>

#include "mireloom/User.h"

namespace mireloomwnd {

using namespace DuiLib;

void CUserRowList::Show(const UserList& users, const RowBuilder& build) {
  if (m_list && IsNarrowing(users)) {
    KeepOnly(users);
  } else {
    Rebuild(users, build);
  }
}

void CUserRowList::Rebuild(const UserList& users, const RowBuilder& build) {
  if (m_list) m_list->RemoveAll();
  m_rowUids.clear();
  for (const auto& user : users) {
    CListContainerElementUI* row = build(*user);
    if (m_list) {
      m_list->Add(row);
      m_rowUids.push_back(user->uid());
    } else {
      CControlUI::Release(row);
    }
  }
}

bool CUserRowList::AcceptActionClick(DWORD tick, POINT point) {
  if (m_lastActionClick) {
    const ActionClick& last = *m_lastActionClick;
    const bool soon = tick - last.tick < GetDoubleClickTime();
    const bool samePlace = std::abs(point.x - last.point.x) <= GetSystemMetrics(SM_CXDOUBLECLK) / 2 &&
                      std::abs(point.y - last.point.y) <= GetSystemMetrics(SM_CYDOUBLECLK) / 2;
    if (soon && samePlace) return false;
  }
  m_lastActionClick = ActionClick{tick, point};
  return true;
}

bool CUserRowList::IsNarrowing(const UserList& users) const {
  size_t row = 0;
  for (const auto& user : users) {
    while (row < m_rowUids.size() && m_rowUids[row] != user->uid()) ++row;
    if (row == m_rowUids.size()) return false;
    ++row;
  }
  return true;
}

void CUserRowList::KeepOnly(const UserList& users) {
  // Marks the rows that stay, matching in order as IsNarrowing did.
  std::vector<bool> keep(m_rowUids.size(), false);
  size_t row = 0;
  for (const auto& user : users) {
    while (m_rowUids[row] != user->uid()) ++row;
    keep[row++] = true;
  }
  // From the end, so that every removal moves only the rows after it.
  for (size_t i = m_rowUids.size(); i-- > 0;) {
    if (keep[i]) continue;
    m_list->RemoveAt(static_cast<int>(i));
    m_rowUids.erase(m_rowUids.begin() + static_cast<std::ptrdiff_t>(i));
  }
}

}  // namespace mireloomwnd
