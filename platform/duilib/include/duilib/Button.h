#pragma once

// A push button: state images and colours, "click" on release over it, on
// Space or Enter while focused, or on Activate().

#include <memory>

#include "duilib/Label.h"

namespace DuiLib {

class CButtonUI : public CLabelUI {
 public:
  CButtonUI();

  [[nodiscard]] LPCTSTR GetClass() const override;
  LPVOID GetInterface(LPCTSTR pstrName) override;

  // Raises "click" (options toggle first); false when the control cannot act.
  virtual bool Activate();
  void SetEnabled(bool bEnable = true) override;

  [[nodiscard]] CDuiString GetNormalImage() const { return m_normalImage.sValue; }
  void SetNormalImage(LPCTSTR pStrImage);
  [[nodiscard]] CDuiString GetHotImage() const { return StateImage(&StateImages::hot); }
  void SetHotImage(LPCTSTR pStrImage);
  [[nodiscard]] CDuiString GetPushedImage() const { return StateImage(&StateImages::pushed); }
  void SetPushedImage(LPCTSTR pStrImage);
  [[nodiscard]] CDuiString GetFocusedImage() const { return StateImage(&StateImages::focused); }
  void SetFocusedImage(LPCTSTR pStrImage);
  [[nodiscard]] CDuiString GetDisabledImage() const { return StateImage(&StateImages::disabled); }
  void SetDisabledImage(LPCTSTR pStrImage);
  [[nodiscard]] CDuiString GetForeImage() const { return StateImage(&StateImages::fore); }
  void SetForeImage(LPCTSTR pStrImage);

  void SetHotTextColor(DWORD dwColor);
  [[nodiscard]] DWORD GetHotTextColor() const { return m_dwHotTextColor; }
  void SetPushedTextColor(DWORD dwColor);
  [[nodiscard]] DWORD GetPushedTextColor() const { return m_dwPushedTextColor; }
  void SetFocusedTextColor(DWORD dwColor);
  [[nodiscard]] DWORD GetFocusedTextColor() const { return m_dwFocusedTextColor; }
  void SetHotBkColor(DWORD dwColor);
  [[nodiscard]] DWORD GetHotBkColor() const { return m_dwHotBkColor; }
  void SetPushedBkColor(DWORD dwColor);
  [[nodiscard]] DWORD GetPushedBkColor() const { return m_dwPushedBkColor; }

  [[nodiscard]] bool IsHot() const { return (m_uButtonState & kStateHot) != 0; }
  [[nodiscard]] bool IsPushed() const { return (m_uButtonState & kStatePushed) != 0; }

  [[nodiscard]] bool IsFocusable() const override { return m_bKeyboardEnabled; }
  [[nodiscard]] bool IsInteractiveAt(POINT pt) const override { return true; }
  void SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue) override;
  void DoEvent(TEventUI& event) override;
  void PaintBkColor(HDC hDC) override;
  void PaintStatusImage(HDC hDC) override;

 protected:
  static constexpr UINT kStateHot = 0x01;
  static constexpr UINT kStatePushed = 0x02;
  static constexpr UINT kStateCaptured = 0x04;

  [[nodiscard]] DWORD GetStateTextColor() const override;
  // Colour of the background in the current state.
  [[nodiscard]] DWORD GetStateBkColor() const;
  // Colours when neither pushed, hot nor focused (options add "selected").
  [[nodiscard]] virtual DWORD GetRestingTextColor() const { return m_dwTextColor; }
  [[nodiscard]] virtual DWORD GetRestingBkColor() const { return m_dwBackColor; }
  // Draws the state image; false when nothing was drawn.
  bool PaintButtonImages(HDC hDC);
  // The images of the other states, which most buttons (avatars, badges) do
  // not have: made when the first of them is set.
  struct StateImages {
    TImageSlot hot;
    TImageSlot pushed;
    TImageSlot focused;
    TImageSlot disabled;
    TImageSlot fore;
  };
  // Draws one of the state images; false when it is not set or not drawn.
  bool DrawStateImage(HDC hDC, TImageSlot StateImages::*slot);

  UINT m_uButtonState = 0;
  DWORD m_dwHotTextColor = 0;
  DWORD m_dwPushedTextColor = 0;
  DWORD m_dwFocusedTextColor = 0;
  DWORD m_dwHotBkColor = 0;
  DWORD m_dwPushedBkColor = 0;
  TImageSlot m_normalImage;

 private:
  [[nodiscard]] CDuiString StateImage(TImageSlot StateImages::*slot) const;
  void SetStateImage(TImageSlot StateImages::*slot, LPCTSTR pStrImage);
  std::unique_ptr<StateImages> m_pStateImages;
};

}  // namespace DuiLib
