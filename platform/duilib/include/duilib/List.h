#pragma once

// Lists: a scrolling column of elements with one current selection, moved
// by the mouse, the keys of the focused list or code ("itemselect"). Rows
// with a fixed height are placed without measuring, rows with a height rule
// are measured once per width; a row's own controls are
// laid out only once it comes into view, and only rows in view are painted
// and hit-tested, so lists of thousands of rows stay fast.

#include <cwchar>
#include <functional>
#include <vector>

#include "duilib/Label.h"
#include "duilib/Layouts.h"

namespace DuiLib {

class IListItemUI;

// What a list gives its elements: the skin's item attributes.
struct TListInfoUI {
  int nFont = -1;
  int nItemHeight = 24;  // for elements without a height of their own
  DWORD dwTextColor = 0;
  DWORD dwBkColor = 0;
  DWORD dwHotBkColor = 0;
  DWORD dwSelectedBkColor = 0;
  DWORD dwDisabledBkColor = 0;
};

// The list, tree or combo that holds elements and keeps the selection.
class IListOwnerUI {
 public:
  virtual ~IListOwnerUI() = default;
  [[nodiscard]] virtual const TListInfoUI& GetListInfo() const = 0;
  [[nodiscard]] virtual int GetCurSel() const = 0;
  virtual bool SelectItem(int iIndex, bool bTakeFocus = false, bool bTriggerEvent = true) = 0;
  // The element's index among the owner's children, or -1.
  [[nodiscard]] virtual int GetItemIndexOf(CControlUI* pItem) const = 0;
  [[nodiscard]] virtual CControlUI* GetOwnerControl() = 0;
};

namespace detail {
// State every list element keeps; its behaviour is shared (ListItem.cpp).
struct ListItemState {
  IListOwnerUI* pOwner = nullptr;
  DWORD dwHotBkColor = 0;
  DWORD dwSelectedBkColor = 0;
  bool bSelected = false;
  bool bHot = false;
  bool bPressed = false;
  bool bRightPressed = false;
};
}  // namespace detail

// Both element classes answer GetInterface("ListItem") with this interface.
class IListItemUI {
 public:
  virtual ~IListItemUI() = default;
  // Selects through the owner (raising "itemselect" on a change); an element
  // outside any list only changes its look.
  virtual bool Select(bool bSelect = true) = 0;
  [[nodiscard]] virtual bool IsSelected() const = 0;
  [[nodiscard]] virtual int GetIndex() const = 0;
  [[nodiscard]] virtual CControlUI* GetOwner() const = 0;
  // The row's height at the width its list lays it out at; 0 leaves it to
  // the list's item height. A fixed height wins over both.
  [[nodiscard]] virtual int HeightAtWidth(int width) { return 0; }

  // ---- Framework internals ----
  [[nodiscard]] virtual detail::ListItemState& ItemState() = 0;
  [[nodiscard]] virtual CControlUI* ItemControl() = 0;
  // The owner changed the selection; only the look follows.
  virtual void SetSelectedState(bool bSelected) = 0;
};

class CListUI : public CVerticalLayoutUI, public IListOwnerUI {
 public:
  CListUI();

  [[nodiscard]] LPCTSTR GetClass() const override;
  LPVOID GetInterface(LPCTSTR pstrName) override;

  bool AddAt(CControlUI* pControl, int iIndex) override;
  bool Remove(CControlUI* pControl) override;
  bool RemoveAt(int iIndex) override;
  bool MoveItem(int iFrom, int iTo) override;
  // Clears the selection and the scroll position without notifications.
  void RemoveAll() override;

  [[nodiscard]] int GetCurSel() const override;
  // Raises "itemselect" (new index, old index) before returning when the
  // selection changes, unless told not to. -1 clears it silently. Children
  // that are not list elements cannot be selected.
  bool SelectItem(int iIndex, bool bTakeFocus = false, bool bTriggerEvent = true) override;
  [[nodiscard]] const TListInfoUI& GetListInfo() const override { return m_info; }
  [[nodiscard]] int GetItemIndexOf(CControlUI* pItem) const override { return GetItemIndex(pItem); }
  [[nodiscard]] CControlUI* GetOwnerControl() override { return this; }

  // All the item look at once (a combo's drop list takes its combo's).
  void SetListInfo(const TListInfoUI& info);
  void SetItemFont(int index);
  void SetItemHeight(int nHeight);
  void SetItemTextColor(DWORD dwColor);
  void SetItemBkColor(DWORD dwColor);
  void SetItemHotBkColor(DWORD dwColor);
  void SetItemSelectedBkColor(DWORD dwColor);
  void SetItemDisabledBkColor(DWORD dwColor);

  [[nodiscard]] bool IsFocusable() const override { return true; }
  void SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue) override;
  void DoEvent(TEventUI& event) override;

