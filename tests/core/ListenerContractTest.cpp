// The listener contract: one listener thread, event order, no duplicates,
// nothing after removal, and a removal on the UI thread that never deadlocks.

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "CoreTestSupport.h"
#include "mireloom/ChatManager.h"
#include "mireloom/Director.h"
#include "mireloom/UserManager.h"

using namespace mireloom;
using core_test::Completion;
using core_test::Done;
using core_test::RecordingListener;
namespace mt = mireloom::testing;

namespace {

Message::Data IncomingFrom(const std::string& uid, const std::string& conversation, const std::string& text,
                           Message::ChannelType type = Message::kChannelMessage) {
  Message::Data message;
  message.channel_id = conversation;
  message.channel_type = type;
  message.uid = uid;
  message.content = text;
  return message;
}

class ListenerContract : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(core_test::SignInWithData(m_core));
    m_listener.ListenToAll();
  }
  void TearDown() override { m_listener.StopListening(); }

  mt::ScopedCore m_core;
  RecordingListener m_listener;
};

// A window of the test's thread, as the UI thread has.
class ThreadWindow final {
 public:
  ThreadWindow() {
    WNDCLASSW window_class = {};
    window_class.lpfnWndProc = [](HWND window, UINT message, WPARAM w, LPARAM l) -> LRESULT {
      if (message == WM_USER + 1) {
        ++s_handled;
        return 0;
      }
      return DefWindowProcW(window, message, w, l);
    };
    window_class.hInstance = GetModuleHandleW(nullptr);
    window_class.lpszClassName = L"CoreListenerTestWindow";
    RegisterClassW(&window_class);
    m_window = CreateWindowW(L"CoreListenerTestWindow", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                             GetModuleHandleW(nullptr), nullptr);
  }
  ~ThreadWindow() { DestroyWindow(m_window); }
  [[nodiscard]] HWND get() const { return m_window; }
  static std::atomic<int> s_handled;

 private:
  HWND m_window = nullptr;
};
std::atomic<int> ThreadWindow::s_handled{0};

// Sends to the UI thread from inside its call, as a window's listener does,
// twice: the call cannot return before the UI thread handled both, so a
// removal that did not wait for it finds it unfinished.
class SendingListener final : public MessageHandler {
 public:
  explicit SendingListener(HWND window) : m_window(window) {}
  void HandleDirectMessage(const Message&) override {}
  void HandleChannelMessage(const Message&) override {
    ++calls;
    entered.Arrive();
    SendMessageW(m_window, WM_USER + 1, 0, 0);
    SendMessageW(m_window, WM_USER + 1, 0, 0);
    returned = true;
  }
  std::atomic<int> calls{0};
  core_test::Arrivals entered;
  std::atomic<bool> returned{false};

 private:
  HWND m_window;
};

class SelfRemovingListener final : public MessageHandler {
 public:
  void HandleDirectMessage(const Message&) override {}
  void HandleChannelMessage(const Message&) override {
    ++calls;
    ChatManager::DefaultManager()->RemoveMessageHandler(this);
  }
  std::atomic<int> calls{0};
};

}  // namespace

TEST_F(ListenerContract, CallsComeOnOneCoreThreadInEventOrder) {
  mt::InjectMessage(IncomingFrom("usr-lin", "chn-fe", "一"));
  mt::InjectMessage(IncomingFrom("usr-lin", "im-zhou-lin", "二", Message::kDirectMessage));
  mt::InjectStatus("usr-chen", User::kOnline);
  mt::InjectMessageFailure("坏事件");
  mt::InjectMessage(IncomingFrom("usr-zhou", "chn-fe", "我自己"));  // own message: no unread call
  ASSERT_TRUE(mt::WaitIdle());
  const std::vector<std::string> expected = {
      "message chn-fe", "channel chn-fe 一", "unread chn-fe 6 6",
      "message im-zhou-lin", "direct im-zhou-lin 二", "unread im-zhou-lin 3 3",
      "status usr-chen 1", "failure 坏事件",
      "message chn-fe", "channel chn-fe 我自己"};
  EXPECT_EQ(m_listener.Events(), expected);
  const auto threads = m_listener.Threads();
  ASSERT_FALSE(threads.empty());
  for (DWORD thread : threads) {
    EXPECT_EQ(thread, threads[0]);
    EXPECT_NE(thread, GetCurrentThreadId());
  }
}

