// Figures, not timed tests: how long the core takes for a demo sign-in and
// for opening a long conversation from the cache. Printed for the record;
// only the results are checked.

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>

#include "CoreTestSupport.h"
#include "mireloom/ChatManager.h"
#include "mireloom/UserManager.h"

using namespace mireloom;
namespace mt = mireloom::testing;
using Clock = std::chrono::steady_clock;

namespace {

double MillisecondsSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

void Report(const char* what, double milliseconds) {
  std::printf("BENCHMARK %-52s %8.1f ms\n", what, milliseconds);
  ::testing::Test::RecordProperty(what, std::to_string(milliseconds));
}

}  // namespace

TEST(CoreBenchmark, DemoSignInAndALongConversation) {
  auto start = Clock::now();
  mt::ScopedCore core;
  Report("starting the service: demo files into a new store", MillisecondsSince(start));
  start = Clock::now();
  ASSERT_TRUE(mt::SignIn("zhou", core.DataFolder()));
  ASSERT_TRUE(mt::FetchMainWindowData());
  Report("sign-in of zhou through the core (first)", MillisecondsSince(start));

  start = Clock::now();
  ASSERT_TRUE(mt::SignIn("zhou", core.DataFolder()));
  ASSERT_TRUE(mt::FetchMainWindowData());
  Report("sign-in of zhou through the core (again)", MillisecondsSince(start));

  start = Clock::now();
  auto messages = ChatManager::DefaultManager()->FetchMessagesFromCache("chn-history", 0, 2147483647, 1000, nullptr,
                                                                        nullptr, false);
  Report("opening chn-history, 1,000 messages from the cache", MillisecondsSince(start));
  EXPECT_EQ(messages.size(), 1000u);
}

TEST(CoreBenchmark, AGeneratedTeamOfFiveThousand) {
  mt::ScopedCore core;
  mt::GenerateTeam(5000, 1000);
  auto start = Clock::now();
  ASSERT_TRUE(mt::SignIn("zhou", core.DataFolder()));
  ASSERT_TRUE(mt::FetchMainWindowData());
  Report("sign-in with 5,000 more members, 1,000 more per conversation", MillisecondsSince(start));
  EXPECT_EQ(UserManager::DefaultManager()->FetchUsersFromCache().size(), 5019u);

  start = Clock::now();
  auto users = UserManager::DefaultManager()->FetchUsersExceptStateFromCache(User::kDisabled);
  Report("reading 5,000 members from the cache", MillisecondsSince(start));
  EXPECT_EQ(users.size(), 5018u);
  start = Clock::now();
  auto messages =
      ChatManager::DefaultManager()->FetchMessagesFromCache("chn-general", 0, 2147483647, 1000, nullptr, nullptr, false);
  Report("opening chn-general, 1,000 messages from the cache", MillisecondsSince(start));
  EXPECT_EQ(messages.size(), 1000u);
}
