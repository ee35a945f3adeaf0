#pragma once

// The drop list of a combo: a popup window below the combo listing copies of
// its entries. A pick (a click, Enter, F4, Alt+Up or Alt+Down on the
// highlighted entry) selects in the combo; a pick, Esc or the loss of the
// activation closes it. It deletes itself once its window is gone.

#include "duilib/WindowImplBase.h"

namespace DuiLib {
class CComboUI;
class CListUI;
}  // namespace DuiLib

namespace DuiLib::detail {

class ComboDropWindow final : public WindowImplBase {
 public:
  explicit ComboDropWindow(CComboUI* pOwner) : m_pOwner(pOwner) {}

  // Shows the list at the screen rectangle, activated; false when it cannot.
  bool Open(HWND hWndOwner, const RECT& rcScreen);
  // The combo goes away first: nothing is reported to it any more.
  void Detach() { m_pOwner = nullptr; }

  [[nodiscard]] LPCTSTR GetWindowClassName() const override { return L"DuiComboDropList"; }
  CDuiString GetSkinFolder() override { return L""; }
  CDuiString GetSkinFile() override;
  void InitWindow() override;
  void Notify(TNotifyUI& msg) override;
  LRESULT HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) override;
  void OnFinalMessage(HWND hWnd) override;

 private:
  void Pick(int iIndex);

  CComboUI* m_pOwner;
  CListUI* m_pList = nullptr;
  bool m_bPicked = false;
};

}  // namespace DuiLib::detail
