// The real program, started as a user starts it, signs in to the demo team.
// Screenshots of each window are kept beside this test for people to look at.

#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <map>

#include "DocumentsFolder.h"
#include "ProgramDriver.h"
#include "app/UserFolders.h"
#include "mireloom/ChatManager.h"
#include "mireloom/testing.h"
#include "quennet/FileUtils.h"
#include "support/TempFolder.h"

namespace e2e {
namespace {

// The log-in window's "return to the team window" button, in its client area.
constexpr int kReturnButtonX = 24;
constexpr int kReturnButtonY = 24;
// In the main window at its first size: the general channel and lin's
// conversation, first and third in the list by the demo's times, the chat
// input and the upload button above it.
constexpr POINT kGeneralItem = {160, 153};
constexpr POINT kLinItem = {160, 246};
constexpr POINT kChatInput = {700, 640};
constexpr POINT kUploadButton = {385, 587};
// In the upload window: its upload button, and a point of that button off
// its text, white while it is busy.
constexpr POINT kUploadWindowButton = {441, 417};
constexpr POINT kUploadButtonEdge = {400, 405};
constexpr COLORREF kBusyButtonWhite = RGB(0xFF, 0xFF, 0xFF);
// The file name box of the open-file dialog.
constexpr int kFileNameBox = 0x47C;

// The window of the program's thread that has the keyboard focus.
HWND FocusOf(HWND window) {
  GUITHREADINFO info = {sizeof info};
  return GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info) ? info.hwndFocus : nullptr;
}

bool IsRichEdit(HWND window) {
  wchar_t name[32] = {};
  GetClassNameW(window, name, 32);
  return _wcsnicmp(name, L"RichEdit", 8) == 0;
}

class SignInRoadTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(EnsureUserDataFolder());
    quennet::FileUtils::SharedFileUtils()->DeleteFolderContentsExcept(
        test_support::ToCp936(GetUserDataFolder()), {});
  }

  // A fresh service store, so that every run starts from the demo files.
  std::map<std::wstring, std::wstring> Environment() const {
    return {{L"MIRELOOM_SERVICE_STORE", m_store.Path() + L"\\store.db"}};
  }

  // Fills the team window and goes on to the log-in window.
  HWND ChooseTeam(ProgramDriver& program, const wchar_t* screenshot) {
    HWND team = program.WaitForWindow(L"SubdomainWnd", L"登录团队");
    EXPECT_NE(team, nullptr) << "no team window";
    if (!team) return nullptr;
    EXPECT_TRUE(ProgramDriver::TypeIntoFocus(team, L"demo")) << "the team window opened without the caret in its edit";
    Sleep(100);
    EXPECT_TRUE(SaveScreenshot(team, Shot(screenshot)));
    ProgramDriver::PressEnter(team);
    return program.WaitForWindow(L"LoginWindow", L"登录");
  }

  static void SignIn(HWND login, const wchar_t* user, const wchar_t* password) {
    EXPECT_TRUE(ProgramDriver::TypeIntoFocus(login, user)) << "the log-in window opened without the caret in its edit";
    EXPECT_TRUE(ProgramDriver::TabAndType(login, password));
    const auto edits = ProgramDriver::Edits(login);
    ASSERT_EQ(edits.size(), 2u);
    EXPECT_NE(GetWindowLongW(edits[1], GWL_STYLE) & ES_PASSWORD, 0) << "the second edit takes the password";
  }

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
    CloseMainWindow(main);
    EXPECT_EQ(program.WaitForExit(exit_timeout_ms), 0) << "the program outlived its main window";
  }

  static bool WaitForFirstSessionItem(HWND main, DWORD timeout_ms = 10000) {
    const DWORD start = GetTickCount();
    while (!ShowsFilledMainWindow(main)) {
      if (GetTickCount() - start > timeout_ms) return false;
      Sleep(20);
    }
    return true;
  }

  // Waits for the line in the event log, after its first `from` bytes.
  static bool WaitForLogLine(const char* line, DWORD timeout_ms = 10000, size_t from = 0) {
    const DWORD start = GetTickCount();
    while (EventLog().find(line, from) == std::string::npos) {
      if (GetTickCount() - start > timeout_ms) return false;
      Sleep(20);
    }
    return true;
  }

  // Starts the program and signs in as zhou, typing the account or, at a
  // later start, with the one the log-in window remembered; the filled main
  // window, or NULL.
  enum class Account { Typed, Remembered };
  HWND ReachMainWindowAsZhou(ProgramDriver& program, const wchar_t* teamShot, Account account = Account::Typed) {
    const size_t logged_before = EventLog().size();
    if (!program.Launch(Environment())) return nullptr;
    HWND login = ChooseTeam(program, teamShot);
    if (!login) return nullptr;
    if (account == Account::Typed) SignIn(login, L"zhou", L"demo1234");
    ProgramDriver::PressEnter(login);
    HWND main = program.WaitForWindow(L"MainWindow", L"Corvanel");
    if (!main || !WaitForLogLine("get num unread messages", 10000, logged_before) || !WaitForFirstSessionItem(main)) {
      return nullptr;
    }
    return main;
  }

  // Opens lin's conversation and clicks into the chat input; the input, or NULL.
  static HWND OpenLinsInput(HWND main) {
    ProgramDriver::ClickAt(main, kLinItem.x, kLinItem.y);
    ProgramDriver::ClickAt(main, kChatInput.x, kChatInput.y);
    const DWORD start = GetTickCount();
    while (!IsRichEdit(FocusOf(main)) && GetTickCount() - start < 5000) Sleep(20);
    const HWND input = FocusOf(main);
    return IsRichEdit(input) ? input : nullptr;
  }

  static void CloseMainWindow(HWND main) {
    RECT client = {};
    GetClientRect(main, &client);
    ProgramDriver::ClickAt(main, client.right - 26, 28);
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

  static std::wstring Shot(const wchar_t* name) {
    return std::wstring(CORVANEL_SCREENSHOT_DIR) + L"\\" + name;
  }

  static std::string EventLog() { return test_support::ReadFileBytes(EventLogPath()); }

  static std::wstring EditText(HWND edit) {
    wchar_t text[256] = {};
    SendMessageW(edit, WM_GETTEXT, 256, reinterpret_cast<LPARAM>(text));
    return text;
  }

  static bool WaitForEditText(HWND edit, const std::wstring& text, DWORD timeout_ms = 10000) {
    const DWORD start = GetTickCount();
    while (EditText(edit) != text) {
      if (GetTickCount() - start > timeout_ms) return false;
      Sleep(20);
    }
    return true;
  }

  std::wstring StoreFile() const { return m_store.Path() + L"\\store.db\\store.db"; }

  // The service's store as the program left it, read back by a service of
  // this process once the program has ended; with `cached`, what the
  // program's cache holds of the conversation beside it. Message id -> text.
  using Messages = std::map<std::string, std::string>;
  Messages StoredMessages(const std::string& conversation, Messages* cached = nullptr) const {
    namespace mt = mireloom::testing;
    mt::ServiceOptions options;
    options.storeFolder = m_store.Path() + L"\\store.db";
    // The program's own demo: a service of another demo would start the store afresh.
    options.demoFolder = ProgramFolder() + L"\\..\\Mireloom\\demo";
    options.actingMembers = false;
    mt::StartService(options);
    Messages stored;
    for (const auto& message : mt::ServiceMessages(conversation)) stored[message.message_id] = message.content;
    if (cached) {
      mt::InstallSession("usr-zhou", "team-demo", {}, GetUserDataFolder());
      for (const auto& message : mireloom::ChatManager::DefaultManager()->FetchMessagesFromCache(
               conversation, 0, std::numeric_limits<int64_t>::max(), 100000, nullptr, nullptr, false)) {
        (*cached)[message->message_id()] = message->content();
      }
    }
    mt::ResetCore();
    return stored;
  }

  static size_t CountOf(const Messages& messages, const std::string& text) {
    return std::count_if(messages.begin(), messages.end(), [&](const auto& entry) { return entry.second == text; });
  }

  test_support::TempFolder m_store;
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
  HWND main = ReachMainWindowAsZhou(program, L"14-team.png");
  ASSERT_NE(main, nullptr);
  const HWND input = OpenLinsInput(main);
  ASSERT_NE(input, nullptr) << "a click into the input gives it the keyboard";
  ProgramDriver::SetText(input, text);
  ProgramDriver::PressEnter(input);
  EXPECT_TRUE(WaitForLogLine(("Recv direct message : " + utf8).c_str())) << "the sent message was not shown";
  EXPECT_TRUE(WaitForLogLine(("Recv direct message : 收到：" + utf8).c_str())) << "lin did not answer";
  Sleep(100);  // the view scrolls to the answer 40 ms after it
  EXPECT_TRUE(SaveScreenshot(main, Shot(L"15-message-sent.png")));
  CloseMainWindow(main);
  ASSERT_EQ(program.WaitForExit(), 0);

  const Messages stored = StoredMessages("im-zhou-lin");
  EXPECT_EQ(CountOf(stored, utf8), 1u);
  EXPECT_EQ(CountOf(stored, "收到：" + utf8), 1u);
}

