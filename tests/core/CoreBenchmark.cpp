// Figures, not timed tests: how long the core takes for a demo sign-in and
// for opening a long conversation from the cache. Printed for the record;
// only the results are checked.

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>

#include "CoreTestSupport.h"
#include "mireloom/ChatManager.h"
#include "mireloom/UserManager.h"
#include "mireloom/ChannelManager.h"
#include "mireloom/Director.h"
#include "mireloom/IMManager.h"

#include <functional>
#include <future>
#include <string>

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

namespace {

using Step = std::function<void(std::function<void(bool, const std::string&)>)>;

// Runs one core operation to its completion and reports its time.
bool TimedStep(const std::string& what, const Step& call) {
  const auto start = Clock::now();
  std::promise<bool> done;
  call([&done](bool ok, const std::string&) { done.set_value(ok); });
  const bool ok = done.get_future().get();
  Report(what.c_str(), MillisecondsSince(start));
  return ok;
}

// Zhou's sign-in and the main window's fetches, step by step.
void TimeSignIn(const mt::ScopedCore& core, const std::string& label) {
  auto start = Clock::now();
  ASSERT_TRUE(mt::SignIn("zhou", core.DataFolder(), "demo", "demo1234", false));
  Report((label + ": sign-in road whole (members, statuses, services)").c_str(), MillisecondsSince(start));
  start = Clock::now();
  const _NumUnread unread = ChatManager::DefaultManager()->NumUnreadInCurrentTeam();
  Report((label + ": unread in the team from the cache").c_str(), MillisecondsSince(start));
  (void)unread;
  ASSERT_TRUE(TimedStep(label + ": members again", [](auto done) {
    UserManager::DefaultManager()->GetTeamMembers([done](bool ok, const std::string& error, auto) { done(ok, error); });
  }));
  ASSERT_TRUE(TimedStep(label + ": statuses", [](auto done) { UserManager::DefaultManager()->GetUsersStatus(done); }));
  ASSERT_TRUE(TimedStep(label + ": channels", [](auto done) {
    ChannelManager::DefaultManager()->GetChannels(false,
                                                  [done](bool ok, const std::string& error, auto) { done(ok, error); });
  }));
  ASSERT_TRUE(TimedStep(label + ": IMs", [](auto done) {
    IMManager::DefaultManager()->GetIMs([done](bool ok, const std::string& error, auto) { done(ok, error); });
  }));
  ASSERT_TRUE(TimedStep(label + ": recent messages", [](auto done) {
    ChatManager::DefaultManager()->SyncRecentMessagesWithServer(20, done);
  }));
  ASSERT_TRUE(
      TimedStep(label + ": unread from the service", [](auto done) { ChatManager::DefaultManager()->GetNumUnreadFromServer(done); }));
}

}  // namespace

TEST(CoreBenchmark, BigTeamsSignInFirstAndAgain) {
  for (int members : {0, 5000, 10000}) {
    mt::ScopedCore core;
    if (members > 0) mt::GenerateTeam(members, 0);
    const std::string label = "+" + std::to_string(members);
    TimeSignIn(core, label + " first");
    auto start = Clock::now();
    Director::ResetDefaultDirector(nullptr);
    Report((label + " director gone").c_str(), MillisecondsSince(start));
    TimeSignIn(core, label + " again");
  }
}
