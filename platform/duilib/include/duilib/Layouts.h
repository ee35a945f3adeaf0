#pragma once

// Containers that arrange their children in a column, a row or tiles.

#include "duilib/Container.h"

namespace DuiLib {

// Children from top to bottom: fixed or estimated heights, the rest shared.
class CVerticalLayoutUI : public CContainerUI {
 public:
  [[nodiscard]] LPCTSTR GetClass() const override;
  LPVOID GetInterface(LPCTSTR pstrName) override;

 protected:
  SIZE ArrangeChildren(const RECT& rcInner, SIZE szScroll) override;
};

// Children from left to right: fixed or estimated widths, the rest shared.
class CHorizontalLayoutUI : public CContainerUI {
 public:
  [[nodiscard]] LPCTSTR GetClass() const override;
  LPVOID GetInterface(LPCTSTR pstrName) override;

 protected:
  SIZE ArrangeChildren(const RECT& rcInner, SIZE szScroll) override;
};

// Children in tiles of one size, in reading order.
class CTileLayoutUI : public CContainerUI {
 public:
  [[nodiscard]] LPCTSTR GetClass() const override;
  LPVOID GetInterface(LPCTSTR pstrName) override;

  [[nodiscard]] SIZE GetItemSize() const { return m_szItem; }
  void SetItemSize(SIZE szItem);
  [[nodiscard]] int GetColumns() const { return m_nColumns; }
  void SetColumns(int nCols);

  void SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue) override;

 protected:
  SIZE ArrangeChildren(const RECT& rcInner, SIZE szScroll) override;

 private:
  SIZE m_szItem = {0, 0};
  int m_nColumns = 0;
};

}  // namespace DuiLib
