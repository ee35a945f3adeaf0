// The completion contract: exactly once, on a core thread, never waiting for
// another completion, free to call back into the core, and failed when the
// session ends first.

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "CoreTestSupport.h"
#include "mireloom/Auth.h"
#include "mireloom/CallManager.h"
#include "mireloom/ChannelManager.h"
#include "mireloom/ChatManager.h"
#include "mireloom/Director.h"
#include "mireloom/IMManager.h"
#include "mireloom/UserManager.h"
#include "mireloom/WebApi.h"
#include "support/ProcessFigures.h"

using namespace mireloom;
using core_test::Completion;
using core_test::Done;
namespace mt = mireloom::testing;

namespace {

class CompletionContract : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(core_test::SignInWithData(m_core)); }
  mt::ScopedCore m_core;
};

// A gate a completion can be held at.
class Gate final {
 public:
  void Open() {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_open = true;
    m_cv.notify_all();
  }
  void Wait() {
    std::unique_lock<std::mutex> lock(m_mutex);
    m_cv.wait(lock, [this] { return m_open; });
  }

 private:
  std::mutex m_mutex;
  std::condition_variable m_cv;
  bool m_open = false;
};

}  // namespace

TEST_F(CompletionContract, EveryRoadCompletesOnceOffTheCallersThread) {
  Completion<bool, std::string, std::vector<std::unique_ptr<Channel>>> channels;
  Completion<bool, std::string, std::unique_ptr<IM>> unknown_im;
  Completion<bool, std::unique_ptr<Message>> empty_send;
  Completion<bool, std::string> empty_cancel;
  Completion<bool, std::string> scripted;
  Completion<bool, int64_t, std::string, std::string, std::string, bool> team;
  mt::Script("IMManager::ActiveIM").Fail(500, "scripted");

  ChannelManager::DefaultManager()->GetChannels(false, channels.Callback());
  IMManager::DefaultManager()->NewIM("usr-nobody", unknown_im.Callback());
  ChatManager::DefaultManager()->SendMessage(Message::TextMessageForChannel("", "x"), empty_send.Callback());
  CallManager::DefaultManager()->CancelCallById("", empty_cancel.Callback());
  IMManager::DefaultManager()->ActiveIM("im-zhou-qian", scripted.Callback());
  WebApi::Api()->GetTeamLiteBySubdomain("demo", team.Callback());
  ASSERT_TRUE(mt::WaitIdle());

  const DWORD me = GetCurrentThreadId();
  EXPECT_EQ(channels.calls(), 1);
  EXPECT_TRUE(channels.Get<0>());
  EXPECT_EQ(unknown_im.calls(), 1);
  EXPECT_FALSE(unknown_im.Get<0>());
  EXPECT_EQ(unknown_im.Get<2>(), nullptr);
  EXPECT_EQ(empty_send.calls(), 1);
  EXPECT_FALSE(empty_send.Get<0>());
  EXPECT_EQ(empty_send.Get<1>(), nullptr);
  EXPECT_EQ(empty_cancel.calls(), 1);
  EXPECT_EQ(empty_cancel.Get<1>().rfind("400", 0), 0u) << "the error text starts with the code";
  EXPECT_EQ(scripted.calls(), 1);
  EXPECT_EQ(scripted.Get<1>(), "500 scripted");
  EXPECT_EQ(team.calls(), 1);
  for (DWORD thread : {channels.thread(), unknown_im.thread(), empty_send.thread(), empty_cancel.thread(),
                       scripted.thread(), team.thread()}) {
    EXPECT_NE(thread, me);
    EXPECT_NE(thread, 0u);
  }
}

TEST_F(CompletionContract, WithoutADirectorOperationsFailWith401OnACoreThread) {
  Director::ResetDefaultDirector(nullptr);
  Done done;
  Completion<bool, int64_t> password;
  IMManager::DefaultManager()->CloseIM("im-zhou-lin", done.Callback());
  WebApi::Api()->PutInitPassword("newpass1", password.Callback());
  ASSERT_TRUE(done.Wait());
  ASSERT_TRUE(password.Wait());
  EXPECT_FALSE(done.Get<0>());
  EXPECT_EQ(done.Get<1>(), "401 not signed in");
  EXPECT_NE(done.thread(), GetCurrentThreadId());
  EXPECT_FALSE(password.Get<0>());
  EXPECT_EQ(password.Get<1>(), 401);
}

