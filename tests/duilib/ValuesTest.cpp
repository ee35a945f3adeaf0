// Value types and the skin value grammar.

#include <gtest/gtest.h>

#include "Attributes.h"
#include "duilib/UIlib.h"

namespace duilib_test {
namespace {

using DuiLib::CDuiRect;
using DuiLib::CDuiString;

TEST(DuiStringTest, FormatTakesWideStringsAndCjk) {
  CDuiString text;
  text.Format(L"%s=%d;%s", L"名字", 42, L"x");
  EXPECT_EQ(text, L"名字=42;x");
  EXPECT_EQ(text.GetLength(), 7);
}

TEST(DuiStringTest, FormatIsBoundedInsteadOfOverflowing) {
  const std::wstring huge(3 << 20, L'a');
  CDuiString text;
  const int length = text.Format(L"%s!", huge.c_str());
  EXPECT_GT(length, 0);
  EXPECT_LE(length, 1 << 20);
  EXPECT_EQ(text.GetAt(0), L'a');
}

TEST(DuiStringTest, SubstringsClampOutOfRangeArguments) {
  const CDuiString text(L"abcdef");
  EXPECT_EQ(text.Left(3), L"abc");
  EXPECT_EQ(text.Left(99), L"abcdef");
  EXPECT_EQ(text.Left(-1), L"");
  EXPECT_EQ(text.Mid(4), L"ef");
  EXPECT_EQ(text.Mid(4, 99), L"ef");
  EXPECT_EQ(text.Mid(99, 2), L"");
  EXPECT_EQ(text.Right(2), L"ef");
  EXPECT_EQ(text.Right(99), L"abcdef");
  EXPECT_EQ(text.GetAt(6), 0);
  EXPECT_EQ(text.Find(L"cd"), 2);
  EXPECT_EQ(text.Find(L"cd", 3), -1);
  EXPECT_EQ(text.Find(L"a", 7), -1);
}

TEST(DuiStringTest, ReplaceCountsAndDoesNotRescanReplacement) {
  CDuiString text(L"{a}{b}");
  EXPECT_EQ(text.Replace(L"{", L"{{"), 2);
  EXPECT_EQ(text, L"{{a}{{b}");
  EXPECT_EQ(text.Replace(L"", L"x"), 0);
}

TEST(DuiStringTest, ComparisonsAndCase) {
  CDuiString upper(L"ImageViewer.PNG");
  EXPECT_EQ(upper.CompareNoCase(L"imageviewer.png"), 0);
  EXPECT_NE(upper.Compare(L"imageviewer.png"), 0);
  EXPECT_EQ(CDuiString(L"AbÇ").MakeLower(), L"abç");
  EXPECT_TRUE(CDuiString(L"a") < CDuiString(L"b"));
  EXPECT_TRUE(CDuiString(nullptr).IsEmpty());
  EXPECT_EQ(CDuiString(L"abc", 2), L"ab");
  EXPECT_EQ(L"x" + CDuiString(L"y") + L"z", L"xyz");
}

TEST(DuiRectTest, NullAndEmptyDiffer) {
  EXPECT_TRUE(CDuiRect().IsNull());
  EXPECT_TRUE(CDuiRect().IsEmpty());
  const CDuiRect line(10, 10, 10, 50);
  EXPECT_FALSE(line.IsNull());
  EXPECT_TRUE(line.IsEmpty());
  CDuiRect joined(0, 0, 10, 10);
  joined.Join(CDuiRect(20, 5, 30, 40));
  EXPECT_EQ(joined.right, 30);
  EXPECT_EQ(joined.bottom, 40);
  joined.Join(CDuiRect(100, 100, 100, 100));  // empty: adds nothing
  EXPECT_EQ(joined.right, 30);
}

TEST(ValueGrammarTest, ColoursInEveryForm) {
  using DuiLib::detail::ParseColor;
  DWORD color = 0;
  EXPECT_TRUE(ParseColor(L"#FF51BCB6", &color));
  EXPECT_EQ(color, 0xFF51BCB6u);
  EXPECT_TRUE(ParseColor(L"#51bcb6", &color));
  EXPECT_EQ(color, 0xFF51BCB6u);
  EXPECT_TRUE(ParseColor(L"0x12345678", &color));
  EXPECT_EQ(color, 0x12345678u);
  for (const wchar_t* bad : {L"", L"#12", L"#GG0000", L"red", L"#1234567", L"0x"}) {
    color = 7;
    EXPECT_FALSE(ParseColor(bad, &color)) << bad;
    EXPECT_EQ(color, 7u);
  }
}

TEST(ValueGrammarTest, RectanglesSizesAndNumbersAllowSpaces) {
  using namespace DuiLib::detail;
  RECT rc;
  EXPECT_TRUE(ParseRect(L"0, 9, 0, 9", &rc));
  EXPECT_EQ(rc.top, 9);
  EXPECT_TRUE(ParseRect(L" 14,-1 ,0,0 ", &rc));
  EXPECT_EQ(rc.left, 14);
  EXPECT_EQ(rc.top, -1);
  EXPECT_FALSE(ParseRect(L"1,2,3", &rc));
  EXPECT_FALSE(ParseRect(L"1,2,3,4,5", &rc));
  EXPECT_FALSE(ParseRect(L"a,b,c,d", &rc));
  SIZE size;
  EXPECT_TRUE(ParseSize(L"432, 236", &size));
  EXPECT_EQ(size.cx, 432);
  int number;
  EXPECT_FALSE(ParseInt(L"12px", &number));
  bool flag;
  EXPECT_FALSE(ParseBool(L"TRUE", &flag));
  EXPECT_TRUE(ParseBool(L"false", &flag));
}

TEST(ValueGrammarTest, AttributeListsWithBothQuotesAndNestedQuotes) {
  using DuiLib::detail::ParseAttributeList;
  // The folder button list of the organisation tree, character for character.
  auto pairs = ParseAttributeList(L"padding=\"0, 9, 0, 9\"  width=\"18\"  height=\"18\" selectedimage=\"SysBtn/treenode_unfold.png\"");
  ASSERT_EQ(pairs.size(), 4u);
  EXPECT_EQ(pairs[0].first, L"padding");
  EXPECT_EQ(pairs[0].second, L"0, 9, 0, 9");
  EXPECT_EQ(pairs[3].second, L"SysBtn/treenode_unfold.png");

  pairs = ParseAttributeList(L"normalimage=\"file='a b.png' source='0,0,16,16'\"\n\ttext='say \"hi\"'");
  ASSERT_EQ(pairs.size(), 2u);
  EXPECT_EQ(pairs[0].second, L"file='a b.png' source='0,0,16,16'");
  EXPECT_EQ(pairs[1].second, L"say \"hi\"");

  // A malformed tail keeps what came before it.
  pairs = ParseAttributeList(L"height=\"44\" width=18 name=\"x\"");
  ASSERT_EQ(pairs.size(), 1u);
  EXPECT_EQ(pairs[0].second, L"44");
  EXPECT_TRUE(ParseAttributeList(L"text=\"unterminated").empty());
}

TEST(ValueGrammarTest, ImageValues) {
  using DuiLib::detail::ImageSpec;
  using DuiLib::detail::ParseImageSpec;
  ImageSpec spec;
  ASSERT_TRUE(ParseImageSpec(L"session/chat.png", &spec));
  EXPECT_EQ(spec.file, L"session/chat.png");
  EXPECT_EQ(spec.fade, 255);
  ASSERT_TRUE(ParseImageSpec(L"file='C:\\头像\\a' source='0,0,20,20' dest='2,2,18,18' corner='1,1,1,1' fade='128'", &spec));
  EXPECT_EQ(spec.file, L"C:\\头像\\a");
  EXPECT_EQ(spec.source.right, 20);
  EXPECT_EQ(spec.dest.left, 2);
  EXPECT_EQ(spec.corner.bottom, 1);
  EXPECT_EQ(spec.fade, 128);
  EXPECT_FALSE(ParseImageSpec(L"", &spec));
  EXPECT_FALSE(ParseImageSpec(L"source='0,0,1,1'", &spec));
}

TEST(EscapeMarkupTest, DoublesBracesOnly) {
  EXPECT_EQ(DuiLib::EscapeMarkup(L"{a x}y{/a}"), L"{{a x}}y{{/a}}");
  EXPECT_EQ(DuiLib::EscapeMarkup(L"纯文本"), L"纯文本");
  EXPECT_EQ(DuiLib::EscapeMarkup(nullptr), L"");
}

}  // namespace
}  // namespace duilib_test