// The service's store is damaged while zhou writes to lin: the message fails
// and its text comes back into the input. The next start builds the store
// afresh: the next message and lin's answer stay in the conversation after
// switching away and back, and the program's cache holds what the store holds.
TEST_F(SignInRoadTest, ADamagedStoreFailsTheSendAndTheRebuiltOneAgreesWithTheCache) {
  {
    ProgramDriver program;
    HWND main = ReachMainWindowAsZhou(program, L"16-team.png");
    ASSERT_NE(main, nullptr);
    const HWND input = OpenLinsInput(main);
    ASSERT_NE(input, nullptr);
    ASSERT_TRUE(test_support::OverwriteOpenFile(StoreFile(), std::string(4096, 'Z')));
    ProgramDriver::SetText(input, L"after-1");
    ProgramDriver::PressEnter(input);
    EXPECT_TRUE(WaitForEditText(input, L"after-1")) << "the failed message's text did not come back";
    EXPECT_EQ(EventLog().find("Recv direct message : after-1"), std::string::npos) << "shown as sent";
    EXPECT_TRUE(SaveScreenshot(main, Shot(L"16-send-refused.png")));
    CloseMainWindow(main);
    ASSERT_EQ(program.WaitForExit(), 0);
  }
  ProgramDriver program;
  HWND main = ReachMainWindowAsZhou(program, L"17-team.png", Account::Remembered);
  ASSERT_NE(main, nullptr);
  EXPECT_NE(EventLog().find("store.db is damaged: moved aside"), std::string::npos);
  const HWND input = OpenLinsInput(main);
  ASSERT_NE(input, nullptr);
  ProgramDriver::SetText(input, L"after-2");
  ProgramDriver::PressEnter(input);
  EXPECT_TRUE(WaitForLogLine("Recv direct message : 收到：after-2")) << "lin did not answer";
  ProgramDriver::ClickAt(main, kGeneralItem.x, kGeneralItem.y);
  ProgramDriver::ClickAt(main, kLinItem.x, kLinItem.y);
  Sleep(200);  // the view fills and scrolls to its end
  EXPECT_TRUE(SaveScreenshot(main, Shot(L"17-after-switching-back.png")));
  CloseMainWindow(main);
  ASSERT_EQ(program.WaitForExit(), 0);

  Messages cached;
  const Messages stored = StoredMessages("im-zhou-lin", &cached);
  EXPECT_EQ(CountOf(stored, "after-1"), 0u);
  EXPECT_EQ(CountOf(stored, "after-2"), 1u);
  EXPECT_EQ(CountOf(stored, "收到：after-2"), 1u);
  EXPECT_EQ(cached, stored) << "the cache and the store disagree";
}

