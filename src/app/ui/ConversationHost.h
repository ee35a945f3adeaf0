#pragma once

// What the other windows may ask of the main window, without knowing the
// window itself: a dialog that created, joined or opened a conversation has it
// shown and selected; the emoji picker appends to the chat input; the language
// window says that the language changed.

#include <windows.h>

#include <string>

#include "duilib/UIlib.h"

namespace mireloomwnd {

class CConversationHost {
 public:
  // Reloads the conversations from the core library's cache, rebuilds the
  // list and selects the conversation (none when it is not there); with
  // scroll, the list scrolls to it.
  virtual void RefreshAndSelectSession(const std::string& id, bool scroll) = 0;

 protected:
  ~CConversationHost() = default;
};

// The main window's chat input ("chat_input"), set when the main window is
// initialised; the emoji picker appends to it. Null until the first main
// window, and again once that window's controls are gone.
inline DuiLib::CRichEditUI* ChatInputEdit = nullptr;

// Posted to the main window by the language window once it has stored the choice.
inline constexpr UINT WM_LANGUAGE_CHANGED = WM_USER + 0x38;

}  // namespace mireloomwnd
