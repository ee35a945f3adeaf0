// The real program, started as a user starts it, signs in to the demo team.
// Screenshots of each window are kept beside this test for people to look at.

#include <gtest/gtest.h>

#include <algorithm>

#include "DocumentsFolder.h"
#include "ProgramRoad.h"

namespace e2e {
namespace {

// The log-in window's "return to the team window" button, in its client area.
constexpr int kReturnButtonX = 24;
constexpr int kReturnButtonY = 24;
// lin's conversation, third in the list by the demo's times.
constexpr int kLinItem = 2;

class SignInRoadTest : public ProgramRoadTest {
 protected:
  // Waits for the filled main window (the start-up fetch chain ran), takes
  // its picture and quits with its close button, which quits since every
  // start writes that it does.
  static void QuitFromMainWindow(ProgramDriver& program, const wchar_t* screenshot, DWORD exit_timeout_ms = 15000) {
    HWND main = program.WaitForWindow(L"MainWindow", L"Corvanel");
    ASSERT_NE(main, nullptr) << "no main window";
    EXPECT_TRUE(WaitForLogLine("get num unread messages"));
    // A first sign-in has nothing cached: the list fills once the chain is done.
    EXPECT_TRUE(WaitForFirstSessionItem(main)) << "the session list stayed empty";
    EXPECT_TRUE(SaveScreenshot(main, Shot(screenshot)));
    RECT client = {};
    GetClientRect(main, &client);
    ProgramDriver::ClickAt(main, client.right - 26, 28);
    EXPECT_EQ(program.WaitForExit(exit_timeout_ms), 0) << "the program outlived its main window";
  }

  // Starts the program, signs in as zhou and quits from the main window.
  void SignInAsZhou(const wchar_t* teamShot, const wchar_t* mainShot) {
    ProgramDriver program;
    ASSERT_TRUE(program.Launch(Environment()));
    HWND login = ChooseTeam(program, teamShot);
    ASSERT_NE(login, nullptr) << "no log-in window";
    SignIn(login, L"zhou", L"demo1234");
    ProgramDriver::PressEnter(login);
    QuitFromMainWindow(program, mainShot);
  }

