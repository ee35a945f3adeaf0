#include <gtest/gtest.h>

#include <set>

#include "CoreTestSupport.h"
#include "mireloom/Channel.h"
#include "mireloom/Entity.h"
#include "mireloom/MessageFormatter.h"
#include "mireloom/Types.h"

using namespace mireloom;

namespace {

struct Piece {
  int type;
  std::string formatted;
  std::string display;
  std::string value;  // link, uid or channel id
};

std::vector<Piece> Read(const std::string& text) {
  std::vector<Piece> pieces;
  for (const auto& result : MessageFormatter::SharedFormatter()->ReadFormattedMessage(text)) {
    const std::string value = !result->GetLink().empty() ? result->GetLink()
                              : !result->GetUid().empty() ? result->GetUid()
                                                          : result->GetChannelId();
    pieces.push_back({result->checking_type(), result->formatted_str(), result->ExtractDisplayString(), value});
  }
  return pieces;
}

}  // namespace

TEST(MessageFormatter, ReadsEveryKindOfPieceInTextOrder) {
  const auto pieces = Read("看 [https://a.corvanel.test/x|文档] 和 [@usr-lin|林晓] 在 [#chn-fe|前端] [!all] `make test`");
  ASSERT_EQ(pieces.size(), 5u);
  EXPECT_EQ(pieces[0].type, MessageCheckingResult::kLink);
  EXPECT_EQ(pieces[0].formatted, "[https://a.corvanel.test/x|文档]");
  EXPECT_EQ(pieces[0].display, "文档");
  EXPECT_EQ(pieces[0].value, "https://a.corvanel.test/x");
  EXPECT_EQ(pieces[1].type, MessageCheckingResult::kUserMention);
  EXPECT_EQ(pieces[1].display, "@林晓");
  EXPECT_EQ(pieces[1].value, "usr-lin");
  EXPECT_EQ(pieces[2].type, MessageCheckingResult::kChannelMention);
  EXPECT_EQ(pieces[2].display, "#前端");
  EXPECT_EQ(pieces[2].value, "chn-fe");
  EXPECT_EQ(pieces[3].type, MessageCheckingResult::kCommand);
  EXPECT_EQ(pieces[3].display, "@all");
  EXPECT_EQ(pieces[4].type, MessageCheckingResult::kCodeSpan);
  EXPECT_EQ(pieces[4].display, "make test");
}

TEST(MessageFormatter, LinksOfTheClientsRoads) {
  // A service share's public address and a mail body each give one link.
  auto share = Read("[https://www.corvanel.test/blog/release]");
  ASSERT_EQ(share.size(), 1u);
  EXPECT_EQ(share[0].display, "https://www.corvanel.test/blog/release");
  auto mail = Read("[https://demo.corvanel.test/files/ent-mail|季度预算审批]");
  ASSERT_EQ(mail.size(), 1u);
  EXPECT_EQ(mail[0].display, "季度预算审批");
  auto mailto = Read("[mailto:finance@corvanel.test]");
  ASSERT_EQ(mailto.size(), 1u);
  EXPECT_EQ(mailto[0].value, "mailto:finance@corvanel.test");
}

TEST(MessageFormatter, AnythingElseIsLiteral) {
  for (const std::string text : {"[不是链接]", "[ftp://x.test/a]", "[https://unterminated", "`open", "[@]", "[#]",
                                 "[https://a b.test]", "100% %s %d", "{a x=|link|file:///C:/Windows|}点我{/a}", "", "[]",
                                 "``"}) {
    EXPECT_TRUE(Read(text).empty()) << text;
  }
  // A literal bracket does not hide a piece after it.
  auto after = Read("[x [https://a.test/y] `z`");
  ASSERT_EQ(after.size(), 2u);
  EXPECT_EQ(after[0].formatted, "[https://a.test/y]");
  EXPECT_EQ(after[1].formatted, "`z`");
}

TEST(MessageFormatter, PiecesAreSubstringsAndDoNotOverlap) {
  const std::string text = "[@usr-zhou] `a[b]` [https://x.test|[]] [#chn-general]";
  size_t last_end = 0;
  for (const auto& piece : Read(text)) {
    const size_t at = text.find(piece.formatted, last_end);
    ASSERT_NE(at, std::string::npos) << piece.formatted;
    last_end = at + piece.formatted.size();
  }
  // Without a session, mentions without a name fall back to the id.
  const auto pieces = Read("[@usr-zhou]");
  ASSERT_EQ(pieces.size(), 1u);
  EXPECT_EQ(pieces[0].display, "@usr-zhou");
}

