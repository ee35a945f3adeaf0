#include <gtest/gtest.h>

#include <cstdio>
#include <regex>
#include <set>

#include "duilib/Utils.h"
#include "emoji/EmojiTables.h"

namespace {

std::string RuleName(uint32_t code_point) {
  char name[16];
  std::snprintf(name, sizeof name, "emoji_%04x", static_cast<unsigned>(code_point));
  return name;
}

// The short codes of each code point, in key order.
std::map<uint32_t, std::vector<std::string>> ShortcodesByCodePoint() {
  std::map<uint32_t, std::vector<std::string>> codes;
  for (const auto& [shortcode, code_point] : EmojiCodePointByShortcode) codes[code_point].push_back(shortcode);
  return codes;
}

TEST(EmojiTables, HoldThePickerListAndItsNames) {
  ASSERT_EQ(EmojiList.size(), 824u);
  EXPECT_EQ(EmojiNameByCodePoint.size(), 824u) << "each code point once";
  EXPECT_EQ(EmojiCodePointByShortcode.size(), 842u);
  EXPECT_EQ(EmojiList.front(), std::make_pair(0x1f604u, std::string("emoji_1f604")));
  EXPECT_EQ(EmojiList.back(), std::make_pair(0x1f539u, std::string("emoji_1f539")));

  std::set<std::string> names;
  for (const auto& [code_point, name] : EmojiList) {
    names.insert(name);
    EXPECT_EQ(EmojiNameByCodePoint.at(code_point), name);
    if (code_point != 0x1f320) {
      EXPECT_EQ(name, RuleName(code_point)) << std::hex << code_point;
    }
  }
  EXPECT_EQ(EmojiNameByCodePoint.at(0x1f320), "emoji_1f303") << "shows the picture of 1f303";
  EXPECT_EQ(names.size(), 823u);
  EXPECT_EQ(EmojiNameByCodePoint.at(0xa9), "emoji_00a9");
  EXPECT_EQ(EmojiImagePath(L"emoji_00a9"), L"emoji/emoji_00a9.png");
}

TEST(EmojiTables, ShortCodesAreExactKeysWithPictures) {
  const std::regex pattern(":[a-z0-9_+-]+:");
  for (const auto& [shortcode, code_point] : EmojiCodePointByShortcode) {
    EXPECT_TRUE(std::regex_match(shortcode, pattern)) << shortcode;
    EXPECT_EQ(EmojiNameByCodePoint.count(code_point), 1u) << shortcode;
  }
  EXPECT_EQ(EmojiCodePointByShortcode.at(":smile:"), 0x1f604u);
  for (const char* token : {":Smile:", ":SMILE:", "smile", ":smile"}) {
    EXPECT_EQ(EmojiCodePointByShortcode.count(token), 0u) << token;
    EXPECT_EQ(EmojiImageNameOf(std::string(token)), "") << token;
  }
  EXPECT_EQ(EmojiImageNameOf(std::wstring(L":thumbsup:")), L"emoji_1f44d");
}

TEST(EmojiTables, InsertedShortCodeIsTheLastKeyOfItsCodePoint) {
  const auto codes = ShortcodesByCodePoint();
  size_t several = 0;
  for (const auto& [code_point, shortcodes] : codes) {
    if (shortcodes.size() > 1) ++several;
    EXPECT_EQ(EmojiInsertedShortcode(code_point), shortcodes.back()) << std::hex << code_point;
  }
  EXPECT_EQ(several, 20u);
  EXPECT_EQ(codes.at(0x1f4a9).size(), 3u);
  EXPECT_EQ(EmojiInsertedShortcode(0x1f44d), ":thumbsup:") << "not :+1:, which sorts first";
  EXPECT_EQ(EmojiInsertedShortcode(0x1f44e), ":thumbsdown:");
  EXPECT_EQ(EmojiInsertedShortcode(0x1f4a9), ":shit:");
  EXPECT_EQ(EmojiInsertedShortcode(0x2757), ":heavy_exclamation_mark:");

  // Only three emoji have no short code.
  std::vector<uint32_t> without;
  for (const auto& [code_point, name] : EmojiList) {
    if (EmojiInsertedShortcode(code_point).empty()) without.push_back(code_point);
  }
  EXPECT_EQ(without, (std::vector<uint32_t>{0x1f320, 0x1f508, 0x1f68b}));
}

TEST(EmojiTables, EveryNameHasItsPictureInTheSkin) {
  const std::string dist = CORVANEL_DIST_DIR;
  const std::wstring folder = std::wstring(dist.begin(), dist.end()) + L"\\Mireloom\\skin\\";
  for (const auto& [code_point, name] : EmojiNameByCodePoint) {
    SIZE size = {};
    const std::wstring path = folder + EmojiImagePath(std::wstring(name.begin(), name.end()));
    ASSERT_TRUE(DuiLib::GetImageFileSize(path.c_str(), &size)) << name;
    EXPECT_EQ(size.cx, 20) << name << ": scaled to the size it is drawn at";
    EXPECT_EQ(size.cy, 20) << name;
  }
  SIZE size = {};
  EXPECT_FALSE(DuiLib::GetImageFileSize((folder + L"emoji\\emoji_1f320.png").c_str(), &size));
}

}  // namespace
