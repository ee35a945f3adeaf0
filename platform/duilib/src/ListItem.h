#pragma once

// Behaviour shared by the list elements (row containers, text entries and
// tree nodes): selection through the owner, "itemclick" and "itemrclick",
// the hot look while the pointer is anywhere inside, and state colours.

#include <string>

#include "duilib/List.h"

namespace DuiLib::detail {

// The element interface of a control, or NULL.
[[nodiscard]] IListItemUI* AsListItem(CControlUI* pControl);
// True when the element used the event.
bool HandleListItemEvent(IListItemUI& item, TEventUI& event);
// Background by state: selected > hot > normal, from the element or its list.
[[nodiscard]] DWORD ListItemBkColor(IListItemUI& item, DWORD dwOwnColor);
// "hotbkcolor", "selectedbkcolor", "selected"; false for other names.
bool SetListItemAttribute(IListItemUI& item, const std::wstring& name, LPCTSTR pstrValue);
bool SelectListItem(IListItemUI& item, bool bSelect);
[[nodiscard]] int ListItemIndex(IListItemUI& item);
void SetListItemSelectedState(IListItemUI& item, bool bSelected);

}  // namespace DuiLib::detail
