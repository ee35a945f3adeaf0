#include <gtest/gtest.h>

#include "mireloom/ChatManager.h"
#include "mireloom/ChannelManager.h"
#include "mireloom/Director.h"
#include "mireloom/testing.h"

using namespace mireloom;
namespace mt = mireloom::testing;

TEST(Smoke, SignsInAndFetches) {
  mt::ScopedCore core;
  ASSERT_TRUE(mt::SignIn("zhou", core.DataFolder()));
  ASSERT_TRUE(mt::FetchMainWindowData());
  EXPECT_EQ(ChatManager::DefaultManager()->NumUnreadInCurrentTeam().num_unread, 137u);
  EXPECT_EQ(ChannelManager::DefaultManager()->FetchChannelsFromCache().size(), 11u);
  auto messages = ChatManager::DefaultManager()->FetchMessagesFromCache("chn-history", 0, 2147483647, 20, nullptr, nullptr, false);
  EXPECT_EQ(messages.size(), 20u);
}
