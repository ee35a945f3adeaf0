// The embedded service: the demo team's integrity, its acting members, and the
// operations of the dialogs (channels, one-to-one conversations, calls,
// feedback, files and comments), persisted across restarts.

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <algorithm>
#include <functional>
#include <limits>
#include <map>
#include <set>

#include "CoreTestSupport.h"
#include "mireloom/AccountManager.h"
#include "mireloom/Auth.h"
#include "mireloom/CallManager.h"
#include "mireloom/ChannelManager.h"
#include "mireloom/ChatManager.h"
#include "mireloom/Director.h"
#include "mireloom/EntityManager.h"
#include "mireloom/IMManager.h"
#include "mireloom/SqlMigrate.h"
#include "mireloom/UsergroupManager.h"
#include "mireloom/UserManager.h"
#include "mireloom/WebApi.h"
#include "quennet/testing.h"
#include "support/ProcessFigures.h"
#include "support/TempFolder.h"

using namespace mireloom;
using core_test::Completion;
using core_test::Done;
using core_test::RecordingListener;
namespace mt = mireloom::testing;

namespace {

class DemoService : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(core_test::SignInWithData(m_core));
    m_listener.ListenToAll();
  }
  void TearDown() override { m_listener.StopListening(); }

  static bool Send(const std::string& conversation, const std::string& text) {
    Completion<bool, std::unique_ptr<Message>> sent;
    ChatManager::DefaultManager()->SendMessage(Message::TextMessageForChannel(conversation, text), sent.Callback());
    return sent.Wait() && sent.Get<0>();
  }
  template <class Call>
  static std::pair<bool, std::string> Run(Call call) {
    Done done;
    call(done.Callback());
    EXPECT_TRUE(done.Wait());
    return {done.Get<0>(), done.Get<1>()};
  }

  mt::ScopedCore m_core;
  RecordingListener m_listener;
};

bool HasUnderscore(const std::string& id) { return id.find('_') != std::string::npos; }

// What a damaged file holds instead of a database.
std::string Garbage() { return std::string(4096, '\x5A') + "not a database"; }

// The cached messages of the conversation: id -> text.
std::map<std::string, std::string> CachedMessages(const std::string& conversation) {
  std::map<std::string, std::string> messages;
  for (const auto& message : ChatManager::DefaultManager()->FetchMessagesFromCache(
           conversation, 0, std::numeric_limits<int64_t>::max(), 100000, nullptr, nullptr, false)) {
    messages[message->message_id()] = message->content();
  }
  return messages;
}

}  // namespace

TEST_F(DemoService, EveryIdIsFreeOfUnderscoresAndEveryShareHasItsEntity) {
  for (const auto& user : UserManager::DefaultManager()->FetchUsersFromCache()) EXPECT_FALSE(HasUnderscore(user->uid()));
  std::set<std::string> entity_ids;
  for (const auto& channel : ChannelManager::DefaultManager()->FetchChannelsFromCache()) {
    EXPECT_FALSE(HasUnderscore(channel->channel_id()));
    for (const auto& message : ChatManager::DefaultManager()->FetchMessagesFromCache(
             channel->channel_id(), 0, 2147483647, 5000, nullptr, nullptr, false)) {
      EXPECT_FALSE(HasUnderscore(message->message_id()));
      if (message->entity_json().empty()) continue;
      Entity entity;
      ASSERT_TRUE(entity.InitWithJsonOrDie(message->entity_json())) << message->message_id();
      EXPECT_FALSE(HasUnderscore(entity.entity_id()));
      EXPECT_EQ(entity.path().size(), 16u);
      EXPECT_EQ(entity.path().find_first_of("_/\\\\"), std::string::npos);
      entity_ids.insert(entity.entity_id());
      if (auto attachment = message->GetAttachment()) {
        EXPECT_FALSE(HasUnderscore(attachment->title_link()));
      }
    }
  }
  for (const std::string& id : entity_ids) {
    Completion<bool, std::string, std::unique_ptr<Entity>> found;
    EntityManager::DefaultManager()->GetEntityById(id, found.Callback());
    ASSERT_TRUE(found.Wait());
    EXPECT_TRUE(found.Get<0>()) << id;
  }
  EXPECT_GE(entity_ids.size(), 45u);
}

TEST_F(DemoService, TheShowcaseHoldsEveryKindOfMessage) {
  std::set<int> kinds;
  std::set<int> senders;
  int cards = 0;
  for (const auto& message : ChatManager::DefaultManager()->FetchMessagesFromCache("chn-showcase", 0, 2147483647, 500,
                                                                                  nullptr, nullptr, false)) {
    kinds.insert(message->content_type());
    senders.insert(message->sender_type());
    if (message->GetAttachment()) ++cards;
  }
  for (int kind : {1, 2, 3, 4, 5, 6, 7, 8, 9, 12, 22, 32, 33, 34, 35, 36, 37, 38, 39, 40, 41}) {
    EXPECT_TRUE(kinds.count(kind)) << "content type " << kind;
  }
  EXPECT_EQ(senders, (std::set<int>{1, 2, 3}));
  EXPECT_EQ(cards, 8);
}

