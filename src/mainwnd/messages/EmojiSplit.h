#pragma once

// Emoji short codes (":smile:") in message markup, found so that each can be
// drawn as a picture between the texts around it. The split works on the
// UTF-16 markup, so every character of the text survives it.

#include <string>
#include <vector>

namespace messageview {

// One control of a row, left to right: an emoji picture, or a text (the
// markup between short codes, or a match that is no known short code).
struct EmojiPart {
  std::wstring text;        // the part's markup (for an emoji, its short code)
  std::wstring image_name;  // the emoji's image name; "" for a text part

  [[nodiscard]] bool IsEmoji() const { return !image_name.empty(); }
};

struct EmojiSplit {
  // Empty when the markup holds no match of the short-code pattern: then
  // the markup shows as one text and `tail` is the whole markup.
  std::vector<EmojiPart> parts;
  std::wstring tail;  // the markup behind the last match

  [[nodiscard]] bool HasMatch() const { return !parts.empty(); }
  [[nodiscard]] bool HasTail() const { return !tail.empty(); }
};

// Splits at every match of ":[a-z0-9_+-]+:", left to right. A match is an
// emoji part when the tables know it, else a text part. Matches inside a
// link's own "{a ...}" argument (an address such as "http://h/a:b:") are
// not short codes: cutting there would break the link.
[[nodiscard]] EmojiSplit SplitEmoji(const std::wstring& markup);

}  // namespace messageview
