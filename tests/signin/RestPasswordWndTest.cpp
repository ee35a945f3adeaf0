#include "SigninFixture.h"

#include "app/frame/QuitSequence.h"
#include "app/storage/Credentials.h"
#include "app/storage/UserFolders.h"
#include "duilib/testing.h"
#include "quennet/testing.h"
#include "signin/SessionStart.h"

namespace signin_test {
namespace {

using namespace DuiLib;
namespace core = mireloom::testing;

HWND ResetWindow() { return FindOwnWindow(L"RestPwdWnd", L"重置初始密码"); }

// Signs in as the new member, whose account still has its initial password.
StepRunner& OpenResetWindow(StepRunner& script) {
  return SigninWindowTest::OpenLoginWindow(script)
      .Do("sign in", [] {
        HWND login = FindOwnWindow(L"LoginWindow");
        SigninWindowTest::Retype(login, L"username_edit", L"newbie");
        SigninWindowTest::Retype(login, L"password_edit", L"init1234");
        Testing::Click(login, L"login_btn");
      })
      .WaitFor("the initial-password window", [] { return ResetWindow() != nullptr; });
}

void Submit(const wchar_t* password, const wchar_t* confirmation) {
  HWND window = ResetWindow();
  SigninWindowTest::Retype(window, L"new_pwd_edit", password);
  SigninWindowTest::Retype(window, L"confirm_pwd_edit", confirmation);
  Testing::Click(window, L"sure_btn");
}

class RestPasswordWndTest : public SigninWindowTest {
 protected:
  // Submits the pair and returns the message box it gave, or "".
  std::wstring CheckPair(const wchar_t* password, const wchar_t* confirmation) {
    const size_t before = MessageBoxTexts().size();
    Submit(password, confirmation);
    const auto texts = MessageBoxTexts();
    return texts.size() > before ? texts.back() : L"";
  }
};

TEST_F(RestPasswordWndTest, ChecksTheEntriesBeforeAskingTheService) {
  core::Script("WebApi::PutInitPassword").Hold();
  StepRunner script;
  OpenResetWindow(script).Do("check pairs", [this] {
    EXPECT_FALSE(IsOpen(L"LoginWindow")) << "the log-in window closed itself";
    EXPECT_EQ(CheckPair(L"ab", L"abc"), L"两次输入的密码不一致") << "the mismatch comes first";
    EXPECT_EQ(CheckPair(L"abc", L"abc"), L"密码长度至少为6位");
    EXPECT_EQ(core::WaitForHeld("WebApi::PutInitPassword", 50), 0) << "nothing was sent";
    EXPECT_EQ(CheckPair(L"新密码", L"新密码"), L"") << "six bytes of UTF-8 are enough";
    EXPECT_EQ(TextOf(L"RestPwdWnd", L"sure_btn"), L"登录中...");
    EXPECT_FALSE(Control(L"RestPwdWnd", L"sure_btn")->IsMouseEnabled());
    RunQuitSequence();
  });
  RunSession(script);
}

TEST_F(RestPasswordWndTest, FailuresAreToldAndTheWindowStays) {
  core::Script("WebApi::PutInitPassword").Fail(-1).Times(1);
  StepRunner script;
  OpenResetWindow(script)
      .Do("submit", [] { Submit(L"newpass1", L"newpass1"); })
      .WaitFor("the failure", [this] { return !MessageBoxTexts().empty(); })
      .Do("again", [this] {
        EXPECT_EQ(MessageBoxTexts().back(), L"链接到服务器失败");
        EXPECT_EQ(TextOf(L"RestPwdWnd", L"sure_btn"), L"登录");
        core::Script("WebApi::PutInitPassword").Fail(8002);
        Submit(L"newpass1", L"newpass1");
      })
      .WaitFor("the second failure", [this] { return MessageBoxTexts().size() == 2; })
      .Do("leave", [this] {
        EXPECT_EQ(MessageBoxTexts().back(), L"初始化密码失败 (code:8002)");
        EXPECT_TRUE(IsOpen(L"RestPwdWnd"));
        RunQuitSequence();
      });
  RunSession(script);
  EXPECT_TRUE(core::ServiceHasInitialPassword("newbie"));
}

// Submitting twice sends one new password; a failed fetch step after it is
// told, and the window is usable again.
TEST_F(RestPasswordWndTest, OneSubmissionAtATimeAndAFailedFetchStepIsTold) {
  core::Script("WebApi::PutInitPassword").Hold().Times(1);
  core::Script("UserManager::GetUsersStatus").Fail(500).Times(1);
  StepRunner script;
  OpenResetWindow(script)
      .Do("submit", [] { Submit(L"newpass1", L"newpass1"); })
      .Then("held", [] { return core::WaitForHeld("WebApi::PutInitPassword", 0) != 0; },
            [] {
              Testing::PressKey(ResetWindow(), VK_RETURN);
              Testing::Click(ResetWindow(), L"sure_btn");
            })
      .Do("answer", [] {
        EXPECT_EQ(CallCount("WebApi::PutInitPassword"), 1);
        core::Release(core::WaitForHeld("WebApi::PutInitPassword", 0));
      })
      .WaitFor("the failure", [this] { return MessageBoxTexts().size() == 1; })
      .Do("usable again", [] {
        EXPECT_EQ(TextOf(L"RestPwdWnd", L"sure_btn"), L"登录");
        EXPECT_TRUE(Control(L"RestPwdWnd", L"sure_btn")->IsMouseEnabled());
        RunQuitSequence();
      });
  RunSession(script);
  EXPECT_EQ(MessageBoxTexts().front(), L"Sign-in failed");
}

TEST_F(RestPasswordWndTest, ANewPasswordStartsTheSessionAndIsTheOneRemembered) {
  quennet::ScopedLogCapture log;
  StepRunner script;
  OpenResetWindow(script).Do("submit", [] { Submit(L"newpass1", L"newpass1"); });
  CloseMainWindow(script);
  RunSession(script);
  EXPECT_FALSE(core::ServiceHasInitialPassword("newbie"));
  EXPECT_EQ(LoadCredential("team-demo", "newbie"), L"newpass1");
  for (const char* line : {"Need to init password", "OnInitPasswordSuccess", "updating services",
                           "start to download all avatars", "MainWnd data prepared"}) {
    EXPECT_TRUE(log.Contains(line)) << line;
  }
  EXPECT_FALSE(IsOpen(L"RestPwdWnd"));
}

// The road through a new password starts the session as the log-in road
// does: the log-in's web token, the database check, the IM connection.
TEST_F(RestPasswordWndTest, TheSessionKeepsTheTokenChecksTheDatabaseAndConnects) {
  const std::wstring folder = GetUserDataFolder();
  ASSERT_TRUE(core::WriteMetaSchema(folder, 30));
  ASSERT_TRUE(core::MakeSessionFolders(folder, 2));
  quennet::ScopedLogCapture log;
  StepRunner script;
  OpenResetWindow(script).Do("submit", [] { Submit(L"newpass1", L"newpass1"); });
  CloseMainWindow(script);
  RunSession(script);
  ASSERT_TRUE(core::WaitIdle());

  std::string init;
  std::vector<std::string> calls;
  for (const auto& record : core::CallLog()) {
    if (record.kind != core::CallRecord::kCall) continue;
    calls.push_back(record.name);
    if (record.name == "Director::Init") init = record.detail;
  }
  ASSERT_FALSE(SessionWebToken.empty());
  const std::string who = "usr-newbie|team-demo|" + SessionWebToken + "|";
  EXPECT_EQ(init.substr(0, who.size()), who) << "the director has the log-in's token";
  EXPECT_EQ(GetFileAttributesW((folder + L"\\team-old0").c_str()), INVALID_FILE_ATTRIBUTES)
      << "the older schema was migrated and its caches went";
  EXPECT_TRUE(log.Contains("Database path is " + signin::CoreDataFolder()));
  const auto put = std::find(calls.begin(), calls.end(), "WebApi::PutInitPassword");
  EXPECT_NE(std::find(put, calls.end(), "Director::ConnectToIMServer"), calls.end())
      << "connected once the new password was taken";
  EXPECT_TRUE(log.Contains("Director connected to socket.io server"));
}

}  // namespace
}  // namespace signin_test