TEST_F(DemoService, FileListsPageTwentyAtATime) {
  using Page = Completion<bool, std::string, std::vector<std::unique_ptr<Entity>>, int>;
  auto page = [](Entity::Type type, int number, const std::string& keyword = "") {
    auto result = std::make_shared<Page>();
    EntityManager::DefaultManager()->GetEntitiesByChannelId("chn-files", Message::kChannelMessage, type, keyword, number,
                                                            20, result->Callback());
    EXPECT_TRUE(result->Wait());
    return result;
  };
  auto first = page(Entity::kAll, 1);
  EXPECT_EQ(first->Get<2>().size(), 20u);
  EXPECT_EQ(first->Get<3>(), 45);
  for (size_t i = 1; i < first->Get<2>().size(); ++i) {
    EXPECT_GE(first->Get<2>()[i - 1]->created_at(), first->Get<2>()[i]->created_at()) << "newest first";
  }
  EXPECT_EQ(page(Entity::kAll, 3)->Get<2>().size(), 5u);
  auto past = page(Entity::kAll, 4);
  EXPECT_TRUE(past->Get<0>());
  EXPECT_TRUE(past->Get<2>().empty());
  EXPECT_EQ(page(Entity::kImage, 1)->Get<2>().size(), 20u);
  EXPECT_EQ(page(Entity::kImage, 2)->Get<2>().size(), 2u);
  EXPECT_EQ(page(Entity::kDocument, 1)->Get<3>(), 13) << "eight written documents, five PDF and office files";
  EXPECT_EQ(page(Entity::kSnippet, 1)->Get<3>(), 5);
  EXPECT_EQ(page(Entity::kAll, 1, "季度")->Get<3>(), 1);

  Page lin;
  EntityManager::DefaultManager()->GetEntitiesByChannelId("im-zhou-lin", Message::kDirectMessage, Entity::kAll, "", 1, 20,
                                                          lin.Callback());
  ASSERT_TRUE(lin.Wait());
  EXPECT_EQ(lin.Get<3>(), 2);
}

TEST_F(DemoService, AnEntityComesWithItsCommentsAndTakesNewOnes) {
  Completion<bool, std::string, std::unique_ptr<Entity>> wide;
  EntityManager::DefaultManager()->GetEntityById("ent-img-wide", wide.Callback());
  ASSERT_TRUE(wide.Wait());
  ASSERT_NE(wide.Get<2>(), nullptr);
  ASSERT_EQ(wide.Get<2>()->comments().size(), 3u);
  EXPECT_EQ(wide.Get<2>()->comments()[2]->creator_uid(), "usr-gone");

  Completion<bool, std::string, std::unique_ptr<Entity>> unknown;
  EntityManager::DefaultManager()->GetEntityById("ent-none", unknown.Callback());
  ASSERT_TRUE(unknown.Wait());
  EXPECT_FALSE(unknown.Get<0>());
  EXPECT_EQ(unknown.Get<2>(), nullptr);

  Completion<bool, std::string, std::unique_ptr<Comment>> posted;
  CommentManager::DefaultManager()->PostComment("新的评论", {}, kApplicationTypeFileComment, "ent-img-wide",
                                                posted.Callback());
  ASSERT_TRUE(posted.Wait());
  ASSERT_TRUE(posted.Get<0>());
  EXPECT_EQ(posted.Get<2>()->creator_uid(), "usr-zhou");
  EXPECT_EQ(mt::ServiceComments("ent-img-wide").size(), 4u);
  // The comment appears as a message wherever the picture was shared.
  ASSERT_TRUE(mt::WaitIdle());
  const auto events = m_listener.Events();
  EXPECT_NE(std::find(events.begin(), events.end(), "channel chn-files 新的评论"), events.end());
  EXPECT_NE(std::find(events.begin(), events.end(), "channel chn-showcase 新的评论"), events.end());
  auto last = ChatManager::DefaultManager()->FetchLastMessageFromCache("chn-files");
  ASSERT_NE(last, nullptr);
  EXPECT_EQ(last->content_type(), Message::kFileComment);

  Completion<bool, std::string, std::unique_ptr<Comment>> wrong_kind;
  CommentManager::DefaultManager()->PostComment("x", {}, static_cast<mireloom::ApplicationType>(1), "ent-img-wide",
                                                wrong_kind.Callback());
  ASSERT_TRUE(wrong_kind.Wait());
  EXPECT_EQ(wrong_kind.Get<1>().rfind("400", 0), 0u);
}

