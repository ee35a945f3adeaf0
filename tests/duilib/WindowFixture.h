#pragma once

#include <gtest/gtest.h>

#include "duilib/testing.h"
#include "quennet/testing.h"

namespace duilib_test {

// Whether any captured log line contains the piece.
inline bool LogMentions(const quennet::ScopedLogCapture& log, const std::string& piece) {
  for (const auto& entry : log.Entries()) {
    if (entry.text.find(piece) != std::string::npos) return true;
  }
  return false;
}

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
