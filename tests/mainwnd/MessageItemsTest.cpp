#include <gtest/gtest.h>

#include "app/text/ServiceConstants.h"
#include "app/text/StringTable.h"
#include "mainwnd/messages/AttachmentCard.h"
#include "mainwnd/messages/MessageItemNames.h"
#include "mainwnd/messages/MessageMarkup.h"
#include "mainwnd/messages/MessageSender.h"
#include "mainwnd/messages/ShareTexts.h"
#include "mainwnd/ShownMarkup.h"
#include "mireloom/Message.h"
#include "mireloom/testing.h"

namespace {

using namespace messageview;
namespace mt = mireloom::testing;

bool EndsWith(const std::string& text, const std::string& end) {
  return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

TEST(ShareTexts, ThumbnailSizesAndAddresses) {
  EXPECT_EQ(ThumbnailAddress("t1/abc", "png", ThumbnailSizeOf(400, 100)),
            "https://" + FileHost + "/thumb/t1/abc_120x30.png");
  EXPECT_TRUE(EndsWith(ThumbnailAddress("t1/abc", "gif", ThumbnailSizeOf(100, 400)), "_30x120.gif"));
  for (const auto& [w, h] : {std::pair{0, 0}, {400, 0}, {0, 400}}) {
    EXPECT_TRUE(EndsWith(ThumbnailAddress("t1/abc", "jpg", ThumbnailSizeOf(w, h)), "_0x0.png")) << w << "x" << h;
  }
  EXPECT_EQ(ThumbnailSizeOf(2000000000, 1999999999).height, 119) << "no overflow on huge sides";
}

std::wstring Wide(const std::string& ascii) { return std::wstring(ascii.begin(), ascii.end()); }

TEST(ShareTexts, TitlesLinkTheirNamePart) {
  const auto saved = StringTable;
  StringTable["ShareFileTitle"] = "分享了";
  const std::string address = ShareDownloadAddress("ent-1", "team-demo");
  const ShownMarkup title = ShowMarkup(ShareTitle(address, FormatMessageText("分享了图片: 截图{1}.png")));
  StringTable = saved;
  EXPECT_EQ(title.plain, L"分享了  截图{1}.png");
  EXPECT_EQ(title.links, (std::vector<std::wstring>{L"x=|link|" + Wide(FileEntitiesUrl) + L"ent-1/from-s3?team_id=team-demo|"}));

  const ShownMarkup comment = ShowMarkup(CommentText(CommentFileAddress("p/q", "png"), FormatMessageText("한 截图.png"),
                                                     FormatMessageText("浅一点 {/a}")));
  EXPECT_EQ(comment.plain, L"评论了: 한 截图.png\n浅一点 {/a}");
  EXPECT_EQ(comment.links.size(), 1u);
}

TEST(ShareTexts, MailSubjectAndSenderMakeNoLinks) {
  const std::string address = MailAddress("demo", "ent-mail");
  EXPECT_EQ(address, "https://" + TeamHost("demo") + "/files/ent-mail");
  const ShownMarkup body = ShowMarkup(MailBody(address, "预算]审批|", "Eve <eve@x.test> [https://evil.test|点我]"));
  EXPECT_EQ(body.plain, L"标题：预算]审批|\n来自：Eve <eve@x.test> [https://evil.test|点我]");
  EXPECT_EQ(body.links, (std::vector<std::wstring>{L"x=|link|" + Wide(address) + L"|"}));
  EXPECT_EQ(ShowMarkup(MailBody(address, "", "a")).plain, L"标题：" + Wide(address) + L"\n来自：a")
      << "a mail without a subject shows its address";
}

mireloom::Attachment::Field Field(bool is_short) { return {"标签", "值", is_short}; }

TEST(AttachmentCard, ColoursAndTexts) {
  EXPECT_EQ(CardBarColor(""), 0xFFA5D8F5u);
  EXPECT_EQ(CardBarColor("#f5a623"), 0xFFF5A623u);
  EXPECT_EQ(CardBarColor("#zz"), 0u) << "unreadable: transparent";
  EXPECT_EQ(ParseHexColor("0x1F"), 0x1Fu);

  const CardTexts empty = DescribeCard(nullptr, mireloom::Message::kTaskCard);
  EXPECT_TRUE(empty.pretext.empty() && empty.title.empty() && empty.author.empty() && empty.text.empty());
  EXPECT_TRUE(empty.fields.empty());

  mireloom::Attachment::Data data;
  data.title = "完成登录页";
  data.title_link = "1024";
  data.author_name = "周一鸣";
  const mireloom::Attachment task(data);
  const CardTexts card = DescribeCard(&task, mireloom::Message::kTaskCard);
  EXPECT_EQ(card.title_name, L"tasks_1024");
  EXPECT_EQ(ShowMarkup(card.title).links, (std::vector<std::wstring>{L"x=|link|1024|"}));
  EXPECT_EQ(ShowMarkup(card.author).plain, L"周一鸣");
  EXPECT_EQ(DescribeCard(&task, mireloom::Message::kServiceCard).title_name, L"1024");
}

TEST(AttachmentCard, FieldPairsAndHeights) {
  // Two half-width fields share a row; the third pairs with nothing and is
  // laid out by its own flag.
  const auto pairs = PairFields({Field(true), Field(true), Field(false)});
  ASSERT_EQ(pairs.size(), 2u);
  EXPECT_TRUE(pairs[0].side_by_side);
  EXPECT_EQ(pairs[0].second, 1u);
  EXPECT_EQ(FieldPairHeight(pairs[0], 30, 44), 44);
  EXPECT_EQ(pairs[1].first, 2u);
  EXPECT_FALSE(pairs[1].second);
  EXPECT_FALSE(pairs[1].side_by_side);
  EXPECT_EQ(FieldPairHeight(pairs[1], 30, 99), 30) << "no second half";
  // Only the first field's flag decides: a full field stacks its partner.
  const auto stacked = PairFields({Field(false), Field(true)});
  EXPECT_EQ(FieldPairHeight(stacked[0], 30, 44), 74);
  EXPECT_EQ(DescribeField(Field(true)).width, 285);
  EXPECT_EQ(DescribeField(Field(false)).width, 570);
  const FieldTexts texts = DescribeField({"{c #FF0000}标签", "[https://a.test|值]", false});
  EXPECT_EQ(ShowMarkup(texts.label).plain, L"{c #FF0000}标签");
  EXPECT_EQ(ShowMarkup(texts.value).links.size(), 1u);

  const CardHeights heights = CardHeightsOf(20, 18, 16, 40, 74);
  EXPECT_EQ(heights.bar, 18 + 16 + 40 + 74);
  EXPECT_EQ(heights.item, 20 + 50 + heights.bar);
}

TEST(MessageItemNames, ReadersCheckTheirParts) {
  std::string key = "untouched";
  EXPECT_FALSE(ImageItemName(L"image_", &key)) << "a marker without an id";
  EXPECT_FALSE(ImageItemName(L"file_", &key));
  EXPECT_EQ(key, "untouched");
  EXPECT_TRUE(ImageItemName(ImageItemNameFor("t1.png"), &key));
  EXPECT_EQ(key, "t1.png");
  EXPECT_TRUE(SnippetItemName(SnippetItemNameFor("ent-snip"), &key));
  EXPECT_EQ(key, "ent-snip");
  EXPECT_TRUE(FileItemName(kFileItemName));
  // Only at the start: a card's title carries its server-given link.
  EXPECT_FALSE(ImageItemName(L"tasks_image_1", &key));
  EXPECT_FALSE(SnippetItemName(L"tasks_snippet_1", &key));
  EXPECT_FALSE(FileItemName(L"https://x.example/file_1"));

  std::string first = "untouched", second = "untouched";
  for (const wchar_t* name : {L"tasks_", L"_", L"plain"}) EXPECT_FALSE(SplitItemName(name, &first, &second)) << name;
  EXPECT_TRUE(SplitItemName(L"a_b", &first));
  EXPECT_EQ(first, "untouched") << "the first part is handed out only with the second";
  EXPECT_TRUE(SplitItemName(L"calendar/events_2048", &first, &second));
  EXPECT_EQ(first + " " + second, "calendar/events 2048");
}

TEST(MessageSender, UsersAndServicesFromTheirCaches) {
  mt::ScopedCore core;
  mt::InstallSession("usr-zhou", "team-demo", {}, core.DataFolder());
  mireloom::User::Data user;
  user.uid = "usr-x";
  user.display_name = "小明";
  user.header_uri = "avatars/x.png";
  mt::PreloadUsers({user});
  mireloom::Service::Data service;
  service.service_id = "svc-x";
  service.display_name = "任务";
  service.avatar_url = "services/tasks.png";
  mt::PreloadServices({service});

  mireloom::Message::Data data;
  data.uid = "usr-x";
  const auto from_user = FindMessageSender(mireloom::Message(data));
  ASSERT_TRUE(from_user);
  EXPECT_EQ(from_user->name, L"小明");
  EXPECT_EQ(from_user->avatar_address, AvatarBaseUrl + from_user->avatar_key);

  data.uid = "svc-x";
  data.sender_type = mireloom::Message::kServiceSender;
  const auto from_service = FindMessageSender(mireloom::Message(data));
  ASSERT_TRUE(from_service);
  EXPECT_EQ(from_service->avatar_address, StaticBaseUrl + "services/tasks.png");

  data.uid = "usr-gone";
  data.sender_type = mireloom::Message::kUserSender;
  EXPECT_FALSE(FindMessageSender(mireloom::Message(data))) << "an uncached user shows nothing";
  data.uid = "usr-x";
  data.sender_type = 7;
  EXPECT_FALSE(FindMessageSender(mireloom::Message(data)));
}

}  // namespace
