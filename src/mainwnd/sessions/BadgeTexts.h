#pragma once

// What the unread marks of the session list show.

#include <optional>
#include <string>

#include "mireloom/Types.h"

namespace mireloomwnd {

// A count badge shows for a count above 0.
[[nodiscard]] inline bool IsBadgeShown(int count) { return count > 0; }
// The count for 1 to 99, "99+" above; nothing for 0 or less (the badge then
// keeps whatever text it had, hidden).
[[nodiscard]] std::optional<std::wstring> UnreadBadgeText(int count);
// A channel item shows its dot by the record's second number, not its count.
[[nodiscard]] inline bool ShowsChannelDot(const mireloom::_NumUnread& unread) { return unread.num_notify != 0; }

}  // namespace mireloomwnd
