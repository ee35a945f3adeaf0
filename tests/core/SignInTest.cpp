// The sign-in roads: version, team look-up, log-in codes, the initial
// password, log-out, and a second team in the same run.

#include <gtest/gtest.h>

#include "CoreTestSupport.h"
#include "mireloom/Auth.h"
#include "mireloom/ChannelManager.h"
#include "mireloom/ChatManager.h"
#include "mireloom/Director.h"
#include "mireloom/UserManager.h"
#include "mireloom/WebApi.h"
#include "quennet/HttpClient.h"

using namespace mireloom;
using core_test::Completion;
using core_test::Done;
namespace mt = mireloom::testing;

namespace {

using Login = Completion<bool, int64_t, std::unique_ptr<Token>, std::unique_ptr<User>>;

class SignIn : public ::testing::Test {
 protected:
  static int64_t LoginCode(const std::string& user, const std::string& password, const std::string& team = "team-demo",
                           bool* ok = nullptr) {
    Login login;
    Auth::SharedAuth()->PostLoginRequest(user, password, team, "demo", login.Callback());
    EXPECT_TRUE(login.Wait());
    if (ok) *ok = login.Get<0>();
    if (login.Get<0>()) {
      EXPECT_NE(login.Get<2>(), nullptr);
      EXPECT_NE(login.Get<3>(), nullptr);
    } else {
      EXPECT_EQ(login.Get<2>(), nullptr);
      EXPECT_EQ(login.Get<3>(), nullptr);
    }
    return login.Get<1>();
  }

  mt::ScopedCore m_core;
};

}  // namespace

TEST_F(SignIn, TheClientVersionRecord) {
  Completion<bool, int64_t, int64_t, std::string, std::string, bool, int64_t, std::string, std::string> version;
  WebApi::Api()->GetClientVersion(false, version.Callback());
  ASSERT_TRUE(version.Wait());
  EXPECT_TRUE(version.Get<0>());
  EXPECT_EQ(version.Get<2>(), 15);
  EXPECT_EQ(version.Get<3>(), "2.1.5");
  EXPECT_NE(version.Get<4>().find('\n'), std::string::npos) << "multi-line notes";
  EXPECT_EQ(version.Get<7>(), "https://www.corvanel.test/download/windows");

  mt::SetClientVersion(16, "2.2.0");
  Completion<bool, int64_t, int64_t, std::string, std::string, bool, int64_t, std::string, std::string> newer;
  WebApi::Api()->GetClientVersion(false, newer.Callback());
  ASSERT_TRUE(newer.Wait());
  EXPECT_EQ(newer.Get<2>(), 16);
}

TEST_F(SignIn, TeamLookUpGivesIdNameSubdomainInThatOrder) {
  Completion<bool, int64_t, std::string, std::string, std::string, bool> demo;
  WebApi::Api()->GetTeamLiteBySubdomain("demo", demo.Callback());
  ASSERT_TRUE(demo.Wait());
  EXPECT_TRUE(demo.Get<0>());
  EXPECT_EQ(demo.Get<2>(), "team-demo");
  EXPECT_EQ(demo.Get<3>(), "示例团队");
  EXPECT_EQ(demo.Get<4>(), "demo");
  // Host names do not depend on case, and blanks around the name are not part of it.
  for (const std::string spelling : {"DEMO", " demo ", "Demo\t"}) {
    Completion<bool, int64_t, std::string, std::string, std::string, bool> found;
    WebApi::Api()->GetTeamLiteBySubdomain(spelling, found.Callback());
    ASSERT_TRUE(found.Wait());
    EXPECT_EQ(found.Get<2>(), "team-demo") << spelling;
    EXPECT_EQ(found.Get<4>(), "demo") << spelling;
  }
  for (const std::string unknown : {"", " ", "nosuchteam", "de mo"}) {
    Completion<bool, int64_t, std::string, std::string, std::string, bool> missing;
    WebApi::Api()->GetTeamLiteBySubdomain(unknown, missing.Callback());
    ASSERT_TRUE(missing.Wait());
    EXPECT_FALSE(missing.Get<0>()) << unknown;
    EXPECT_EQ(missing.Get<1>(), 404) << unknown;
  }
  mt::Outage(true);
  Completion<bool, int64_t, std::string, std::string, std::string, bool> unreachable;
  WebApi::Api()->GetTeamLiteBySubdomain("demo", unreachable.Callback());
  ASSERT_TRUE(unreachable.Wait());
  EXPECT_EQ(unreachable.Get<1>(), -1);
}

