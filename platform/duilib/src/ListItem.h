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

// Selection bookkeeping of a list or combo, whose current element is
// `selected`. Moves the selection to the child at the index and raises
// "itemselect" (new, old) from the owner on a change; -1 clears it silently.
// False when the index holds no element.
bool MoveSelection(CContainerUI& owner, CControlUI*& selected, int iIndex);
// A child joined the owner: an element becomes its element, and one marked
// selected in the skin becomes the selection, silently.
void AdoptListItem(IListOwnerUI& owner, CControlUI*& selected, CControlUI* added);
// A child leaves the owner: a selection on it goes, silently.
void ReleaseListItem(CControlUI*& selected, CControlUI* leaving);
// The item attributes of lists and combos ("itemfont", "itemheight",
// "itemtextcolor", "itembkcolor", "itemhotbkcolor", "itemselectedbkcolor",
// "itemdisabledbkcolor"); false for other names.
bool SetListInfoAttribute(TListInfoUI& info, const std::wstring& name, LPCTSTR pstrValue);

}  // namespace DuiLib::detail
