#include "app/ui/SkinControls.h"

#include "app/text/TextHelpers.h"
#include "quennet/EventLog.h"

namespace mireloomwnd {

void* FindSkinInterface(DuiLib::CPaintManagerUI& manager, const wchar_t* name, const wchar_t* interfaceName) {
  DuiLib::CControlUI* control = manager.FindControl(name);
  void* typed = control ? control->GetInterface(interfaceName) : nullptr;
  if (!typed) {
    quennet::log_error("The skin has no %s named \"%s\"", WideToUtf8(interfaceName).c_str(), WideToUtf8(name).c_str());
  }
  return typed;
}

}  // namespace mireloomwnd
