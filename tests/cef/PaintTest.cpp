// What the stand-in's page shows: the address, the names of the cookies that
// go with it (never their values) and the last script.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "cef/cef_cookie.h"
#include "cef/cef_task.h"
#include "LayerFixture.h"
#include "RecordingClient.h"

namespace cef_testing {
namespace {

using testing::HasSubstr;

class PaintTest : public LayerTest {};

bool AnyLineContains(const std::vector<std::wstring>& lines, const std::wstring& text) {
  for (const auto& line : lines) {
    if (line.find(text) != std::wstring::npos) return true;
  }
  return false;
}

TEST_F(PaintTest, ThePageShowsItsAddressCookieNamesAndScriptButNoCookieValue) {
  CefRefPtr<CefCookieManager> manager = CefCookieManager::GetGlobalManager();
  CefCookie token;
  token.name = "s-T42";
  token.value = "SECRET-TOKEN";
  token.domain = "acme.corvanel.test";
  CefPostTask(TID_IO, NewCefRunnableMethod(manager, &CefCookieManager::SetCookie,
                                           CefString("https://acme.corvanel.test"), token));
  HostWindow host;
  CefRefPtr<RecordingClient> client(new RecordingClient);
  const int id = CreateBrowserIn(host.Handle(), client.get(), L"http://acme.corvanel.test/tasks/my");
  ASSERT_NE(id, 0);
  client->Browser()->GetMainFrame()->ExecuteJavaScript(L"window.appGlobal.toModule('task')",
                                                       L"http://acme.corvanel.test/tasks/my", 0);
  ASSERT_TRUE(cef_test::Flush());
  UpdateWindow(cef_test::Browser(id).window);

  const std::vector<std::wstring> lines = cef_test::Browser(id).painted_lines;
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines[0], L"http://acme.corvanel.test/tasks/my");
  EXPECT_TRUE(AnyLineContains(lines, L"s-T42"));
  EXPECT_TRUE(AnyLineContains(lines, L"window.appGlobal.toModule('task')"));
  EXPECT_FALSE(AnyLineContains(lines, L"SECRET-TOKEN"));
  EXPECT_EQ(cef_test::Browser(id).scripts[0].script_url, L"http://acme.corvanel.test/tasks/my");
}

TEST_F(PaintTest, ACookieSetAfterTheLoadShowsUpWithoutAnotherLoad) {
  HostWindow host;
  CefRefPtr<RecordingClient> client(new RecordingClient);
  const int id = CreateBrowserIn(host.Handle(), client.get(), L"http://acme.corvanel.test/");
  UpdateWindow(cef_test::Browser(id).window);
  EXPECT_FALSE(AnyLineContains(cef_test::Browser(id).painted_lines, L"client"));

  CefCookie marker;
  marker.name = "client";
  marker.value = "windows";
  CefPostTask(TID_IO, NewCefRunnableMethod(CefCookieManager::GetGlobalManager(), &CefCookieManager::SetCookie,
                                           CefString("https://acme.corvanel.test"), marker));
  ASSERT_TRUE(cef_test::Flush());
  UpdateWindow(cef_test::Browser(id).window);
  EXPECT_TRUE(AnyLineContains(cef_test::Browser(id).painted_lines, L"client"));
}

}  // namespace
}  // namespace cef_testing
