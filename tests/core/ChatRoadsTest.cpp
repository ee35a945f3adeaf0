// The chat operations of the main window: counts and statuses reach the
// listeners before the completion, sending keeps the text and is not echoed,
// and messages of closed conversations still arrive.

#include <gtest/gtest.h>

#include "CoreTestSupport.h"
#include "mireloom/ChannelManager.h"
#include "mireloom/ChatManager.h"
#include "mireloom/UserManager.h"

using namespace mireloom;
using core_test::Completion;
using core_test::RecordingListener;
namespace mt = mireloom::testing;

namespace {

class ChatRoads : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(core_test::SignInWithData(m_core));
    m_listener.ListenToAll();
  }
  void TearDown() override { m_listener.StopListening(); }

  // Runs the operation and returns the listener's events at the moment its
  // completion ran.
  template <class Start>
  std::vector<std::string> EventsAtCompletion(Start start) {
    Completion<bool, std::vector<std::string>> done;
    auto callback = done.Callback();
    start([this, callback](bool ok, const std::string&) { callback(ok, m_listener.Events()); });
    EXPECT_TRUE(done.Wait());
    EXPECT_TRUE(done.Get<0>());
    return done.Get<1>();
  }

  mt::ScopedCore m_core;
  RecordingListener m_listener;
};

bool Has(const std::vector<std::string>& events, const std::string& event) {
  return std::find(events.begin(), events.end(), event) != events.end();
}

}  // namespace

TEST_F(ChatRoads, ServerCountsReachTheListenersBeforeTheCompletion) {
  mt::PreloadUnread("chn-fe", 9, 9);
  mt::PreloadUnread("chn-showcase", 4, 4);  // the service counts none
  const auto events =
      EventsAtCompletion([](auto done) { ChatManager::DefaultManager()->GetNumUnreadFromServer(done); });
  EXPECT_TRUE(Has(events, "unread chn-fe 5 5"));
  EXPECT_TRUE(Has(events, "unread chn-showcase 0 0"));
  EXPECT_FALSE(Has(events, "unread chn-general 3 3")) << "unchanged counts are not reported";
  EXPECT_EQ(ChatManager::DefaultManager()->NumUnreadInCurrentTeam().num_unread, 137u);
}

TEST_F(ChatRoads, ChangedStatusesReachTheListenersBeforeTheCompletion) {
  mt::InjectStatus("usr-chen", User::kOnline);
  ASSERT_TRUE(mt::WaitIdle());
  m_listener.Clear();
  const auto events = EventsAtCompletion([](auto done) { UserManager::DefaultManager()->GetUsersStatus(done); });
  EXPECT_EQ(events, (std::vector<std::string>{"status usr-chen 2"}));
  EXPECT_EQ(UserManager::DefaultManager()->FetchUserFromCacheByUid("usr-chen")->status(), User::kBusy);
}

TEST_F(ChatRoads, MarkAsReadMovesTheServersCursor) {
  const auto events = EventsAtCompletion([](auto done) {
    ChatManager::DefaultManager()->MarkAsRead("im-zhou-lin", Message::kDirectMessage, 1700000000, done);
  });
  EXPECT_EQ(events, (std::vector<std::string>{"unread im-zhou-lin 0 0"}));
  EXPECT_EQ(mt::ServiceReadCursor("im-zhou-lin", "usr-zhou"), 1700000000);
  EXPECT_EQ(mt::ServiceUnread("im-zhou-lin", "usr-zhou"), 0u);
}

TEST_F(ChatRoads, SendingKeepsTheTextAndIsNotEchoed) {
  const std::string text = "  两个空格开头\n第二行\r\n\t制表符 %s %d  ";
  Completion<bool, std::unique_ptr<Message>> sent;
  std::unique_ptr<Message> last_at_completion;
  ChatManager::DefaultManager()->SendMessage(
      Message::TextMessageForIM("im-zhou-zhao", "usr-zhao", text), [&](bool ok, std::unique_ptr<Message> message) {
        last_at_completion = ChatManager::DefaultManager()->FetchLastMessageFromCache("im-zhou-zhao");
        sent.Callback()(ok, std::move(message));
      });
  ASSERT_TRUE(sent.Wait());
  ASSERT_TRUE(sent.Get<0>());
  const Message& message = *sent.Get<1>();
  EXPECT_EQ(message.content(), text);
  EXPECT_EQ(message.uid(), "usr-zhou");
  EXPECT_EQ(message.content_type(), Message::kText);
  EXPECT_EQ(message.sender_type(), Message::kUserSender);
  EXPECT_EQ(message.channel_type(), Message::kDirectMessage);
  EXPECT_FALSE(message.message_id().empty());
  EXPECT_GT(message.timestamp(), 0);
  ASSERT_NE(last_at_completion, nullptr);
  EXPECT_NE(last_at_completion->message_id(), message.message_id()) << "delivered only once the completion returned";
  ASSERT_TRUE(mt::WaitIdle());
  EXPECT_EQ(ChatManager::DefaultManager()->FetchLastMessageFromCache("im-zhou-zhao")->message_id(),
            message.message_id());
  EXPECT_TRUE(m_listener.Events().empty()) << "the own message is not echoed";
  EXPECT_EQ(mt::ServiceMessages("im-zhou-zhao").back().content, text);
}

TEST_F(ChatRoads, SendingWhereItCannotGoFailsWithoutAMessage) {
  for (const std::string conversation : {"", "chn-none", "chn-random", "chn-board"}) {
    Completion<bool, std::unique_ptr<Message>> sent;
    ChatManager::DefaultManager()->SendMessage(Message::TextMessageForChannel(conversation, "x"), sent.Callback());
    ASSERT_TRUE(sent.Wait());
    EXPECT_FALSE(sent.Get<0>()) << conversation;
    EXPECT_EQ(sent.Get<1>(), nullptr);
  }
  Completion<bool, std::unique_ptr<Message>> null_message;
  ChatManager::DefaultManager()->SendMessage(nullptr, null_message.Callback());
  ASSERT_TRUE(null_message.Wait());
  EXPECT_FALSE(null_message.Get<0>());
}

TEST_F(ChatRoads, MessagesOfClosedConversationsStillArrive) {
  Completion<bool, std::unique_ptr<Message>> sent;
  ChatManager::DefaultManager()->SendMessage(Message::TextMessageForIM("im-zhou-bot", "usr-bot", "post chn-design 设计更新"),
                                             sent.Callback());
  ASSERT_TRUE(m_listener.WaitFor("channel chn-design 设计更新"));
  EXPECT_FALSE(ChannelManager::DefaultManager()->FetchChannelFromCacheByChannelId("chn-design")->is_enabled());
  ASSERT_TRUE(mt::WaitIdle());
  EXPECT_EQ(ChatManager::DefaultManager()->NumUnreadInChannelFromMemCache("chn-design").num_unread, 1u);
  EXPECT_EQ(ChatManager::DefaultManager()->NumUnreadInCurrentTeam().num_unread, 137u) << "a closed channel does not count";
  EXPECT_EQ(ChatManager::DefaultManager()->FirstChannelHasUnreadMessage(), "chn-general");
}