TEST_F(SignIn, LogInCodes) {
  bool ok = false;
  EXPECT_EQ(LoginCode("zhou", "demo1234", "team-demo", &ok), 200);
  EXPECT_TRUE(ok);
  EXPECT_EQ(LoginCode("newbie", "init1234", "team-demo", &ok), 201);
  EXPECT_TRUE(ok);
  EXPECT_EQ(LoginCode("zhou", "wrong"), 8000);
  EXPECT_EQ(LoginCode("nobody", "demo1234"), 8000);
  EXPECT_EQ(LoginCode("", ""), 8000);
  EXPECT_EQ(LoginCode("he", "demo1234"), 8001);
  EXPECT_EQ(LoginCode("zhou", "demo1234", "team-none"), 404);
  EXPECT_EQ(LoginCode("zhou", "demo1234", "team-lab"), 200) << "the second team";
  mt::Outage(true);
  EXPECT_EQ(LoginCode("zhou", "demo1234", "team-demo", &ok), -1);
  EXPECT_FALSE(ok);
  const auto attempts = mt::ServiceLoginAttempts();
  ASSERT_EQ(attempts.size(), 8u) << "unreachable attempts never reach the service";
  EXPECT_EQ(attempts[3].code, 8000);
}

TEST_F(SignIn, TheSignedInUserAndItsToken) {
  Login login;
  Auth::SharedAuth()->PostLoginRequest("zhou", "demo1234", "team-demo", "demo", login.Callback());
  ASSERT_TRUE(login.Wait());
  const User& me = *login.Get<3>();
  EXPECT_EQ(me.uid(), "usr-zhou");
  EXPECT_EQ(me.display_name(), "周一鸣");
  EXPECT_EQ(me.role(), 4);
  EXPECT_FALSE(login.Get<2>()->web_token().empty());
  EXPECT_TRUE(mt::ServiceTokenValid(login.Get<2>()->api_token()));

  auto* director = new Director();
  Director::ResetDefaultDirector(nullptr);
  director->Init(me, Team("team-demo", "demo", "示例团队"), *login.Get<2>(), m_core.DataFolderCp936(), "",
                 "windows_device_id", "1.2", "WebSite");
  Director::ResetDefaultDirector(director);
  EXPECT_EQ(Director::DefaultDirector()->me()->uid(), "usr-zhou");
  EXPECT_EQ(Director::DefaultDirector()->current_team()->team_subdomain(), "demo");
  EXPECT_TRUE(Director::DefaultDirector()->HasPermission(Permission::kTeamConfigureServices));
  EXPECT_TRUE(Director::DefaultDirector()->HasPermission(Permission::kChatModuleSetVisibility));
  EXPECT_EQ(Director::DefaultDirector()->im_protocol(), kIMProtocolSocketIo);
}

TEST_F(SignIn, PermissionsFollowTheUser) {
  ASSERT_TRUE(mt::SignIn("qian", m_core.DataFolder()));
  EXPECT_FALSE(Director::DefaultDirector()->HasPermission(Permission::kTeamConfigureServices));
  EXPECT_FALSE(Director::DefaultDirector()->HasPermission(Permission::kChatModuleSetVisibility));
  EXPECT_EQ(Director::DefaultDirector()->me()->role(), 4);
  ASSERT_TRUE(mt::SignIn("chen", m_core.DataFolder()));
  EXPECT_TRUE(Director::DefaultDirector()->HasPermission(Permission::kTeamConfigureServices));
  EXPECT_FALSE(Director::DefaultDirector()->HasPermission(Permission::kChatModuleSetVisibility));
}