// A big file picked in the open-file dialog: the upload window keeps the busy
// look until the upload is done, then closes; the program's memory grows by
// far less than the file, and the share is stored.
TEST_F(SignInRoadTest, ABigUploadKeepsItsWindowBusyAndItsMemorySmall) {
  constexpr int kMegabytes = 160;
  constexpr double kMostGrowthMegabytes = 32;
  // In the program's own folder, its working folder, which picking a file
  // there leaves as it is.
  struct ScopedFile {
    const std::wstring path = ProgramFolder() + L"\\big-upload.bin";
    ~ScopedFile() { DeleteFileW(path.c_str()); }
  } file;
  const std::wstring& path = file.path;
  ASSERT_TRUE(test_support::WriteBigFile(path, kMegabytes));
  ProgramDriver program;
  HWND main = ReachMainWindowAsZhou(program, L"18-team.png");
  ASSERT_NE(main, nullptr);
  ASSERT_NE(OpenLinsInput(main), nullptr);
  ProgramDriver::ClickAt(main, kUploadButton.x, kUploadButton.y);
  HWND dialog = program.WaitForWindow(L"#32770", nullptr);
  ASSERT_NE(dialog, nullptr) << "no open-file dialog";
  SetWindowTextW(GetDlgItem(dialog, kFileNameBox), path.c_str());
  PostMessageW(dialog, WM_COMMAND, IDOK, 0);
  HWND upload = program.WaitForWindow(L"UploadFileWnd", nullptr);
  ASSERT_NE(upload, nullptr) << "no upload window";

  const double before = program.WorkingSetMegabytes();
  ProgramDriver::ClickAt(upload, kUploadWindowButton.x, kUploadWindowButton.y);
  double most = before;
  bool seen_busy = false;
  const DWORD start = GetTickCount();
  while (program.WaitForWindow(L"UploadFileWnd", nullptr, 0) && GetTickCount() - start < 60000) {
    most = std::max(most, program.WorkingSetMegabytes());
    if (!seen_busy && ScreenPixel(upload, kUploadButtonEdge) == kBusyButtonWhite) {
      seen_busy = true;
      EXPECT_TRUE(SaveScreenshot(upload, Shot(L"18-upload-busy.png")));
    }
    Sleep(5);
  }
  EXPECT_TRUE(seen_busy) << "the upload window never looked busy";
  EXPECT_TRUE(program.WaitForWindowGone(L"UploadFileWnd", 0)) << "the upload window stayed";
  EXPECT_LE(most - before, kMostGrowthMegabytes) << "from " << before << " MB";
  EXPECT_TRUE(WaitForLogLine("Recv direct message : 分享了文件: big-upload.bin"));
  CloseMainWindow(main);
  ASSERT_EQ(program.WaitForExit(), 0);
  EXPECT_EQ(CountOf(StoredMessages("im-zhou-lin"), "分享了文件: big-upload.bin"), 1u);
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
    ProgramDriver::PressEnter(team);
    HWND login = again.WaitForWindow(L"LoginWindow", L"登录");
    ASSERT_NE(login, nullptr);
    const auto edits = ProgramDriver::Edits(login);
    ASSERT_EQ(edits.size(), 2u);
    EXPECT_EQ(EditText(edits[0]), L"zhou") << "the account is remembered";
    EXPECT_EQ(EditText(edits[1]), L"demo1234");
    EXPECT_TRUE(SaveScreenshot(login, Shot(L"13-login-remembered.png")));
    PostMessageW(login, WM_KEYDOWN, VK_ESCAPE, 1);
    EXPECT_EQ(again.WaitForExit(), 0);
  }
}

}  // namespace
}  // namespace e2e
