#include "duilib/DuiRect.h"

#include <algorithm>

namespace DuiLib {

void CDuiRect::Join(const RECT& rc) {
  if (rc.right <= rc.left || rc.bottom <= rc.top) return;
  if (IsEmpty()) {
    *static_cast<RECT*>(this) = rc;
    return;
  }
  left = std::min(left, rc.left);
  top = std::min(top, rc.top);
  right = std::max(right, rc.right);
  bottom = std::max(bottom, rc.bottom);
}

}  // namespace DuiLib