  // The selection of an edit of the program, as EM_GETSEL packs it.
  static LRESULT CaretRange(HWND edit) { return SendMessageW(edit, EM_GETSEL, 0, 0); }
};

TEST_F(SignInRoadTest, ZhouSignsInToTheDemoTeamAndReachesTheMainWindow) {
  ProgramDriver program;
  ASSERT_TRUE(program.Launch(Environment()));
  HWND login = ChooseTeam(program, L"01-team.png");
  ASSERT_NE(login, nullptr) << "no log-in window";
  SignIn(login, L"zhou", L"demo1234");
  Sleep(100);
  EXPECT_TRUE(SaveScreenshot(login, Shot(L"02-login.png")));
  ProgramDriver::PressEnter(login);

  QuitFromMainWindow(program, L"08-main-window.png");
  const std::string log = EventLog();
  size_t position = 0;
  for (const char* line : {"App init", "Team auth success with ID : team-demo",
                           "Try to login with username : zhou, team id : team-demo",
                           "Login success, my name is : 周一鸣", "start to download all avatars",
                           "MainWnd data prepared", "updating channels", "updating IMs", "syncing recent messages",
                           "get num unread messages"}) {
    const size_t found = log.find(line, position);
    ASSERT_NE(found, std::string::npos) << "missing or out of order: " << line;
    position = found;
  }
}

TEST_F(SignInRoadTest, ZhouSendsLinAMessageThatTheServiceStoresAndLinAnswers) {
  const std::wstring text = L"林晓，今天下午三点开会。";
  const std::string utf8 = "林晓，今天下午三点开会。";
  ProgramDriver program;
  HWND main = StartSignedInAsZhou(program, L"14-team.png");
  ASSERT_NE(main, nullptr);
  ASSERT_TRUE(SendInConversation(main, SessionItem(kLinItem), text)) << "a click into the input gives it the keyboard";
  EXPECT_TRUE(WaitForLogLine(("Recv direct message : " + utf8).c_str())) << "the sent message was not shown";
  EXPECT_TRUE(WaitForLogLine(("Recv direct message : 收到：" + utf8).c_str())) << "lin did not answer";
  Sleep(100);  // the view scrolls to the answer 40 ms after it
  EXPECT_TRUE(SaveScreenshot(main, Shot(L"15-message-sent.png")));
  RECT client = {};
  GetClientRect(main, &client);
  ProgramDriver::ClickAt(main, client.right - 26, 28);
  ASSERT_EQ(program.WaitForExit(), 0);

  const auto stored = StoredMessages("im-zhou-lin");
  const auto from = [&stored](const std::string& uid, const std::string& content) {
    return std::count_if(stored.begin(), stored.end(), [&](const mireloom::Message::Data& message) {
      return message.uid == uid && message.content == content;
    });
  };
  EXPECT_EQ(from("usr-zhou", utf8), 1);
  EXPECT_EQ(from("usr-lin", "收到：" + utf8), 1);
}

// Each trip back nests two more modal loops, each entered from a completion
// that sent its result: none of those completions may stay blocked, and the
// end of the innermost loop must still unwind every loop around it.
TEST_F(SignInRoadTest, TripsBackToTheTeamWindowLeaveNoThreadBehindAndTheProgramStillEnds) {
  ProgramDriver program;
  ASSERT_TRUE(program.Launch(Environment()));
  HWND login = ChooseTeam(program, L"06-team-first-trip.png");
  ASSERT_NE(login, nullptr);
  std::vector<int> threads;
  for (int trip = 0; trip < 3; ++trip) {
    ProgramDriver::ClickAt(login, kReturnButtonX, kReturnButtonY);
    ASSERT_TRUE(program.WaitForWindowGone(L"LoginWindow")) << "trip " << trip;
    login = ChooseTeam(program, L"07-team-after-a-trip.png");
    ASSERT_NE(login, nullptr) << "trip " << trip;
    threads.push_back(program.ThreadCount());
  }
  SignIn(login, L"zhou", L"demo1234");
  ProgramDriver::PressEnter(login);
  // Quitting from the main window ends every loop below it.
  QuitFromMainWindow(program, L"10-main-window-after-trips.png", 3000);
  EXPECT_LE(threads.back(), threads.front()) << "a trip left a thread behind";
}

TEST_F(SignInRoadTest, ANewMemberChoosesAPasswordAndReachesTheMainWindow) {
  ProgramDriver program;
  ASSERT_TRUE(program.Launch(Environment()));
  HWND login = ChooseTeam(program, L"03-team.png");
  ASSERT_NE(login, nullptr);
  SignIn(login, L"newbie", L"init1234");
  ProgramDriver::PressEnter(login);

  HWND reset = program.WaitForWindow(L"RestPwdWnd", L"重置初始密码");
  ASSERT_NE(reset, nullptr) << "no initial-password window";
  ASSERT_TRUE(ProgramDriver::TypeIntoFocus(reset, L"newpass1"));
  ASSERT_TRUE(ProgramDriver::TabAndType(reset, L"newpass1"));
  const auto edits = ProgramDriver::Edits(reset);
  ASSERT_EQ(edits.size(), 2u);
  Sleep(100);
  EXPECT_TRUE(SaveScreenshot(reset, Shot(L"04-initial-password.png")));
  ProgramDriver::PressEnter(edits[1]);

  QuitFromMainWindow(program, L"09-main-window-newbie.png");
  const std::string log = EventLog();
  for (const char* line : {"Need to init password", "OnInitPasswordSuccess", "MainWnd data prepared"}) {
    EXPECT_NE(log.find(line), std::string::npos) << line;
  }
}

TEST_F(SignInRoadTest, ANewerClientVersionIsToldOverTheTeamWindow) {
  auto environment = Environment();
  environment[L"MIRELOOM_DEMO_CLIENT_VERSION"] = L"16";
  ProgramDriver program;
  ASSERT_TRUE(program.Launch(environment));
  HWND notice = program.WaitForWindow(L"UpdateWnd", L"更新");
  ASSERT_NE(notice, nullptr) << "no new-version notice";
  EXPECT_NE(program.WaitForWindow(L"SubdomainWnd", L"登录团队", 0), nullptr) << "the team window stays behind it";
  EXPECT_TRUE(SaveScreenshot(notice, Shot(L"05-new-version.png")));
}

// A Documents folder whose name code page 936 cannot hold: the program keeps
// its data there under the folder's short name, so that the next start
// finds the team and the account it remembered.
TEST_F(SignInRoadTest, ADocumentsFolderOutsideCodePage936KeepsTheRememberedAccount) {
  const wchar_t* const names[] = {L"Documentos Núñez", L"문서"};
  for (const wchar_t* name : names) {
    SCOPED_TRACE(name == names[0] ? "Documentos Núñez" : "Korean name");
    ScopedDocumentsFolder documents(name);
    ASSERT_TRUE(documents.IsActive());
    const std::wstring data = documents.Path() + L"\\Corvanel";
    ASSERT_NO_FATAL_FAILURE(SignInAsZhou(L"11-team-other-documents.png", L"12-main-other-documents.png"));
    for (const wchar_t* file : {L"\\Accounts.db", L"\\Meta.db", L"\\team-demo\\usr-zhou\\Cache.db"}) {
      EXPECT_NE(GetFileAttributesW((data + file).c_str()), INVALID_FILE_ATTRIBUTES) << "no " << file + 1;
    }
    const std::string log = test_support::ReadFileBytes(data + L"\\event.log");
    EXPECT_NE(log.find("MainWnd data prepared"), std::string::npos);
    EXPECT_EQ(log.find("has no form in code page 936"), std::string::npos);

    ProgramDriver again;
    ASSERT_TRUE(again.Launch(Environment()));
    HWND team = again.WaitForWindow(L"SubdomainWnd", L"登录团队");
    ASSERT_NE(team, nullptr);
    ASSERT_EQ(ProgramDriver::Edits(team).size(), 1u);
    EXPECT_EQ(EditText(ProgramDriver::Edits(team)[0]), L"demo") << "the last team is remembered";
    EXPECT_EQ(CaretRange(ProgramDriver::Edits(team)[0]), MAKELONG(4, 4)) << "typing goes on after it";
    ProgramDriver::PressEnter(team);
    HWND login = again.WaitForWindow(L"LoginWindow", L"登录");
    ASSERT_NE(login, nullptr);
    const auto edits = ProgramDriver::Edits(login);
    ASSERT_EQ(edits.size(), 2u);
    EXPECT_EQ(EditText(edits[0]), L"zhou") << "the account is remembered";
    EXPECT_EQ(EditText(edits[1]), L"demo1234");
    EXPECT_EQ(CaretRange(edits[1]), MAKELONG(8, 8)) << "after the dots, not before them";
    EXPECT_TRUE(SaveScreenshot(login, Shot(L"13-login-remembered.png")));
    PostMessageW(login, WM_KEYDOWN, VK_ESCAPE, 1);
    EXPECT_EQ(again.WaitForExit(), 0);
  }
}

}  // namespace
}  // namespace e2e
