#pragma once

// Readers of the control names that message items carry, so that a click
// finds what to open. A picture's, snippet's or file's marker counts only at
// the start of the name: a card's title is named after its server-given link,
// which may hold any marker anywhere. A card's "_" counts anywhere. A name's
// parts are what lies between its "_" (empty ones dropped); an id that holds
// "_" itself is cut there. A name without its marker, or without the part a
// reader hands out, is not accepted and leaves the outputs untouched.

#include <string>

namespace messageview {

// "image_" + cache key: the second part is the key.
[[nodiscard]] bool ImageItemName(const std::wstring& name, std::string* key = nullptr);
// "snippet_" + entity id: the second part is the id.
[[nodiscard]] bool SnippetItemName(const std::wstring& name, std::string* entity_id = nullptr);
// "file_": the file item carries no id, its link holds the address.
[[nodiscard]] bool FileItemName(const std::wstring& name);
// A card title, module path + "_" + id: the first and second parts, both
// handed out only when `second` is given.
[[nodiscard]] bool SplitItemName(const std::wstring& name, std::string* first = nullptr,
                                 std::string* second = nullptr);

}  // namespace messageview
