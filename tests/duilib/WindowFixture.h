#pragma once

#include <gtest/gtest.h>

#include "duilib/testing.h"

namespace duilib_test {

// Every window test starts and ends with no framework window, and fails if
// a modal loop had to be ended by the watchdog.
class WindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    DuiLib::CPaintManagerUI::SetInstance(GetModuleHandleW(nullptr));
    DuiLib::Testing::SetModalWatchdog(10000);
    DuiLib::Testing::PumpPending();
  }
  void TearDown() override {
    DuiLib::Testing::CloseAllWindows();
    DuiLib::Testing::PumpPending();
    DuiLib::Testing::SetModalWatchdog(0);
    const auto failures = DuiLib::Testing::TakeWatchdogFailures();
    EXPECT_TRUE(failures.empty()) << "a modal loop hung";
    EXPECT_TRUE(DuiLib::Testing::FrameworkWindows().empty());
  }
};

}  // namespace duilib_test