TEST_F(DemoService, UploadedFilesBecomeShares) {
  test_support::TempFolder folder;
  const std::wstring text_file = folder / L"说明.txt";
  ASSERT_TRUE(test_support::WriteFileBytes(text_file, "hello"));
  Done sent;
  ChatManager::DefaultManager()->SendFileMessage(test_support::ToCp936(text_file), "说明.txt", "text/plain", "chn-fe", true,
                                                 sent.Callback());
  ASSERT_TRUE(sent.Wait());
  ASSERT_TRUE(sent.Get<0>()) << sent.Get<1>();
  ASSERT_TRUE(mt::WaitIdle());
  EXPECT_TRUE(m_listener.WaitFor("channel chn-fe 分享了文件: 说明.txt"));
  auto uploads = mt::ServiceUploads();
  ASSERT_EQ(uploads.size(), 1u);
  EXPECT_EQ(uploads[0].bytes, "hello");
  auto last = ChatManager::DefaultManager()->FetchLastMessageFromCache("chn-fe");
  ASSERT_NE(last, nullptr);
  EXPECT_EQ(last->content_type(), Message::kFileShare);

  for (const auto& [path, name, conversation] :
       std::vector<std::tuple<std::string, std::string, std::string>>{
           {test_support::ToCp936(folder / L"没有.txt"), "没有.txt", "chn-fe"},
           {test_support::ToCp936(text_file), "", "chn-fe"},
           {test_support::ToCp936(text_file), "说明.txt", ""}}) {
    Done refused;
    ChatManager::DefaultManager()->SendFileMessage(path, name, "text/plain", conversation, true, refused.Callback());
    ASSERT_TRUE(refused.Wait());
    EXPECT_FALSE(refused.Get<0>());
    EXPECT_EQ(refused.Get<1>().rfind("400", 0), 0u);
  }
}

// However big the file, an upload holds one chunk of it at a time: the
// process's private memory grows by far less than the file, and the service
// keeps every byte of it.
TEST_F(DemoService, ABigUploadPassesThroughALittleMemory) {
  constexpr int kMegabytes = 96;
  constexpr double kMostGrowthMegabytes = 32;
  const test_support::BigFile file(L"大文件.bin", kMegabytes);
  ASSERT_TRUE(file.Written());
  const double before = test_support::PrivateMegabytes();
  test_support::PeakFigures peak;
  Done sent;
  ChatManager::DefaultManager()->SendFileMessage(test_support::ToCp936(file.Path()), "大文件.bin", "application/octet-stream",
                                                 "chn-fe", true, sent.Callback());
  ASSERT_TRUE(sent.Wait(120000));
  peak.Stop();
  ASSERT_TRUE(sent.Get<0>()) << sent.Get<1>();
  EXPECT_LE(peak.PrivateMegabytes() - before, kMostGrowthMegabytes);
  const auto uploads = mt::ServiceUploads();
  ASSERT_EQ(uploads.size(), 1u);
  EXPECT_EQ(uploads[0].bytes.size(), static_cast<size_t>(kMegabytes) << 20);
  EXPECT_TRUE(uploads[0].bytes == test_support::ReadFileBytes(file.Path())) << "the stored bytes differ from the file";
}

TEST_F(DemoService, TheAnsweringMemberReplies) {
  ASSERT_TRUE(Send("im-zhou-lin", "请把最新的设计稿发给我，谢谢！这句话很长很长很长很长很长很长很长很长很长很长很长很长很长。"));
  ASSERT_TRUE(m_listener.WaitFor("direct im-zhou-lin 收到："));
  ASSERT_TRUE(mt::WaitIdle());
  const auto events = m_listener.Events();
  auto reply = std::find_if(events.begin(), events.end(),
                            [](const std::string& e) { return e.rfind("direct im-zhou-lin 收到：", 0) == 0; });
  ASSERT_NE(reply, events.end());
  ASSERT_NE(reply + 1, events.end());
  EXPECT_EQ(*reply, "direct im-zhou-lin 收到：请把最新的设计稿发给我，谢谢！这句话很长很长很长很长很长很长很长很长很长很长很长")
      << "the first 40 characters";
  EXPECT_EQ(*(reply + 1), "unread im-zhou-lin 3 3");
  // The own message was not echoed.
  EXPECT_EQ(std::count_if(events.begin(), events.end(),
                          [](const std::string& e) { return e.rfind("direct im-zhou-lin 请", 0) == 0; }),
            0);
}

TEST_F(DemoService, TheRobotTakesCommands) {
  ASSERT_TRUE(Send("im-zhou-bot", "help"));
  ASSERT_TRUE(m_listener.WaitFor("direct im-zhou-bot 可用命令"));
  ASSERT_TRUE(Send("im-zhou-bot", "status chen online"));
  ASSERT_TRUE(m_listener.WaitFor("status usr-chen 1"));
  EXPECT_EQ(mt::ServiceStatus("usr-chen"), User::kOnline);
  ASSERT_TRUE(Send("im-zhou-bot", "post chn-fe 有新消息"));
  ASSERT_TRUE(m_listener.WaitFor("channel chn-fe 有新消息"));
  ASSERT_TRUE(m_listener.WaitFor("unread chn-fe 6 6"));
  ASSERT_TRUE(Send("im-zhou-bot", "dm qian 在吗"));
  ASSERT_TRUE(m_listener.WaitFor("direct im-zhou-qian 在吗"));
  auto qian = IMManager::DefaultManager()->FetchImFromCacheByImId("im-zhou-qian");
  ASSERT_NE(qian, nullptr);
  EXPECT_FALSE(qian->is_open()) << "the client reopens it itself";
  ASSERT_TRUE(Send("im-zhou-bot", "card task"));
  ASSERT_TRUE(m_listener.WaitFor("channel chn-showcase"));
  ASSERT_TRUE(Send("im-zhou-bot", "burst 5"));
  ASSERT_TRUE(m_listener.WaitFor("unread im-zhou-notice 125 125"));
  ASSERT_TRUE(Send("im-zhou-bot", "failure"));
  ASSERT_TRUE(m_listener.WaitFor("failure "));
  ASSERT_TRUE(Send("im-zhou-bot", "什么"));
  ASSERT_TRUE(m_listener.WaitFor("direct im-zhou-bot 未知命令"));
}

