#pragma once

// The emoji the client knows, as three constant tables filled before any code
// of the program runs and never changed; they are read without a lock.
//
// Every emoji is one Unicode code point. Its picture is the skin file
// "emoji/" + image name + ".png"; take the name from the tables, never from
// the code point: one entry (1f320) shows another emoji's picture.

#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

// The emoji in the order the picker shows them: (code point, image name).
extern const std::vector<std::pair<uint32_t, std::string>> EmojiList;
// The same pairs by code point.
extern const std::map<uint32_t, std::string> EmojiNameByCodePoint;
// Short code, both colons included and in lower case (":smile:"), to code
// point. Ordered byte-wise: among several short codes of one emoji the last
// one in this order is the one the picker inserts.
extern const std::map<std::string, uint32_t> EmojiCodePointByShortcode;

// The short code the picker inserts for a code point: the last key, in key
// order, of EmojiCodePointByShortcode that yields it; "" when none does.
// Looked up in a table made once, not by a scan.
[[nodiscard]] const std::string& EmojiInsertedShortcode(uint32_t code_point);

// The image name of a whole token such as ":smile:" (exact and case-sensitive),
// or "" when the token is no short code or its code point has no picture.
[[nodiscard]] std::string EmojiImageNameOf(const std::string& token);
[[nodiscard]] std::wstring EmojiImageNameOf(const std::wstring& token);

// "emoji/" + image name + ".png", relative to the skin folder.
[[nodiscard]] std::wstring EmojiImagePath(const std::wstring& image_name);
