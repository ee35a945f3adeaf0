#pragma once

// A control that owns children. The base container stacks its children on
// top of each other inside its inner rectangle; the layouts arrange them.

#include <vector>

#include "duilib/Control.h"

namespace DuiLib {

// Look of a container's scroll bar ("vscrollbarstyle" / "hscrollbarstyle").
struct TScrollBarStyle {
  int nWidth = 8;
  DWORD dwBkColor = 0x00000000;
  DWORD dwThumbColor = 0x66000000;
  DWORD dwThumbHotColor = 0x88000000;
  DWORD dwThumbPushedColor = 0xAA000000;
  TImageSlot thumbNormalImage;
  TImageSlot thumbHotImage;
  bool bShowButton1 = false;
  bool bShowButton2 = false;
};

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

  void SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue) override;
  void SetPos(RECT rc, bool bNeedInvalidate = true) override;
  void DoPaint(HDC hDC, const RECT& rcPaint) override;
  void DoEvent(TEventUI& event) override;
  CControlUI* HitTest(POINT pt) override;
  void SetManager(CPaintManagerUI* pManager, CControlUI* pParent) override;
  void PropagateState() override;
  [[nodiscard]] int GetChildCount() const override { return GetCount(); }
  [[nodiscard]] CControlUI* GetChildAt(int index) const override { return GetItemAt(index); }
  [[nodiscard]] bool IsInteractiveAt(POINT pt) const override;

 protected:
  // Places the children that do not float inside the inner rectangle,
  // shifted by the scroll position, and returns the size of the content.
  virtual SIZE ArrangeChildren(const RECT& rcInner, SIZE szScroll);
  void ArrangeFloatChildren(const RECT& rcInner);
  // Scrolls by user input; raises "scroll" when the position changed.
  bool ScrollByUser(SIZE szPos);

  std::vector<CControlUI*> m_items;
  RECT m_rcInset = {0, 0, 0, 0};
  int m_iChildPadding = 0;
  bool m_bMouseChildEnabled = true;

 private:
  struct ScrollBarState {
    RECT rcBar = {0, 0, 0, 0};
    RECT rcThumb = {0, 0, 0, 0};
    bool bHot = false;
    bool bDragging = false;
    int nDragOffset = 0;
  };
  void ApplyScrollPos(SIZE szPos);
  [[nodiscard]] bool IsLayoutOutstanding() const;
  void LayoutNow();
  void UpdateScrollBarRects();
  void PaintScrollBar(HDC hDC);
  bool HandleScrollBarEvent(TEventUI& event);
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
  int m_nScrollStepSize = 20;
  TScrollBarStyle m_vScrollStyle;
  ScrollBarState m_vBar;
};

}  // namespace DuiLib
