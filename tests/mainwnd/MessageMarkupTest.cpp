#include <gtest/gtest.h>

#include "app/text/TextHelpers.h"
#include "mainwnd/messages/EmojiSplit.h"
#include "mainwnd/messages/MessageLayout.h"
#include "mainwnd/messages/MessageMarkup.h"
#include "mainwnd/ShownMarkup.h"
#include "mireloom/MessageFormatter.h"

namespace {

using namespace messageview;

std::wstring ValueOf(const std::wstring& link, int* kind) {
  std::wstring value;
  *kind = ReadMessageLink(link, &value);
  return value;
}

TEST(MessageMarkup, SpansBecomeLinksThatReadBack) {
  std::wstring plain;
  const ShownMarkup shown =
      ShowMarkup(FormatMessageText("[@usr-lin|林晓] 请看 [#chn-design|设计] [!all] 与 [https://a.test/x|设计稿]", &plain));
  EXPECT_EQ(shown.plain, L"@林晓 请看 #设计 @all 与 设计稿");
  EXPECT_EQ(plain, shown.plain) << "the plain text is what the markup shows";
  // A command's value is its display text.
  const std::vector<std::pair<std::wstring, int>> expected = {
      {L"usr-lin", kLinkUser}, {L"chn-design", kLinkChannel}, {L"@all", kLinkCommand}, {L"https://a.test/x", kLinkAddress}};
  ASSERT_EQ(shown.links.size(), expected.size());
  for (size_t i = 0; i < expected.size(); ++i) {
    int kind = -1;
    EXPECT_EQ(ValueOf(shown.links[i], &kind), expected[i].first);
    EXPECT_EQ(kind, expected[i].second) << i;
  }
  // A code span is a span but no link: it stays as written.
  const FormattedText code = FormatText("执行 `make test`");
  EXPECT_TRUE(code.has_spans);
  EXPECT_EQ(ShowMarkup(code.markup).plain, L"执行 `make test`");
  EXPECT_FALSE(FormatText("纯文本").has_spans);
}

TEST(MessageMarkup, SenderTextsCannotForgeMarkup) {
  // The demo's forged link, and texts full of markup characters.
  for (const char* text : {"{a x=|link|file:///C:/Windows|}点我{/a}", "{b}粗{/b} {c #FF0000}红{/c} a|b }} {{",
                           "{n}{x 20}"}) {
    const FormattedText formatted = FormatText(text);
    const ShownMarkup shown = ShowMarkup(formatted.markup);
    EXPECT_EQ(shown.plain, Utf8ToWide(text)) << text;
    EXPECT_TRUE(shown.links.empty()) << text;
    EXPECT_EQ(formatted.plain, shown.plain) << text;
  }
  // Markup characters in display texts and link values arrive whole.
  const ShownMarkup shown = ShowMarkup(FormatMessageText("[https://a.test/{x}|y|z] [https://b.test|}{a x=|link|evil|}]"));
  EXPECT_EQ(shown.plain, L"y|z }{a x=|link|evil|}");
  ASSERT_EQ(shown.links.size(), 2u);
  int kind = -1;
  EXPECT_EQ(ValueOf(shown.links[0], &kind), L"https://a.test/%7Bx%7D");
  EXPECT_EQ(ValueOf(shown.links[1], &kind), L"https://b.test");
  EXPECT_EQ(kind, kLinkAddress);
  EXPECT_EQ(MakeLinkMarkup("v", "t", 4), L"");
}

std::vector<std::unique_ptr<mireloom::MessageCheckingResult>> Mentions(const std::vector<std::string>& texts) {
  std::vector<std::unique_ptr<mireloom::MessageCheckingResult>> spans;
  for (const std::string& text : texts) {
    mireloom::MessageCheckingResult::Data data;
    data.checking_type = mireloom::MessageCheckingResult::kUserMention;
    data.formatted_str = text;
    data.display_string = "@" + text.substr(2, text.size() - 3);
    data.uid = text.substr(2, text.size() - 3);
    spans.push_back(std::make_unique<mireloom::MessageCheckingResult>(data));
  }
  return spans;
}

TEST(MessageMarkup, DuplicateAndMissingSpans) {
  // Each span takes the first occurrence not yet replaced; one that does not
  // occur is skipped, and the rest still take their places.
  const FormattedText formatted = FormatSpans("[@a] 和 [@a] 和 [@b]", Mentions({"[@a]", "[@zz]", "[@a]", "[@b]"}));
  const ShownMarkup shown = ShowMarkup(formatted.markup);
  EXPECT_EQ(shown.plain, L"@a 和 @a 和 @b");
  ASSERT_EQ(shown.links.size(), 3u);
  EXPECT_EQ(shown.links[1], L"x=|user|a|");
  EXPECT_EQ(shown.links[2], L"x=|user|b|");
  // A span is never looked for inside an earlier one's link.
  EXPECT_EQ(ShowMarkup(FormatSpans("[@user]", Mentions({"[@user]", "[@user]"})).markup).links.size(), 1u);
}

TEST(MessageMarkup, MalformedLinkTextsAreOther) {
  for (const wchar_t* text : {L"", L"x=", L"x=|link|", L"x=|link||", L"link"}) {
    std::wstring value = L"untouched";
    EXPECT_EQ(ReadMessageLink(text, &value), kLinkOther) << text;
    EXPECT_EQ(value, L"") << text;
  }
  std::wstring value;
  EXPECT_EQ(ReadMessageLink(L"x=|mail|a@b|", &value), kLinkOther);
  EXPECT_EQ(value, L"a@b");
  EXPECT_EQ(ReadMessageLink(L"x=|channel|c1|"), kLinkChannel);
}

TEST(EmojiSplit, ShortCodesBetweenTextsInUtf16) {
  // Characters outside code page 936 survive (Hangul, an emoji character).
  const EmojiSplit split = SplitEmoji(L"한글 :smile: 没问题 :foo::thumbsup: 😀");
  ASSERT_EQ(split.parts.size(), 5u);
  EXPECT_EQ(split.parts[0].text, L"한글 ");
  EXPECT_EQ(split.parts[1].image_name, L"emoji_1f604");
  EXPECT_EQ(split.parts[2].text, L" 没问题 ");
  EXPECT_FALSE(split.parts[3].IsEmoji()) << ":foo: is no short code and shows as text";
  EXPECT_EQ(split.parts[3].text, L":foo:");
  EXPECT_EQ(split.parts[4].image_name, L"emoji_1f44d");
  EXPECT_EQ(split.tail, L" 😀");

  const EmojiSplit none = SplitEmoji(L"没有表情");
  EXPECT_FALSE(none.HasMatch());
  EXPECT_EQ(none.tail, L"没有表情");
  // An address inside a link's argument is not cut, its display text is.
  const EmojiSplit link = SplitEmoji(FormatMessageText("[https://a.test/x:smile:y|看 :smile:]"));
  ASSERT_EQ(link.parts.size(), 2u);
  EXPECT_EQ(ShowMarkup(link.parts[0].text).links, (std::vector<std::wstring>{L"x=|link|https://a.test/x:smile:y|"}));
  EXPECT_TRUE(link.parts[1].IsEmoji());
}

TEST(MessageLayout, TextLayoutAndHeights) {
  const EmojiSplit lone = SplitEmoji(L":smile:");
  EXPECT_EQ(ChooseTextLayout(lone, false, TextPlace::kMessage), TextLayout::kEmojiRow);
  EXPECT_EQ(EmojiRowItemHeight(lone.HasTail(), 999), 56);
  const EmojiSplit tailed = SplitEmoji(L"好的 :smile: 没问题");
  EXPECT_EQ(EmojiRowItemHeight(tailed.HasTail(), 17), 17 + 36);
  // A clock time matches the pattern: a row of texts, kept so.
  EXPECT_EQ(ChooseTextLayout(SplitEmoji(L"会议 12:30:45 开始"), false, TextPlace::kMessage), TextLayout::kEmojiRow);

  const EmojiSplit plain = SplitEmoji(L"纯文本");
  EXPECT_EQ(ChooseTextLayout(plain, false, TextPlace::kMessage), TextLayout::kSelectableText);
  EXPECT_EQ(ChooseTextLayout(plain, true, TextPlace::kMessage), TextLayout::kMarkupText);
  EXPECT_EQ(ChooseTextLayout(plain, false, TextPlace::kCard), TextLayout::kMarkupText);
  EXPECT_EQ(EmojiRowTextHeight(false, 40, 20), 20) << "a card row without a tail is its tallest part";
}

TEST(MessageLayout, RoutingAndPaging) {
  for (int unsupported : {2, 9, 33, 41}) {
    EXPECT_EQ(BuilderForContentType(unsupported), MessageBuilder::kUnsupported) << unsupported;
  }
  EXPECT_EQ(BuilderForContentType(32), MessageBuilder::kAttachment);

  EXPECT_TRUE(NeedsLoadMoreButton(20, 1));
  EXPECT_FALSE(NeedsLoadMoreButton(19, 1));
  EXPECT_TRUE(NeedsLoadMoreButton(40, 2));
  EXPECT_FALSE(NeedsLoadMoreButton(20, 2)) << "only a full set of pages";
}

}  // namespace
