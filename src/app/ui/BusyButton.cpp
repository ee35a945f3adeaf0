#include "app/ui/BusyButton.h"

#include "app/text/StringTable.h"
#include "duilib/UIlib.h"

namespace mireloomwnd {

void SetButtonLook(DuiLib::CButtonUI* button, ButtonLook look, const std::wstring& text) {
  if (!button) return;
  const bool busy = look == ButtonLook::Busy;
  button->SetText(text.c_str());
  button->SetBkColor(busy ? kBusyBkColor : kIdleBkColor);
  button->SetTextColor(busy ? kBusyTextColor : kIdleTextColor);
  button->SetMouseEnabled(!busy);
  if (busy) {
    // A button just clicked is still under the mouse: its hot look would hide the busy one.
    DuiLib::TEventUI leave;
    leave.Type = DuiLib::UIEVENT_MOUSELEAVE;
    leave.pSender = button;
    leave.dwTimestamp = GetTickCount();
    button->DoEvent(leave);
  }
}

std::wstring NextBusyText(const std::wstring& current, const BusyKeys& keys) {
  if (current == LocalizedText(keys.three)) return LocalizedText(keys.one);
  if (current == LocalizedText(keys.one)) return LocalizedText(keys.two);
  if (current == LocalizedText(keys.two)) return LocalizedText(keys.three);
  return {};
}

}  // namespace mireloomwnd
