#pragma once

// Walks a control tree in paint order, which is the order of the layout.

#include "duilib/Control.h"

namespace DuiLib::detail {

template <class Visit>
void WalkTree(CControlUI* control, Visit&& visit) {
  if (!control) return;
  visit(control);
  for (int i = 0; i < control->GetChildCount(); ++i) WalkTree(control->GetChildAt(i), visit);
}

}  // namespace DuiLib::detail
