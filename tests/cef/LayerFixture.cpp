#include "LayerFixture.h"

#include <gmock/gmock.h>

#include <algorithm>

namespace cef_testing {

void LayerTest::StartLayer(CefRefPtr<CefApp> app) {
  cef_test::AllowReinitialize();
  CefSettings settings;
  settings.multi_threaded_message_loop = true;
  ASSERT_TRUE(CefInitialize(CefMainArgs(GetModuleHandleW(nullptr)), settings, app));
}

void LayerTest::TearDown() {
  cef_shutdown();
  if (!m_violations_checked) {
    EXPECT_THAT(cef_test::Violations(), testing::IsEmpty());
  }
}

int LayerTest::CreateBrowserIn(HWND parent, CefRefPtr<CefClient> client, const std::wstring& url, RECT rect) {
  const std::vector<int> before = cef_test::Browsers();
  CefWindowInfo info;
  info.SetAsChild(parent, rect);
  CefBrowserSettings settings;
  if (!CefBrowserHost::CreateBrowser(info, client, url, settings)) return 0;
  if (!cef_test::Flush()) return 0;
  const std::vector<int> created = NewIds(before, cef_test::Browsers());
  return created.size() == 1 ? created[0] : 0;
}

void LayerTest::ExpectViolations(const std::vector<std::string>& expected) {
  EXPECT_EQ(cef_test::Violations(), expected);
  m_violations_checked = true;
}

std::vector<int> NewIds(const std::vector<int>& before, const std::vector<int>& after) {
  std::vector<int> added;
  for (int id : after) {
    if (std::find(before.begin(), before.end(), id) == before.end()) added.push_back(id);
  }
  return added;
}

}  // namespace cef_testing
