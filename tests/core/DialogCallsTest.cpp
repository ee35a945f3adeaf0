// What the member, channel, call and feedback dialogs rely on: the numbers of
// the contract, each of their server operations completing exactly once off
// the caller's thread, and the service keeping what the client asked for.

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <map>
#include <memory>

#include "CoreTestSupport.h"
#include "mireloom/CallManager.h"
#include "mireloom/ChannelManager.h"
#include "mireloom/Entity.h"
#include "mireloom/IMManager.h"
#include "mireloom/Message.h"
#include "mireloom/WebApi.h"

using namespace mireloom;
using core_test::Completion;
using core_test::Done;
namespace mt = mireloom::testing;

// The dialogs send and compare these numbers as they are.
static_assert(Channel::kPublic == 1 && Channel::kPrivate == 2);
static_assert(Message::kChannelMessage == 1 && Message::kDirectMessage == 2);
static_assert(Entity::kAll == 0 && Entity::kImage == 5 && Entity::kDocument == 7 && Entity::kSnippet == 8);
static_assert(kPreferredColorFirst == 0 && kPreferredColorLast == 17 && kPreferredColorCount == 18);
static_assert(User::kDisabled == 2);
static_assert(Permission::kChatModuleSetVisibility == 2);
static_assert(kClientTypeWindows == 14 && kApplicationTypeFileComment == 9001);

namespace {

class DialogCalls : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(core_test::SignInWithData(m_core)); }
  mt::ScopedCore m_core;
};

// Counts calls and remembers the first call's thread and outcome.
struct Counter {
  std::atomic<int> calls{0};
  std::atomic<DWORD> thread{0};
  std::atomic<bool> ok{false};
  void Hit(bool success) {
    if (calls++ == 0) {
      thread = GetCurrentThreadId();
      ok = success;
    }
  }
};

}  // namespace

TEST_F(DialogCalls, EachOperationCompletesOnceOffTheCallersThread) {
  Feedback feedback;
  feedback.set_description("ok");
  std::map<std::string, Counter> counters;
  auto plain = [&](const char* name) { return [&counter = counters[name]](bool ok, const std::string&) { counter.Hit(ok); }; };
  auto with_id = [&](const char* name) {
    return [&counter = counters[name]](bool ok, const std::string&, std::string) { counter.Hit(ok); };
  };
  const ChannelManager* channels = ChannelManager::DefaultManager();
  channels->JoinChannel("chn-random", plain("join"));
  channels->InviteToChannel("chn-core", "usr-lin", plain("invite"));
  channels->CreateChannel("新频道", "", Channel::kPrivate, {}, static_cast<PreferredColor>(3),
                          [&counter = counters["create"]](bool ok, const std::string&, std::unique_ptr<Channel>) {
                            counter.Hit(ok);
                          });
  IMManager::DefaultManager()->NewIM("usr-olivia", [&counter = counters["im"]](bool ok, const std::string&,
                                                                               std::unique_ptr<IM>) { counter.Hit(ok); });
  CallManager::DefaultManager()->MakeCallByUid("usr-lin", with_id("call"));
  CallManager::DefaultManager()->MakeGroupCall({"usr-zhou", "usr-lin"}, {}, with_id("group call"));
  CallManager::DefaultManager()->CancelCallById("", plain("empty cancel"));
  WebApi::Api()->PostFeedback(feedback, plain("feedback"));
  ASSERT_TRUE(mt::WaitIdle());

  for (auto& [name, counter] : counters) {
    EXPECT_EQ(counter.calls.load(), 1) << name;
    EXPECT_NE(counter.thread.load(), GetCurrentThreadId()) << name;
    EXPECT_EQ(counter.ok.load(), name != "empty cancel") << name;
  }
}

TEST_F(DialogCalls, AGroupCallKeepsTheUidsAsSentAndAScriptedSuccessCarriesNoObject) {
  Completion<bool, std::string, std::string> call;
  CallManager::DefaultManager()->MakeGroupCall({"usr-zhou", "usr-lin", "usr-lin", "usr-sun"}, {}, call.Callback());
  ASSERT_TRUE(call.Wait());
  ASSERT_TRUE(call.Get<0>());
  const auto calls = mt::ServiceCalls();
  const auto placed = std::find_if(calls.begin(), calls.end(), [&](const auto& c) { return c.call_id == call.Get<2>(); });
  ASSERT_NE(placed, calls.end());
  EXPECT_EQ(placed->requested, (std::vector<std::string>{"usr-zhou", "usr-lin", "usr-lin", "usr-sun"}));
  EXPECT_TRUE(placed->phone_numbers.empty());
  EXPECT_EQ(placed->callees, (std::vector<std::string>{"usr-lin", "usr-sun"})) << "each callee rings once";

  // A success the service sends without a conversation or channel hands the
  // window nothing to select.
  mt::Script("IMManager::NewIM").Answer(200).Times(1);
  Completion<bool, std::string, std::unique_ptr<IM>> im;
  IMManager::DefaultManager()->NewIM("usr-nobody", im.Callback());
  mt::Script("ChannelManager::CreateChannel").Answer(200).Times(1);
  Completion<bool, std::string, std::unique_ptr<Channel>> channel;
  ChannelManager::DefaultManager()->CreateChannel("", "", Channel::kPublic, {}, kPreferredColorFirst, channel.Callback());
  ASSERT_TRUE(im.Wait());
  ASSERT_TRUE(channel.Wait());
  EXPECT_TRUE(im.Get<0>());
  EXPECT_EQ(im.Get<2>(), nullptr);
  EXPECT_TRUE(channel.Get<0>());
  EXPECT_EQ(channel.Get<2>(), nullptr);
}
