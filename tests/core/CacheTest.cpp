// The session cache as the windows read it: copies, empty answers without a
// session, message pages, channel flags, delivered messages, counts, drafts.

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <future>
#include <thread>

#include "CoreTestSupport.h"
#include "mireloom/ChannelManager.h"
#include "mireloom/ChatManager.h"
#include "mireloom/Director.h"
#include "mireloom/IMManager.h"
#include "mireloom/ServiceManager.h"
#include "mireloom/SessionFolder.h"
#include "mireloom/UsergroupManager.h"
#include "mireloom/UserManager.h"

using namespace mireloom;
using core_test::Completion;
namespace mt = mireloom::testing;

namespace {

class Cache : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(core_test::SignInWithData(m_core)); }

  static std::vector<std::string> Ids(const std::vector<std::unique_ptr<Channel>>& channels) {
    std::vector<std::string> ids;
    for (const auto& channel : channels) ids.push_back(channel->channel_id());
    return ids;
  }
  static const ChatManager* Chat() { return ChatManager::DefaultManager(); }

  mt::ScopedCore m_core;
};

}  // namespace

TEST_F(Cache, ReadsWithoutASessionAreEmpty) {
  Director::ResetDefaultDirector(nullptr);
  EXPECT_TRUE(ChannelManager::DefaultManager()->FetchChannelsFromCache().empty());
  EXPECT_EQ(ChannelManager::DefaultManager()->FetchChannelFromCacheByChannelId("chn-general"), nullptr);
  EXPECT_TRUE(UserManager::DefaultManager()->FetchUsersFromCache().empty());
  EXPECT_EQ(IMManager::DefaultManager()->FetchImFromCacheByImId("im-zhou-lin"), nullptr);
  EXPECT_EQ(Chat()->FetchLastMessageFromCache("chn-general"), nullptr);
  EXPECT_EQ(Chat()->NumUnreadInCurrentTeam().num_unread, 0u);
  EXPECT_EQ(Chat()->FirstChannelHasUnreadMessage(), "");
  EXPECT_EQ(Chat()->FetchDraftFromCacheByChannelId("chn-general"), nullptr);
  int total = -1;
  bool more = true;
  EXPECT_TRUE(Chat()->FetchMessagesFromCache("chn-general", 0, 2147483647, 20, &total, &more, false).empty());
  EXPECT_EQ(total, 0);
  EXPECT_FALSE(more);
  Chat()->SaveDraftToCache(Draft("chn-general", "丢了", 1));  // no session: nothing, no crash
}

TEST_F(Cache, ReadsReturnFreshCopies) {
  auto first = UserManager::DefaultManager()->FetchUserFromCacheByUid("usr-lin");
  auto second = UserManager::DefaultManager()->FetchUserFromCacheByUid("usr-lin");
  ASSERT_NE(first, nullptr);
  EXPECT_NE(first.get(), second.get());
  EXPECT_EQ(first->display_name(), "林晓");
  // Users who left stay readable; users nobody knows are null.
  EXPECT_NE(UserManager::DefaultManager()->FetchUserFromCacheByUid("usr-he"), nullptr);
  EXPECT_EQ(UserManager::DefaultManager()->FetchUserFromCacheByUid("usr-gone"), nullptr);
}

TEST_F(Cache, MessagePagesAreTheNewestOldestFirst) {
  auto page = Chat()->FetchMessagesFromCache("chn-history", 0, 2147483647, 20, nullptr, nullptr, false);
  ASSERT_EQ(page.size(), 20u);
  for (size_t i = 1; i < page.size(); ++i) EXPECT_LE(page[i - 1]->timestamp(), page[i]->timestamp());
  auto last = Chat()->FetchLastMessageFromCache("chn-history");
  ASSERT_NE(last, nullptr);
  EXPECT_EQ(page.back()->message_id(), last->message_id());

  // "Load more": 20 x n, always exactly that many while they exist.
  for (int pages = 1; pages <= 50; ++pages) {
    auto more = Chat()->FetchMessagesFromCache("chn-history", 0, 2147483647, 20 * pages, nullptr, nullptr, false);
    ASSERT_EQ(more.size(), static_cast<size_t>(20 * pages));
    EXPECT_EQ(more.back()->message_id(), last->message_id());
  }
  int total = 0;
  bool has_more = true;
  auto all = Chat()->FetchMessagesFromCache("chn-history", 0, 2147483647, 1200, &total, &has_more, false);
  EXPECT_EQ(all.size(), 1000u);
  EXPECT_EQ(total, 1000);
  EXPECT_FALSE(has_more);

  auto newest_first = Chat()->FetchMessagesFromCache("chn-history", 0, 2147483647, 3, &total, &has_more, true);
  ASSERT_EQ(newest_first.size(), 3u);
  EXPECT_EQ(newest_first[0]->message_id(), last->message_id());
  EXPECT_TRUE(has_more);

  // Bounds are inclusive.
  const int64_t at = all[500]->timestamp();
  auto bounded = Chat()->FetchMessagesFromCache("chn-history", at, at, 10, &total, nullptr, false);
  ASSERT_FALSE(bounded.empty());
  for (const auto& message : bounded) EXPECT_EQ(message->timestamp(), at);
  EXPECT_TRUE(Chat()->FetchMessagesFromCache("chn-history", 10, 5, 10, nullptr, nullptr, false).empty());
  EXPECT_TRUE(Chat()->FetchMessagesFromCache("chn-history", 0, 2147483647, 0, nullptr, nullptr, false).empty());
  EXPECT_TRUE(Chat()->FetchMessagesFromCache("no-such", 0, 2147483647, 20, nullptr, nullptr, false).empty());
}

