// The real program with the service's store in trouble and with a big file:
// a store damaged between two starts and repaired with its history, a draft
// that must not outlive its send when the program is killed, and an upload
// of 160 MB picked in the open-file dialog.

#include <algorithm>
#include <limits>
#include <map>

#include "app/storage/FileHelpers.h"
#include "app/storage/UserFolders.h"
#include "app/text/TextHelpers.h"
#include "mireloom/ChatManager.h"
#include "mireloom/testing.h"
#include "ProgramRoad.h"

namespace e2e {
namespace {

// lin's conversation, third in the list by the demo's times; once a message
// to lin went, it is the first and the general channel the second.
constexpr int kLinItem = 2;
constexpr int kLinItemAfterSending = 0;
constexpr int kGeneralItemAfterSending = 1;
// In the upload window: a point of its upload button off the button's text,
// white while it is busy.
constexpr POINT kUploadButtonEdge = {400, 405};
constexpr COLORREF kBusyButtonWhite = RGB(0xFF, 0xFF, 0xFF);

// Message id -> text.
using Messages = std::map<std::string, std::string>;

size_t CountOf(const Messages& messages, const std::string& text) {
  return std::count_if(messages.begin(), messages.end(), [&](const auto& entry) { return entry.second == text; });
}

class StoreRoadTest : public ProgramRoadTest {
 protected:
  std::wstring StoreFile() const { return m_store.Path() + L"\\store.db\\store.db"; }

