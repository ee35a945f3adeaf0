#pragma once

// The search box of a member or channel list, as its window's Notify reads
// it: only a change of its text that is not the tip text filters.

#include <string>

#include "duilib/UIlib.h"

namespace mireloomwnd {

// True, with the box's text in UTF-8, when `msg` is a text change of `box`
// whose text differs from `tipText`.
[[nodiscard]] bool SearchKeywordOf(const DuiLib::TNotifyUI& msg, DuiLib::CEditUI* box, const std::wstring& tipText,
                                   std::string* keyword);

}  // namespace mireloomwnd
