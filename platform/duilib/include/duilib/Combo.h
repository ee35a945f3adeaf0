#pragma once

// A combo box: shows the selected entry's text and opens its drop list, a
// framework popup below it, on a press. A pick in the list raises
// "itemselect" on the combo; Esc and focus loss close the list unchanged.
// The keys are those of Windows' own drop-down lists: F4, Alt+Down or Alt+Up
// open it; Up and Down choose the entry before or after; a letter chooses the
// next entry that begins with it. In the open list Up, Down and letters move
// the highlight, and Enter, F4, Alt+Up or Alt+Down take it.

#include <memory>

#include "duilib/List.h"

namespace DuiLib {

namespace detail {
class ComboDropWindow;
}

class CComboUI : public CContainerUI, public IListOwnerUI {
 public:
  CComboUI();
  ~CComboUI() override;

  [[nodiscard]] LPCTSTR GetClass() const override;
  LPVOID GetInterface(LPCTSTR pstrName) override;

  bool AddAt(CControlUI* pControl, int iIndex) override;
  bool Remove(CControlUI* pControl) override;
  bool RemoveAt(int iIndex) override;
  void RemoveAll() override;

  [[nodiscard]] int GetCurSel() const override;
  // From code: selects without opening the list; "itemselect" on a change.
  bool SelectItem(int iIndex, bool bTakeFocus = false, bool bTriggerEvent = true) override;
  [[nodiscard]] const TListInfoUI& GetListInfo() const override { return m_info; }
  [[nodiscard]] int GetItemIndexOf(CControlUI* pItem) const override { return GetItemIndex(pItem); }
  [[nodiscard]] CControlUI* GetOwnerControl() override { return this; }

  // The selected entry's text ("" without a selection).
  [[nodiscard]] CDuiString GetText() const override;
  // Width and height of the drop list; 0 takes the combo's width, or the
  // entries' height (at most 300).
  void SetDropBoxSize(SIZE szDropBox) { m_szDropBox = szDropBox; }
  [[nodiscard]] SIZE GetDropBoxSize() const { return m_szDropBox; }
  void SetNormalImage(LPCTSTR pStrImage);
  void SetHotImage(LPCTSTR pStrImage);
  void SetPushedImage(LPCTSTR pStrImage);
  void SetDisabledImage(LPCTSTR pStrImage);
  [[nodiscard]] CDuiString GetNormalImage() const { return m_normalImage.sValue; }

  // Opens the drop list (as a press does); false when it cannot open.
  bool Activate();
  // The drop list's window while it is open, NULL otherwise.
  [[nodiscard]] HWND GetDropWindow() const;

  [[nodiscard]] bool IsFocusable() const override { return true; }
  [[nodiscard]] bool IsInteractiveAt(POINT pt) const override { return true; }
  void SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue) override;
  void SetManager(CPaintManagerUI* pManager, CControlUI* pParent) override;
  void PropagateState() override;
  void DoEvent(TEventUI& event) override;
  void PaintStatusImage(HDC hDC) override;
  void PaintText(HDC hDC) override;

  // ---- Framework internals ----
  // The drop list went away.
  void OnDropClosed(detail::ComboDropWindow* pDrop);

 protected:
  // The entries live in the drop list: the combo itself shows none of them.
  SIZE ArrangeChildren(const RECT& rcInner, SIZE szScroll) override;
  void PaintChildren(HDC hDC, const RECT& rcChildren) override {}
  CControlUI* HitTestChildren(POINT pt, bool bInInner) override { return nullptr; }

 private:
  void CloseDropList();
  // A key while the list is closed; false when the combo does not use it.
  bool OnKey(const TEventUI& event);

  TListInfoUI m_info;
  CControlUI* m_pSelected = nullptr;
  // Draws the selected text with the label attributes of the skin.
  const std::unique_ptr<CLabelUI> m_pDisplay;
  detail::ComboDropWindow* m_pDrop = nullptr;
  SIZE m_szDropBox = {0, 0};
  TImageSlot m_normalImage;
  TImageSlot m_hotImage;
  TImageSlot m_pushedImage;
  TImageSlot m_disabledImage;
  bool m_bHot = false;
};

}  // namespace DuiLib
