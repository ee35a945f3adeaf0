#include "signin/BusyButton.h"

#include "duilib/UIlib.h"

namespace signin {

void SetButtonLook(DuiLib::CButtonUI* button, ButtonLook look, const std::wstring& text) {
  if (!button) return;
  const bool busy = look == ButtonLook::Busy;
  button->SetText(text.c_str());
  button->SetBkColor(busy ? kBusyBkColor : kIdleBkColor);
  button->SetTextColor(busy ? kBusyTextColor : kIdleTextColor);
  button->SetMouseEnabled(!busy);
}

}  // namespace signin
