#pragma once

// What lists, combos and their elements share inside the framework; the
// element behaviour itself is declared with the elements (List.h).

#include <string>

#include "duilib/List.h"

namespace DuiLib::detail {

// The element interface of a control, or NULL.
[[nodiscard]] IListItemUI* AsListItem(CControlUI* pControl);
// Whether the user may choose the child: an element, shown and enabled.
[[nodiscard]] bool IsChoosableItem(CControlUI* pControl);
// The first choosable child after `current` (-1: from the start), going round,
// whose text begins with the letter in any case; -1 when none does. Typing a
// letter in a list or combo jumps there, as in Windows' own.
[[nodiscard]] int FindItemByInitial(const CContainerUI& owner, int current, wchar_t letter);
// The nearest choosable child before (step -1) or after (step 1) `current`;
// -1 when there is none that way.
[[nodiscard]] int NextChoosableItem(const CContainerUI& owner, int current, int step);

// Selection bookkeeping of a list or combo, whose current element is
// `selected`. Moves the selection to the child at the index and raises
// "itemselect" (new, old) from the owner on a change when asked to; -1 clears it silently.
// False when the index holds no element.
bool MoveSelection(CContainerUI& owner, CControlUI*& selected, int iIndex, bool notify = true);
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
