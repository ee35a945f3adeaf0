// The instant-messaging connection through the service's drops and outages
// and the client's own reconnections, interleaved at several timings: in any
// order, every message posted meanwhile arrives exactly once, the listeners
// hear the connection down while it is, and it ends up connected and
// listening.

#include <gtest/gtest.h>

#include <algorithm>
#include <thread>

#include "CoreTestSupport.h"

using namespace mireloom;
using core_test::Completion;
using core_test::RecordingListener;
namespace mt = mireloom::testing;

namespace {

constexpr char kChannel[] = "chn-fe";

class ReconnectionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(core_test::SignInWithData(m_core));
    m_listener.ListenToAll();
  }
  void TearDown() override {
    mt::Outage(false);
    m_listener.StopListening();
  }

  // lin writes in a channel of zhou's, at the service.
  std::string Post() {
    Message::Data message;
    message.channel_id = kChannel;
    message.uid = "usr-lin";
    message.content = "断线期间的消息 " + std::to_string(m_posted.size() + 1);
    mt::PostAsMember(message);
    m_posted.push_back(message.content);
    return message.content;
  }

  // What the main window's network check does once it finds the network.
  static bool Reconnect(unsigned int retrySeconds = 30) {
    Completion<bool> done;
    Director::DefaultDirector()->ConnectToIMServer(kIMProtocolSocketIo, retrySeconds, done.Callback());
    return done.Wait();
  }

  // Places the next control this long after the last one.
  static void Pause(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

  [[nodiscard]] std::vector<std::string> States() const {
    std::vector<std::string> states;
    for (const auto& event : m_listener.Events()) {
      if (event.rfind("state ", 0) == 0) states.push_back(event);
    }
    return states;
  }

  // Waits until more than `heard` states were told and the last one is `state`.
  bool WaitForState(const std::string& state, size_t heard = 0, int timeoutMs = 5000) const {
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
      const auto states = States();
      if (states.size() > heard && states.back() == state) return true;
      if (std::chrono::steady_clock::now() > until) return false;
      Pause(10);
    }
  }

  // Connected again, hearing what is posted now, and every message posted
  // so far heard exactly once.
  void ExpectBackWithEveryMessageOnce() {
    ASSERT_TRUE(WaitForState("state 0")) << "the connection did not come back by itself";
    const std::string now = Post();
    ASSERT_TRUE(m_listener.WaitFor("channel " + std::string(kChannel) + " " + now)) << "connected but deaf";
    ASSERT_TRUE(mt::WaitIdle());
    const auto events = m_listener.Events();
    for (const std::string& text : m_posted) {
      EXPECT_EQ(std::count(events.begin(), events.end(), "channel " + std::string(kChannel) + " " + text), 1)
          << text;
    }
  }

  mt::ScopedCore m_core;
  RecordingListener m_listener;
  std::vector<std::string> m_posted;
};

TEST_F(ReconnectionTest, DropsOutagesAndReconnectionsInAnyOrderLoseNothingAndEndListening) {
  // Around the retries' 250 ms: before the first, at it, between, at the
  // second, and after the drop's refusal ended.
  for (const int delay : {0, 240, 380, 500, 700}) {
    SCOPED_TRACE("delay " + std::to_string(delay));
    // A drop with the reconnections refused for a while, then an outage.
    mt::DropConnection(300);
    ASSERT_TRUE(WaitForState("state 1"));
    Post();
    Pause(delay);
    mt::Outage(true);
    Post();
    ASSERT_TRUE(mt::WaitIdle());  // the outage's own drop told
    const size_t heard = States().size();
    // The network check reconnects during the outage: it fails, the
    // listeners hear again that the connection is down, and retrying goes on.
    ASSERT_TRUE(Reconnect());
    EXPECT_TRUE(WaitForState("state 1", heard)) << "a failed reconnection looks connected";
    Post();
    Pause(300);
    mt::Outage(false);
    Post();
    ASSERT_NO_FATAL_FAILURE(ExpectBackWithEveryMessageOnce());

    // An outage, then a drop as the connection comes back from it.
    mt::Outage(true);
    Post();
    Pause(300);
    mt::Outage(false);
    Pause(delay / 2);
    mt::DropConnection(0);
    Post();
    ASSERT_NO_FATAL_FAILURE(ExpectBackWithEveryMessageOnce());
  }
}

TEST_F(ReconnectionTest, OnceRetryingGaveUpTheNetworkChecksReconnectionStartsItAgain) {
  Completion<bool> closed;
  Director::DefaultDirector()->DisconnectFromIMServer(closed.Callback());
  ASSERT_TRUE(closed.Wait());
  ASSERT_TRUE(Reconnect(1));  // retrying gives up after a second
  ASSERT_TRUE(WaitForState("state 0"));

  mt::Outage(true);
  Post();
  ASSERT_TRUE(WaitForState("state 2")) << "retrying did not give up";
  const size_t heard = States().size();
  ASSERT_TRUE(Reconnect(1));  // still down
  EXPECT_TRUE(WaitForState("state 1", heard)) << "retrying did not start again";
  Post();
  mt::Outage(false);
  ASSERT_NO_FATAL_FAILURE(ExpectBackWithEveryMessageOnce());
}

}  // namespace
