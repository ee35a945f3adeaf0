#pragma once

// The rows of a member list kept in step with the users it shows. A search
// only ever narrows the shown users, keeping their order, so the rows of the
// users that stay are kept and only the others go: a keystroke over a list of
// thousands costs what it removes, not a rebuild. Any other change builds the
// rows again.

#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "dialogs/common/SearchRule.h"
#include "duilib/UIlib.h"

namespace mireloomwnd {

class CUserRowList final {
 public:
  using RowBuilder = std::function<DuiLib::CListContainerElementUI*(const mireloom::User& user)>;

  // The list that shows the rows; null when the skin has none (rows are then
  // built and dropped).
  void Attach(DuiLib::CListUI* list) { m_list = list; }
  [[nodiscard]] DuiLib::CListUI* list() const { return m_list; }

  // Makes the rows those of `users`, in their order.
  void Show(const UserList& users, const RowBuilder& build);
  // Drops every row and builds them all again.
  void Rebuild(const UserList& users, const RowBuilder& build);

  // Whether a click on a row's action at `tick` (GetTickCount) and `point`
  // (client coordinates) counts. One within the double-click time and the
  // double-click rectangle of the last one that counted is the second half
  // of a double-click: the first may have taken its row away, and the row
  // under the pointer now is another member's.
  [[nodiscard]] bool AcceptActionClick(DWORD tick, POINT point);

 private:
  // Whether `users` keeps some of the current rows, in their order, and adds none.
  [[nodiscard]] bool IsNarrowing(const UserList& users) const;
  void KeepOnly(const UserList& users);

  DuiLib::CListUI* m_list = nullptr;
  std::vector<std::string> m_rowUids;  // of the rows, in row order
  struct ActionClick {
    DWORD tick;
    POINT point;
  };
  std::optional<ActionClick> m_lastActionClick;
};

}  // namespace mireloomwnd