TEST_F(DemoService, AnOutageMakesEveryOperationUnreachable) {
  m_listener.Clear();
  ASSERT_TRUE(Send("im-zhou-bot", "outage 2"));
  // The outage drops the connection as it begins; reconnects are refused until it ends.
  ASSERT_TRUE(m_listener.WaitFor("state 1"));
  auto during = Run([](auto done) { UserManager::DefaultManager()->GetUsersStatus(done); });
  EXPECT_FALSE(during.first);
  EXPECT_EQ(during.second, "-1 unreachable");
  ASSERT_TRUE(m_listener.WaitFor("state 0"));
  EXPECT_TRUE(Run([](auto done) { UserManager::DefaultManager()->GetUsersStatus(done); }).first);
}

TEST_F(DemoService, JoiningShowsAtOnceAndIsUndoneOnFailure) {
  mt::Script("ChannelManager::JoinChannel").Hold().Times(1);
  Done joined;
  ChannelManager::DefaultManager()->JoinChannel("chn-random", joined.Callback());
  auto random = ChannelManager::DefaultManager()->FetchChannelFromCacheByChannelId("chn-random");
  ASSERT_NE(random, nullptr);
  EXPECT_TRUE(random->is_member()) << "marked joined at call time";
  mt::Release(mt::WaitForHeld("ChannelManager::JoinChannel"));
  ASSERT_TRUE(joined.Wait());
  EXPECT_TRUE(joined.Get<0>());
  EXPECT_EQ(ChatManager::DefaultManager()->FetchMessagesFromCache("chn-random", 0, 2147483647, 50, nullptr, nullptr, false)
                .size(),
            10u)
      << "its history is synced";
  auto members = mt::ServiceChannelMembers("chn-random");
  EXPECT_NE(std::find(members.begin(), members.end(), "usr-zhou"), members.end());

  mt::Script("ChannelManager::JoinChannel").Fail(403, "private");
  Done refused;
  ChannelManager::DefaultManager()->JoinChannel("chn-ops", refused.Callback());
  ASSERT_TRUE(refused.Wait());
  EXPECT_FALSE(refused.Get<0>());
  EXPECT_FALSE(ChannelManager::DefaultManager()->FetchChannelFromCacheByChannelId("chn-ops")->is_member()) << "undone";
}

TEST_F(DemoService, ChannelOperationsKeepTheirRules) {
  auto join_board = Run([](auto done) { ChannelManager::DefaultManager()->JoinChannel("chn-board", done); });
  EXPECT_EQ(join_board.second.rfind("403", 0), 0u);
  EXPECT_EQ(Run([](auto done) { ChannelManager::DefaultManager()->JoinChannel("chn-none", done); }).second.rfind("404", 0),
            0u);
  EXPECT_EQ(Run([](auto done) { ChannelManager::DefaultManager()->LeaveChannel("chn-general", done); }).second.rfind("403", 0),
            0u);
  EXPECT_TRUE(Run([](auto done) { ChannelManager::DefaultManager()->EnableChannel("chn-design", done); }).first);
  EXPECT_TRUE(ChannelManager::DefaultManager()->FetchChannelFromCacheByChannelId("chn-design")->is_enabled());
  EXPECT_TRUE(Run([](auto done) { ChannelManager::DefaultManager()->LeaveChannel("chn-fe", done); }).first);
  EXPECT_FALSE(ChannelManager::DefaultManager()->FetchChannelFromCacheByChannelId("chn-fe")->is_member());
  EXPECT_TRUE(Run([](auto done) { ChannelManager::DefaultManager()->LeaveChannel("chn-core", done); }).first);
  EXPECT_EQ(ChannelManager::DefaultManager()->FetchChannelFromCacheByChannelId("chn-core"), nullptr) << "private: gone";

  for (int round = 0; round < 2; ++round) {  // inviting twice is harmless
    EXPECT_TRUE(Run([](auto done) { ChannelManager::DefaultManager()->InviteToChannel("chn-showcase", "usr-xu", done); }).first);
  }
  auto members = mt::ServiceChannelMembers("chn-showcase");
  EXPECT_EQ(std::count(members.begin(), members.end(), "usr-xu"), 1);
  EXPECT_EQ(Run([](auto done) { ChannelManager::DefaultManager()->InviteToChannel("chn-showcase", "usr-he", done); })
                .second.rfind("404", 0),
            0u);

  Completion<bool, std::string, std::unique_ptr<Channel>> unnamed;
  ChannelManager::DefaultManager()->CreateChannel("", "", Channel::kPublic, {}, kPreferredColorFirst, unnamed.Callback());
  ASSERT_TRUE(unnamed.Wait());
  EXPECT_EQ(unnamed.Get<1>().rfind("400", 0), 0u);
  Completion<bool, std::string, std::unique_ptr<Channel>> created;
  std::atomic<bool> cached_first{false};
  ChannelManager::DefaultManager()->CreateChannel(
      "新项目", "说明", Channel::kPrivate, {"usr-lin", "usr-lin", "usr-he"}, static_cast<PreferredColor>(5),
      [&](bool ok, const std::string& error, std::unique_ptr<Channel> channel) {
        cached_first = channel && ChannelManager::DefaultManager()->FetchChannelFromCacheByChannelId(channel->channel_id());
        created.Callback()(ok, error, std::move(channel));
      });
  ASSERT_TRUE(created.Wait());
  ASSERT_TRUE(created.Get<0>());
  EXPECT_TRUE(cached_first) << "in the cache before the completion";
  const Channel& channel = *created.Get<2>();
  EXPECT_FALSE(HasUnderscore(channel.channel_id()));
  EXPECT_EQ(channel.HexColor(), preferred_color_to_hex_string(static_cast<PreferredColor>(5)));
  EXPECT_EQ(channel.creator_uid(), "usr-zhou");
  EXPECT_TRUE(channel.is_member());
  EXPECT_EQ(mt::ServiceChannelMembers(channel.channel_id()), (std::vector<std::string>{"usr-zhou", "usr-lin"}));
}

