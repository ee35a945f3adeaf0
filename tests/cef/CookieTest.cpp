// The cookie store: the client's five steps stored exactly and in order, the
// IO-thread rule, domain and path matching, replacement and deletion.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "cef/cef_cookie.h"
#include "cef/cef_task.h"
#include "LayerFixture.h"
#include "RecordingClient.h"

namespace cef_testing {
namespace {

using cef_test::CookieOpKind;
using cef_test::CookieRecord;
using testing::ElementsAre;
using testing::IsEmpty;

constexpr wchar_t kTeamUrl[] = L"https://acme.corvanel.test";
constexpr wchar_t kTeamHost[] = L"acme.corvanel.test";

CefCookie Cookie(const std::wstring& name, const std::wstring& value, const std::wstring& domain,
                 const std::wstring& path = L"/") {
  CefCookie cookie;
  cookie.name = name;
  cookie.value = value;
  cookie.domain = domain;
  cookie.path = path;
  return cookie;
}

std::vector<std::wstring> Names(const std::vector<CookieRecord>& cookies) {
  std::vector<std::wstring> names;
  for (const auto& cookie : cookies) names.push_back(cookie.name);
  return names;
}

class CookieTest : public LayerTest {
 protected:
  void SetUp() override {
    LayerTest::SetUp();
    m_manager = CefCookieManager::GetGlobalManager();
    ASSERT_TRUE(m_manager);
  }

  void Set(const std::wstring& url, const CefCookie& cookie) {
    ASSERT_TRUE(CefPostTask(TID_IO, NewCefRunnableMethod(m_manager, &CefCookieManager::SetCookie, CefString(url),
                                                         cookie)));
  }
  void Delete(const std::wstring& url, const std::wstring& name) {
    ASSERT_TRUE(CefPostTask(TID_IO, NewCefRunnableMethod(m_manager, &CefCookieManager::DeleteCookies,
                                                         CefString(url), CefString(name))));
  }

