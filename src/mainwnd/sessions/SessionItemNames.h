#pragma once

// The names that tie list items to conversations: the item of a conversation,
// its name label and badge, and the status button of a user. A click reads
// the conversation back from the item's name.

#include <string>

#include "mainwnd/sessions/SessionEntry.h"

namespace mireloomwnd {

// "channelItem_" + id, "imItem_" + id; "" for any other type.
[[nodiscard]] std::string SessionItemName(SessionType type, const std::string& id);
[[nodiscard]] std::wstring SessionNameLabelId(const std::wstring& itemName);
[[nodiscard]] std::wstring SessionUnreadLabelId(const std::wstring& itemName);
// Splits an item name at "_": exactly two pieces, the first naming the type.
// An id holding "_" is therefore never read back. Null outputs are skipped.
bool ParseSessionItemName(const std::string& name, SessionType* type, std::string* id);
// "status_btn" + uid.
[[nodiscard]] std::wstring StatusButtonName(const std::string& uid);

}  // namespace mireloomwnd
