// The page cookie set: its steps built on their own, then posted to the
// running stand-in and read back from its store.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "browser/PageCookieSet.h"
#include "LayerFixture.h"

namespace {

using Kind = PageCookieStep::Kind;

const PageCookieSession kSession = {"T042", "acme", "tok-1"};

std::wstring Describe(const PageCookieStep& step) {
  return std::wstring(step.kind == Kind::Delete ? L"delete " : L"set ") + step.url + L" " + step.name + L"=" +
         step.value + L" @" + step.domain + step.path;
}

std::vector<std::wstring> Describe(const std::vector<PageCookieStep>& steps) {
  std::vector<std::wstring> lines;
  for (const auto& step : steps) lines.push_back(Describe(step));
  return lines;
}

TEST(PageCookieSetTest, TheMainWindowRemovesTheDetailMarkerFirst) {
  EXPECT_THAT(Describe(BuildPageCookieSet(kSession, PageCookieHost::MainWindow)),
              testing::ElementsAre(L"delete https://acme.corvanel.test client-type= @",
                                   L"set https://acme.corvanel.test s-T042=tok-1 @acme.corvanel.test/",
                                   L"set https://acme.corvanel.test client=windows @acme.corvanel.test/",
                                   L"set https://files.corvanel.test s-T042=tok-1 @files.corvanel.test/"));
}

TEST(PageCookieSetTest, TheModuleDetailsWindowMarksItsPagesAsDetail) {
  EXPECT_THAT(Describe(BuildPageCookieSet(kSession, PageCookieHost::ModuleDetails)),
              testing::ElementsAre(L"set https://acme.corvanel.test s-T042=tok-1 @acme.corvanel.test/",
                                   L"set https://acme.corvanel.test client=windows @acme.corvanel.test/",
                                   L"set https://acme.corvanel.test client-type=detail @acme.corvanel.test/",
                                   L"set https://files.corvanel.test s-T042=tok-1 @files.corvanel.test/"));
}

TEST(PageCookieSetTest, TokenAndTeamTextsAreConvertedFromUtf8AndAnEmptyTokenStillGoes) {
  const auto steps = BuildPageCookieSet({u8"团队1", "acme", u8"令牌"}, PageCookieHost::ModuleDetails);
  EXPECT_EQ(steps[0].name, L"s-团队1");
  EXPECT_EQ(steps[0].value, L"令牌");
  EXPECT_EQ(SessionCookieName("T9"), L"s-T9");

  const auto empty = BuildPageCookieSet({"T1", "acme", ""}, PageCookieHost::MainWindow);
  ASSERT_EQ(empty.size(), 4u);
  EXPECT_EQ(empty[1].name, L"s-T1");
  EXPECT_EQ(empty[1].value, L"");
  EXPECT_EQ(empty[3].value, L"");
}

class PageCookieSetLiveTest : public cef_testing::LayerTest {};

TEST_F(PageCookieSetLiveTest, PostedStepsRunInOrderOnTheIoThreadAndAreStoredExactly) {
  const auto steps = BuildPageCookieSet(kSession, PageCookieHost::ModuleDetails);
  ASSERT_TRUE(PostPageCookieSet(steps));
  ASSERT_TRUE(cef_test::Flush());

  const auto ops = cef_test::CookieOps();
  ASSERT_EQ(ops.size(), steps.size());
  for (size_t i = 0; i < ops.size(); ++i) {
    EXPECT_EQ(ops[i].name, steps[i].name);
    EXPECT_EQ(ops[i].url, steps[i].url);
    EXPECT_EQ(ops[i].thread_id, cef_test::IOThreadId());
    EXPECT_TRUE(ops[i].accepted);
  }
  const auto cookies = cef_test::Cookies();
  ASSERT_EQ(cookies.size(), 4u);
  for (const auto& cookie : cookies) {
    EXPECT_EQ(cookie.path, L"/");
    EXPECT_FALSE(cookie.secure);
    EXPECT_FALSE(cookie.httponly);
    EXPECT_FALSE(cookie.has_expires);
  }
  EXPECT_EQ(cookies[0].value, L"tok-1");

  // The pages load over http and still get them.
  std::vector<std::wstring> sent;
  for (const auto& cookie : cef_test::CookiesForUrl(L"http://acme.corvanel.test/tasks/my")) sent.push_back(cookie.name);
  EXPECT_THAT(sent, testing::ElementsAre(L"s-T042", L"client", L"client-type"));
}

TEST_F(PageCookieSetLiveTest, TheMainWindowsSetAfterADetailPageLeavesNoDetailMarker) {
  ASSERT_TRUE(PostPageCookieSet(BuildPageCookieSet(kSession, PageCookieHost::ModuleDetails)));
  ASSERT_TRUE(PostPageCookieSet(BuildPageCookieSet(kSession, PageCookieHost::MainWindow)));
  ASSERT_TRUE(cef_test::Flush());
  for (const auto& cookie : cef_test::CookiesForUrl(L"http://acme.corvanel.test/")) {
    EXPECT_NE(cookie.name, L"client-type");
  }
  EXPECT_EQ(cef_test::CookieOps().size(), 8u);

  ASSERT_TRUE(PostPageCookieSet(BuildPageCookieSet(kSession, PageCookieHost::ModuleDetails)));
  ASSERT_TRUE(cef_test::Flush());
  EXPECT_EQ(cef_test::CookieOps().size(), 12u);  // the same four again
  EXPECT_EQ(cef_test::Cookies().size(), 4u);    // replacing, not piling up
}

TEST_F(PageCookieSetLiveTest, WithoutACookieStoreNothingIsQueued) {
  cef_test::SetGlobalManagerAvailable(false);
  EXPECT_FALSE(PostPageCookieSet(BuildPageCookieSet(kSession, PageCookieHost::MainWindow)));
  cef_test::SetGlobalManagerAvailable(true);
  ASSERT_TRUE(cef_test::Flush());
  EXPECT_TRUE(cef_test::CookieOps().empty());
}

}  // namespace