TEST_F(CompletionContract, ACompletionBlockedForeverStallsNoOtherOperation) {
  // The team look-up's completion runs the next window's modal loop: it may
  // not return for the rest of the session.
  Gate gate;
  core_test::Arrivals blocked;
  WebApi::Api()->GetTeamLiteBySubdomain("demo", [&](bool, int64_t, const std::string&, const std::string&,
                                                     const std::string&, bool) {
    blocked.Arrive();
    gate.Wait();
  });
  ASSERT_TRUE(blocked.WaitFor(1));
  Completion<bool, int64_t, std::unique_ptr<Token>, std::unique_ptr<User>> login;
  Auth::SharedAuth()->PostLoginRequest("zhou", "demo1234", "team-demo", "demo", login.Callback());
  ASSERT_TRUE(login.Wait(5000)) << "the log-in completed while the look-up's completion was blocked";

  // Even several operations at once, each with a blocked completion, do not
  // wait, as long as they leave the pool some of its threads.
  constexpr int kBlocked = 6;
  core_test::Arrivals entered;
  for (int i = 0; i < kBlocked; ++i) {
    UserManager::DefaultManager()->GetUsersStatus([&](bool, const std::string&) {
      entered.Arrive();
      gate.Wait();
    });
  }
  Done last;
  ChatManager::DefaultManager()->GetNumUnreadFromServer(last.Callback());
  EXPECT_TRUE(last.Wait(5000));
  EXPECT_TRUE(entered.WaitFor(kBlocked)) << entered.count() << " of " << kBlocked << " completions ran";
  gate.Open();
  EXPECT_TRUE(mt::WaitIdle());
}

// Each thread costs its stack: the pool stops at its bound, and what comes
// beyond it waits its turn instead of starting a thread.
TEST_F(CompletionContract, ThePoolStopsAtItsBoundAndTheRestQueues) {
  constexpr int kMostPoolThreads = 16;
  constexpr int kOperations = 100;
  const int before = test_support::ThreadCount();
  Gate gate;
  core_test::Arrivals entered;
  std::vector<std::unique_ptr<Done>> done;
  for (int i = 0; i < kOperations; ++i) {
    done.push_back(std::make_unique<Done>());
    UserManager::DefaultManager()->GetUsersStatus([&, callback = done.back()->Callback()](bool ok, const std::string& error) {
      entered.Arrive();
      gate.Wait();
      callback(ok, error);
    });
  }
  ASSERT_TRUE(entered.WaitFor(1));
  EXPECT_LE(test_support::ThreadCount() - before, kMostPoolThreads);
  gate.Open();
  for (auto& one : done) EXPECT_TRUE(one->Wait()) << "a queued completion never ran";
  EXPECT_EQ(entered.count(), kOperations);
}

TEST_F(CompletionContract, CompletionsMayCallBackIntoTheCore) {
  Done chained;
  std::atomic<size_t> cached_channels{0};
  core_test::RecordingListener listener;
  ChatManager::DefaultManager()->AddMessageHandler(&listener);
  ChannelManager::DefaultManager()->GetChannels(false, [&](bool ok, const std::string&, auto) {
    // Cache reads, listener changes and new operations from inside a completion.
    cached_channels = ChannelManager::DefaultManager()->FetchChannelsFromCache().size();
    ChatManager::DefaultManager()->RemoveMessageHandler(&listener);
    ChatManager::DefaultManager()->MarkReadCursorForChannelInCache("chn-fe", 1, true);
    IMManager::DefaultManager()->GetIMs([&](bool ok, const std::string& error, auto) {
      chained.Callback()(ok, error);
    });
  });
  ASSERT_TRUE(chained.Wait());
  EXPECT_TRUE(chained.Get<0>());
  EXPECT_EQ(cached_channels.load(), 11u);
  EXPECT_EQ(ChatManager::DefaultManager()->NumUnreadInChannelFromMemCache("chn-fe").num_unread, 0u);
}

TEST_F(CompletionContract, ACompletionMayReplaceTheDirector) {
  Done replaced;
  ChannelManager::DefaultManager()->GetChannels(false, [&](bool, const std::string&, auto) {
    Director::ResetDefaultDirector(nullptr);
    replaced.Callback()(Director::DefaultDirector() == nullptr, "");
  });
  ASSERT_TRUE(replaced.Wait());
  EXPECT_TRUE(replaced.Get<0>());
}

TEST_F(CompletionContract, ReplacingTheDirectorFailsItsPendingOperationsOnce) {
  mt::Script("ChannelManager::GetChannels").Hold();
  mt::Script("IMManager::GetIMs").Delay(300);
  Completion<bool, std::string, std::vector<std::unique_ptr<Channel>>> held;
  Completion<bool, std::string, std::vector<std::unique_ptr<IM>>> delayed;
  ChannelManager::DefaultManager()->GetChannels(false, held.Callback());
  IMManager::DefaultManager()->GetIMs(delayed.Callback());
  ASSERT_NE(mt::WaitForHeld("ChannelManager::GetChannels"), 0);

  Director::ResetDefaultDirector(nullptr);
  ASSERT_TRUE(held.Wait());
  ASSERT_TRUE(delayed.Wait());
  EXPECT_FALSE(held.Get<0>());
  EXPECT_EQ(held.Get<1>(), "-2 session ended");
  EXPECT_TRUE(held.Get<2>().empty());
  EXPECT_FALSE(delayed.Get<0>());
  EXPECT_EQ(delayed.Get<1>(), "-2 session ended");
  ASSERT_TRUE(mt::WaitIdle());
  EXPECT_EQ(held.calls(), 1);
  EXPECT_EQ(delayed.calls(), 1);
}