  // Once the program has ended: what the service's store holds of the
  // conversation and, read by a session over the program's data folder,
  // what the program's cache holds of it.
  void ReadBack(const std::string& conversation, Messages* stored, Messages* cached) const {
    namespace mt = mireloom::testing;
    mt::ServiceOptions options;
    options.storeFolder = m_store.Path() + L"\\store.db";
    // The program's own demo: a service of another demo would start the store afresh.
    options.demoFolder = ProgramFolder() + L"\\..\\Mireloom\\demo";
    options.actingMembers = false;
    mt::StartService(options);
    for (const auto& message : mt::ServiceMessages(conversation)) (*stored)[message.message_id] = message.content;
    mt::InstallSession("usr-zhou", "team-demo", {}, GetUserDataFolder());
    for (const auto& message : mireloom::ChatManager::DefaultManager()->FetchMessagesFromCache(
             conversation, 0, std::numeric_limits<int64_t>::max(), 100000, nullptr, nullptr, false)) {
      (*cached)[message->message_id()] = message->content();
    }
    mt::ResetCore();
  }
};

// Garbage over a page in the middle of the closed store, the one that holds
// a message of the demo's history: damage that only reading it shows.
bool DamageMiddleOfStore(const std::wstring& file) {
  constexpr size_t kPageSize = 4096;
  const std::string bytes = test_support::ReadFileBytes(file);
  const size_t at = bytes.find("\"seq\":650,\"team\"");
  return at != std::string::npos &&
         test_support::OverwriteOpenFile(file, std::string(kPageSize, 'Z'), static_cast<int64_t>(at / kPageSize * kPageSize));
}

// zhou writes to lin, and the store is damaged in the middle of its history
// while the program is closed. The next start repairs it and says so at
// sign-in: what zhou and lin wrote is still there, the next message and lin's
// answer join it and stay after switching away and back, and the program's
// cache holds what the store holds.
TEST_F(StoreRoadTest, ADamagedStoreIsRepairedWithItsHistoryAndTheUserIsTold) {
  {
    ProgramDriver program;
    HWND main = StartSignedInAsZhou(program, L"40-team.png");
    ASSERT_NE(main, nullptr);
    ASSERT_TRUE(SendInConversation(main, SessionItem(kLinItem), L"before-1"));
    EXPECT_TRUE(WaitForLogLine("Recv direct message : 收到：before-1")) << "lin did not answer";
    EXPECT_TRUE(SaveScreenshot(main, Shot(L"41-before-damage.png")));
    CloseMainWindow(main);
    ASSERT_EQ(program.WaitForExit(), 0);
  }
  // Read back, the store's log is folded into its file, where the damage goes.
  ASSERT_FALSE(StoredMessages("im-zhou-lin").empty());
  ASSERT_TRUE(DamageMiddleOfStore(StoreFile()));
  ProgramDriver program;
  HWND main = StartSignedInAsZhou(program, L"42-team.png", Account::Remembered, L"repaired");
  ASSERT_NE(main, nullptr);
  EXPECT_NE(EventLog().find("store.db is damaged: moved aside"), std::string::npos);
  EXPECT_NE(EventLog().find("the store was damaged and is repaired"), std::string::npos);
  ASSERT_TRUE(SendInConversation(main, SessionItem(kLinItemAfterSending), L"after-2"));
  EXPECT_TRUE(WaitForLogLine("Recv direct message : 收到：after-2")) << "lin did not answer";
  for (const int item : {kGeneralItemAfterSending, kLinItemAfterSending}) {
    ProgramDriver::ClickAt(main, SessionItem(item).x, SessionItem(item).y);
  }
  Sleep(200);  // the view fills and scrolls to its end
  EXPECT_TRUE(SaveScreenshot(main, Shot(L"43-after-switching-back.png")));
  CloseMainWindow(main);
  ASSERT_EQ(program.WaitForExit(), 0);

  Messages stored, cached;
  ReadBack("im-zhou-lin", &stored, &cached);
  for (const char* text : {"before-1", "收到：before-1", "after-2", "收到：after-2"}) {
    EXPECT_EQ(CountOf(stored, text), 1u) << text;
  }
  EXPECT_EQ(cached, stored) << "the cache and the store disagree";
}

// Unix path of a Windows path on drive Z.
std::string UnixPath(const std::wstring& path) {
  std::string unix = test_support::ToCp936(path.substr(2));
  std::replace(unix.begin(), unix.end(), '\\', '/');
  return unix;
}

// The path as every Wine prefix sees it: through drive Z, the root of the
// machine's own file system, rather than through a drive of this prefix.
std::wstring PathOnDriveZ(const std::wstring& path) {
  using ToUnix = char*(CDECL*)(const wchar_t*);
  const auto to_unix =
      reinterpret_cast<ToUnix>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name"));
  char* unix = to_unix ? to_unix(path.c_str()) : nullptr;
  if (!unix) return path;
  std::wstring z = L"Z:" + AnsiToWide(unix);
  HeapFree(GetProcessHeap(), 0, unix);
  std::replace(z.begin(), z.end(), L'/', L'\\');
  return z;
}

std::wstring ResultFile() { return ProgramFolder() + L"\\..\\second-program.txt"; }

// Runs this test program's DISABLED_SecondProgram in a Wine prefix of its own
// (a second Windows, as a second user's would be), on the same service store;
// what it printed, ending in its exit code, or "" when it did not end in time.
std::string RunSecondProgram(const std::wstring& storeFolder) {
  wchar_t self[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  wchar_t prefix[MAX_PATH] = {};
  GetEnvironmentVariableW(L"WINEPREFIX", prefix, MAX_PATH);
  const std::wstring result = ResultFile();
  DeleteFileW(result.c_str());
  // A second prefix made once beside this one, its files linked rather than
  // copied; the user's own folders of the program start empty in it.
  const std::string script =
      "B=\"" + test_support::ToCp936(prefix) + "-second\"; [ -d \"$B\" ] || cp -al \"$WINEPREFIX\" \"$B\"; "
      "rm -rf \"$B\"/drive_c/users/*/Documents/Corvanel; "
      "MIRELOOM_SERVICE_STORE='" + test_support::ToCp936(PathOnDriveZ(storeFolder)) + "' WINEPREFIX=\"$B\" /usr/bin/wine \"" +
      UnixPath(self) + "\" --gtest_also_run_disabled_tests --gtest_filter=StoreRoadTest.DISABLED_SecondProgram > \"" +
      UnixPath(result) + ".part\" 2>&1; echo \"exit $?\" >> \"" + UnixPath(result) + ".part\"; mv \"" +
      UnixPath(result) + ".part\" \"" + UnixPath(result) + "\"";
  const std::wstring script_file = result + L".sh";
  if (!WriteWholeFile(script_file, script.data(), script.size())) return "";
  std::wstring command = L"start.exe /unix /bin/sh \"" + AnsiToWide(UnixPath(script_file)) + L"\"";
  STARTUPINFOW startup = {sizeof startup};
  PROCESS_INFORMATION process = {};
  if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
    return "";
  }
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  std::string printed;
  WaitUntil([&] { return !(printed = test_support::ReadFileBytes(result)).empty(); }, 180000);
  return printed;
}

// zhou's program holds the service's store; a second program (lin's, in a
// Windows of its own) pointed at the same store is refused it: its sign-in
// says so and takes nothing, while zhou goes on writing. The store holds
// zhou's messages and lin's answers under ids of their own.
TEST_F(StoreRoadTest, ASecondProgramOnTheSameStoreIsRefusedAndTheFirstKeepsItsMessages) {
  ProgramDriver program;
  HWND main = StartSignedInAsZhou(program, L"46-team.png");
  ASSERT_NE(main, nullptr);
  ASSERT_TRUE(SendInConversation(main, SessionItem(kLinItem), L"zhou-1"));
  EXPECT_TRUE(WaitForLogLine("Recv direct message : 收到：zhou-1"));
  const std::string second = RunSecondProgram(m_store.Path() + L"\\store.db");
  EXPECT_NE(second.find("[  PASSED  ] 1 test"), std::string::npos) << second;
  EXPECT_NE(second.find("exit 0"), std::string::npos) << second;
  ASSERT_TRUE(SendInConversation(main, SessionItem(kLinItemAfterSending), L"zhou-2"));
  EXPECT_TRUE(WaitForLogLine("Recv direct message : 收到：zhou-2"));
  CloseMainWindow(main);
  ASSERT_EQ(program.WaitForExit(), 0);
  Messages stored, cached;
  ReadBack("im-zhou-lin", &stored, &cached);
  for (const char* text : {"zhou-1", "收到：zhou-1", "zhou-2", "收到：zhou-2"}) EXPECT_EQ(CountOf(stored, text), 1u) << text;
  EXPECT_EQ(cached, stored);
}

// The second program's side of the test above, run by it in a prefix of its
// own: lin's sign-in is refused with the reason, and the program ends.
// A draft that comes back into the input and is sent is no draft any more: a
// program killed before it left the conversation opens it empty next time.
TEST_F(StoreRoadTest, ASentDraftDoesNotComeBackAfterTheProgramIsKilled) {
  const std::wstring draft = L"稍后再发的草稿";
  {
    ProgramDriver program;
    HWND main = StartSignedInAsZhou(program, L"49-team.png");
    ASSERT_NE(main, nullptr);
    HWND input = OpenChatInput(main, SessionItem(kLinItem));
    ASSERT_NE(input, nullptr);
    ProgramDriver::SetText(input, draft);
    // Leaving the conversation stores the draft; coming back puts it into the input.
    ProgramDriver::ClickAndWait(main, SessionItem(0).x, SessionItem(0).y);
    input = OpenChatInput(main, SessionItem(kLinItem));
    ASSERT_NE(input, nullptr);
    ASSERT_TRUE(WaitUntil([&] { return EditText(input) == draft; }, 10000));
    ProgramDriver::PressEnter(input);
    ASSERT_TRUE(WaitForLogLine(("Recv direct message : " + WideToUtf8(draft)).c_str()));
  }  // the driver ends the program as a kill would: nothing is saved on the way out
  ProgramDriver program;
  HWND main = StartSignedInAsZhou(program, L"49-team-again.png", Account::Remembered);
  ASSERT_NE(main, nullptr);
  const HWND input = OpenChatInput(main, SessionItem(kLinItemAfterSending));
  ASSERT_NE(input, nullptr);
  EXPECT_EQ(EditText(input), L"");
  CloseMainWindow(main);
  ASSERT_EQ(program.WaitForExit(), 0);
}

TEST_F(StoreRoadTest, DISABLED_SecondProgram) {
  wchar_t store[MAX_PATH] = {};
  ASSERT_GT(GetEnvironmentVariableW(L"MIRELOOM_SERVICE_STORE", store, MAX_PATH), 0u);
  ProgramDriver program;
  ASSERT_TRUE(program.Launch({{L"MIRELOOM_SERVICE_STORE", store}}));
  HWND login = ChooseTeam(program, L"47-second-team.png");
  ASSERT_NE(login, nullptr);
  SignIn(login, L"lin", L"demo1234");
  ProgramDriver::PressEnter(login);
  const std::wstring told = CloseMessageBox(program, L"48-second-refused.png");
  EXPECT_NE(told.find(L"Another program is using the team service's store"), std::wstring::npos)
      << testing::PrintToString(told);
  EXPECT_EQ(program.WaitForWindow(L"MainWindow", L"Corvanel", 2000), nullptr) << "signed in on a store it cannot keep";
  EXPECT_NE(EventLog().find("is held by another program"), std::string::npos);
  PostMessageW(login, WM_KEYDOWN, VK_ESCAPE, 0);
  EXPECT_EQ(program.WaitForExit(), 0);
}

// A big file picked in the open-file dialog: the upload window keeps the busy
// look until the upload is done, then closes; the program's memory grows by
// far less than the file, and the share is stored.
TEST_F(StoreRoadTest, ABigUploadKeepsItsWindowBusyAndItsMemorySmall) {
  constexpr int kMegabytes = 160;
  constexpr double kMostGrowthMegabytes = 32;
  const test_support::BigFile file(L"big-upload.bin", kMegabytes);
  ASSERT_TRUE(file.Written());
  ProgramDriver program;
  HWND main = StartSignedInAsZhou(program, L"44-team.png");
  ASSERT_NE(main, nullptr);
  ProgramDriver::ClickAt(main, SessionItem(kLinItem).x, SessionItem(kLinItem).y);
  HWND upload = OpenUploadWindow(program, main, file.Path());
  ASSERT_NE(upload, nullptr) << "no upload window";

  const double before = program.WorkingSetMegabytes();
  double most = before;
  bool seen_busy = false;
  const std::string shared = "Recv direct message : 分享了文件: big-upload.bin";
  ProgramDriver::ClickAt(upload, UploadWindowButton().x, UploadWindowButton().y);
  // Until the share arrives, the upload is going on.
  EXPECT_TRUE(WaitUntil(
      [&] {
        most = std::max(most, program.WorkingSetMegabytes());
        if (!seen_busy && IsWindow(upload) && ScreenPixel(upload, kUploadButtonEdge) == kBusyButtonWhite) {
          seen_busy = true;
          EXPECT_TRUE(SaveScreenshot(upload, Shot(L"45-upload-busy.png")));
        }
        return EventLog().find(shared) != std::string::npos;
      },
      60000))
      << "the share never arrived";
  EXPECT_TRUE(seen_busy) << "the upload window never looked busy";
  EXPECT_TRUE(program.WaitForWindowGone(L"UploadFileWnd", 5000)) << "the upload window stayed";
  EXPECT_LE(most - before, kMostGrowthMegabytes) << "from " << before << " MB";
  CloseMainWindow(main);
  ASSERT_EQ(program.WaitForExit(), 0);
  Messages stored, cached;
  ReadBack("im-zhou-lin", &stored, &cached);
  EXPECT_EQ(CountOf(stored, "分享了文件: big-upload.bin"), 1u);
}

}  // namespace
}  // namespace e2e