TEST_F(Cache, MessagesOfOneSecondKeepTheirArrivalOrder) {
  std::vector<Message::Data> preloaded;
  for (const char* text : {"甲", "乙", "丙"}) {
    Message::Data message;
    message.channel_id = "chn-preloaded";
    message.timestamp = 1000;
    message.content = text;
    preloaded.push_back(message);
  }
  Message::Data older = preloaded[0];
  older.content = "更早";
  older.timestamp = 999;
  preloaded.push_back(older);  // arrives last, sorts first
  mt::PreloadMessages(preloaded);
  auto page = Chat()->FetchMessagesFromCache("chn-preloaded", 0, 2147483647, 10, nullptr, nullptr, false);
  ASSERT_EQ(page.size(), 4u);
  EXPECT_EQ(page[0]->content(), "更早");
  EXPECT_EQ(page[1]->content(), "甲");
  EXPECT_EQ(page[2]->content(), "乙");
  EXPECT_EQ(page[3]->content(), "丙");
  auto two = Chat()->FetchMessagesFromCache("chn-preloaded", 0, 2147483647, 2, nullptr, nullptr, false);
  ASSERT_EQ(two.size(), 2u);
  EXPECT_EQ(two[0]->content(), "乙");
}

TEST_F(Cache, ChannelFlagTriplesOfTheDemoUser) {
  const ChannelManager* channels = ChannelManager::DefaultManager();
  using V = Channel::Visibility;
  EXPECT_EQ(Ids(channels->FetchChannelsFromCache(V::kPublic, true, false)),
            (std::vector<std::string>{"chn-notice", "chn-history", "chn-fe", "chn-general", "chn-files",
                                      "chn-showcase"}))
      << "joined and enabled, by pinyin";
  EXPECT_EQ(Ids(channels->FetchChannelsFromCache(V::kPublic, true, true)), (std::vector<std::string>{"chn-design"}));
  EXPECT_EQ(Ids(channels->FetchChannelsFromCache(V::kPublic, false, false)),
            (std::vector<std::string>{"chn-random", "chn-ops"}));
  EXPECT_EQ(Ids(channels->FetchChannelsFromCache(V::kPrivate, true, false)), (std::vector<std::string>{"chn-core"}));
  EXPECT_EQ(Ids(channels->FetchChannelsFromCache(V::kPrivate, true, true)), (std::vector<std::string>{"chn-archive"}));
  EXPECT_TRUE(channels->FetchChannelsFromCache(V::kPrivate, false, false).empty());
  EXPECT_TRUE(channels->FetchChannelsFromCache(V::kPublic, false, true).empty());
  EXPECT_EQ(channels->FetchChannelFromCacheByChannelId("chn-board"), nullptr) << "invisible to non-members";

  auto general = channels->FetchChannelFromCacheByChannelId("chn-general");
  ASSERT_NE(general, nullptr);
  EXPECT_TRUE(general->IsGeneral());
  EXPECT_EQ(general->HexColor(), "#4bbcb7");
  // Members in join order, robots included, users who left and unknown users left out.
  auto members = channels->FetchMembersOfChannelFromCache("chn-random");
  ASSERT_EQ(members.size(), 4u);
  EXPECT_EQ(members[0]->uid(), "usr-lin");
  auto design = channels->FetchMembersOfChannelFromCache("chn-design");
  EXPECT_EQ(design.size(), 4u) << "a user of state 2 is still a cached user";
}