TEST_F(CompletionContract, HeldCallsCompleteWhenReleased) {
  mt::Script("ChannelManager::LeaveChannel").Hold().Times(1);
  Done first;
  Done second;
  ChannelManager::DefaultManager()->LeaveChannel("chn-random", first.Callback());
  const int handle = mt::WaitForHeld("ChannelManager::LeaveChannel");
  ASSERT_NE(handle, 0);
  ChannelManager::DefaultManager()->LeaveChannel("chn-general", second.Callback());
  ASSERT_TRUE(second.Wait()) << "only the first call was held";
  EXPECT_EQ(second.Get<1>().rfind("403", 0), 0u);
  EXPECT_EQ(first.calls(), 0);
  EXPECT_TRUE(mt::Release(handle));
  EXPECT_FALSE(mt::Release(handle));
  ASSERT_TRUE(first.Wait());
  EXPECT_TRUE(first.Get<0>());
}

TEST_F(CompletionContract, SendMessageCompletesInCallOrder) {
  // Later sends are quicker: only the ordering keeps them in line.
  mt::Script("ChatManager::SendMessage").Delay(60).Times(1);
  std::mutex mutex;
  std::vector<std::string> order;
  constexpr int kCount = 12;
  for (int i = 0; i < kCount; ++i) {
    ChatManager::DefaultManager()->SendMessage(
        Message::TextMessageForChannel("chn-fe", "消息 " + std::to_string(i)),
        [&](bool ok, std::unique_ptr<Message> sent) {
          std::lock_guard<std::mutex> lock(mutex);
          order.push_back(ok && sent ? sent->content() : "failed");
        });
  }
  ASSERT_TRUE(mt::WaitIdle());
  ASSERT_EQ(order.size(), static_cast<size_t>(kCount));
  for (int i = 0; i < kCount; ++i) EXPECT_EQ(order[i], "消息 " + std::to_string(i));
}

TEST_F(CompletionContract, ScriptedAnswersFollowTheirRules) {
  mt::Script("UserManager::GetUsersStatus").Fail(-1, "unreachable").Times(2);
  for (int expected_ok : {0, 0, 1}) {
    Done done;
    UserManager::DefaultManager()->GetUsersStatus(done.Callback());
    ASSERT_TRUE(done.Wait());
    EXPECT_EQ(done.Get<0>(), expected_ok == 1);
  }
  mt::Script("Auth::PostLoginRequest").Answer(202).Times(1);
  Completion<bool, int64_t, std::unique_ptr<Token>, std::unique_ptr<User>> login;
  Auth::SharedAuth()->PostLoginRequest("zhou", "demo1234", "team-demo", "demo", login.Callback());
  ASSERT_TRUE(login.Wait());
  EXPECT_TRUE(login.Get<0>());
  EXPECT_EQ(login.Get<1>(), 202);
}

TEST_F(CompletionContract, TheCallLogKeepsOrderThreadsAndOutcomes) {
  mt::ClearCallLog();
  Done done;
  ChannelManager::DefaultManager()->LeaveChannel("chn-general", done.Callback());
  ASSERT_TRUE(done.Wait());
  ASSERT_TRUE(mt::WaitIdle());
  const auto log = mt::CallLog();
  ASSERT_GE(log.size(), 2u);
  EXPECT_EQ(log[0].kind, mt::CallRecord::kCall);
  EXPECT_EQ(log[0].name, "ChannelManager::LeaveChannel");
  EXPECT_EQ(log[0].thread, GetCurrentThreadId());
  EXPECT_EQ(log[1].kind, mt::CallRecord::kCompletion);
  EXPECT_FALSE(log[1].ok);
  EXPECT_EQ(log[1].code, 403);
  EXPECT_NE(log[1].thread, GetCurrentThreadId());
}

// The running program never turns the log on, so it cannot grow there.
TEST_F(CompletionContract, TheCallLogRecordsOnlyWhileTurnedOn) {
  mt::RecordCallLog(false);
  mt::ClearCallLog();
  Done done;
  ChannelManager::DefaultManager()->LeaveChannel("chn-general", done.Callback());
  ASSERT_TRUE(done.Wait());
  ASSERT_TRUE(mt::WaitIdle());
  EXPECT_TRUE(mt::CallLog().empty());
  mt::RecordCallLog(true);
}
