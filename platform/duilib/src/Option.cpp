#include "duilib/Option.h"

#include "Attributes.h"
#include "duilib/PaintManager.h"

namespace DuiLib {

COptionUI::~COptionUI() {
  if (m_pManager && !m_sGroupName.IsEmpty()) m_pManager->RemoveOptionGroup(m_sGroupName, this);
}

LPCTSTR COptionUI::GetClass() const { return L"OptionUI"; }

LPVOID COptionUI::GetInterface(LPCTSTR pstrName) {
  if (pstrName && wcscmp(pstrName, L"Option") == 0) return this;
  return CButtonUI::GetInterface(pstrName);
}

void COptionUI::SetManager(CPaintManagerUI* pManager, CControlUI* pParent) {
  if (m_pManager && m_pManager != pManager && !m_sGroupName.IsEmpty()) m_pManager->RemoveOptionGroup(m_sGroupName, this);
  CPaintManagerUI* previous = m_pManager;
  CButtonUI::SetManager(pManager, pParent);
  if (pManager && pManager != previous && !m_sGroupName.IsEmpty()) pManager->AddOptionGroup(m_sGroupName, this);
}

void COptionUI::SetGroup(LPCTSTR pStrGroupName) {
  CDuiString group(pStrGroupName);
  if (group == m_sGroupName) return;
  if (m_pManager && !m_sGroupName.IsEmpty()) m_pManager->RemoveOptionGroup(m_sGroupName, this);
  m_sGroupName = group;
  if (m_pManager && !m_sGroupName.IsEmpty()) m_pManager->AddOptionGroup(m_sGroupName, this);
}

void COptionUI::Selected(bool bSelected, bool bTriggerEvent) {
  if (m_bSelected == bSelected) return;
  m_bSelected = bSelected;
  Invalidate();
  if (bSelected && m_pManager && !m_sGroupName.IsEmpty()) {
    // The others of the group go first, so that a handler sees the old
    // choice leave before the new one arrives.
    for (CControlUI* member : m_pManager->GetOptionGroup(m_sGroupName)) {
      if (member == this || !m_pManager->IsControlAlive(member)) continue;
      auto* option = static_cast<COptionUI*>(member->GetInterface(L"Option"));
      if (option && option->IsSelected()) option->Selected(false, bTriggerEvent);
    }
  }
  if (bTriggerEvent && m_pManager) m_pManager->SendNotify(this, L"selectchanged");
}

bool COptionUI::Activate() {
  if (!CanRaise()) return false;
  // A grouped option is a radio choice: clicking the chosen one keeps it.
  Selected(m_sGroupName.IsEmpty() ? !m_bSelected : true, true);
  // The click handler sees the new state; a handler of "selectchanged" that
  // removed, hid or disabled the option ends the input here.
  if (!CanRaise()) return true;
  Notify(L"click");
  return true;
}

void COptionUI::SetSelectedImage(LPCTSTR pStrImage) {
  m_selectedImage.Set(pStrImage);
  Invalidate();
}

void COptionUI::SetSelectedHotImage(LPCTSTR pStrImage) {
  m_selectedHotImage.Set(pStrImage);
  Invalidate();
}

void COptionUI::SetSelectedTextColor(DWORD dwTextColor) {
  m_dwSelectedTextColor = dwTextColor;
  Invalidate();
}

void COptionUI::SetSelectedBkColor(DWORD dwBkColor) {
  m_dwSelectedBkColor = dwBkColor;
  Invalidate();
}

DWORD COptionUI::GetRestingTextColor() const {
  if (m_bSelected && m_dwSelectedTextColor) return m_dwSelectedTextColor;
  return m_dwTextColor;
}

DWORD COptionUI::GetRestingBkColor() const {
  if (m_bSelected && m_dwSelectedBkColor) return m_dwSelectedBkColor;
  return m_dwBackColor;
}

void COptionUI::PaintStatusImage(HDC hDC) {
  bool drawn = false;
  if (!IsEnabled() && DrawStateImage(hDC, &StateImages::disabled)) {
    drawn = true;
  } else if (m_bSelected) {
    drawn = (IsHot() && DrawImage(hDC, m_selectedHotImage, m_rcItem)) || DrawImage(hDC, m_selectedImage, m_rcItem);
  }
  if (!drawn) PaintButtonImages(hDC);
  DrawStateImage(hDC, &StateImages::fore);
}

void COptionUI::SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue) {
  using namespace detail;
  const std::wstring name = pstrName ? pstrName : L"";
  DWORD color;
  bool flag;
  if (name == L"selected") {
    if (ParseBool(pstrValue, &flag)) Selected(flag);
  } else if (name == L"group") {
    SetGroup(pstrValue);
  } else if (name == L"selectedimage") {
    SetSelectedImage(pstrValue);
  } else if (name == L"selectedhotimage") {
    SetSelectedHotImage(pstrValue);
  } else if (name == L"selectedtextcolor") {
    if (ParseColor(pstrValue, &color)) SetSelectedTextColor(color);
  } else if (name == L"selectedbkcolor") {
    if (ParseColor(pstrValue, &color)) SetSelectedBkColor(color);
  } else {
    CButtonUI::SetAttribute(pstrName, pstrValue);
  }
}

LPCTSTR CCheckBoxUI::GetClass() const { return L"CheckBoxUI"; }

LPVOID CCheckBoxUI::GetInterface(LPCTSTR pstrName) {
  if (pstrName && wcscmp(pstrName, L"CheckBox") == 0) return this;
  return COptionUI::GetInterface(pstrName);
}

}  // namespace DuiLib
