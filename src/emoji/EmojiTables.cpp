#include "emoji/EmojiTables.h"

#include "emoji/EmojiData.h"

namespace {

std::vector<std::pair<uint32_t, std::string>> BuildList() {
  std::vector<std::pair<uint32_t, std::string>> list;
  list.reserve(emoji_data::kEmojiRecordCount);
  for (size_t i = 0; i < emoji_data::kEmojiRecordCount; ++i) {
    list.emplace_back(emoji_data::kEmojiRecords[i].code_point, emoji_data::kEmojiRecords[i].image_name);
  }
  return list;
}

std::map<uint32_t, std::string> BuildNames(const std::vector<std::pair<uint32_t, std::string>>& list) {
  return std::map<uint32_t, std::string>(list.begin(), list.end());
}

std::map<std::string, uint32_t> BuildShortcodes() {
  std::map<std::string, uint32_t> shortcodes;
  for (size_t i = 0; i < emoji_data::kShortcodeRecordCount; ++i) {
    shortcodes.emplace(emoji_data::kShortcodeRecords[i].shortcode, emoji_data::kShortcodeRecords[i].code_point);
  }
  return shortcodes;
}

std::map<uint32_t, std::string> BuildInsertedShortcodes() {
  std::map<uint32_t, std::string> inserted;
  // Walking in key order, a later key of the same code point replaces an earlier one.
  for (const auto& [shortcode, code_point] : EmojiCodePointByShortcode) inserted[code_point] = shortcode;
  return inserted;
}

}  // namespace

// Defined in this order on purpose: the name table is built from the list.
const std::vector<std::pair<uint32_t, std::string>> EmojiList = BuildList();
const std::map<uint32_t, std::string> EmojiNameByCodePoint = BuildNames(EmojiList);
const std::map<std::string, uint32_t> EmojiCodePointByShortcode = BuildShortcodes();

const std::string& EmojiInsertedShortcode(uint32_t code_point) {
  static const std::map<uint32_t, std::string> inserted = BuildInsertedShortcodes();
  static const std::string none;
  const auto found = inserted.find(code_point);
  return found == inserted.end() ? none : found->second;
}

std::string EmojiImageNameOf(const std::string& token) {
  const auto code = EmojiCodePointByShortcode.find(token);
  if (code == EmojiCodePointByShortcode.end()) return {};
  const auto name = EmojiNameByCodePoint.find(code->second);
  return name == EmojiNameByCodePoint.end() ? std::string() : name->second;
}

std::wstring EmojiImageNameOf(const std::wstring& token) {
  // Short codes are ASCII: anything else cannot be one.
  std::string narrow;
  narrow.reserve(token.size());
  for (wchar_t c : token) {
    if (c > 0x7F) return {};
    narrow += static_cast<char>(c);
  }
  const std::string name = EmojiImageNameOf(narrow);
  return std::wstring(name.begin(), name.end());
}

std::wstring EmojiImagePath(const std::wstring& image_name) { return L"emoji/" + image_name + L".png"; }
