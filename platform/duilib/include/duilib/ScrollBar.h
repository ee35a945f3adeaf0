#pragma once

// The scroll bar of a scrolling container. It is owned by the container, not
// one of its items, and styled by the container's "vscrollbarstyle" and
// "hscrollbarstyle". Every position it sets counts as user input ("scroll").

#include "duilib/Control.h"

namespace DuiLib {

class CContainerUI;

// Look of a scroll bar.
struct TScrollBarStyle {
  int nWidth = 8;  // thickness across the bar
  DWORD dwBkColor = 0x00000000;
  DWORD dwThumbColor = 0x66000000;
  DWORD dwThumbHotColor = 0x88000000;
  DWORD dwThumbPushedColor = 0xAA000000;
  TImageSlot thumbNormalImage;
  TImageSlot thumbHotImage;
  bool bShowButton1 = false;  // the arrow at the top (left)
  bool bShowButton2 = false;  // the arrow at the bottom (right)
};

class CScrollBarUI final : public CControlUI {
 public:
  CScrollBarUI(CContainerUI* pOwner, bool bHorizontal);

  [[nodiscard]] LPCTSTR GetClass() const override;
  LPVOID GetInterface(LPCTSTR pstrName) override;

  [[nodiscard]] bool IsHorizontal() const { return m_bHorizontal; }
  [[nodiscard]] const TScrollBarStyle& GetStyle() const { return m_style; }
  // The keys of a "vscrollbarstyle" attribute list.
  void ApplyStyle(LPCTSTR pstrList);
  [[nodiscard]] int GetThickness() const { return m_style.nWidth; }

  // Places the bar for a view of the given length over the scroll range.
  void Update(const RECT& rcBar, int nRange, int nPos, int nView);
  [[nodiscard]] RECT GetThumbRect() const { return m_rcThumb; }
  [[nodiscard]] RECT GetButton1Rect() const { return m_rcButton1; }
  [[nodiscard]] RECT GetButton2Rect() const { return m_rcButton2; }

  [[nodiscard]] bool IsInteractiveAt(POINT pt) const override { return true; }
  void DoPaint(HDC hDC, const RECT& rcPaint) override;
  void DoEvent(TEventUI& event) override;

 private:
  enum class Part { None, Button1, Button2, PageBefore, PageAfter, Thumb };

  [[nodiscard]] Part PartAt(POINT pt) const;
  // Acts once for a pressed part; false when nothing moves any more.
  bool Step(Part part);
  void Drag(POINT pt);
  void StopRepeat();
  void PaintArrow(HDC hDC, const RECT& rc, bool towardsEnd) const;
  [[nodiscard]] int Along(POINT pt) const { return m_bHorizontal ? pt.x : pt.y; }

  CContainerUI* m_pOwner;
  bool m_bHorizontal;
  TScrollBarStyle m_style;
  RECT m_rcButton1 = {0, 0, 0, 0};
  RECT m_rcButton2 = {0, 0, 0, 0};
  RECT m_rcTrack = {0, 0, 0, 0};
  RECT m_rcThumb = {0, 0, 0, 0};
  int m_nRange = 0;
  int m_nView = 0;
  Part m_pressed = Part::None;
  bool m_bHot = false;
  int m_nDragOffset = 0;
};

}  // namespace DuiLib
