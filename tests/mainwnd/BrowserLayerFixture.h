#pragma once

// The main window with the browser layer's stand-in running, for what opens
// web pages: the module pages and the module-details window.

#include <gmock/gmock.h>

#include "browser/CefAppEx.h"
#include "browser/ModuleDetailsWnd.h"
#include "cef/cef_test.h"
#include "mainwnd/shell/ModuleBrowser.h"
#include "MainWndFixture.h"

namespace mainwnd_test {

class MainWindowWithBrowserTest : public MainWindowTest {
 protected:
  void SetUp() override {
    MainWindowTest::SetUp();
    cef_test::AllowReinitialize();
    CefSettings settings;
    settings.multi_threaded_message_loop = true;
    ASSERT_TRUE(CefInitialize(CefMainArgs(GetModuleHandleW(nullptr)), settings, new CCefAppEx));
  }

  void TearDown() override {
    MainWindowTest::TearDown();
    // A window's end leaves its client to the next window's first page.
    mireloomwnd::MainBrowserClient = nullptr;
    mireloomwnd::MainBrowserRect.Empty();
    EXPECT_EQ(mireloomwnd::ModuleDetailsBrowserClient, nullptr);
    cef_shutdown();
    EXPECT_THAT(cef_test::Violations(), testing::IsEmpty());
  }
};

}  // namespace mainwnd_test