TEST_F(Cache, TheLastMessageIsTheNewestDelivered) {
  mt::SetManualPump(true);
  Message::Data incoming;
  incoming.channel_id = "chn-fe";
  incoming.uid = "usr-lin";
  incoming.content = "新消息";
  incoming.timestamp = 2000000000;
  mt::InjectMessage(incoming);
  auto page = Chat()->FetchMessagesFromCache("chn-fe", 0, 2147483647, 1, nullptr, nullptr, false);
  ASSERT_EQ(page.size(), 1u);
  EXPECT_EQ(page[0]->content(), "新消息") << "stored before it is delivered";
  auto last = Chat()->FetchLastMessageFromCache("chn-fe");
  ASSERT_NE(last, nullptr);
  EXPECT_NE(last->content(), "新消息") << "not delivered yet";
  mt::Pump();
  last = Chat()->FetchLastMessageFromCache("chn-fe");
  ASSERT_NE(last, nullptr);
  EXPECT_EQ(last->content(), "新消息");
  mt::SetManualPump(false);
}

TEST_F(Cache, UnreadArithmetic) {
  EXPECT_EQ(Chat()->NumUnreadInCurrentTeam().num_unread, 137u);
  EXPECT_EQ(Chat()->NumUnreadInCurrentTeam().num_notify, 130u) << "the muted notice channel has no dot";
  EXPECT_EQ(Chat()->NumUnreadInChannelFromMemCache("chn-notice").num_unread, 7u);
  EXPECT_EQ(Chat()->NumUnreadInChannelFromMemCache("chn-notice").num_notify, 0u);
  EXPECT_EQ(Chat()->NumUnreadInChannelFromMemCache("usr-lin").num_unread, 0u);
  EXPECT_EQ(Chat()->NumUnreadInChannelFromMemCache("").num_unread, 0u);
  EXPECT_EQ(Chat()->FirstChannelHasUnreadMessage(), "chn-general") << "newest activity first";

  core_test::RecordingListener listener;
  Chat()->AddNumUnreadHandler(&listener);
  Chat()->MarkReadCursorForChannelInCache("chn-general", 2000000000, false);
  EXPECT_EQ(Chat()->NumUnreadInChannelFromMemCache("chn-general").num_unread, 0u);
  EXPECT_EQ(Chat()->NumUnreadInCurrentTeam().num_unread, 134u);
  Chat()->MarkReadCursorForChannelInCache("im-zhou-notice", 2000000000, true);
  EXPECT_EQ(Chat()->NumUnreadInCurrentTeam().num_unread, 14u);
  ASSERT_TRUE(mt::WaitIdle());
  EXPECT_EQ(listener.Events(), (std::vector<std::string>{"unread im-zhou-notice 0 0"})) << "only the notifying one";
  EXPECT_EQ(mt::ServiceUnread("chn-general", "usr-zhou"), 0u) << "the cursor reached the service";
  EXPECT_EQ(mt::ServiceReadCursor("im-zhou-notice", "usr-zhou"), 2000000000);
  Chat()->RemoveNumUnreadHandler(&listener);

  // A closed one-to-one conversation counts while it has unread messages.
  mt::PreloadUnread("im-zhou-qian", 4, 4);
  EXPECT_EQ(Chat()->NumUnreadInCurrentTeam().num_unread, 18u);
  // A closed channel does not.
  mt::PreloadUnread("chn-design", 9, 9);
  EXPECT_EQ(Chat()->NumUnreadInCurrentTeam().num_unread, 18u);
}

TEST_F(Cache, DraftsAreOnePerConversationAndOutliveTheDirector) {
  Chat()->SaveDraftToCache(Draft("chn-fe", "未发送的话", 100));
  Chat()->SaveDraftToCache(Draft("chn-fe", "改过的话", 200));
  Chat()->SaveDraftToCache(Draft("", "无会话", 300));
  Chat()->SaveDraftToCache(Draft("im-zhou-lin", "", 400));
  auto draft = Chat()->FetchDraftFromCacheByChannelId("chn-fe");
  ASSERT_NE(draft, nullptr);
  EXPECT_EQ(draft->text(), "改过的话");
  EXPECT_EQ(draft->time(), 200);
  ASSERT_NE(Chat()->FetchDraftFromCacheByChannelId(""), nullptr);
  auto empty = Chat()->FetchDraftFromCacheByChannelId("im-zhou-lin");
  ASSERT_NE(empty, nullptr);
  EXPECT_EQ(empty->text(), "");
  EXPECT_EQ(Chat()->FetchDraftFromCacheByChannelId("chn-general"), nullptr);

  // The next session on this machine finds the drafts and the lists at once.
  const Director* old = Director::DefaultDirector();
  auto* next = new Director();
  next->Init(*old->me(), *old->current_team(), Token({"w", "a"}), m_core.DataFolderCp936(), "", "windows_device_id",
             "1.2", "WebSite");
  Director::ResetDefaultDirector(next);
  draft = Chat()->FetchDraftFromCacheByChannelId("chn-fe");
  ASSERT_NE(draft, nullptr);
  EXPECT_EQ(draft->text(), "改过的话");
  EXPECT_EQ(ChannelManager::DefaultManager()->FetchChannelsFromCache().size(), 11u);
  EXPECT_EQ(Chat()->FetchMessagesFromCache("chn-history", 0, 2147483647, 2000, nullptr, nullptr, false).size(), 1000u);
}

