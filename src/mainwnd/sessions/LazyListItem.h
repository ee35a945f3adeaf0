#pragma once

// A session-list row whose controls are made the first time it is laid out
// in view (see LazyRow.h).

#include "app/ui/LazyRow.h"
#include "duilib/UIlib.h"

namespace mireloomwnd {

class CLazyListItemUI final : public CLazyRow<DuiLib::CListContainerElementUI, CLazyListItemUI> {
 public:
  using CLazyRow::CLazyRow;
};

}  // namespace mireloomwnd
