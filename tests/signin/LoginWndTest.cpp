#include <algorithm>

#include "app/frame/QuitSequence.h"
#include "app/storage/Credentials.h"
#include "app/storage/UserFolders.h"
#include "app/text/TextHelpers.h"
#include "app/ui/BusyButton.h"
#include "duilib/testing.h"
#include "mireloom/Director.h"
#include "quennet/testing.h"
#include "signin/SessionStart.h"
#include "SigninFixture.h"
#include "support/TempFolder.h"

namespace signin_test {
namespace {

using namespace DuiLib;
namespace core = mireloom::testing;

HWND LoginWindow() { return FindOwnWindow(L"LoginWindow", L"登录"); }

void TypeCredentials(const wchar_t* user, const wchar_t* password) {
  SigninWindowTest::Retype(LoginWindow(), L"username_edit", user);
  SigninWindowTest::Retype(LoginWindow(), L"password_edit", password);
}

class LoginWndTest : public SigninWindowTest {
 protected:
  // Signs in with a scripted failure and returns the message shown.
  std::wstring FailureTextFor(int64_t code, bool answered = false) {
    if (answered) {
      core::Script("Auth::PostLoginRequest").Answer(code);
    } else {
      core::Script("Auth::PostLoginRequest").Fail(code);
    }
    StepRunner script;
    SigninWindowTest::OpenLoginWindow(script)
        .Do("sign in", [] {
          TypeCredentials(L"zhou", L"demo1234");
          Testing::Click(LoginWindow(), L"login_btn");
        })
        .WaitFor("the failure", [this] { return !MessageBoxTexts().empty(); })
        .Do("the form is usable again", [] {
          auto* button = static_cast<CButtonUI*>(Control(L"LoginWindow", L"login_btn"));
          EXPECT_EQ(button->GetText(), L"Sign in");
          EXPECT_EQ(button->GetBkColor(), mireloomwnd::kIdleBkColor);
          EXPECT_TRUE(button->IsMouseEnabled());
          EXPECT_TRUE(Control(L"LoginWindow", L"return_domain_btn")->IsEnabled());
          EXPECT_EQ(TextOf(L"LoginWindow", L"username_edit"), L"zhou") << "the form keeps its contents";
          RunQuitSequence();
        });
    RunSession(script);
    const auto texts = MessageBoxTexts();
    return texts.empty() ? L"" : texts.back();
  }
};

TEST_F(LoginWndTest, FillsInARememberedAccountOfTheTeam) {
  RememberZhou("remembered");
  StepRunner script;
  SigninWindowTest::OpenLoginWindow(script).Do("check and leave", [] {
    EXPECT_EQ(TextOf(L"LoginWindow", L"username_edit"), L"zhou");
    EXPECT_EQ(TextOf(L"LoginWindow", L"password_edit"), L"remembered");
    RunQuitSequence();
  });
  RunSession(script);
}

// Lin's demo password is zhou's: sent for her, his remembered password
// would sign her in.
TEST_F(LoginWndTest, ARememberedPasswordIsEmptiedOnceTheAccountDiffersAndNeverSentForAnother) {
  RememberZhou("demo1234");
  StepRunner script;
  SigninWindowTest::OpenLoginWindow(script)
      .Do("change the account and press Enter", [] {
        ASSERT_EQ(TextOf(L"LoginWindow", L"password_edit"), L"demo1234");
        SigninWindowTest::Retype(LoginWindow(), L"username_edit", L"lin");
        EXPECT_EQ(TextOf(L"LoginWindow", L"password_edit"), L"");
        Testing::PressKey(LoginWindow(), VK_RETURN);
      })
      .WaitFor("the refusal", [this] { return !MessageBoxTexts().empty(); })
      .Do("leave", [] { RunQuitSequence(); });
  RunSession(script);
  EXPECT_EQ(MessageBoxTexts().back(), L"Wrong user name or password");
  EXPECT_EQ(LoadCredential("team-demo", "lin"), L"");
}

TEST_F(LoginWndTest, AUserNameWithoutAPasswordFillsNothing) {
  RememberZhou("");
  StepRunner script;
  SigninWindowTest::OpenLoginWindow(script).Do("check and leave", [] {
    EXPECT_EQ(TextOf(L"LoginWindow", L"username_edit"), L"");
    EXPECT_EQ(TextOf(L"LoginWindow", L"password_edit"), L"");
    RunQuitSequence();
  });
  RunSession(script);
}

TEST_F(LoginWndTest, EachFailureHasItsText) {
  EXPECT_EQ(FailureTextFor(8000), L"Wrong user name or password");
}

TEST_F(LoginWndTest, AnUnreachableServiceHasItsText) {
  EXPECT_EQ(FailureTextFor(-1), L"Cannot reach the server. Check your network connection.");
}

TEST_F(LoginWndTest, OtherRefusalsShowTheirCode) { EXPECT_EQ(FailureTextFor(8001), L"Sign-in failed (code:8001)"); }

TEST_F(LoginWndTest, AnAcceptedAnswerWithAnUnknownCodeIsAFailureNotAHang) {
  EXPECT_EQ(FailureTextFor(203, /*answered=*/true), L"Sign-in failed (code:203)");
}

// Enter signs in from either edit without disabling the return button; the
// button does disable it.
TEST_F(LoginWndTest, EnterSignsInAndLeavesTheReturnButtonAlone) {
  core::Script("Auth::PostLoginRequest").Hold();
  StepRunner script;
  SigninWindowTest::OpenLoginWindow(script)
      .Do("Enter in the password", [] {
        TypeCredentials(L"zhou", L"demo1234");
        Testing::PressKey(LoginWindow(), VK_RETURN);
      })
      .WaitFor("busy", [] { return TextOf(L"LoginWindow", L"login_btn") == L"Signing in..."; })
      .Do("check and leave", [] {
        EXPECT_TRUE(Control(L"LoginWindow", L"return_domain_btn")->IsEnabled());
        RunQuitSequence();
      });
  RunSession(script);
}

TEST_F(LoginWndTest, TheButtonSignsInAndDisablesTheReturnButton) {
  core::Script("Auth::PostLoginRequest").Hold();
  StepRunner script;
  SigninWindowTest::OpenLoginWindow(script)
      .Do("click", [] {
        TypeCredentials(L"zhou", L"demo1234");
        Testing::Click(LoginWindow(), L"login_btn");
      })
      .WaitFor("busy", [] { return TextOf(L"LoginWindow", L"login_btn") == L"Signing in..."; })
      .Do("check and leave", [] {
        EXPECT_FALSE(Control(L"LoginWindow", L"return_domain_btn")->IsEnabled());
        EXPECT_FALSE(Control(L"LoginWindow", L"login_btn")->IsMouseEnabled());
        RunQuitSequence();
      });
  RunSession(script);
}

// Enter twice, or Enter and a click, while the log-in is pending start no
// second log-in; a failure makes the form usable again.
TEST_F(LoginWndTest, OneLogInAtATime) {
  core::Script("Auth::PostLoginRequest").Fail(8000).Hold().Times(1);
  StepRunner script;
  SigninWindowTest::OpenLoginWindow(script)
      .Do("Enter", [] {
        TypeCredentials(L"zhou", L"wrong");
        Testing::PressKey(LoginWindow(), VK_RETURN);
      })
      .Then("held", [] { return core::WaitForHeld("Auth::PostLoginRequest", 0) != 0; },
            [] {
              Testing::PressKey(LoginWindow(), VK_RETURN);
              Testing::Click(LoginWindow(), L"login_btn");
            })
      .Do("answer", [] {
        EXPECT_EQ(CallCount("Auth::PostLoginRequest"), 1);
        EXPECT_TRUE(Control(L"LoginWindow", L"return_domain_btn")->IsEnabled()) << "the click was ignored";
        core::Release(core::WaitForHeld("Auth::PostLoginRequest", 0));
      })
      .WaitFor("the failure", [this] { return MessageBoxTexts().size() == 1; })
      .Do("sign in again", [] {
        TypeCredentials(L"zhou", L"demo1234");
        Testing::PressKey(LoginWindow(), VK_RETURN);
      });
  CloseMainWindow(script);
  RunSession(script);
  EXPECT_EQ(CallCount("Auth::PostLoginRequest"), 2);
  EXPECT_EQ(CallCount("UserManager::GetTeamMembers"), 1) << "one session started";
}

// A failed step of the session's fetch chain ends the busy look, says so as
// a failed log-in does, and lets the user sign in again.
TEST_F(LoginWndTest, AFailedFetchStepIsToldAndTheFormComesBack) {
  for (const char* step : {"UserManager::GetTeamMembers", "UserManager::GetUsersStatus",
                           "ServiceManager::GetServices"}) {
    SCOPED_TRACE(step);
    core::Script(step).Fail(500).Times(1);
    const size_t before = MessageBoxTexts().size();
    StepRunner script;
    SigninWindowTest::OpenLoginWindow(script)
        .Do("sign in", [] {
          TypeCredentials(L"zhou", L"demo1234");
          Testing::Click(LoginWindow(), L"login_btn");
        })
        .WaitFor("the failure", [this, before] { return MessageBoxTexts().size() == before + 1; })
        .Do("the form is usable again", [this] {
          EXPECT_EQ(MessageBoxTexts().back(), L"Sign-in failed");
          EXPECT_EQ(TextOf(L"LoginWindow", L"login_btn"), L"Sign in");
          EXPECT_TRUE(Control(L"LoginWindow", L"login_btn")->IsMouseEnabled());
          EXPECT_TRUE(Control(L"LoginWindow", L"return_domain_btn")->IsEnabled());
          Testing::Click(LoginWindow(), L"login_btn");
        });
    // The second try goes through to the main window.
    CloseMainWindow(script);
    RunSession(script);
    EXPECT_FALSE(IsOpen(L"LoginWindow"));
  }
}

TEST_F(LoginWndTest, ASuccessfulLogInStartsTheSessionAndHandsOver) {
  quennet::ScopedLogCapture log;
  core::ClearCallLog();
  StepRunner script;
  SigninWindowTest::OpenLoginWindow(script)
      .Do("sign in", [] {
        TypeCredentials(L"zhou", L"demo1234");
        Testing::Click(LoginWindow(), L"login_btn");
      });
  CloseMainWindow(script);
  RunSession(script);

  EXPECT_FALSE(IsOpen(L"LoginWindow"));
  EXPECT_FALSE(SessionWebToken.empty());
  EXPECT_EQ(LoadCredential("team-demo", "zhou"), L"demo1234");
  for (const char* line : {"Try to login with username : zhou, team id : team-demo", "Login success, my name is : 周一鸣",
                           "updating services", "start to download all avatars", "MainWnd data prepared"}) {
    EXPECT_TRUE(log.Contains(line)) << line;
  }
  // The chain's calls come in order, each after the previous one succeeded.
  std::vector<std::string> calls;
  for (const auto& record : core::CallLog()) {
    if (record.kind == core::CallRecord::kCall) calls.push_back(record.name);
  }
  auto position = [&calls](const std::string& name) {
    return std::find(calls.begin(), calls.end(), name) - calls.begin();
  };
  const auto login = position("Auth::PostLoginRequest");
  const auto protocol = position("Director::GetIMProtocol");
  const auto members = position("UserManager::GetTeamMembers");
  const auto statuses = position("UserManager::GetUsersStatus");
  const auto services = position("ServiceManager::GetServices");
  ASSERT_LT(services, static_cast<std::ptrdiff_t>(calls.size()));
  EXPECT_LT(login, protocol);
  EXPECT_LT(protocol, members);
  EXPECT_LT(members, statuses);
  EXPECT_LT(statuses, services);
  EXPECT_LT(position("Director::ConnectToIMServer"), static_cast<std::ptrdiff_t>(calls.size()));
}

TEST_F(LoginWndTest, RemembersWhatWasSentNotWhatTheFormHoldsLater) {
  core::Script("Auth::PostLoginRequest").Hold();
  quennet::ScopedLogCapture log;
  int held = 0;
  StepRunner script;
  SigninWindowTest::OpenLoginWindow(script)
      .Do("sign in", [] {
        TypeCredentials(L"zhou", L"demo1234");
        Testing::Click(LoginWindow(), L"login_btn");
      })
      .Then("held", [&held] { return (held = core::WaitForHeld("Auth::PostLoginRequest", 0)) != 0; },
            [&held] {
              SigninWindowTest::Retype(LoginWindow(), L"password_edit", L"typed later");
              core::Release(held);
            });
  CloseMainWindow(script);
  RunSession(script);
  EXPECT_TRUE(log.Contains("MainWnd data prepared"));
  EXPECT_EQ(LoadCredential("team-demo", "zhou"), L"demo1234");
}

// A file where the team's folder belongs: on either road (a plain sign-in,
// an account with its initial password) the user is told which folder cannot
// be made, the sign-in ends as a failed one does, and nothing is kept or moved.
TEST_F(LoginWndTest, ABlockedSessionFolderIsToldAndEndsTheSignIn) {
  const std::wstring blocker = GetUserDataFolder() + L"\\team-demo";
  ASSERT_TRUE(test_support::WriteFileBytes(blocker, "not a folder"));
  StepRunner script;
  SigninWindowTest::OpenLoginWindow(script);
  auto signIn = [this, &script](const wchar_t* user, const wchar_t* password, size_t boxes) {
    script
        .Do("sign in", [user, password] {
          TypeCredentials(user, password);
          Testing::Click(LoginWindow(), L"login_btn");
        })
        .WaitFor("the box", [this, boxes] { return MessageBoxTexts().size() == boxes; })
        .Do("the form is usable again", [] {
          EXPECT_EQ(TextOf(L"LoginWindow", L"login_btn"), L"Sign in");
          EXPECT_TRUE(Control(L"LoginWindow", L"return_domain_btn")->IsEnabled());
          EXPECT_FALSE(IsOpen(L"MainWindow"));
          EXPECT_FALSE(IsOpen(L"RestPwdWnd"));
        });
  };
  signIn(L"zhou", L"demo1234", 1);
  signIn(L"newbie", L"init1234", 2);
  script.Do("leave", [] { RunQuitSequence(); });
  RunSession(script);

  const auto texts = MessageBoxTexts();
  ASSERT_EQ(texts.size(), 2u);
  for (const wchar_t* user : {L"zhou", L"newbie"}) {
    const std::wstring& text = texts[user == std::wstring(L"zhou") ? 0 : 1];
    EXPECT_EQ(text.find(L"Corvanel cannot create the folder"), 0u) << text;
    EXPECT_NE(text.find(blocker + L"\\usr-" + user), std::wstring::npos) << text;
    EXPECT_EQ(LoadCredential("team-demo", WideToUtf8(user)), L"") << "nothing remembered";
  }
  EXPECT_EQ(mireloom::Director::DefaultDirector(), nullptr) << "no session started";
  EXPECT_EQ(test_support::ReadFileBytes(blocker), "not a folder") << "the user's file is left alone";
  DeleteFileW(blocker.c_str());
}

TEST_F(LoginWndTest, TheReturnButtonOpensTheTeamWindowAgain) {
  StepRunner script;
  SigninWindowTest::OpenLoginWindow(script)
      .Do("return", [] { Testing::Click(LoginWindow(), L"return_domain_btn"); })
      .WaitFor("the team window", [] { return IsOpen(L"SubdomainWnd") && !IsOpen(L"LoginWindow"); })
      .Do("leave", [] { RunQuitSequence(); });
  RunSession(script);
}

TEST_F(LoginWndTest, ForgottenPasswordsGoToTheTeamsPage) {
  StepRunner script;
  SigninWindowTest::OpenLoginWindow(script).Do("forgot", [] {
    Testing::Click(LoginWindow(), L"forgot_pwd_btn");
    RunQuitSequence();
  });
  RunSession(script);
  const auto opened = m_platform.CallsOf(PlatformCall::ShellOpen);
  ASSERT_EQ(opened.size(), 1u);
  EXPECT_EQ(opened[0].text, L"https://demo.corvanel.test/forgot");
}

// The refusal comes while the window still stands; the window goes before the
// user-interface thread hands the code over.
TEST_F(LoginWndTest, AFailedLogInForAWindowThatHasGoneIsFreed) {
  quennet::ScopedLogCapture log;
  core::Script("Auth::PostLoginRequest").Fail(8001).Hold();
  StepRunner script;
  SigninWindowTest::OpenLoginWindow(script).Do("sign in", [] {
    TypeCredentials(L"zhou", L"demo1234");
    Testing::PressKey(LoginWindow(), VK_RETURN);
  });
  AnswerForAWindowThatGoes(script, "Auth::PostLoginRequest", LoginWindow);
  RunSession(script);
  Testing::PumpPending();
  EXPECT_TRUE(MessageBoxTexts().empty()) << "no refusal told for a window that has gone";
  EXPECT_TRUE(log.Contains("A record for message 0x403 was freed: its window had gone"));
}

}  // namespace
}  // namespace signin_test