TEST_F(Cache, UsersGroupsAndServices) {
  const UserManager* users = UserManager::DefaultManager();
  auto all = users->FetchUsersFromCache();
  EXPECT_EQ(all.size(), 19u);
  EXPECT_EQ(all[0]->uid(), "usr-zhou") << "team order";
  auto active = users->FetchUsersExceptStateFromCache(User::kDisabled);
  EXPECT_EQ(active.size(), 18u);
  for (const auto& user : active) EXPECT_NE(user->uid(), "usr-he");

  Completion<bool, std::string, std::vector<std::unique_ptr<Usergroup>>> groups;
  UsergroupManager::DefaultManager()->GetUsergroups("", groups.Callback());
  ASSERT_TRUE(groups.Wait());
  std::vector<std::string> ungrouped;
  for (const auto& user : users->FetchUsersFromCacheWithoutUsergroup()) ungrouped.push_back(user->username());
  EXPECT_EQ(ungrouped, (std::vector<std::string>{"xu", "yang", "agent007", "zed", "wuming", "newbie"}));

  std::vector<std::string> roots;
  for (const auto& group : UsergroupManager::DefaultManager()->FetchRootUsergroupsFromCache()) {
    roots.push_back(group->usergroup_id());
  }
  EXPECT_EQ(roots.size(), 4u);
  auto rd = UsergroupManager::DefaultManager()->FetchUsergroupsFromCacheByParentId("grp-rd");
  ASSERT_EQ(rd.size(), 3u);
  int qa_users = 0;
  for (const auto& group : rd) {
    if (group->usergroup_id() == "grp-qa") qa_users = group->num_users();
  }
  EXPECT_EQ(qa_users, 2) << "the robot counts";
  auto be = MembershipManager::DefaultManager()->FetchMembershipsFromCache("grp-be", Membership::kAllTypes);
  ASSERT_EQ(be.size(), 2u);
  EXPECT_EQ(MembershipManager::DefaultManager()->FetchMembershipsFromCache("grp-be", Membership::kManager).size(), 1u);

  EXPECT_EQ(ServiceManager::DefaultManager()->FetchServicesFromCache().size(), 10u);
  auto mail = ServiceManager::DefaultManager()->FetchServiceFromCacheByServiceId("svc-mail");
  ASSERT_NE(mail, nullptr);
  EXPECT_EQ(mail->avatar_url(), "service-mail.png");
  EXPECT_EQ(ServiceManager::DefaultManager()->FetchServiceFromCacheByServiceId("svc-unknown"), nullptr);
}

