#pragma once

// How the search boxes of the member and channel lists filter while the user
// types. A text equal to the box's tip changes nothing; an empty text shows
// every row of the window's data again; any other text keeps only the rows
// shown now whose name contains it, byte for byte in UTF-8 (case-sensitive,
// no trimming). The lists are never sorted, so typing narrows step by step
// and only an emptied box brings rows back.

#include <memory>
#include <string>
#include <vector>

namespace mireloom {
class Channel;
class User;
}  // namespace mireloom

namespace mireloomwnd {

// The member search boxes' tip in Chinese, which some boxes compare with.
inline constexpr char kMemberSearchTip[] = "输入成员名查找";

using UserList = std::vector<std::unique_ptr<mireloom::User>>;
using ChannelList = std::vector<std::unique_ptr<mireloom::Channel>>;

// Whether a search box's new text filters at all.
[[nodiscard]] bool IsSearchText(const std::wstring& text, const std::wstring& tipText);

// The display name contains the keyword or, failing that, the user name does.
[[nodiscard]] bool UserMatches(const mireloom::User& user, const std::string& keyword);
[[nodiscard]] bool ChannelMatches(const mireloom::Channel& channel, const std::string& keyword);

// Clones of the whole list, in order, added at the end of `into`.
void AppendClones(const UserList& users, UserList& into);
void AppendClones(const ChannelList& channels, ChannelList& into);

// Clones of the shown rows that match the keyword, in order.
[[nodiscard]] UserList NarrowUsers(const UserList& shown, const std::string& keyword);
[[nodiscard]] ChannelList NarrowChannels(const ChannelList& shown, const std::string& keyword);

// The rows a search text leaves: clones of every item of `all` for an empty
// keyword, else the matching clones of the rows `shown` now.
[[nodiscard]] UserList SearchRows(const UserList& all, const UserList& shown, const std::string& keyword);
[[nodiscard]] ChannelList SearchRows(const ChannelList& all, const ChannelList& shown, const std::string& keyword);

}  // namespace mireloomwnd
