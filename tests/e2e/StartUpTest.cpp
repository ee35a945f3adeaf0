// What the real program does when it starts: the close action it resets,
// and the single running copy.

#include <gtest/gtest.h>

#include "app/storage/Settings.h"
#include "app/storage/UserFolders.h"
#include "ProgramDriver.h"

namespace e2e {
namespace {

class StartUpTest : public testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(EnsureUserDataFolder()); }
};

TEST_F(StartUpTest, EveryStartResetsTheCloseActionToQuit) {
  settings::WriteString(settings::kCloseActionKey, L"0");
  ProgramDriver program;
  ASSERT_TRUE(program.Launch({}));
  ASSERT_NE(program.WaitForWindow(L"SubdomainWnd", L"登录团队"), nullptr);
  EXPECT_EQ(settings::ReadInt(settings::kCloseActionKey), settings::kCloseActionQuit);
}

TEST_F(StartUpTest, ASecondCopyLeavesTheFirstAloneWhileItSignsIn) {
  ProgramDriver first;
  ASSERT_TRUE(first.Launch({}));
  ASSERT_NE(first.WaitForWindow(L"SubdomainWnd", L"登录团队"), nullptr);
  ProgramDriver second;
  ASSERT_TRUE(second.Launch({}));
  EXPECT_EQ(second.WaitForExit(10000), 0);
  EXPECT_NE(first.WaitForWindow(L"SubdomainWnd", L"登录团队", 0), nullptr) << "the first copy runs on";
}

// A window of the main window's class and title stands for the first copy's
// main window: the second copy shows it and ends.
TEST_F(StartUpTest, ASecondCopyBringsTheMainWindowForward) {
  ProgramDriver first;
  ASSERT_TRUE(first.Launch({}));
  ASSERT_NE(first.WaitForWindow(L"SubdomainWnd", L"登录团队"), nullptr);

  WNDCLASSEXW window_class = {sizeof window_class};
  window_class.lpfnWndProc = DefWindowProcW;
  window_class.hInstance = GetModuleHandleW(nullptr);
  window_class.lpszClassName = L"MainWindow";
  RegisterClassExW(&window_class);
  HWND main_window = CreateWindowExW(0, L"MainWindow", L"Corvanel", WS_POPUP, 10, 10, 300, 200, nullptr, nullptr,
                                     window_class.hInstance, nullptr);
  ASSERT_NE(main_window, nullptr);
  ASSERT_FALSE(IsWindowVisible(main_window));

  ProgramDriver second;
  ASSERT_TRUE(second.Launch({}));
  // The second copy's calls reach this thread's window as messages.
  const DWORD start = GetTickCount();
  int exit_code = -1;
  while (GetTickCount() - start < 10000 && (exit_code = second.WaitForExit(10)) == -1) {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
  }
  EXPECT_EQ(exit_code, 0);
  EXPECT_TRUE(IsWindowVisible(main_window));
  DestroyWindow(main_window);
}

}  // namespace
}  // namespace e2e
