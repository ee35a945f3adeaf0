#pragma once

// Reads the message view back as a user sees it: each entry of the list as
// one line of what it shows.

#include <functional>
#include <string>
#include <vector>

#include "duilib/UIlib.h"

namespace mainwnd_test {

// "chat_display" of the open main window; null when there is none.
DuiLib::CListUI* MessageView();

// One line per entry: "more" for the load-more button, "day " + the date
// for a separator, and for a message the texts its visible controls show,
// joined by " | ", with "[picture]" for each drawn picture.
std::vector<std::wstring> ViewLines();
// The lines of messages only.
std::vector<std::wstring> MessageLines();
// How many of the lines hold the text.
size_t CountLines(const std::vector<std::wstring>& lines, const std::wstring& part);

// Every control under the root (the root included) the predicate accepts.
std::vector<DuiLib::CControlUI*> ControlsUnder(DuiLib::CControlUI* root,
                                               const std::function<bool(DuiLib::CControlUI*)>& accept);
// The normal images of the view's pictures (buttons that show one).
std::vector<std::wstring> ViewPictures();

}  // namespace mainwnd_test
