#include "ListItem.h"

#include <cwctype>

#include "Attributes.h"
#include "duilib/Container.h"
#include "duilib/PaintManager.h"
#include "Render.h"

namespace DuiLib::detail {

namespace {

// Whether the pointer is over the element or anything inside it.
bool IsHotWithin(CControlUI* self) {
  CPaintManagerUI* manager = self->GetManager();
  for (CControlUI* p = manager ? manager->GetHotControl() : nullptr; p; p = p->GetParent()) {
    if (p == self) return true;
  }
  return false;
}

void Raise(CControlUI* self, LPCTSTR type) {
  if (CPaintManagerUI* manager = self->GetManager()) manager->SendNotify(self, type);
}

}  // namespace

IListItemUI* AsListItem(CControlUI* pControl) {
  return pControl ? static_cast<IListItemUI*>(pControl->GetInterface(L"ListItem")) : nullptr;
}

bool IsChoosableItem(CControlUI* pControl) {
  return AsListItem(pControl) && pControl->IsSelfVisible() && pControl->IsEnabled();
}

int FindItemByInitial(const CContainerUI& owner, int current, wchar_t letter) {
  const int count = owner.GetCount();
  if (count == 0 || !iswgraph(letter)) return -1;
  const wint_t wanted = towupper(letter);
  const int start = current < 0 ? -1 : current;
  for (int step = 1; step <= count; ++step) {
    const int index = (start + step) % count;
    CControlUI* item = owner.GetItemAt(index);
    if (!IsChoosableItem(item)) continue;
    const CDuiString text = item->GetText();
    if (!text.IsEmpty() && towupper(text.GetData()[0]) == wanted) return index;
  }
  return -1;
}

int NextChoosableItem(const CContainerUI& owner, int current, int step) {
  for (int index = current + step; index >= 0 && index < owner.GetCount(); index += step) {
    if (IsChoosableItem(owner.GetItemAt(index))) return index;
  }
  return -1;
}

bool HandleListItemEvent(IListItemUI& item, TEventUI& event) {
  CControlUI* self = item.ItemControl();
  ListItemState& state = item.ItemState();
  switch (event.Type) {
    case UIEVENT_BUTTONDOWN:
    case UIEVENT_DBLCLICK:
      if (!self->IsEnabled()) return true;
      state.bPressed = true;
      // "itemselect" on the press; a handler may remove this element, which
      // then stays inert until the dispatch ends.
      if (state.pOwner && self->CanRaise()) state.pOwner->SelectItem(state.pOwner->GetItemIndexOf(self), true);
      return true;
    case UIEVENT_BUTTONUP:
      if (!state.bPressed) return true;
      state.bPressed = false;
      // Also when the element was selected already: reopening the same row.
      if (PtInRect(&self->GetPos(), event.ptMouse) && self->CanRaise()) Raise(self, L"itemclick");
      return true;
    case UIEVENT_RBUTTONDOWN:
      state.bRightPressed = self->IsEnabled();
      return true;
    case UIEVENT_RBUTTONUP:
      if (state.bRightPressed && PtInRect(&self->GetPos(), event.ptMouse) && self->CanRaise()) {
        state.bRightPressed = false;
        Raise(self, L"itemrclick");
        return true;
      }
      state.bRightPressed = false;
      return true;
    case UIEVENT_MOUSEENTER:
    case UIEVENT_MOUSELEAVE: {
      const bool hot = IsHotWithin(self);
      if (hot != state.bHot) {
        state.bHot = hot;
        self->Invalidate();
      }
      return true;
    }
    default:
      return false;
  }
}

namespace {

DWORD ListItemBkColor(IListItemUI& item, DWORD dwOwnColor) {
  const ListItemState& state = item.ItemState();
  const TListInfoUI* info = state.pOwner ? &state.pOwner->GetListInfo() : nullptr;
  if (!item.ItemControl()->IsEnabled() && info && info->dwDisabledBkColor) return info->dwDisabledBkColor;
  if (state.bSelected) {
    if (state.dwSelectedBkColor) return state.dwSelectedBkColor;
    if (info && info->dwSelectedBkColor) return info->dwSelectedBkColor;
  }
  if (state.bHot && item.ItemControl()->IsEnabled()) {
    if (state.dwHotBkColor) return state.dwHotBkColor;
    if (info && info->dwHotBkColor) return info->dwHotBkColor;
  }
  if (dwOwnColor) return dwOwnColor;
  return info ? info->dwBkColor : 0;
}

}  // namespace

void PaintListItemBackground(IListItemUI& item, HDC hDC) {
  CControlUI* self = item.ItemControl();
  FillColor(hDC, self->GetPos(), ListItemBkColor(item, self->GetBkColor()), self->GetBorderRound());
}

bool SetListItemAttribute(IListItemUI& item, LPCTSTR pstrName, LPCTSTR pstrValue) {
  const std::wstring name = pstrName ? pstrName : L"";
  DWORD color;
  bool flag;
  ListItemState& state = item.ItemState();
  if (name == L"hotbkcolor") {
    if (ParseColor(pstrValue, &color)) state.dwHotBkColor = color;
  } else if (name == L"selectedbkcolor") {
    if (ParseColor(pstrValue, &color)) state.dwSelectedBkColor = color;
  } else if (name == L"selected") {
    if (ParseBool(pstrValue, &flag)) item.Select(flag);
  } else {
    return false;
  }
  item.ItemControl()->Invalidate();
  return true;
}

bool SelectListItem(IListItemUI& item, bool bSelect) {
  ListItemState& state = item.ItemState();
  if (state.pOwner) {
    if (bSelect) return state.pOwner->SelectItem(state.pOwner->GetItemIndexOf(item.ItemControl()));
    if (state.bSelected) state.pOwner->SelectItem(-1);
    return true;
  }
  SetListItemSelectedState(item, bSelect);
  return true;
}

int ListItemIndex(IListItemUI& item) {
  CControlUI* self = item.ItemControl();
  if (item.ItemState().pOwner) return item.ItemState().pOwner->GetItemIndexOf(self);
  auto* parent = self->GetParent() ? static_cast<CContainerUI*>(self->GetParent()->GetInterface(L"Container")) : nullptr;
  return parent ? parent->GetItemIndex(self) : -1;
}

bool MoveSelection(CContainerUI& owner, CControlUI*& selected, int iIndex, bool notify) {
  if (iIndex < 0) {
    if (IListItemUI* previous = AsListItem(selected)) previous->SetSelectedState(false);
    selected = nullptr;
    return false;
  }
  CControlUI* control = owner.GetItemAt(iIndex);
  IListItemUI* item = AsListItem(control);
  if (!item) return false;
  if (control == selected) return true;
  const int old = selected ? owner.GetItemIndex(selected) : -1;
  if (IListItemUI* previous = AsListItem(selected)) previous->SetSelectedState(false);
  selected = control;
  item->SetSelectedState(true);
  // Synchronous, whatever the visibility: a dialog may select in a hidden list.
  if (CPaintManagerUI* manager = owner.GetManager(); manager && notify) {
    manager->SendNotify(&owner, L"itemselect", static_cast<WPARAM>(iIndex), static_cast<LPARAM>(old));
  }
  return true;
}

void AdoptListItem(IListOwnerUI& owner, CControlUI*& selected, CControlUI* added) {
  IListItemUI* item = AsListItem(added);
  if (!item) return;
  item->ItemState().pOwner = &owner;
  if (item->IsSelected() && selected != added) {
    if (IListItemUI* previous = AsListItem(selected)) previous->SetSelectedState(false);
    selected = added;
  }
}

void ReleaseListItem(CControlUI*& selected, CControlUI* leaving) {
  if (leaving == selected) selected = nullptr;
  if (IListItemUI* item = AsListItem(leaving)) item->ItemState().pOwner = nullptr;
}

bool SetListInfoAttribute(TListInfoUI& info, const std::wstring& name, LPCTSTR pstrValue) {
  DWORD color;
  int number;
  if (name == L"itemfont") {
    if (ParseInt(pstrValue, &number)) info.nFont = number;
  } else if (name == L"itemheight") {
    if (ParseInt(pstrValue, &number) && number > 0) info.nItemHeight = number;
  } else if (name == L"itemtextcolor" || name == L"itembkcolor" || name == L"itemhotbkcolor" ||
             name == L"itemselectedbkcolor" || name == L"itemdisabledbkcolor") {
    if (!ParseColor(pstrValue, &color)) return true;
    DWORD& target = name == L"itemtextcolor" ? info.dwTextColor
                    : name == L"itembkcolor" ? info.dwBkColor
                    : name == L"itemhotbkcolor" ? info.dwHotBkColor
                    : name == L"itemselectedbkcolor" ? info.dwSelectedBkColor
                                                      : info.dwDisabledBkColor;
    target = color;
  } else {
    return false;
  }
  return true;
}

void SetListItemSelectedState(IListItemUI& item, bool bSelected) {
  if (item.ItemState().bSelected == bSelected) return;
  item.ItemState().bSelected = bSelected;
  item.ItemControl()->Invalidate();
}

}  // namespace DuiLib::detail