TEST_F(SignIn, TheInitialPasswordMustBeReplaced) {
  Login login;
  Auth::SharedAuth()->PostLoginRequest("newbie", "init1234", "team-demo", "demo", login.Callback());
  ASSERT_TRUE(login.Wait());
  ASSERT_EQ(login.Get<1>(), 201);
  auto* director = new Director();
  director->Init(*login.Get<3>(), Team("team-demo", "demo", "示例团队"), *login.Get<2>(), m_core.DataFolderCp936(), "",
                 "windows_device_id", "1.2", "WebSite");
  Director::ResetDefaultDirector(director);

  for (const std::string refused : {"short", "init1234", ""}) {
    Completion<bool, int64_t> put;
    WebApi::Api()->PutInitPassword(refused, put.Callback());
    ASSERT_TRUE(put.Wait());
    EXPECT_FALSE(put.Get<0>()) << refused;
    EXPECT_EQ(put.Get<1>(), 8002) << refused;
  }
  EXPECT_TRUE(mt::ServiceHasInitialPassword("newbie"));
  Completion<bool, int64_t> accepted;
  WebApi::Api()->PutInitPassword("新的密码123", accepted.Callback());
  ASSERT_TRUE(accepted.Wait());
  EXPECT_TRUE(accepted.Get<0>());
  EXPECT_FALSE(mt::ServiceHasInitialPassword("newbie"));

  // The 201 token carries the session on: the fetch chain works with it.
  Done members;
  UserManager::DefaultManager()->GetUsersStatus(members.Callback());
  ASSERT_TRUE(members.Wait());
  EXPECT_TRUE(members.Get<0>());

  EXPECT_EQ(LoginCode("newbie", "新的密码123"), 200);
  EXPECT_EQ(LoginCode("newbie", "init1234"), 8000);
}

TEST_F(SignIn, LogOutRevokesTheTokenAndClosesTheCache) {
  ASSERT_TRUE(core_test::SignInWithData(m_core));
  auto request = WebApi::Api()->GenBaseRequestForCurrentTeam(0);
  ASSERT_NE(request, nullptr);
  const std::string token = request->headers().at("Authorization").substr(7);
  core_test::RecordingListener listener;
  Director::DefaultDirector()->AddConnectionStateHandler(&listener);
  Done logout;
  Director::DefaultDirector()->Logout(logout.Callback());
  ASSERT_TRUE(logout.Wait());
  EXPECT_TRUE(logout.Get<0>());
  Completion<bool> disconnected;
  Director::DefaultDirector()->DisconnectFromIMServer(disconnected.Callback());
  ASSERT_TRUE(disconnected.Wait());
  EXPECT_TRUE(disconnected.Get<0>());

  EXPECT_FALSE(mt::ServiceTokenValid(token));
  EXPECT_TRUE(ChannelManager::DefaultManager()->FetchChannelsFromCache().empty());
  EXPECT_EQ(ChatManager::DefaultManager()->NumUnreadInCurrentTeam().num_unread, 0u);
  Done later;
  UserManager::DefaultManager()->GetUsersStatus(later.Callback());
  ASSERT_TRUE(later.Wait());
  EXPECT_EQ(later.Get<1>(), "401 not signed in");
  ASSERT_TRUE(mt::WaitIdle());
  EXPECT_TRUE(listener.Events().empty()) << "no state calls after the log-out";
  Director::DefaultDirector()->RemoveConnectionStateHandler(&listener);

  // Nothing holds the session's files: the data folder can be emptied.
  const std::wstring cache = m_core.DataFolder() + L"\\team-demo\\usr-zhou\\Cache.db";
  EXPECT_TRUE(DeleteFileW(cache.c_str())) << GetLastError();
}

TEST_F(SignIn, ASecondTeamInTheSameRunReplacesTheSession) {
  ASSERT_TRUE(core_test::SignInWithData(m_core));
  ASSERT_TRUE(mt::SignIn("zhou", m_core.DataFolder(), "lab"));
  ASSERT_TRUE(mt::FetchMainWindowData());
  EXPECT_EQ(Director::DefaultDirector()->current_team()->team_name(), "Lab Team");
  auto channels = ChannelManager::DefaultManager()->FetchChannelsFromCache();
  ASSERT_EQ(channels.size(), 1u);
  EXPECT_EQ(channels[0]->channel_id(), "chn-lab");
  EXPECT_EQ(ChatManager::DefaultManager()->FetchMessagesFromCache("chn-lab", 0, 2147483647, 20, nullptr, nullptr, false).size(),
            3u);
}
