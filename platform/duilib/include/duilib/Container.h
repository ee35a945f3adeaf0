#pragma once

// A control that owns children. The base container stacks its children on
// top of each other inside its inner rectangle; the layouts arrange them.

#include <vector>

#include "duilib/Control.h"
#include "duilib/ScrollBar.h"

namespace DuiLib {

class CContainerUI : public CControlUI {
 public:
  CContainerUI() = default;
  ~CContainerUI() override;

  [[nodiscard]] LPCTSTR GetClass() const override;
  LPVOID GetInterface(LPCTSTR pstrName) override;

  // Takes ownership. Add(NULL) is refused.
  virtual bool Add(CControlUI* pControl);
  virtual bool AddAt(CControlUI* pControl, int iIndex);
  // Deletes the child (later, if a dispatch pins it).
  virtual bool Remove(CControlUI* pControl);
  virtual bool RemoveAt(int iIndex);
  // Moves a child to another place among its siblings, keeping the control
  // and what it holds; false when either index is out of range.
  virtual bool MoveItem(int iFrom, int iTo);
  // Deletes every child and scrolls back to the top, silently.
  virtual void RemoveAll();
  [[nodiscard]] int GetCount() const { return static_cast<int>(m_items.size()); }
  [[nodiscard]] CControlUI* GetItemAt(int iIndex) const;
  [[nodiscard]] int GetItemIndex(CControlUI* pControl) const;

  [[nodiscard]] RECT GetInset() const { return m_rcInset; }
  void SetInset(RECT rcInset);
  [[nodiscard]] int GetChildPadding() const { return m_iChildPadding; }
  void SetChildPadding(int iPadding);
  [[nodiscard]] bool IsMouseChildEnabled() const { return m_bMouseChildEnabled; }
  void SetMouseChildEnabled(bool bEnable = true) { m_bMouseChildEnabled = bEnable; }
  // A group of options (swatches, a radio row): its Tab stops are one stop,
  // and the arrow keys move the focus among them.
  [[nodiscard]] bool IsTabGroup() const { return m_bTabGroup; }
  void SetTabGroup(bool bTabGroup) { m_bTabGroup = bTabGroup; }

  // Scroll positions are in pixels; (0,0) is the top left.
  [[nodiscard]] SIZE GetScrollPos() const { return m_szScrollPos; }
  [[nodiscard]] SIZE GetScrollRange() const { return m_szScrollRange; }
  // Clamped to the range; before a pending layout the value is kept and
  // applied after it.
  void SetScrollPos(SIZE szPos);
  void LineUp();
  void LineDown();
  void PageUp();
  void PageDown();
  void HomeUp();
  // Scrolls to the end (after any pending layout).
  void EndDown();
  void EnableScrollBar(bool bEnableVertical = true, bool bEnableHorizontal = false);
  [[nodiscard]] bool IsVScrollEnabled() const { return m_bVScroll; }
  [[nodiscard]] bool IsHScrollEnabled() const { return m_bHScroll; }
  [[nodiscard]] int GetScrollStepSize() const { return m_nScrollStepSize; }
  void SetScrollStepSize(int nSize);
  // The inner rectangle: the item minus inset and shown scroll bars.
  [[nodiscard]] RECT GetInnerRect() const;
  // The bars, once scrolling or a bar style was asked for; NULL before.
  [[nodiscard]] CScrollBarUI* GetVerticalScrollBar() const { return m_pVerticalScrollBar; }
  [[nodiscard]] CScrollBarUI* GetHorizontalScrollBar() const { return m_pHorizontalScrollBar; }

  void SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue) override;
  void SetPos(RECT rc, bool bNeedInvalidate = true) override;
  void DoPaint(HDC hDC, const RECT& rcPaint) override;
  void DoEvent(TEventUI& event) override;
  CControlUI* HitTest(POINT pt) override;
  void SetManager(CPaintManagerUI* pManager, CControlUI* pParent) override;
  void PropagateState() override;
  [[nodiscard]] int GetChildCount() const override { return GetCount(); }
  [[nodiscard]] CControlUI* GetChildAt(int index) const override { return GetItemAt(index); }

 protected:
  // Places the children that do not float inside the inner rectangle,
  // shifted by the scroll position, and returns the size of the content.
  virtual SIZE ArrangeChildren(const RECT& rcInner, SIZE szScroll);
  void ArrangeFloatChildren(const RECT& rcInner);
  // Paints the children that do not float, clipped to the rectangle.
  virtual void PaintChildren(HDC hDC, const RECT& rcChildren);
  // Paints the floating children over the others, clipped to the rectangle.
  virtual void PaintFloatChildren(HDC hDC, const RECT& rcClip);
  // The topmost child (or descendant) at the point; floats are tested
  // anywhere, the others only inside the inner rectangle.
  virtual CControlUI* HitTestChildren(POINT pt, bool bInInner);
  // Scrolls by user input; raises "scroll" when the position changed.
  bool ScrollByUser(SIZE szPos);

  std::vector<CControlUI*> m_items;
  RECT m_rcInset = {0, 0, 0, 0};
  int m_iChildPadding = 0;
  bool m_bMouseChildEnabled = true;
  bool m_bTabGroup = false;

 private:
  friend class CScrollBarUI;  // scrolls by user input
  void ApplyScrollPos(SIZE szPos);
  [[nodiscard]] bool IsLayoutOutstanding() const;
  void LayoutNow();
  void UpdateScrollBars();
  CScrollBarUI* EnsureScrollBar(bool bHorizontal);
  bool DetachChild(int iIndex);

  SIZE m_szScrollPos = {0, 0};
  SIZE m_szScrollRange = {0, 0};
  SIZE m_szPendingScroll = {0, 0};
  bool m_bScrollPending = false;
  bool m_bScrollToEnd = false;
  bool m_bLaidOut = false;
  bool m_bVScroll = false;
  bool m_bHScroll = false;
  bool m_bVBarShown = false;
  bool m_bHBarShown = false;
  int m_nScrollStepSize = 20;
  // Owned; created only for containers that scroll, so rows stay small.
  CScrollBarUI* m_pVerticalScrollBar = nullptr;
  CScrollBarUI* m_pHorizontalScrollBar = nullptr;
};

}  // namespace DuiLib
