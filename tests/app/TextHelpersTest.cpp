#include <windows.h>

#include <gtest/gtest.h>

#include <clocale>
#include <string>
#include <vector>

#include "app/text/TextHelpers.h"
#include "app/ui/ColorText.h"

namespace {

const std::wstring kChinese = L"周杰 团队：频道「设计」✓";
const std::string kChineseUtf8 = "\xe5\x91\xa8\xe6\x9d\xb0 \xe5\x9b\xa2\xe9\x98\x9f\xef\xbc\x9a\xe9\xa2\x91\xe9\x81\x93"
                                 "\xe3\x80\x8c\xe8\xae\xbe\xe8\xae\xa1\xe3\x80\x8d\xe2\x9c\x93";

TEST(Utf8ConversionTest, RoundTripsChineseBothWays) {
  EXPECT_EQ(WideToUtf8(kChinese), kChineseUtf8);
  EXPECT_EQ(WideToUtf8(kChinese.c_str()), kChineseUtf8);
  EXPECT_EQ(Utf8ToWide(kChineseUtf8), kChinese);
  // Characters outside the basic plane survive as surrogate pairs.
  const std::wstring emoji = L"\U0001F600x";
  EXPECT_EQ(Utf8ToWide(WideToUtf8(emoji)), emoji);
}

TEST(Utf8ConversionTest, EmptyAndNullGiveEmpty) {
  EXPECT_EQ(WideToUtf8(static_cast<const wchar_t*>(nullptr)), "");
  EXPECT_EQ(WideToUtf8(L""), "");
  EXPECT_EQ(Utf8ToWide(""), L"");
}

TEST(Utf8ConversionTest, InvalidUtf8IsReplacedNotDropped) {
  const std::wstring wide = Utf8ToWide("a\xff" "b");
  ASSERT_EQ(wide.size(), 3u);
  EXPECT_EQ(wide[0], L'a');
  EXPECT_EQ(wide[2], L'b');
}

TEST(AnsiConversionTest, RoundTripsChineseThroughCodePage936) {
  bool lossy = true;
  const std::string narrow = WideToAnsi(L"文件\\报告.pdf", &lossy);
  EXPECT_FALSE(lossy);
  EXPECT_EQ(narrow, "\xce\xc4\xbc\xfe\\\xb1\xa8\xb8\xe6.pdf");
  lossy = true;
  EXPECT_EQ(AnsiToWide(narrow, &lossy), L"文件\\报告.pdf");
  EXPECT_FALSE(lossy);
  EXPECT_EQ(AnsiToWide("plain ascii"), L"plain ascii");
}

TEST(AnsiConversionTest, ReportsLossButKeepsTheRestOfTheText) {
  bool lossy = false;
  // The emoji has no code page 936 form; the text after it must survive.
  const std::string narrow = WideToAnsi(L"a\U0001F600b文", &lossy);
  EXPECT_TRUE(lossy);
  EXPECT_EQ(narrow.front(), 'a');
  EXPECT_EQ(narrow.substr(narrow.size() - 3), "b\xce\xc4");

  lossy = false;
  const std::wstring wide = AnsiToWide("x\x81\x20y", &lossy);  // lead byte without a valid trail byte
  EXPECT_TRUE(lossy);
  EXPECT_EQ(wide.front(), L'x');
  EXPECT_EQ(wide.back(), L'y');
}

TEST(AnsiConversionTest, NeverTouchesTheProcessLocale) {
  setlocale(LC_ALL, "C");
  AnsiToWide("\xce\xc4");
  WideToAnsi(L"文");
  EXPECT_STREQ(setlocale(LC_ALL, nullptr), "C");
}

TEST(SplitStringTest, DropsEmptyPiecesAndKeepsTheTail) {
  using Pieces = std::vector<std::string>;
  EXPECT_EQ(SplitString("a\\\\b", "\\"), (Pieces{"a", "b"}));
  EXPECT_EQ(SplitString("\\a\\b\\", "\\"), (Pieces{"a", "b"}));
  EXPECT_EQ(SplitString("ueid_u123_x", "_"), (Pieces{"ueid", "u123", "x"}));
  EXPECT_EQ(SplitString("one", "_"), (Pieces{"one"}));
  EXPECT_EQ(SplitString("a::b::::c", "::"), (Pieces{"a", "b", "c"}));
  EXPECT_EQ(SplitString("a:b", "::"), (Pieces{"a:b"}));
  EXPECT_TRUE(SplitString("", "\\").empty());
  EXPECT_TRUE(SplitString("\\\\", "\\").empty());
}

TEST(SplitStringTest, AnEmptySeparatorGivesTheWholeText) {
  EXPECT_EQ(SplitString("abc", ""), std::vector<std::string>{"abc"});
  EXPECT_TRUE(SplitString("", "").empty());
}

TEST(GetTextWidthTest, GrowsWithTheTextAndIsZeroForNone) {
  EXPECT_EQ(GetTextWidth(L""), 0);
  const int one = GetTextWidth(L"频道");
  const int two = GetTextWidth(L"频道频道");
  EXPECT_GT(one, 0);
  EXPECT_GT(two, one);
  EXPECT_NEAR(two, 2 * one, 2);
}

}  // namespace

TEST(ChannelColorTest, OnlyAHashAndSixHexDigitsGiveAColour) {
  EXPECT_EQ(ParseChannelColor("#3fd1be"), 0xFF3FD1BEu);
  EXPECT_EQ(ParseChannelColor("#A5D8F5"), 0xFFA5D8F5u);
  for (const char* bad : {"", "#", "3fd1be", "#3fd1b", "#3fd1be0", "#3fd1bg", "0x3fd1be", "#-fd1be", "# fd1be"}) {
    EXPECT_FALSE(ParseChannelColor(bad).has_value()) << bad;
  }
}
