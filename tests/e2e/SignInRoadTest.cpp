// The real program, started as a user starts it, signs in to the demo team
// and walks on: a message, a file picked in the system's dialog, the image
// viewer. Screenshots of each window are kept beside this test for people to
// look at.

#include <gtest/gtest.h>

#include <algorithm>

#include <windows.h>
#include <gdiplus.h>

#include "DocumentsFolder.h"
#include "ProgramDriver.h"
#include "app/TextHelpers.h"
#include "app/UserFolders.h"
#include "files/TestPictures.h"
#include "mireloom/testing.h"
#include "quennet/FileUtils.h"
#include "quennet/WinHandles.h"
#include "support/TempFolder.h"

namespace e2e {
namespace {

// The log-in window's "return to the team window" button, in its client area.
constexpr int kReturnButtonX = 24;
constexpr int kReturnButtonY = 24;
// In the main window at its first size: lin's conversation, third in the
// list by the demo's times, and the chat input.
constexpr POINT kLinItem = {160, 246};
constexpr POINT kChatInput = {700, 640};
// Channel 文件, ninth in the list; the input bar's upload button, the
// channel list's "join a channel" button and the user's avatar, which opens
// the personal menu.
constexpr POINT kFilesChannelItem = {140, 521};
constexpr POINT kUploadButton = {385, 587};
constexpr POINT kJoinChannelButton = {230, 113};
constexpr POINT kPersonalMenuButton = {34, 684};
// The join dialog's close button.
constexpr POINT kJoinDialogClose = {433, 26};
// In the upload window: its upload button.
constexpr POINT kUploadWindowUpload = {440, 416};
// The newest message's picture, at the bottom of the message view.
constexpr POINT kNewestPicture = {475, 497};
// The open dialog's file name box; its edit lies inside one or two combo boxes.
constexpr int kFileNameBox = 0x47C;

// The window of the program's thread that has the keyboard focus.
HWND FocusOf(HWND window) {
  GUITHREADINFO info = {sizeof info};
  return GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info) ? info.hwndFocus : nullptr;
}

COLORREF ScreenPixelOf(HWND window, POINT client) {
  ClientToScreen(window, &client);
  quennet::WindowDc screen(nullptr);
  return GetPixel(screen.get(), client.x, client.y);
}

bool IsEdit(HWND window) {
  wchar_t name[32] = {};
  GetClassNameW(window, name, 32);
  return _wcsicmp(name, L"Edit") == 0;
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
    RECT client = {};
    GetClientRect(main, &client);
    ProgramDriver::ClickAt(main, client.right - 26, 28);
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

  static bool WaitForLogLine(const char* line, DWORD timeout_ms = 10000) {
    const DWORD start = GetTickCount();
    while (EventLog().find(line) == std::string::npos) {
      if (GetTickCount() - start > timeout_ms) return false;
      Sleep(20);
    }
    return true;
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

  // The service's store as the program left it: read back by a service of
  // this process once the program has ended.
  std::vector<mireloom::Message::Data> StoredMessages(const std::string& conversation) const {
    mireloom::testing::ServiceOptions options;
    options.storeFolder = m_store.Path() + L"\\store.db";
    // The program's own demo: a service of another demo would start the store afresh.
    options.demoFolder = ProgramFolder() + L"\\..\\Mireloom\\demo";
    options.actingMembers = false;
    mireloom::testing::StartService(options);
    auto messages = mireloom::testing::ServiceMessages(conversation);
    mireloom::testing::ResetCore();
    return messages;
  }

  // Writes an 800 x 600 picture of that name in a folder of its own, starts
  // the program, signs in as zhou, opens channel 文件 and sends the picture
  // through the system's open dialog; waits until the view has shown it.
  void UploadPictureToFilesChannel(ProgramDriver& program, const wchar_t* name, const wchar_t* teamShot, HWND* main) {
    const std::wstring picture = WritePicture(name);
    ASSERT_FALSE(picture.empty());
    ASSERT_TRUE(program.Launch(Environment()));
    HWND login = ChooseTeam(program, teamShot);
    ASSERT_NE(login, nullptr);
    SignIn(login, L"zhou", L"demo1234");
    ProgramDriver::PressEnter(login);
    *main = program.WaitForWindow(L"MainWindow", L"Corvanel");
    ASSERT_NE(*main, nullptr);
    ASSERT_TRUE(WaitForLogLine("get num unread messages"));
    ASSERT_TRUE(WaitForFirstSessionItem(*main));
    ProgramDriver::ClickAt(*main, kFilesChannelItem.x, kFilesChannelItem.y);
    ASSERT_TRUE(UploadThroughTheDialog(program, *main, picture));
    const std::string shared = "分享了图片: " + WideToUtf8(name);
    ASSERT_TRUE(WaitForLogLine(shared.c_str())) << "the upload was not shown";
  }

  // Clicks the upload button; in the system's open dialog goes to the root
  // of drive C first, as a user looking for the file would, then picks the
  // file by its full path; uploads it from the upload window that opens.
  // False, with the reason, when a window did not come.
  static testing::AssertionResult UploadThroughTheDialog(ProgramDriver& program, HWND main,
                                                         const std::wstring& file) {
    ProgramDriver::ClickAt(main, kUploadButton.x, kUploadButton.y);
    HWND dialog = program.WaitForWindow(L"#32770", nullptr);
    if (!dialog) return testing::AssertionFailure() << "no open dialog";
    for (const std::wstring& typed : {std::wstring(L"C:\\"), file}) {
      if (!ChooseInDialog(dialog, typed)) return testing::AssertionFailure() << "the dialog took no name";
    }
    HWND upload = program.WaitForWindow(L"UploadFileWnd", nullptr);
    if (!upload) return testing::AssertionFailure() << "no upload window after the dialog";
    EXPECT_TRUE(SaveScreenshot(upload, Shot(L"16-upload-after-dialog.png")));
    ProgramDriver::ClickAt(upload, kUploadWindowUpload.x, kUploadWindowUpload.y);
    if (!program.WaitForWindowGone(L"UploadFileWnd")) return testing::AssertionFailure() << "the upload window stayed";
    return testing::AssertionSuccess();
  }

  // Types into the dialog's file name box and presses its default button,
  // then waits until the dialog has taken the name (the box is emptied, or
  // the dialog is gone).
  static bool ChooseInDialog(HWND dialog, const std::wstring& typed) {
    HWND edit = GetDlgItem(dialog, kFileNameBox);
    while (edit && !IsEdit(edit)) edit = GetWindow(edit, GW_CHILD);
    if (!edit) return false;
    ProgramDriver::SetText(edit, typed);
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
    const DWORD start = GetTickCount();
    while (IsWindow(dialog) && EditText(edit) == typed) {
      if (GetTickCount() - start > 10000) return false;
      Sleep(20);
    }
    return true;
  }

  // An 800 x 600 picture in a folder of its own, away from the program's.
  std::wstring WritePicture(const wchar_t* name) {
    Gdiplus::GdiplusStartupInput input;
    ULONG_PTR token = 0;
    Gdiplus::GdiplusStartup(&token, &input, nullptr);
    const std::wstring path = m_pictures / name;
    const bool written = files_test::WriteTestPicture(path, 800, 600, L"image/png");
    Gdiplus::GdiplusShutdown(token);
    return written ? path : std::wstring();
  }

  test_support::TempFolder m_store;
  test_support::TempFolder m_pictures;
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
  ASSERT_TRUE(program.Launch(Environment()));
  HWND login = ChooseTeam(program, L"14-team.png");
  ASSERT_NE(login, nullptr);
  SignIn(login, L"zhou", L"demo1234");
  ProgramDriver::PressEnter(login);
  HWND main = program.WaitForWindow(L"MainWindow", L"Corvanel");
  ASSERT_NE(main, nullptr);
  ASSERT_TRUE(WaitForLogLine("get num unread messages"));
  ASSERT_TRUE(WaitForFirstSessionItem(main));

  ProgramDriver::ClickAt(main, kLinItem.x, kLinItem.y);
  ProgramDriver::ClickAt(main, kChatInput.x, kChatInput.y);
  const DWORD start = GetTickCount();
  while (!IsRichEdit(FocusOf(main)) && GetTickCount() - start < 5000) Sleep(20);
  const HWND input = FocusOf(main);
  ASSERT_TRUE(IsRichEdit(input)) << "a click into the input gives it the keyboard";
  ProgramDriver::SetText(input, text);
  ProgramDriver::PressEnter(input);
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

// A file dialog leaves the working directory wherever the user picked from;
// every window opened afterwards still finds its skin.
TEST_F(SignInRoadTest, AFilePickedFromAnotherFolderIsSentAndEveryWindowStillOpensAfterTheDialog) {
  ProgramDriver program;
  HWND main = nullptr;
  ASSERT_NO_FATAL_FAILURE(UploadPictureToFilesChannel(program, L"风景.png", L"17-team.png", &main));

  ProgramDriver::ClickAt(main, kJoinChannelButton.x, kJoinChannelButton.y);
  HWND join = program.WaitForWindow(L"JoinChannelWnd", nullptr);
  ASSERT_NE(join, nullptr) << "no join dialog after the file dialog";
  EXPECT_TRUE(SaveScreenshot(join, Shot(L"18-join-after-dialog.png")));
  ProgramDriver::ClickAt(join, kJoinDialogClose.x, kJoinDialogClose.y);
  ASSERT_TRUE(program.WaitForWindowGone(L"JoinChannelWnd"));
  ProgramDriver::ClickAt(main, kPersonalMenuButton.x, kPersonalMenuButton.y);
  HWND menu = program.WaitForWindow(L"PersonalMenuWnd", nullptr);
  ASSERT_NE(menu, nullptr) << "no popup menu after the file dialog";
  EXPECT_TRUE(SaveScreenshot(main, Shot(L"19-menu-after-dialog.png")));
  // The menu goes when it loses the focus, as to a click elsewhere.
  PostMessageW(menu, WM_KILLFOCUS, 0, 0);
  ASSERT_TRUE(program.WaitForWindowGone(L"PersonalMenuWnd"));
  EXPECT_EQ(EventLog().find("Skin file missing"), std::string::npos);
  RECT client = {};
  GetClientRect(main, &client);
  ProgramDriver::ClickAt(main, client.right - 26, 28);
  ASSERT_EQ(program.WaitForExit(), 0);

  const auto stored = StoredMessages("chn-files");
  EXPECT_EQ(std::count_if(stored.begin(), stored.end(),
                          [](const mireloom::Message::Data& message) {
                            return message.uid == "usr-zhou" && message.content == "分享了图片: 风景.png";
                          }),
            1);
}

// The viewer opens with the thumbnail the view holds and then shows the
// picture itself, at its own size.
TEST_F(SignInRoadTest, TheImageViewerShowsThePictureItselfAtItsOwnSize) {
  ProgramDriver program;
  HWND main = nullptr;
  ASSERT_NO_FATAL_FAILURE(UploadPictureToFilesChannel(program, L"照片.png", L"20-team.png", &main));
  // The view scrolls to the newest message, whose thumbnail then arrives.
  const DWORD shown = GetTickCount();
  while (ScreenPixelOf(main, kNewestPicture) == RGB(0xFF, 0xFF, 0xFF) && GetTickCount() - shown < 10000) Sleep(20);

  ProgramDriver::ClickAt(main, kNewestPicture.x, kNewestPicture.y);
  HWND viewer = program.WaitForWindow(L"ImageViewerWnd", nullptr);
  ASSERT_NE(viewer, nullptr) << "no viewer";
  const auto clientSize = [viewer] {
    RECT client = {};
    GetClientRect(viewer, &client);
    return std::make_pair(client.right - client.left, client.bottom - client.top);
  };
  const DWORD start = GetTickCount();
  while (clientSize() != std::make_pair(800L, 600L) && GetTickCount() - start < 10000) Sleep(20);
  EXPECT_EQ(clientSize(), std::make_pair(800L, 600L)) << "the viewer kept the thumbnail";
  EXPECT_TRUE(SaveScreenshot(viewer, Shot(L"21-image-viewer.png")));
}

}  // namespace
}  // namespace e2e
