#include "SigninFixture.h"

#include <wincred.h>

#include "app/frame/WindowManager.h"
#include "app/storage/Credentials.h"
#include "app/storage/UserFolders.h"
#include "app/text/StringTable.h"
#include "app/ui/UiThread.h"
#include "app/ui/WindowConventions.h"
#include "duilib/testing.h"
#include "mireloom/AccountManager.h"
#include "quennet/FileUtils.h"
#include "signin/SessionStart.h"
#include "signin/SubdomainWnd.h"
#include "support/TempFolder.h"

namespace signin_test {

using namespace DuiLib;

void SigninWindowTest::SetUp() {
  // Skins are read from "../Mireloom/skin", as the program finds them.
  const std::string dist = CORVANEL_DIST_DIR;
  SetCurrentDirectoryW((std::wstring(dist.begin(), dist.end()) + L"\\bin").c_str());
  mireloomwnd::ResolveSkinFolder();
  StringTable.clear();
  LoadLanguageFile(test_support::ToCp936(test_support::SourcePath(L"skin/i18n/english.xml")), StringTable);
  ASSERT_TRUE(EnsureUserDataFolder());
  quennet::FileUtils::SharedFileUtils()->DeleteFolderContentsExcept(signin::CoreDataFolder(), {});
  CredDeleteW(L"mireloom/team-demo", CRED_TYPE_GENERIC, 0);
  CUiThread::Attach();
  Testing::SetModalWatchdog(30000);
}

void SigninWindowTest::TearDown() {
  Testing::CloseAllWindows();
  // The quit message of a session re-posts itself after the outermost loop.
  MSG msg;
  while (PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
  }
  for (const auto& failure : Testing::TakeWatchdogFailures()) ADD_FAILURE() << "modal loop overran: " << failure.c_str();
  Testing::SetModalWatchdog(0);
  CUiThread::Detach();
  SessionWebToken.clear();
  StringTable.clear();
  CredDeleteW(L"mireloom/team-demo", CRED_TYPE_GENERIC, 0);
}

void SigninWindowTest::RunSession(StepRunner& script) {
  mireloomwnd::SubdomainWnd window;
  ASSERT_TRUE(window.Create(nullptr, L"登录团队", mireloomwnd::kDialogStyle, mireloomwnd::kWindowExStyle, CW_USEDEFAULT,
                            CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT));
  window.CenterWindow();
  script.Start();
  window.ShowModal();
  EXPECT_TRUE(script.Done()) << "the script stopped at: " << script.Waiting();
}

void SigninWindowTest::RememberZhou(const std::string& password) {
  mireloom::AccountManager accounts(signin::CoreDataFolder());
  ASSERT_TRUE(accounts.InitOrDie());
  accounts.Register(mireloom::Team("team-demo", "demo", "示例团队"), "zhou");
  if (!password.empty()) {
    ASSERT_TRUE(SaveCredential("team-demo", "zhou", password));
  }
}

StepRunner& SigninWindowTest::OpenLoginWindow(StepRunner& script) {
  return script
      .Do("team", [] {
        HWND team = FindOwnWindow(L"SubdomainWnd");
        Retype(team, L"subdomain_edit", L"demo");
        Testing::Click(team, L"continue_btn");
      })
      .WaitFor("the log-in window", [] { return FindOwnWindow(L"LoginWindow", L"登录") != nullptr; });
}

StepRunner& SigninWindowTest::CloseMainWindow(StepRunner& script) {
  // The windows before it have closed themselves: the session ends with it.
  return script.WaitFor("the main window", [] { return FindOwnWindow(L"MainWindow", L"Corvanel") != nullptr; })
      .Do("close it", [] { mireloomwnd::WindowManager::GetInstance()->CloseMainWnd(); });
}

StepRunner& SigninWindowTest::AnswerForAWindowThatGoes(StepRunner& script, const std::string& operation,
                                                       HWND (*window)()) {
  namespace core = mireloom::testing;
  return script.Then("held", [operation] { return core::WaitForHeld(operation, 0) != 0; }, [operation, window] {
    core::Release(core::WaitForHeld(operation, 0));
    ASSERT_TRUE(core::WaitIdle()) << "the answer waits for the user-interface thread";
    DestroyWindow(window());
  });
}

int SigninWindowTest::CallCount(const std::string& operation) {
  int count = 0;
  for (const auto& record : mireloom::testing::CallLog()) {
    count += record.kind == mireloom::testing::CallRecord::kCall && record.name == operation ? 1 : 0;
  }
  return count;
}

void SigninWindowTest::Retype(HWND window, const wchar_t* edit, const wchar_t* text) {
  CPaintManagerUI* manager = Testing::ManagerOf(window);
  ASSERT_NE(manager, nullptr);
  CControlUI* control = manager->FindControl(edit);
  ASSERT_NE(control, nullptr) << "no edit " << edit;
  control->SetText(L"");
  ASSERT_TRUE(Testing::TypeText(window, edit, text));
}

std::vector<std::wstring> SigninWindowTest::MessageBoxTexts() const {
  std::vector<std::wstring> texts;
  for (const auto& call : m_platform.CallsOf(PlatformCall::MessageBox)) texts.push_back(call.text);
  return texts;
}

}  // namespace signin_test
