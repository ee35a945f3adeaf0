#pragma once

// Looking a skin's controls up once, checked: the control must exist and
// answer the interface the window uses it through ("Button", "Edit", "List").
// A missing or mistyped control is logged and the window goes on without it.

#include "duilib/UIlib.h"

namespace mireloomwnd {

// The control's interface, or null.
void* FindSkinInterface(DuiLib::CPaintManagerUI& manager, const wchar_t* name, const wchar_t* interfaceName);

template <class Control = DuiLib::CControlUI>
Control* FindSkinControl(DuiLib::CPaintManagerUI& manager, const wchar_t* name,
                         const wchar_t* interfaceName = L"Control") {
  return static_cast<Control*>(FindSkinInterface(manager, name, interfaceName));
}

}  // namespace mireloomwnd
