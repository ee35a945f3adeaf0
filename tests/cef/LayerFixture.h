#pragma once

// Starts the browser layer for one test and shuts it down after, checking
// that the test left no misuse behind.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cef/cef_app.h"
#include "cef/cef_client.h"
#include "cef/cef_test.h"
#include "HostWindow.h"

namespace cef_testing {

class LayerTest : public testing::Test {
 protected:
  void SetUp() override { StartLayer(nullptr); }
  void TearDown() override;

  void StartLayer(CefRefPtr<CefApp> app);
  // Creates a browser in `parent` and waits for it; its id, or 0.
  int CreateBrowserIn(HWND parent, CefRefPtr<CefClient> client, const std::wstring& url, RECT rect = {0, 0, 300, 200});
  // Violations the test caused on purpose: checked, then not reported again.
  void ExpectViolations(const std::vector<std::string>& expected);

  bool m_violations_checked = false;
};

// The ids that are in `after` but not in `before`.
std::vector<int> NewIds(const std::vector<int>& before, const std::vector<int>& after);

}  // namespace cef_testing