TEST_F(ListenerContract, AMutedConversationCountsWithoutItsDot) {
  mt::InjectMessage(IncomingFrom("usr-qian", "chn-notice", "公告"));
  ASSERT_TRUE(mt::WaitIdle());
  EXPECT_EQ(m_listener.Events().back(), "unread chn-notice 8 0");
}

TEST_F(ListenerContract, NoDuplicatesAndNothingAfterRemoval) {
  ChatManager::DefaultManager()->AddMessageHandler(&m_listener);  // already there
  RecordingListener stranger;
  ChatManager::DefaultManager()->RemoveMessageHandler(&stranger);  // never added: nothing happens
  mt::InjectMessage(IncomingFrom("usr-lin", "chn-fe", "一次"));
  ASSERT_TRUE(mt::WaitIdle());
  EXPECT_EQ(m_listener.Events().size(), 3u);

  m_listener.Clear();
  ChatManager::DefaultManager()->RemoveMessageHandler(&m_listener);
  ChatManager::DefaultManager()->RemoveNumUnreadHandler(&m_listener);
  mt::InjectMessage(IncomingFrom("usr-lin", "chn-fe", "没人听"));
  ASSERT_TRUE(mt::WaitIdle());
  EXPECT_TRUE(m_listener.Events().empty());
}

TEST_F(ListenerContract, RemovingOnTheUiThreadWhileTheListenerSendsToItDoesNotDeadlock) {
  ThreadWindow window;
  ASSERT_NE(window.get(), nullptr);
  ThreadWindow::s_handled = 0;
  SendingListener sending(window.get());
  ChatManager::DefaultManager()->AddMessageHandler(&sending);
  mt::InjectMessage(IncomingFrom("usr-lin", "chn-fe", "发给界面"));
  ASSERT_TRUE(sending.entered.WaitFor(1));

  // The listener waits for this thread; Remove waits for the listener.
  ChatManager::DefaultManager()->RemoveMessageHandler(&sending);
  EXPECT_TRUE(sending.returned) << "Remove returns only after the call in progress returned";
  EXPECT_EQ(ThreadWindow::s_handled.load(), 2);

  mt::InjectMessage(IncomingFrom("usr-lin", "chn-fe", "之后"));
  ASSERT_TRUE(mt::WaitIdle());
  EXPECT_EQ(sending.calls.load(), 1);
}

TEST_F(ListenerContract, AListenerMayRemoveItselfFromItsOwnCall) {
  SelfRemovingListener self;
  ChatManager::DefaultManager()->AddMessageHandler(&self);
  mt::InjectMessage(IncomingFrom("usr-lin", "chn-fe", "一"));
  mt::InjectMessage(IncomingFrom("usr-lin", "chn-fe", "二"));
  ASSERT_TRUE(mt::WaitIdle());
  EXPECT_EQ(self.calls.load(), 1);
}

TEST_F(ListenerContract, ADroppedConnectionReconnectsAndDeliversWhatWasMissed) {
  mt::DropConnection(400);
  ASSERT_TRUE(m_listener.WaitFor("state 1"));
  // While the connection is down, lin writes (the robot makes her).
  Completion<bool, std::unique_ptr<Message>> sent;
  ChatManager::DefaultManager()->SendMessage(Message::TextMessageForIM("im-zhou-bot", "usr-bot", "dm lin 断线时的消息"),
                                             sent.Callback());
  ASSERT_TRUE(sent.Wait());
  ASSERT_TRUE(m_listener.WaitFor("state 0", 5000));
  ASSERT_TRUE(m_listener.WaitFor("direct im-zhou-lin 断线时的消息", 5000));
  const auto events = m_listener.Events();
  const auto dropped = std::find(events.begin(), events.end(), "state 1");
  const auto back = std::find(events.begin(), events.end(), "state 0");
  EXPECT_LT(dropped, back);
}

