#pragma once

// Buttons with a selected state. Options of the same group in a window are
// mutually exclusive; a check box is an option without a group by default.

#include "duilib/Button.h"

namespace DuiLib {

class COptionUI : public CButtonUI {
 public:
  ~COptionUI() override;

  [[nodiscard]] LPCTSTR GetClass() const override;
  LPVOID GetInterface(LPCTSTR pstrName) override;

  [[nodiscard]] bool IsSelected() const { return m_bSelected; }
  // Raises "selectchanged" only with bTriggerEvent (a user click always does).
  virtual void Selected(bool bSelected, bool bTriggerEvent = false);
  bool Activate() override;

  [[nodiscard]] CDuiString GetGroup() const { return m_sGroupName; }
  void SetGroup(LPCTSTR pStrGroupName);
  [[nodiscard]] CDuiString GetSelectedImage() const { return m_selectedImage.sValue; }
  void SetSelectedImage(LPCTSTR pStrImage);
  [[nodiscard]] CDuiString GetSelectedHotImage() const { return m_selectedHotImage.sValue; }
  void SetSelectedHotImage(LPCTSTR pStrImage);
  void SetSelectedTextColor(DWORD dwTextColor);
  [[nodiscard]] DWORD GetSelectedTextColor() const { return m_dwSelectedTextColor; }
  void SetSelectedBkColor(DWORD dwBkColor);
  [[nodiscard]] DWORD GetSelectedBkColor() const { return m_dwSelectedBkColor; }

  void SetManager(CPaintManagerUI* pManager, CControlUI* pParent) override;
  void SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue) override;
  void PaintStatusImage(HDC hDC) override;

 protected:
  [[nodiscard]] DWORD GetRestingTextColor() const override;
  [[nodiscard]] DWORD GetRestingBkColor() const override;

 private:
  bool m_bSelected = false;
  CDuiString m_sGroupName;
  TImageSlot m_selectedImage;
  TImageSlot m_selectedHotImage;
  DWORD m_dwSelectedTextColor = 0;
  DWORD m_dwSelectedBkColor = 0;
};

class CCheckBoxUI : public COptionUI {
 public:
  [[nodiscard]] LPCTSTR GetClass() const override;
  LPVOID GetInterface(LPCTSTR pstrName) override;

  [[nodiscard]] bool GetCheck() const { return IsSelected(); }
  void SetCheck(bool bCheck, bool bTriggerEvent = false) { Selected(bCheck, bTriggerEvent); }
};

}  // namespace DuiLib