  CefRefPtr<CefCookieManager> m_manager;
};

TEST_F(CookieTest, TheClientsStepsAreStoredExactlyInOrderOnTheIoThread) {
  Delete(kTeamUrl, L"client-type");
  Set(kTeamUrl, Cookie(L"s-T1", L"tok€n", kTeamHost));
  Set(kTeamUrl, Cookie(L"client", L"windows", kTeamHost));
  Set(kTeamUrl, Cookie(L"client-type", L"detail", kTeamHost));
  Set(L"https://files.corvanel.test", Cookie(L"s-T1", L"tok€n", L"files.corvanel.test"));
  ASSERT_TRUE(cef_test::Flush());

  const auto ops = cef_test::CookieOps();
  ASSERT_EQ(ops.size(), 5u);
  EXPECT_EQ(ops[0].op, CookieOpKind::Delete);
  EXPECT_EQ(ops[0].name, L"client-type");
  for (const auto& op : ops) {
    EXPECT_TRUE(op.on_io);
    EXPECT_TRUE(op.accepted);
    EXPECT_EQ(op.thread_id, cef_test::IOThreadId());
  }
  const auto cookies = cef_test::Cookies();
  ASSERT_EQ(cookies.size(), 4u);
  const CookieRecord token = cookies[0];
  EXPECT_EQ(token.domain, kTeamHost);
  EXPECT_EQ(token.path, L"/");
  EXPECT_EQ(token.name, L"s-T1");
  EXPECT_EQ(token.value, L"tok€n");
  EXPECT_FALSE(token.secure);
  EXPECT_FALSE(token.httponly);
  EXPECT_FALSE(token.has_expires);
  EXPECT_EQ(cookies[3].domain, L"files.corvanel.test");
}

TEST_F(CookieTest, CookiesSetThroughHttpsGoWithTheHttpPagesOfTheirHostOnly) {
  Set(kTeamUrl, Cookie(L"s-T1", L"v", kTeamHost));
  Set(kTeamUrl, Cookie(L"client", L"windows", kTeamHost));
  Set(L"https://files.corvanel.test", Cookie(L"s-T1", L"v", L"files.corvanel.test"));
  ASSERT_TRUE(cef_test::Flush());
  EXPECT_THAT(Names(cef_test::CookiesForUrl(L"http://acme.corvanel.test/tasks/my?x=1")), ElementsAre(L"s-T1", L"client"));
  EXPECT_THAT(Names(cef_test::CookiesForUrl(L"http://other.corvanel.test/")), IsEmpty());
  EXPECT_THAT(Names(cef_test::CookiesForUrl(L"http://ACME.corvanel.test:8080/")), ElementsAre(L"s-T1", L"client"));
}

TEST_F(CookieTest, ChangesOffTheIoThreadAreRefusedAndRecorded) {
  EXPECT_FALSE(m_manager->SetCookie(kTeamUrl, Cookie(L"s-T1", L"v", kTeamHost)));
  EXPECT_FALSE(m_manager->DeleteCookies(L"", L""));
  EXPECT_THAT(cef_test::Cookies(), IsEmpty());
  const auto ops = cef_test::CookieOps();
  ASSERT_EQ(ops.size(), 2u);
  EXPECT_FALSE(ops[0].on_io);
  EXPECT_FALSE(ops[0].accepted);
  ExpectViolations({"SetCookie off the IO thread", "DeleteCookies off the IO thread"});
}

TEST_F(CookieTest, DomainsMustMatchTheAddressAndHostOnlyCookiesStayOnTheirHost) {
  Set(kTeamUrl, Cookie(L"foreign", L"v", L"evil.test"));         // refused
  Set(kTeamUrl, Cookie(L"suffix", L"v", L"me.corvanel.test"));   // not a parent domain
  Set(kTeamUrl, Cookie(L"parent", L"v", L".corvanel.test"));     // parent domain
  Set(kTeamUrl, Cookie(L"host-only", L"v", L"", L""));           // this host, path "/"
  Set(L"ftp://acme.corvanel.test", Cookie(L"ftp", L"v", kTeamHost));
  Set(L"acme.corvanel.test/", Cookie(L"relative", L"v", kTeamHost));
  ASSERT_TRUE(cef_test::Flush());

  EXPECT_THAT(Names(cef_test::Cookies()), ElementsAre(L"parent", L"host-only"));
  EXPECT_EQ(cef_test::Cookies()[1].path, L"/");
  EXPECT_THAT(Names(cef_test::CookiesForUrl(L"http://files.corvanel.test/")), ElementsAre(L"parent"));
  EXPECT_THAT(Names(cef_test::CookiesForUrl(L"http://sub.acme.corvanel.test/")), ElementsAre(L"parent"));
}

TEST_F(CookieTest, TheSameDomainPathAndNameReplaceAndPathsMatchBySegment) {
  Set(kTeamUrl, Cookie(L"a", L"old", kTeamHost));
  Set(kTeamUrl, Cookie(L"b", L"", kTeamHost));  // an empty value is allowed
  Set(kTeamUrl, Cookie(L"a", L"new", kTeamHost));
  Set(kTeamUrl, Cookie(L"a", L"docs", kTeamHost, L"/docs"));
  ASSERT_TRUE(cef_test::Flush());

  const auto cookies = cef_test::Cookies();
  ASSERT_EQ(cookies.size(), 3u);
  EXPECT_EQ(cookies[0].value, L"new");
  EXPECT_EQ(cookies[1].value, L"");
  EXPECT_EQ(cookies[2].path, L"/docs");
  EXPECT_EQ(cef_test::CookiesForUrl(L"http://acme.corvanel.test/docs/a").size(), 3u);
  EXPECT_EQ(cef_test::CookiesForUrl(L"http://acme.corvanel.test/docs").size(), 3u);
  EXPECT_EQ(cef_test::CookiesForUrl(L"http://acme.corvanel.test/docsx").size(), 2u);
}

TEST_F(CookieTest, DeletionByNameByAddressAndOfEverything) {
  Set(kTeamUrl, Cookie(L"client-type", L"detail", kTeamHost));
  Set(kTeamUrl, Cookie(L"client", L"windows", kTeamHost));
  Set(L"https://files.corvanel.test", Cookie(L"client-type", L"detail", L"files.corvanel.test"));
  Delete(kTeamUrl, L"client-type");
  ASSERT_TRUE(cef_test::Flush());
  EXPECT_THAT(Names(cef_test::CookiesForUrl(kTeamUrl)), ElementsAre(L"client"));
  EXPECT_EQ(cef_test::Cookies().size(), 2u);  // the file host keeps its own

  Delete(kTeamUrl, L"");
  ASSERT_TRUE(cef_test::Flush());
  EXPECT_THAT(Names(cef_test::Cookies()), ElementsAre(L"client-type"));
  Delete(L"", L"");
  ASSERT_TRUE(cef_test::Flush());
  EXPECT_THAT(cef_test::Cookies(), IsEmpty());
}

TEST_F(CookieTest, VisitorsRunOnIoMayDeleteAndMayStop) {
  Set(kTeamUrl, Cookie(L"a", L"1", kTeamHost));
  Set(kTeamUrl, Cookie(L"b", L"2", kTeamHost));
  Set(kTeamUrl, Cookie(L"c", L"3", kTeamHost));
  struct Visitor final : CefCookieVisitor, CefCountedObject {
    std::vector<std::wstring> seen;
    bool on_io = true;
    bool Visit(const CefCookie& cookie, int count, int total, bool& delete_cookie) override {
      on_io = on_io && CefCurrentlyOn(TID_IO);
      seen.push_back(cookie.name.ToWString());
      delete_cookie = cookie.name.ToWString() == L"a";
      return count < 1;  // stop after the second
    }
  };
  CefRefPtr<Visitor> visitor(new Visitor);
  ASSERT_TRUE(m_manager->VisitAllCookies(visitor.get()));
  ASSERT_TRUE(cef_test::Flush());
  EXPECT_THAT(visitor->seen, ElementsAre(L"a", L"b"));
  EXPECT_TRUE(visitor->on_io);
  EXPECT_THAT(Names(cef_test::Cookies()), ElementsAre(L"b", L"c"));
}

TEST_F(CookieTest, TheManagerCanBeWithheldAndShutdownEmptiesTheStore) {
  cef_test::SetGlobalManagerAvailable(false);
  EXPECT_TRUE(CefCookieManager::GetGlobalManager() == nullptr);
  cef_test::SetGlobalManagerAvailable(true);
  Set(kTeamUrl, Cookie(L"a", L"1", kTeamHost));
  ASSERT_TRUE(cef_test::Flush());
  EXPECT_EQ(cef_test::Cookies().size(), 1u);
  cef_shutdown();
  EXPECT_THAT(cef_test::Cookies(), IsEmpty());
}

}  // namespace
}  // namespace cef_testing
