#pragma once

// Rows name their clickable controls after what a click acts on: "ueid_" and
// a user's uid, or "ceid_" and a channel's id. A click takes the id back.

#include <string>

namespace mireloomwnd {

inline constexpr wchar_t kUserIdPrefix[] = L"ueid_";
inline constexpr wchar_t kChannelIdPrefix[] = L"ceid_";

// The control name for a row's id (UTF-8).
[[nodiscard]] std::wstring RowControlName(const wchar_t* prefix, const std::string& id);

// True, with the id, when the name holds the prefix anywhere and an id after
// it: the name is split at every "_" (empty pieces dropped) and the second
// piece is the id, so an id holding "_" comes back cut at its first "_".
// False when there is no prefix or no second piece; `id` is then untouched.
bool IdFromControlName(const std::wstring& name, const wchar_t* prefix, std::string* id);

}  // namespace mireloomwnd
