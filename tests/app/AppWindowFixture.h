#pragma once

#include <gtest/gtest.h>

#include "app/ui/WndShadow.h"
#include "duilib/testing.h"

// Window tests of the application frame start and end with no window left.
class AppWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    DuiLib::CPaintManagerUI::SetInstance(GetModuleHandleW(nullptr));
    CWndShadow::Initialize(GetModuleHandleW(nullptr));
    DuiLib::Testing::SetModalWatchdog(10000);
  }
  void TearDown() override {
    DuiLib::Testing::CloseAllWindows();
    DuiLib::Testing::PumpPending();
    DuiLib::Testing::SetModalWatchdog(0);
    EXPECT_TRUE(DuiLib::Testing::TakeWatchdogFailures().empty()) << "a modal loop hung";
    EXPECT_TRUE(DuiLib::Testing::FrameworkWindows().empty());
  }
};
