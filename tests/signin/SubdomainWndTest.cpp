#include "SigninFixture.h"

#include "app/frame/QuitSequence.h"
#include "app/ui/BusyButton.h"
#include "duilib/testing.h"
#include "quennet/testing.h"

namespace signin_test {
namespace {

using namespace DuiLib;
namespace core = mireloom::testing;

HWND TeamWindow() { return FindOwnWindow(L"SubdomainWnd", L"登录团队"); }

class SubdomainWndTest : public SigninWindowTest {};

TEST_F(SubdomainWndTest, FillsInTheLastTeamAndTellsOfANewerVersion) {
  RememberZhou("");
  core::SetClientVersion(16, "3.0.0");
  StepRunner script;
  script.WaitFor("the notice", [] { return IsOpen(L"UpdateWnd"); })
      .Do("check the team window", [] { EXPECT_EQ(TextOf(L"SubdomainWnd", L"subdomain_edit"), L"demo"); })
      .Do("update twice", [] {
        HWND notice = FindOwnWindow(L"UpdateWnd");
        EXPECT_FALSE(TextOf(L"UpdateWnd", L"description_edit").empty()) << "the release notes are shown";
        Testing::Click(notice, L"update_btn");
        Testing::Click(notice, L"update_btn");
      })
      .Do("close the notice", [] { Testing::Click(FindOwnWindow(L"UpdateWnd"), L"cancel_btn"); })
      .WaitFor("the notice gone", [] { return !IsOpen(L"UpdateWnd"); })
      .Do("leave", [] {
        EXPECT_TRUE(IsOpen(L"SubdomainWnd")) << "the team window stays";
        RunQuitSequence();
      });
  RunSession(script);
  const auto opened = m_platform.CallsOf(PlatformCall::ShellOpen);
  ASSERT_EQ(opened.size(), 2u);
  EXPECT_EQ(opened[0].text.rfind(L"http", 0), 0u);
  EXPECT_EQ(opened[0].text, opened[1].text);
}

TEST_F(SubdomainWndTest, EscClosesTheNewVersionNoticeAsItsCloseButtonDoes) {
  core::SetClientVersion(16, "3.0.0");
  StepRunner script;
  script.WaitFor("the notice", [] { return IsOpen(L"UpdateWnd"); })
      .Do("Esc", [] { Testing::PressKey(FindOwnWindow(L"UpdateWnd"), VK_ESCAPE); })
      .WaitFor("the notice gone", [] { return !IsOpen(L"UpdateWnd"); })
      .Do("leave", [] {
        EXPECT_TRUE(IsOpen(L"SubdomainWnd")) << "the team window stays";
        RunQuitSequence();
      });
  RunSession(script);
}

TEST_F(SubdomainWndTest, AnOlderVersionShowsNothing) {
  core::SetClientVersion(15, "2.9.9");
  StepRunner script;
  script.Then("version answered", [] { return core::WaitIdle(0); }, [] {})
      .Then("a moment later", [start = GetTickCount()] { return GetTickCount() - start > 400; },
            [] {
              EXPECT_FALSE(IsOpen(L"UpdateWnd"));
              EXPECT_EQ(TextOf(L"SubdomainWnd", L"subdomain_edit"), L"") << "no team was used here before";
              RunQuitSequence();
            });
  RunSession(script);
}

TEST_F(SubdomainWndTest, AnUnknownTeamIsToldWithItsCodeAndTheFormComesBack) {
  core::Script("WebApi::GetTeamLiteBySubdomain").Fail(404, "no such team");
  StepRunner script;
  script.Do("type and continue", [] {
          Retype(TeamWindow(), L"subdomain_edit", L"nosuchteam");
          Testing::Click(TeamWindow(), L"continue_btn");
        })
      .WaitFor("the failure", [this] { return !MessageBoxTexts().empty(); })
      .Do("check and leave", [this] {
        EXPECT_EQ(MessageBoxTexts()[0], L"No team was found at this subdomain (code:404)");
        auto* button = static_cast<CButtonUI*>(Control(L"SubdomainWnd", L"continue_btn"));
        EXPECT_EQ(button->GetText(), L"Continue");
        EXPECT_EQ(button->GetBkColor(), mireloomwnd::kIdleBkColor);
        EXPECT_TRUE(button->IsMouseEnabled());
        EXPECT_EQ(TextOf(L"SubdomainWnd", L"subdomain_edit"), L"nosuchteam") << "kept for another try";
        RunQuitSequence();
      });
  RunSession(script);
}

// While a look-up is pending, Enter and the button start no second one; its
// answer makes the form usable again.
TEST_F(SubdomainWndTest, OneLookUpAtATime) {
  core::Script("WebApi::GetTeamLiteBySubdomain").Fail(404).Hold().Times(1);
  auto lookUps = [] { return CallCount("WebApi::GetTeamLiteBySubdomain"); };
  StepRunner script;
  script.Do("Enter", [] {
          Retype(TeamWindow(), L"subdomain_edit", L"nosuchteam");
          Testing::PressKey(TeamWindow(), VK_RETURN);
        })
      .Then("held", [] { return core::WaitForHeld("WebApi::GetTeamLiteBySubdomain", 0) != 0; },
            [] {
              Testing::Click(TeamWindow(), L"continue_btn");
              Testing::PressKey(TeamWindow(), VK_RETURN);
            })
      .Do("answer", [&lookUps] {
        EXPECT_EQ(lookUps(), 1);
        core::Release(core::WaitForHeld("WebApi::GetTeamLiteBySubdomain", 0));
      })
      .WaitFor("the answer", [this] { return MessageBoxTexts().size() == 1; })
      .Do("again", [] { Testing::PressKey(TeamWindow(), VK_RETURN); })
      .WaitFor("the second answer", [this] { return MessageBoxTexts().size() == 2; })
      .Do("leave", [] { RunQuitSequence(); });
  RunSession(script);
  EXPECT_EQ(lookUps(), 2);
}

TEST_F(SubdomainWndTest, WhileCheckingTheButtonIsBusyAndItsDotsStep) {
  core::Script("WebApi::GetTeamLiteBySubdomain").Hold();
  int held = 0;
  StepRunner script;
  script.Do("continue", [] {
          Retype(TeamWindow(), L"subdomain_edit", L"demo");
          Testing::Click(TeamWindow(), L"continue_btn");
        })
      .Then("busy look", [] { return TextOf(L"SubdomainWnd", L"continue_btn") == L"Checking..."; }, [] {
        auto* button = static_cast<CButtonUI*>(Control(L"SubdomainWnd", L"continue_btn"));
        EXPECT_EQ(button->GetBkColor(), mireloomwnd::kBusyBkColor);
        EXPECT_EQ(button->GetTextColor(), mireloomwnd::kBusyTextColor);
        EXPECT_FALSE(button->IsMouseEnabled());
      })
      .WaitFor("the first tick", [] { return TextOf(L"SubdomainWnd", L"continue_btn") == L"Checking."; })
      .WaitFor("the second tick", [] { return TextOf(L"SubdomainWnd", L"continue_btn") == L"Checking.."; })
      .Do("answer", [&held] {
        held = core::WaitForHeld("WebApi::GetTeamLiteBySubdomain", 1000);
        EXPECT_TRUE(core::Release(held));
      })
      .WaitFor("the log-in window", [] { return IsOpen(L"LoginWindow"); })
      .Do("check and leave", [] {
        EXPECT_FALSE(IsOpen(L"SubdomainWnd")) << "the team window closed itself";
        EXPECT_EQ(TextOf(L"LoginWindow", L"team_name_label"), L"Sign in to 示例团队");
        RunQuitSequence();
      });
  RunSession(script);
  EXPECT_NE(held, 0);
}

TEST_F(SubdomainWndTest, TheLinksOpenTheSignUpAndFinderPages) {
  StepRunner script;
  script.Do("both links", [] {
          Testing::Click(TeamWindow(), L"create_team_btn");
          Testing::Click(TeamWindow(), L"forgot_team_btn");
        })
      .Do("Esc leaves", [] { Testing::PressKey(TeamWindow(), VK_ESCAPE); });
  RunSession(script);
  const auto opened = m_platform.CallsOf(PlatformCall::ShellOpen);
  ASSERT_EQ(opened.size(), 2u);
  EXPECT_EQ(opened[0].text, L"https://www.corvanel.test/signup");
  EXPECT_EQ(opened[1].text, L"https://www.corvanel.test/find");
}

TEST_F(SubdomainWndTest, TheLookUpLogsTheTeamAndTheHandOver) {
  quennet::ScopedLogCapture log;
  StepRunner script;
  script.Do("continue", [] {
          Retype(TeamWindow(), L"subdomain_edit", L"demo");
          Testing::PressKey(TeamWindow(), VK_RETURN);
        })
      .WaitFor("the log-in window", [] { return IsOpen(L"LoginWindow"); })
      .Do("leave", [] { Testing::PressKey(FindOwnWindow(L"LoginWindow"), VK_ESCAPE); });
  RunSession(script);
  EXPECT_TRUE(log.Contains("team id is team-demo"));
  EXPECT_TRUE(log.Contains("team name is 示例团队"));
  EXPECT_TRUE(log.Contains("team domain is demo"));
  EXPECT_TRUE(log.Contains("Team auth success with ID : team-demo"));
}

// The answer comes while the window still stands; the window goes before the
// user-interface thread hands the team over.
TEST_F(SubdomainWndTest, ATeamFoundForAWindowThatHasGoneIsFreed) {
  quennet::ScopedLogCapture log;
  core::Script("WebApi::GetTeamLiteBySubdomain").Hold();
  StepRunner script;
  script.Do("continue", [] {
    Retype(TeamWindow(), L"subdomain_edit", L"demo");
    Testing::PressKey(TeamWindow(), VK_RETURN);
  });
  AnswerForAWindowThatGoes(script, "WebApi::GetTeamLiteBySubdomain", TeamWindow);
  RunSession(script);
  Testing::PumpPending();
  EXPECT_FALSE(log.Contains("Team auth success")) << "no log-in window for a team window that has gone";
  EXPECT_TRUE(log.Contains("A record for message 0x401 was freed: its window had gone"));
}

}  // namespace
}  // namespace signin_test
