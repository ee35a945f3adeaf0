#pragma once

// What a dialog does once it has created, joined or opened a conversation:
// the main window reloads its session list from the cache, selects the
// conversation and scrolls to it. The dialog closes itself first.

#include <string>

namespace mireloomwnd {

// Nothing happens without a main window.
void SelectInMainWindow(const std::string& conversationId);

}  // namespace mireloomwnd