TEST_F(DemoService, OneToOneConversations) {
  Completion<bool, std::string, std::unique_ptr<IM>> with_xu;
  IMManager::DefaultManager()->NewIM("usr-xu", with_xu.Callback());
  ASSERT_TRUE(with_xu.Wait());
  ASSERT_TRUE(with_xu.Get<0>());
  EXPECT_EQ(with_xu.Get<2>()->to_uid(), "usr-xu");
  EXPECT_NE(IMManager::DefaultManager()->FetchImFromCacheByImId(with_xu.Get<2>()->im_id()), nullptr);

  Completion<bool, std::string, std::unique_ptr<IM>> again;
  IMManager::DefaultManager()->NewIM("usr-qian", again.Callback());
  ASSERT_TRUE(again.Wait());
  EXPECT_EQ(again.Get<2>()->im_id(), "im-zhou-qian") << "the existing conversation, reopened";
  EXPECT_TRUE(IMManager::DefaultManager()->FetchImFromCacheByImId("im-zhou-qian")->is_open());

  for (const std::string unknown : {"usr-he", "usr-gone", ""}) {
    Completion<bool, std::string, std::unique_ptr<IM>> refused;
    IMManager::DefaultManager()->NewIM(unknown, refused.Callback());
    ASSERT_TRUE(refused.Wait());
    EXPECT_FALSE(refused.Get<0>()) << unknown;
    EXPECT_EQ(refused.Get<2>(), nullptr);
  }
  const size_t open_before = IMManager::DefaultManager()->FetchImsFromCache().size();
  EXPECT_TRUE(Run([](auto done) { IMManager::DefaultManager()->CloseIM("im-zhou-zhao", done); }).first);
  EXPECT_EQ(IMManager::DefaultManager()->FetchImsFromCache().size(), open_before - 1);
  EXPECT_NE(ChatManager::DefaultManager()->FetchLastMessageFromCache("im-zhou-zhao"), nullptr) << "history kept";
  EXPECT_TRUE(Run([](auto done) { IMManager::DefaultManager()->ActiveIM("im-zhou-zhao", done); }).first);
  EXPECT_EQ(IMManager::DefaultManager()->FetchImsFromCache().size(), open_before);
}

