// The page cookies of the signed-in session: the current team and the web
// token, read where the session keeps them.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "browser/SessionPageCookies.h"
#include "LayerFixture.h"
#include "mireloom/Director.h"
#include "mireloom/testing.h"
#include "signin/SessionStart.h"

namespace {

namespace mt = mireloom::testing;

class SessionPageCookiesTest : public cef_testing::LayerTest {
 protected:
  void TearDown() override {
    SessionWebToken.clear();
    LayerTest::TearDown();
  }
  mt::ScopedCore m_core;
};

TEST_F(SessionPageCookiesTest, WithoutADirectorOrATeamThereIsNoSessionAndNothingIsQueued) {
  EXPECT_FALSE(CurrentPageCookieSession());
  EXPECT_FALSE(PostSessionPageCookies(PageCookieHost::MainWindow));
  mireloom::Director::ResetDefaultDirector(new mireloom::Director);
  EXPECT_FALSE(CurrentPageCookieSession()) << "a director before its session has no team";
  EXPECT_FALSE(PostSessionPageCookies(PageCookieHost::ModuleDetails));
  ASSERT_TRUE(cef_test::Flush());
  EXPECT_TRUE(cef_test::CookieOps().empty());
}

TEST_F(SessionPageCookiesTest, TheCurrentTeamAndTokenSignTheMainWindowsPages) {
  mt::InstallSession("usr-zhou", "team-demo", {}, m_core.DataFolder());
  SessionWebToken = "tok-9";
  const auto session = CurrentPageCookieSession();
  ASSERT_TRUE(session);
  EXPECT_EQ(session->team_id, "team-demo");
  EXPECT_EQ(session->team_subdomain, "demo");
  EXPECT_EQ(session->web_token, "tok-9");

  ASSERT_TRUE(PostSessionPageCookies(PageCookieHost::MainWindow));
  ASSERT_TRUE(cef_test::Flush());
  std::vector<std::wstring> ops;
  for (const auto& op : cef_test::CookieOps()) {
    ops.push_back((op.op == cef_test::CookieOpKind::Delete ? L"delete " : L"set ") + op.name + L"=" + op.value);
  }
  EXPECT_THAT(ops, testing::ElementsAre(L"delete client-type=", L"set s-team-demo=tok-9", L"set client=windows",
                                        L"set s-team-demo=tok-9"));
}

}  // namespace