TEST_F(ListenerContract, RetryingGivesUpAfterRetrySeconds) {
  Completion<bool> disconnected;
  Director::DefaultDirector()->DisconnectFromIMServer(disconnected.Callback());
  ASSERT_TRUE(disconnected.Wait());
  Completion<bool> connected;
  Director::DefaultDirector()->ConnectToIMServer(kIMProtocolSocketIo, 1, connected.Callback());
  ASSERT_TRUE(connected.Wait());
  ASSERT_TRUE(connected.Get<0>());
  ASSERT_TRUE(mt::WaitIdle());
  m_listener.Clear();
  mt::DropConnection(-1);  // automatic reconnects refused
  ASSERT_TRUE(m_listener.WaitFor("state 2", 5000));
  EXPECT_EQ(m_listener.Events(), (std::vector<std::string>{"state 1", "state 2"}));

  // The client's network check reconnects explicitly.
  Completion<bool> again;
  Director::DefaultDirector()->ConnectToIMServer(kIMProtocolSocketIo, 30, again.Callback());
  ASSERT_TRUE(again.Wait());
  EXPECT_TRUE(again.Get<0>());
  EXPECT_TRUE(m_listener.WaitFor("state 0"));
}

TEST_F(ListenerContract, NothingAfterDisconnectOrTheDirectorsEnd) {
  Completion<bool> disconnected;
  Director::DefaultDirector()->DisconnectFromIMServer(disconnected.Callback());
  ASSERT_TRUE(disconnected.Wait());
  Director::DefaultDirector()->DisconnectFromIMServer(nullptr);  // an empty completion is fine
  // A drop the session still heard would be delivered before the core is idle.
  mt::DropConnection(0);
  ASSERT_TRUE(mt::WaitIdle());
  EXPECT_TRUE(m_listener.Events().empty());

  Director::DefaultDirector()->RemoveConnectionStateHandler(&m_listener);
  mt::InjectConnectionState(1);
  ASSERT_TRUE(mt::WaitIdle());
  EXPECT_TRUE(m_listener.Events().empty());
}

TEST_F(ListenerContract, AlreadyConnectedMeansNoSecondConnection) {
  Completion<bool> connected;
  Director::DefaultDirector()->ConnectToIMServer(kIMProtocolSocketIo, 30, connected.Callback());
  ASSERT_TRUE(connected.Wait());
  EXPECT_TRUE(connected.Get<0>());
  // One connection: one copy of a pushed message.
  Completion<bool, std::unique_ptr<Message>> sent;
  ChatManager::DefaultManager()->SendMessage(Message::TextMessageForIM("im-zhou-bot", "usr-bot", "post chn-fe 一条"),
                                             sent.Callback());
  ASSERT_TRUE(m_listener.WaitFor("channel chn-fe 一条"));
  ASSERT_TRUE(mt::WaitIdle());
  const auto events = m_listener.Events();
  EXPECT_EQ(std::count(events.begin(), events.end(), "channel chn-fe 一条"), 1);
}

TEST_F(ListenerContract, TheManualPumpRunsCallsOnTheTestThread) {
  mt::SetManualPump(true);
  mt::InjectMessage(IncomingFrom("usr-lin", "chn-fe", "泵"));
  ASSERT_TRUE(mt::WaitIdle()) << "idle once all that is left waits for the pump";
  EXPECT_TRUE(m_listener.Events().empty());
  EXPECT_GT(mt::Pump(), 0);
  ASSERT_EQ(m_listener.Events().size(), 3u);
  EXPECT_EQ(m_listener.Threads()[0], GetCurrentThreadId());
  mt::SetManualPump(false);
}