TEST_F(DemoService, CallsAndFeedback) {
  using Call = Completion<bool, std::string, std::string>;
  auto call = [](const std::vector<std::string>& uids) {
    auto result = std::make_shared<Call>();
    if (uids.size() == 1) {
      CallManager::DefaultManager()->MakeCallByUid(uids[0], result->Callback());
    } else {
      CallManager::DefaultManager()->MakeGroupCall(uids, {}, result->Callback());
    }
    EXPECT_TRUE(result->Wait());
    return result;
  };
  auto lin = call({"usr-lin"});
  ASSERT_TRUE(lin->Get<0>());
  EXPECT_FALSE(lin->Get<2>().empty());
  EXPECT_EQ(call({"usr-zhao"})->Get<1>().rfind("403", 0), 0u) << "no phone";
  EXPECT_EQ(call({"usr-bot"})->Get<1>().rfind("403", 0), 0u) << "a robot";
  EXPECT_EQ(call({"usr-nobody"})->Get<1>().rfind("404", 0), 0u);
  EXPECT_TRUE(call({"usr-zhou", "usr-lin", "usr-lin"})->Get<0>());
  EXPECT_TRUE(call({"usr-zhou", "usr-zhao"})->Get<0>()) << "a group call needs no phone number";
  EXPECT_FALSE(call({"usr-zhou", "usr-zhou"})->Get<0>()) << "duplicates do not make two";
  EXPECT_FALSE(call({"usr-zhou", "usr-notice"})->Get<0>());

  EXPECT_TRUE(Run([&](auto done) { CallManager::DefaultManager()->CancelCallById(lin->Get<2>(), done); }).first);
  EXPECT_EQ(Run([&](auto done) { CallManager::DefaultManager()->CancelCallById(lin->Get<2>(), done); }).second.rfind("404", 0),
            0u)
      << "no longer live";
  EXPECT_EQ(Run([](auto done) { CallManager::DefaultManager()->CancelCallById("", done); }).second.rfind("400", 0), 0u);
  EXPECT_EQ(mt::ServiceCalls().front().state, "cancelled");

  Feedback feedback;
  feedback.set_client_type(kClientTypeWindows);
  feedback.set_client_version("2.1.5");
  feedback.set_description("很好用");
  feedback.set_title("Windows Feedback");
  feedback.set_web_api_version("1");
  EXPECT_TRUE(Run([&](auto done) { WebApi::Api()->PostFeedback(feedback, done); }).first);
  auto stored = mt::ServiceFeedback();
  ASSERT_EQ(stored.size(), 1u);
  EXPECT_EQ(stored[0].client_type, 14);
  EXPECT_EQ(stored[0].description, "很好用");
  EXPECT_EQ(stored[0].uid, "usr-zhou");
}

TEST(DemoServiceStore, WhatTheClientChangedIsThereAtTheNextStart) {
  test_support::TempFolder store;
  std::string sent_id;
  {
    mt::ServiceOptions options;
    options.storeFolder = store.Path();
    mt::ScopedCore core(options);
    ASSERT_TRUE(core_test::SignInWithData(core));
    Completion<bool, std::unique_ptr<Message>> sent;
    ChatManager::DefaultManager()->SendMessage(Message::TextMessageForChannel("chn-fe", "留下来的消息"), sent.Callback());
    ASSERT_TRUE(sent.Wait());
    sent_id = sent.Get<1>()->message_id();
  }
  mt::ServiceOptions options;
  options.storeFolder = store.Path();
  mt::ScopedCore core(options);
  auto messages = mt::ServiceMessages("chn-fe");
  ASSERT_FALSE(messages.empty());
  EXPECT_EQ(messages.back().message_id, sent_id);
  EXPECT_EQ(messages.back().content, "留下来的消息");
}

// A store that is not a database, an emptied one too, is moved aside once,
// with one error line, and a fresh one is made: the demo team, the remembered
// team and the schema check all work again.
TEST(DamagedStores, AreMovedAsideAndMadeAfresh) {
  for (const std::string& damage : {Garbage(), std::string()}) {
    SCOPED_TRACE(damage.empty() ? "emptied" : "garbage");
    test_support::TempFolder store, data;
    for (const std::wstring& path : {store / L"store.db", data / L"Accounts.db", data / L"Meta.db"}) {
      ASSERT_TRUE(test_support::WriteFileBytes(path, damage));
    }
    quennet::ScopedLogCapture log;
    mt::ServiceOptions options;
    options.storeFolder = store.Path();
    mt::ScopedCore core(options);
    Completion<bool, int64_t, std::string, std::string, std::string, bool> team;
    WebApi::Api()->GetTeamLiteBySubdomain("demo", team.Callback());
    ASSERT_TRUE(team.Wait());
    EXPECT_TRUE(team.Get<0>()) << "the demo store was rebuilt";

    AccountManager accounts(test_support::ToCp936(data.Path()));
    ASSERT_TRUE(accounts.InitOrDie());
    accounts.Register(Team("team-demo", "demo", "示例团队"), "zhou");
    EXPECT_EQ(accounts.LastTeamId(), "team-demo");
    // The caches beside a damaged Meta.db are of no known schema: migrated once,
    // then current at the next start.
    SqlMigrate migrate;
    ASSERT_TRUE(migrate.InitOrDie(test_support::ToCp936(data.Path()) + "/"));
    EXPECT_TRUE(migrate.IsExpired(35));
    EXPECT_TRUE(migrate.MigrateOrDieV2(35));
    SqlMigrate next;
    ASSERT_TRUE(next.InitOrDie(test_support::ToCp936(data.Path()) + "/"));
    EXPECT_FALSE(next.IsExpired(35));

    for (const std::wstring& moved :
         {store / L"store.db.corrupt", data / L"Accounts.db.corrupt", data / L"Meta.db.corrupt"}) {
      EXPECT_NE(GetFileAttributesW(moved.c_str()), INVALID_FILE_ATTRIBUTES);
    }
    size_t errors = 0;
    for (const auto& entry : log.Entries()) errors += entry.level == quennet::LogLevel::Error ? 1 : 0;
    EXPECT_EQ(errors, 3u) << "one line per damaged store";
  }
}

