// The main window's logic that needs no window: the session order, the kind
// of an id, item names, badge texts and where things are placed.

#include <gtest/gtest.h>

#include <algorithm>

#include "mainwnd/sessions/BadgeTexts.h"
#include "mainwnd/sessions/SessionEntry.h"
#include "mainwnd/sessions/SessionItemNames.h"
#include "mainwnd/shell/MainWndGeometry.h"
#include "mireloom/Channel.h"
#include "mireloom/IM.h"

namespace mireloomwnd {
namespace {

std::vector<std::string> SortedIds(std::vector<std::pair<std::string, int64_t>> sessions) {
  SessionEntries entries;
  for (const auto& [id, time] : sessions) entries.push_back(std::make_unique<SessionEntry>(id, time, false));
  std::sort(entries.begin(), entries.end(), CompareSessions);
  std::vector<std::string> ids;
  for (const auto& entry : entries) ids.push_back(entry->id());
  return ids;
}

TEST(SessionOrderTest, NewestFirstWithSignedTimes) {
  EXPECT_EQ(SortedIds({{"five", 5}, {"nine", 9}}), (std::vector<std::string>{"nine", "five"}));
  // A negative time is older than no message at all.
  EXPECT_EQ(SortedIds({{"negative", -3}, {"empty", 0}, {"one", 1}}),
            (std::vector<std::string>{"one", "empty", "negative"}));
}

TEST(SessionOrderTest, IndexesAndKindsOfIds) {
  SessionEntries entries;
  entries.push_back(std::make_unique<SessionEntry>("c1", 9, false));
  entries.push_back(std::make_unique<SessionEntry>("i1", 5, true));
  EXPECT_EQ(FindSessionIndex(entries, "c1"), 0);
  EXPECT_EQ(FindSessionIndex(entries, "i1"), 1);
  EXPECT_EQ(FindSessionIndex(entries, "C1"), -1);

  std::vector<std::unique_ptr<mireloom::Channel>> channels;
  channels.push_back(std::make_unique<mireloom::Channel>(mireloom::Channel::Data{"shared"}));
  std::vector<std::unique_ptr<mireloom::IM>> ims;
  ims.push_back(std::make_unique<mireloom::IM>(mireloom::IM::Data{"shared"}));
  ims.push_back(std::make_unique<mireloom::IM>(mireloom::IM::Data{"im"}));
  EXPECT_EQ(SessionTypeOf("shared", channels, ims), kSessionChannel) << "channels are searched first";
  EXPECT_EQ(SessionTypeOf("im", channels, ims), kSessionIm);
  EXPECT_EQ(SessionTypeOf("nobody", channels, ims), kSessionNone);
}

TEST(SessionItemNameTest, NamesReadBackToTheirConversation) {
  SessionType type = kSessionNone;
  std::string id;
  EXPECT_TRUE(ParseSessionItemName(SessionItemName(kSessionIm, "42"), &type, &id));
  EXPECT_EQ(type, kSessionIm);
  EXPECT_EQ(id, "42");
  EXPECT_TRUE(ParseSessionItemName(SessionItemName(kSessionChannel, "chn-general"), &type, nullptr));
  EXPECT_EQ(type, kSessionChannel);

  // An id holding "_" is never read back.
  for (const char* name : {"", "imItem", "imItem_4_2", "other_42"}) {
    std::string unchanged = "kept";
    EXPECT_FALSE(ParseSessionItemName(name, &type, &unchanged)) << name;
    EXPECT_EQ(unchanged, "kept") << name;
  }
}

TEST(BadgeTextTest, CountsAndDots) {
  EXPECT_FALSE(IsBadgeShown(0));
  EXPECT_FALSE(IsBadgeShown(-1));
  EXPECT_FALSE(UnreadBadgeText(0).has_value());
  EXPECT_EQ(UnreadBadgeText(7), L"7");
  EXPECT_EQ(UnreadBadgeText(99), L"99");
  EXPECT_EQ(UnreadBadgeText(100), L"99+");
  // The dot follows the second number, whatever the count says.
  EXPECT_FALSE(ShowsChannelDot({5, 0}));
  EXPECT_TRUE(ShowsChannelDot({0, 1}));
}

TEST(PlacementTest, SideCardsEmojiPickerAndListScroll) {
  const Placement card = SideCardPlacement({100, 50, 1180, 770});
  EXPECT_EQ(card.x, 860);
  EXPECT_EQ(card.y, 80);
  EXPECT_EQ(card.height, 690);
  const POINT picker = EmojiPickerPosition({400, 600, 432, 632});
  EXPECT_EQ(picker.x, 184);
  EXPECT_EQ(picker.y, 364);
  EXPECT_EQ(SessionScrollOffset(3, true), 140);
  EXPECT_FALSE(SessionScrollOffset(0, true).has_value());
  EXPECT_FALSE(SessionScrollOffset(3, false).has_value());
}

}  // namespace
}  // namespace mireloomwnd