 protected:
  SIZE ArrangeChildren(const RECT& rcInner, SIZE szScroll) override;
  void PaintChildren(HDC hDC, const RECT& rcChildren) override;
  void PaintFloatChildren(HDC hDC, const RECT& rcClip) override;
  CControlUI* HitTestChildren(POINT pt, bool bInInner) override;
  // Whether a child may take the selection by user input.
  [[nodiscard]] virtual bool IsSelectable(CControlUI* pControl) const;
  // A child leaves the list: its selection is dropped silently.
  void ForgetSelectionOf(CControlUI* pControl);

 private:
  // The children meeting a band of content rows: [first, last).
  [[nodiscard]] std::pair<size_t, size_t> RowsIn(LONG top, LONG bottom) const;
  [[nodiscard]] int RowHeight(CControlUI* pItem, int width) const;
  bool MoveSelectionByKey(UINT vk);
  // A typed letter: the next entry whose text begins with it.
  bool SelectByInitial(wchar_t letter);
  void SetItemColor(DWORD TListInfoUI::*field, DWORD dwColor);
  void ScrollIntoViewByUser(int iIndex);

  TListInfoUI m_info;
  CControlUI* m_pSelected = nullptr;
  // Content coordinates (relative to the unscrolled inner top) where each
  // child's slot ends; non-decreasing, for binary search.
  std::vector<LONG> m_rowEnds;
  LONG m_rowsOrigin = 0;  // client y of the content's top at the last arrangement
  bool m_bHasFloats = false;
};

namespace detail {
// Behaviour every list element shares (ListItem.cpp).
bool SelectListItem(IListItemUI& item, bool bSelect);
[[nodiscard]] int ListItemIndex(IListItemUI& item);
void SetListItemSelectedState(IListItemUI& item, bool bSelected);
// "hotbkcolor", "selectedbkcolor", "selected"; false for other names.
bool SetListItemAttribute(IListItemUI& item, LPCTSTR pstrName, LPCTSTR pstrValue);
// True when the element used the event.
bool HandleListItemEvent(IListItemUI& item, TEventUI& event);
// The background by state: selected > hot > normal, from the element or its list.
void PaintListItemBackground(IListItemUI& item, HDC hDC);
}  // namespace detail

// The element behaviour on top of a control class.
template <class Base>
class CListElementOf : public Base, public IListItemUI {
 public:
  LPVOID GetInterface(LPCTSTR pstrName) override {
    if (pstrName && wcscmp(pstrName, L"ListItem") == 0) return static_cast<IListItemUI*>(this);
    return Base::GetInterface(pstrName);
  }
  bool Select(bool bSelect = true) override { return detail::SelectListItem(*this, bSelect); }
  [[nodiscard]] bool IsSelected() const override { return m_state.bSelected; }
  [[nodiscard]] int GetIndex() const override { return detail::ListItemIndex(const_cast<CListElementOf&>(*this)); }
  [[nodiscard]] CControlUI* GetOwner() const override {
    return m_state.pOwner ? m_state.pOwner->GetOwnerControl() : nullptr;
  }
  [[nodiscard]] detail::ListItemState& ItemState() override { return m_state; }
  [[nodiscard]] CControlUI* ItemControl() override { return this; }
  void SetSelectedState(bool bSelected) override { detail::SetListItemSelectedState(*this, bSelected); }
  // Own colours win over the list's (menu items have no list).
  void SetHotBkColor(DWORD dwColor) {
    m_state.dwHotBkColor = dwColor;
    this->Invalidate();
  }
  void SetSelectedBkColor(DWORD dwColor) {
    m_state.dwSelectedBkColor = dwColor;
    this->Invalidate();
  }

  [[nodiscard]] bool IsInteractiveAt(POINT pt) const override { return true; }
  void SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue) override {
    if (!detail::SetListItemAttribute(*this, pstrName, pstrValue)) Base::SetAttribute(pstrName, pstrValue);
  }
  void PaintBkColor(HDC hDC) override { detail::PaintListItemBackground(*this, hDC); }

 protected:
  detail::ListItemState m_state;
};

// A row of a list: a container whose children make up the row.
class CListContainerElementUI : public CListElementOf<CContainerUI> {
 public:
  [[nodiscard]] LPCTSTR GetClass() const override;
  LPVOID GetInterface(LPCTSTR pstrName) override;
  void DoEvent(TEventUI& event) override;

  // A row whose texts wrap is as tall as its rule says for the width the
  // list lays it out at; the rule is asked again only when that width changes.
  using HeightRule = std::function<int(int width)>;
  void SetHeightRule(HeightRule rule);
  [[nodiscard]] int HeightAtWidth(int width) override;

 private:
  HeightRule m_heightRule;
  int m_ruleWidth = -1;
  int m_ruleHeight = 0;
};

// A one-line text element (combo entries).
class CListLabelElementUI : public CListElementOf<CLabelUI> {
 public:
  [[nodiscard]] LPCTSTR GetClass() const override;
  LPVOID GetInterface(LPCTSTR pstrName) override;
  void DoEvent(TEventUI& event) override;

 protected:
  [[nodiscard]] DWORD GetStateTextColor() const override;
  [[nodiscard]] int GetEffectiveFont() const override;
};

}  // namespace DuiLib