namespace {

// Garbage over the page of the closed store that holds the demo message of
// this sequence number: damage in the middle of the history, which only
// reading the history shows.
bool DamagePageOfMessage(const std::wstring& storeFile, int64_t seq) {
  constexpr size_t kPageSize = 4096;
  const std::string bytes = test_support::ReadFileBytes(storeFile);
  const size_t at = bytes.find("\"seq\":" + std::to_string(seq) + ",\"team\"");
  return at != std::string::npos &&
         test_support::OverwriteOpenFile(storeFile, std::string(kPageSize, '\x5A'), static_cast<int64_t>(at / kPageSize * kPageSize));
}

int64_t LoginCode() {
  Completion<bool, int64_t, std::unique_ptr<Token>, std::unique_ptr<User>> login;
  Auth::SharedAuth()->PostLoginRequest("zhou", "demo1234", "team-demo", "demo", login.Callback());
  EXPECT_TRUE(login.Wait());
  return login.Get<0>() ? login.Get<1>() : -login.Get<1>();
}

}  // namespace

// A store damaged in the middle of its history is repaired at the next start:
// every row that can still be read, the client's messages among them, is
// carried into the store built afresh from the demo (which gives back the
// demo's own rows on the damaged page); the event log and the first sign-in
// say so, the next sign-in no more. No id handed out afterwards was held by
// the client's cache before: the cache follows the repaired store, so both
// hold the same messages under the same ids.
TEST(DamagedStores, ARepairedStoreKeepsWhatCouldBeReadAndReusesNoId) {
  test_support::TempFolder store;
  mt::ServiceOptions options;
  options.storeFolder = store.Path();
  options.demoFolder = mt::SourceDemoFolder();
  mt::ScopedCore core(options);
  ASSERT_TRUE(core_test::SignInWithData(core));
  const auto send = [](const std::string& text) {
    Completion<bool, std::unique_ptr<Message>> sent;
    ChatManager::DefaultManager()->SendMessage(Message::TextMessageForIM("im-zhou-lin", "usr-lin", text),
                                               sent.Callback());
    EXPECT_TRUE(sent.Wait());
    return sent.Get<0>() ? sent.Get<1>()->message_id() : std::string();
  };
  ASSERT_FALSE(send("before-1").empty());
  ASSERT_FALSE(send("before-2").empty());
  ASSERT_TRUE(mt::WaitIdle());  // lin's answers are stored too
  std::map<std::string, std::string> sent_before;
  for (const auto& message : mt::ServiceMessages("im-zhou-lin")) sent_before[message.message_id] = message.content;
  const size_t history_before = mt::ServiceMessages("chn-history").size();
  std::map<std::string, std::string> held_before = CachedMessages("im-zhou-lin");

  mt::ResetCore();  // the program ends
  ASSERT_TRUE(DamagePageOfMessage(store / L"store.db", 650));
  quennet::ScopedLogCapture log;
  mt::StartService(options);  // the program's next start
  const auto logged = [&](const char* text) {
    const auto entries = log.Entries();
    return std::any_of(entries.begin(), entries.end(),
                       [&](const quennet::LogEntry& entry) { return entry.text.find(text) != std::string::npos; });
  };
  EXPECT_TRUE(logged("store.db is damaged: moved aside"));
  EXPECT_TRUE(logged("the store was damaged and is repaired"));
  EXPECT_EQ(LoginCode(), 202) << "the first sign-in tells of the repair";
  EXPECT_EQ(LoginCode(), 200) << "once";
  std::map<std::string, std::string> kept;
  for (const auto& message : mt::ServiceMessages("im-zhou-lin")) kept[message.message_id] = message.content;
  EXPECT_EQ(kept, sent_before) << "what the store held is carried over, under its ids";
  EXPECT_EQ(mt::ServiceMessages("chn-history").size(), history_before) << "the damaged page came back from the demo";

  ASSERT_TRUE(core_test::SignInWithData(core));
  RecordingListener listener;
  listener.ListenToAll();
  const std::string id = send("after");
  ASSERT_FALSE(id.empty());
  EXPECT_EQ(held_before.count(id), 0u) << id << " was an id of the store before";
  EXPECT_TRUE(listener.WaitFor("direct im-zhou-lin 收到：after"));
  listener.StopListening();
  ASSERT_TRUE(mt::WaitIdle());
  std::map<std::string, std::string> stored;
  for (const auto& message : mt::ServiceMessages("im-zhou-lin")) stored[message.message_id] = message.content;
  EXPECT_EQ(stored.count(id), 1u);
  EXPECT_EQ(CachedMessages("im-zhou-lin"), stored);
}

