#pragma once

// The raw emoji data the tables are built from; only EmojiTables.cpp reads it.

#include <cstddef>
#include <cstdint>

namespace emoji_data {

struct EmojiRecord {
  uint32_t code_point;
  const char* image_name;
};

struct ShortcodeRecord {
  const char* shortcode;
  uint32_t code_point;
};

// In picker order.
extern const EmojiRecord kEmojiRecords[];
extern const size_t kEmojiRecordCount;
// In byte-wise order of the short codes.
extern const ShortcodeRecord kShortcodeRecords[];
extern const size_t kShortcodeRecordCount;

}  // namespace emoji_data