// Storing a big team must not keep the user-interface thread waiting on the
// file: while another connection holds "Cache.db", the new members are read
// at once and a draft is saved at once, and once it lets go both reach the
// file as well.
TEST_F(Cache, ReadsAndDraftsAnswerWhileAStoreWaitsForTheFile) {
  mt::GenerateTeam(1000, 0);
  const size_t team_size = 19 + 1000;
  std::wstring folder;
  ASSERT_TRUE(MakeSessionFolder(*Director::DefaultDirector()->me(), *Director::DefaultDirector()->current_team(),
                                m_core.DataFolderCp936(), &folder));
  sqlite3* holder = nullptr;
  ASSERT_EQ(sqlite3_open16((folder + L"\\Cache.db").c_str(), &holder), SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(holder, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);

  Completion<bool, std::string, std::vector<std::unique_ptr<User>>> fetched;
  UserManager::DefaultManager()->GetTeamMembers(fetched.Callback());
  std::promise<size_t> read;
  std::thread reader([&read, team_size] {
    size_t count = 0;
    for (const DWORD start = GetTickCount(); count != team_size && GetTickCount() - start < 10000; Sleep(1)) {
      count = UserManager::DefaultManager()->FetchUsersFromCache().size();
    }
    Chat()->SaveDraftToCache(Draft("chn-fe", "大团队里的草稿", 100));
    read.set_value(count);
  });
  std::future<size_t> answer = read.get_future();
  const bool answered_while_held = answer.wait_for(std::chrono::seconds(5)) == std::future_status::ready;
  // Only now may the store go on.
  sqlite3_exec(holder, "ROLLBACK", nullptr, nullptr, nullptr);
  sqlite3_close(holder);
  reader.join();
  EXPECT_TRUE(answered_while_held) << "the read waited for the store";
  EXPECT_EQ(answer.get(), team_size);
  ASSERT_TRUE(fetched.Wait());
  ASSERT_TRUE(fetched.Get<0>());

  mt::InstallSession("usr-zhou", "team-demo", {}, m_core.DataFolder());
  EXPECT_EQ(UserManager::DefaultManager()->FetchUsersFromCache().size(), team_size) << "read back from the file";
  const auto draft = Chat()->FetchDraftFromCacheByChannelId("chn-fe");
  ASSERT_NE(draft, nullptr) << "the draft was written once the file was free";
  EXPECT_EQ(draft->text(), "大团队里的草稿");
}

// A big team's rows reach the file itself, not only its log, while the
// session goes on: the log is folded in beside the writers, never in their
// commits, and does not grow for as long as the session lasts.
TEST_F(Cache, ABigTeamReachesTheFileWhileTheSessionLasts) {
  mt::GenerateTeam(12000, 0);
  std::wstring folder;
  ASSERT_TRUE(MakeSessionFolder(*Director::DefaultDirector()->me(), *Director::DefaultDirector()->current_team(),
                                m_core.DataFolderCp936(), &folder));
  Completion<bool, std::string, std::vector<std::unique_ptr<User>>> fetched;
  UserManager::DefaultManager()->GetTeamMembers(fetched.Callback());
  ASSERT_TRUE(fetched.Wait());
  ASSERT_TRUE(fetched.Get<0>());
  const auto file_size = [file = folder + L"\\Cache.db"] {
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    if (!GetFileAttributesExW(file.c_str(), GetFileExInfoStandard, &data)) return uint64_t{0};
    return (uint64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow;
  };
  constexpr uint64_t kTeamBytes = 3u << 20;
  for (const DWORD start = GetTickCount(); file_size() < kTeamBytes && GetTickCount() - start < 10000;) Sleep(10);
  EXPECT_GE(file_size(), kTeamBytes);
}

// A channel's members are kept in the file as they were, whatever their ids
// hold. The channels are fetched at every sign-in, and only those that changed
// are written again: one the service no longer lists leaves the file, one it
// changed is written anew.
TEST_F(Cache, FetchedChannelsReplaceTheStoredOnes) {
  const ChannelManager* channels = ChannelManager::DefaultManager();
  const std::string name = channels->FetchChannelFromCacheByChannelId("chn-fe")->channel_name();
  const size_t members = channels->FetchMembersOfChannelFromCache("chn-fe").size();
  Channel::Data renamed;
  renamed.channel_id = "chn-fe";
  renamed.channel_name = "改过的名字";
  Channel::Data stale = renamed;
  stale.channel_id = "chn-stale";
  User::Data odd;
  odd.uid = "usr-\"引号\\\x01";
  mt::PreloadUsers({odd});
  mt::PreloadChannels({{renamed, {"usr-zhou"}}, {stale, {"usr-zhou", odd.uid}}});
  mt::InstallSession("usr-zhou", "team-demo", {}, m_core.DataFolder());
  const auto stored = channels->FetchMembersOfChannelFromCache("chn-stale");
  ASSERT_EQ(stored.size(), 2u);
  EXPECT_EQ(stored[1]->uid(), odd.uid);

  Completion<bool, std::string, std::vector<std::unique_ptr<Channel>>> fetched;
  channels->GetChannels(false, fetched.Callback());
  ASSERT_TRUE(fetched.Wait());
  ASSERT_TRUE(fetched.Get<0>());

  mt::InstallSession("usr-zhou", "team-demo", {}, m_core.DataFolder());
  EXPECT_EQ(channels->FetchChannelFromCacheByChannelId("chn-stale"), nullptr);
  const auto fe = channels->FetchChannelFromCacheByChannelId("chn-fe");
  ASSERT_NE(fe, nullptr);
  EXPECT_EQ(fe->channel_name(), name);
  EXPECT_EQ(channels->FetchMembersOfChannelFromCache("chn-fe").size(), members);
  EXPECT_EQ(channels->FetchChannelsFromCache().size(), 11u);
}