// A store that this program cannot have (another program's service holds it,
// or it cannot be written) is left as it is, and every sign-in is refused
// with a code of its own, so that nothing is shown as sent and then lost.
// Once the store is free again, signing in works on what it held.
TEST(UnavailableStores, RefuseEverySignInAndStayAsTheyAre) {
  test_support::TempFolder store;
  mt::ServiceOptions options;
  options.storeFolder = store.Path();
  options.demoFolder = mt::SourceDemoFolder();
  { mt::ScopedCore built(options); }
  const std::wstring file = store / L"store.db";

  struct Case {
    const char* name;
    std::function<std::function<void()>()> hold;  // takes the store; gives back its release
    int64_t code;
  };
  const Case cases[] = {
      {"held by another program",
       [&] {
         // As another program's service holds it: one connection, for good.
         sqlite3* other = nullptr;
         EXPECT_EQ(sqlite3_open16(file.c_str(), &other), SQLITE_OK);
         EXPECT_EQ(sqlite3_exec(other, "PRAGMA locking_mode=EXCLUSIVE; BEGIN IMMEDIATE; COMMIT;", nullptr, nullptr, nullptr),
                   SQLITE_OK);
         return std::function<void()>([other] { sqlite3_close(other); });
       },
       8003},
      {"not to be opened",
       [&] {
         // Another program keeps the file open without sharing it.
         HANDLE held = CreateFileW(file.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
         EXPECT_NE(held, INVALID_HANDLE_VALUE);
         return std::function<void()>([held] { CloseHandle(held); });
       },
       8004},
  };
  for (const Case& test : cases) {
    SCOPED_TRACE(test.name);
    const std::string whole = test_support::ReadFileBytes(file);
    ASSERT_FALSE(whole.empty());
    const std::function<void()> release = test.hold();
    {
      mt::ScopedCore core(options);
      EXPECT_EQ(LoginCode(), -test.code);
      EXPECT_FALSE(mt::SignIn("zhou", core.DataFolder()));
    }
    release();
    EXPECT_TRUE(test_support::ReadFileBytes(file) == whole) << "the store is left as it was";
    EXPECT_EQ(GetFileAttributesW((file + L".corrupt").c_str()), INVALID_FILE_ATTRIBUTES);
    mt::ScopedCore core(options);
    EXPECT_EQ(LoginCode(), 200);
  }
}

// Every store keeps a write-ahead log, so that a crash or a full disk leaves
// its last commit whole: the header of each file says so (its read and write
// versions, bytes 18 and 19, are 2).
TEST(DemoServiceStore, EveryStoreKeepsAWriteAheadLog) {
  test_support::TempFolder store, data;
  mt::ServiceOptions options;
  options.storeFolder = store.Path();
  {
    mt::ScopedCore core(options);
    SqlMigrate migrate;
    ASSERT_TRUE(migrate.InitOrDie(test_support::ToCp936(data.Path()) + "/"));
    AccountManager accounts(test_support::ToCp936(data.Path()));
    ASSERT_TRUE(accounts.InitOrDie());
  }
  for (const std::wstring& path : {store / L"store.db", data / L"Meta.db", data / L"Accounts.db"}) {
    const std::string header = test_support::ReadFileBytes(path).substr(0, 20);
    ASSERT_EQ(header.size(), 20u);
    EXPECT_EQ(header[18], 2);
    EXPECT_EQ(header[19], 2);
  }
}

TEST(DemoServiceStore, AnInlineTeamReplacesTheDemo) {
  mt::ServiceOptions options;
  options.inlineDemoJson = R"({"teams":[{"team":{"id":"team-x","subdomain":"x","name":"X"},
    "users":[{"uid":"usr-a","username":"a","display_name":"A"}],
    "channels":[{"id":"chn-x","name":"X","general":true,"messages":[{"from":"usr-a","text":"hi"}]}]}]})";
  mt::ScopedCore core(options);
  ASSERT_TRUE(mt::SignIn("a", core.DataFolder(), "x"));
  ASSERT_TRUE(mt::FetchMainWindowData());
  EXPECT_EQ(ChannelManager::DefaultManager()->FetchChannelsFromCache().size(), 1u);
  EXPECT_FALSE(mt::SignIn("zhou", core.DataFolder(), "demo"));
}

TEST(DemoServiceStore, StartsLazilyFromTheProgramsDefaults) {
  // The program's road: no test options, the first core call starts it.
  mt::ResetCore();
  test_support::TempFolder store;
  SetEnvironmentVariableW(L"MIRELOOM_SERVICE_STORE", store.Path().c_str());
  SetEnvironmentVariableW(L"MIRELOOM_DEMO_FOLDER", mt::SourceDemoFolder().c_str());
  SetEnvironmentVariableW(L"MIRELOOM_DEMO_CLIENT_VERSION", L"16");
  Completion<bool, int64_t, int64_t, std::string, std::string, bool, int64_t, std::string, std::string> version;
  WebApi::Api()->GetClientVersion(false, version.Callback());
  ASSERT_TRUE(version.Wait());
  EXPECT_TRUE(version.Get<0>());
  EXPECT_EQ(version.Get<2>(), 16);
  EXPECT_EQ(version.Get<3>(), "2.2.0");
  EXPECT_NE(GetFileAttributesW((store.Path() + L"\\store.db").c_str()), INVALID_FILE_ATTRIBUTES);
  mt::ResetCore();
  SetEnvironmentVariableW(L"MIRELOOM_SERVICE_STORE", nullptr);
  SetEnvironmentVariableW(L"MIRELOOM_DEMO_FOLDER", nullptr);
  SetEnvironmentVariableW(L"MIRELOOM_DEMO_CLIENT_VERSION", nullptr);
}