TEST(Entity, InitWithJsonOrDieRefusesBadInputAndKeepsTheEntity) {
  Entity entity;
  ASSERT_TRUE(entity.InitWithJsonOrDie(R"({"entity_id":"ent-1","entity_type":5,"title":"图.png","thumb_width":400,
      "thumb_height":100,"file_size":12,"comments":[{"comment_id":"c1","content":"好"}]})"));
  EXPECT_EQ(entity.entity_id(), "ent-1");
  EXPECT_EQ(entity.entity_type(), Entity::kImage);
  EXPECT_EQ(entity.thumb_width(), 400);
  ASSERT_EQ(entity.comments().size(), 1u);
  EXPECT_EQ(entity.comments()[0]->content(), "好");

  for (const std::string bad : {"", "not json", "[1,2]", R"({"title":"no id"})", R"({"entity_id":5})",
                                R"({"entity_id":"e","thumb_width":"wide"})", R"({"entity_id":"e","file_size":[]})",
                                "{\"entity_id\":\"e\""}) {
    EXPECT_FALSE(entity.InitWithJsonOrDie(bad)) << bad;
    EXPECT_EQ(entity.entity_id(), "ent-1") << "a refused text changes nothing";
  }
  // Fields not given stay empty.
  Entity minimal;
  ASSERT_TRUE(minimal.InitWithJsonOrDie(R"({"entity_id":"e2"})"));
  EXPECT_EQ(minimal.title(), "");
  EXPECT_EQ(minimal.file_size(), 0);
}

TEST(Entity, ClonesAreIndependent) {
  Entity::Data data;
  data.entity_id = "ent-1";
  data.comments.push_back({"c1", "ent-1", "usr-lin", 5, "原文"});
  Entity original(data);
  auto clone = original.Clone();
  ASSERT_EQ(clone->comments().size(), 1u);
  EXPECT_NE(clone->comments()[0].get(), original.comments()[0].get());
  EXPECT_EQ(clone->comments()[0]->content(), "原文");
}

TEST(AvatarUrl, NamesAreSafeDistinctPerSizeAndSurviveSizeMarks) {
  EXPECT_EQ(avatar_url("", 40, 40, 1), "");
  EXPECT_EQ(avatar_url("0123456789abcdef", 40, 40, 1), "s40x40-0123456789abcdef.png");
  EXPECT_EQ(avatar_url("0123456789abcdef", 40, 40, 2), "s80x80-0123456789abcdef.png");
  std::set<std::string> keys;
  const std::string uri = "0123456789abcdef0123456789abcdef0123456789";  // longer than a cache key
  for (int size : {40, 60, 108, 160}) {
    const std::string name = avatar_url(uri, size, size, 1);
    ASSERT_GE(name.size(), 2u);
    for (char c : name) EXPECT_TRUE((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '.' || c == '-') << name;
    // The client marks sizes by replacing the first one or two characters.
    std::string marked_first = name.substr(0, 36);
    std::string bang = marked_first;
    bang[0] = '!';
    marked_first[0] = '+';
    std::string marked_both = marked_first;
    marked_both[1] = '+';
    for (const std::string& key : {name.substr(0, 36), marked_first, bang, marked_both}) {
      EXPECT_TRUE(keys.insert(key).second) << "collision: " << key;
    }
  }
  EXPECT_EQ(avatar_url("ABC_d/e", 40, 40, 1), "s40x40-abc-d-e.png") << "server text becomes a safe name";
}

TEST(PreferredColor, PaletteRoundTripsAndUnknownGivesZero) {
  std::set<std::string> seen;
  for (int i = 0; i < kPreferredColorCount; ++i) {
    const std::string hex = preferred_color_to_hex_string(static_cast<PreferredColor>(i));
    ASSERT_EQ(hex.size(), 7u);
    EXPECT_EQ(hex[0], '#');
    EXPECT_TRUE(seen.insert(hex).second);
    EXPECT_EQ(preferred_color_from_hex_string(hex), i);
    std::string upper = hex;
    for (char& c : upper) c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
    EXPECT_EQ(preferred_color_from_hex_string(upper), i) << "case is ignored";
  }
  EXPECT_EQ(preferred_color_to_hex_string(static_cast<PreferredColor>(18)), "#4bbcb7");
  EXPECT_EQ(preferred_color_to_hex_string(static_cast<PreferredColor>(-1)), "#4bbcb7");
  EXPECT_EQ(preferred_color_from_hex_string("#123456"), 0);
  EXPECT_EQ(preferred_color_from_hex_string(""), 0);
}
