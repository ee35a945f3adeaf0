#include "ProgramRoad.h"

#include <cstdio>

#include "app/storage/UserFolders.h"
#include "mireloom/testing.h"
#include "quennet/FileUtils.h"

namespace e2e {
namespace {

// In the main window at its first size: the session list's first item, the
// distance between items, and the chat input.
constexpr POINT kFirstSessionItem = {160, 154};
constexpr int kSessionItemHeight = 46;
constexpr POINT kChatInput = {700, 640};
// The input bar's upload button, the upload window's upload button, and the
// open dialog's file name box (its edit lies inside one or two combo boxes).
constexpr POINT kUploadButton = {385, 587};
constexpr POINT kUploadWindowUpload = {440, 416};
constexpr int kFileNameBox = 0x47C;
// Where an item's row shows its background: right of its name and badge.
constexpr int kSessionRowBackgroundX = 292;
constexpr COLORREF kSelectedSessionRow = RGB(0xDD, 0xF5, 0xF1);

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

bool IsEdit(HWND window) {
  wchar_t name[32] = {};
  GetClassNameW(window, name, 32);
  return _wcsicmp(name, L"Edit") == 0;
}

std::wstring TextOf(HWND window) {
  wchar_t text[MAX_PATH * 2] = {};
  GetWindowTextW(window, text, MAX_PATH * 2);
  return text;
}

// Types into the dialog's file name box and presses its default button,
// then waits until the dialog has taken the name (the box is emptied, or
// the dialog is gone).
bool ChooseInDialog(HWND dialog, const std::wstring& typed) {
  HWND edit = GetDlgItem(dialog, kFileNameBox);
  while (edit && !IsEdit(edit)) edit = GetWindow(edit, GW_CHILD);
  if (!edit) return false;
  ProgramDriver::SetText(edit, typed);
  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
  return WaitUntil([&] { return !IsWindow(dialog) || TextOf(edit) != typed; }, 10000);
}

}  // namespace

size_t CountOf(const std::string& text, const std::string& line) {
  size_t count = 0;
  for (size_t at = text.find(line); at != std::string::npos; at = text.find(line, at + line.size())) ++count;
  return count;
}

bool WaitUntil(const std::function<bool()>& done, DWORD timeout_ms) {
  const DWORD start = GetTickCount();
  while (!done()) {
    if (GetTickCount() - start > timeout_ms) return false;
    Sleep(20);
  }
  return true;
}

void ProgramRoadTest::SetUp() {
  ASSERT_TRUE(EnsureUserDataFolder());
  quennet::FileUtils::SharedFileUtils()->DeleteFolderContentsExcept(test_support::ToCp936(GetUserDataFolder()), {});
}

void ProgramRoadTest::TearDown() {
  if (!HasFailure()) return;
  constexpr size_t kTail = 16 * 1024;
  const std::string log = EventLog();
  printf("---- the event log's end ----\n%s\n----\n", log.substr(log.size() > kTail ? log.size() - kTail : 0).c_str());
}

std::map<std::wstring, std::wstring> ProgramRoadTest::Environment() const {
  return {{L"MIRELOOM_SERVICE_STORE", m_store.Path() + L"\\store.db"}};
}

HWND ProgramRoadTest::ChooseTeam(ProgramDriver& program, const wchar_t* screenshot) {
  HWND team = program.WaitForWindow(L"SubdomainWnd", L"登录团队");
  EXPECT_NE(team, nullptr) << "no team window";
  if (!team) return nullptr;
  EXPECT_TRUE(ProgramDriver::TypeIntoFocus(team, L"demo")) << "the team window opened without the caret in its edit";
  Sleep(100);
  EXPECT_TRUE(SaveScreenshot(team, Shot(screenshot)));
  ProgramDriver::PressEnter(team);
  return program.WaitForWindow(L"LoginWindow", L"登录");
}

void ProgramRoadTest::SignIn(HWND login, const wchar_t* user, const wchar_t* password) {
  EXPECT_TRUE(ProgramDriver::TypeIntoFocus(login, user)) << "the log-in window opened without the caret in its edit";
  EXPECT_TRUE(ProgramDriver::TabAndType(login, password));
  const auto edits = ProgramDriver::Edits(login);
  ASSERT_EQ(edits.size(), 2u);
  EXPECT_NE(GetWindowLongW(edits[1], GWL_STYLE) & ES_PASSWORD, 0) << "the second edit takes the password";
}

std::wstring ProgramRoadTest::CloseMessageBox(ProgramDriver& program, const wchar_t* screenshot) {
  HWND box = program.WaitForWindow(L"#32770", nullptr);
  if (!box) return L"";
  std::wstring text;
  EnumChildWindows(
      box,
      [](HWND child, LPARAM found) {
        wchar_t name[16] = {};
        GetClassNameW(child, name, 16);
        if (_wcsicmp(name, L"Static") == 0) *reinterpret_cast<std::wstring*>(found) += TextOf(child);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&text));
  EXPECT_TRUE(SaveScreenshot(box, Shot(screenshot)));
  PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(box, IDOK)));
  return text;
}

HWND ProgramRoadTest::StartSignedInAsZhou(ProgramDriver& program, const wchar_t* teamScreenshot, Account account,
                                          const wchar_t* notice) {
  // The log may hold an earlier start of the same test: this one ends one line later.
  const char* const kChainDone = "get num unread messages";
  const size_t starts_before = CountOf(EventLog(), kChainDone);
  if (!program.Launch(Environment())) return nullptr;
  HWND login = ChooseTeam(program, teamScreenshot);
  if (!login) return nullptr;
  if (account == Account::Typed) SignIn(login, L"zhou", L"demo1234");
  ProgramDriver::PressEnter(login);
  if (notice) {
    const std::wstring text = CloseMessageBox(program, L"notice.png");
    EXPECT_NE(text.find(notice), std::wstring::npos) << "the sign-in told: " << testing::PrintToString(text);
  }
  HWND main = program.WaitForWindow(L"MainWindow", L"Corvanel");
  if (!main || !WaitForLogLine(kChainDone, 10000, starts_before + 1) || !WaitForFirstSessionItem(main)) return nullptr;
  return main;
}

bool ProgramRoadTest::WaitForFirstSessionItem(HWND main, DWORD timeout_ms) {
  return WaitUntil([main] { return ShowsFilledMainWindow(main); }, timeout_ms);
}

POINT ProgramRoadTest::SessionItem(int index) {
  return {kFirstSessionItem.x, kFirstSessionItem.y + index * kSessionItemHeight};
}

HWND ProgramRoadTest::OpenChatInput(HWND main, POINT item) {
  ProgramDriver::ClickAndWait(main, item.x, item.y);
  const bool open =
      WaitUntil([&] { return ScreenPixel(main, {kSessionRowBackgroundX, item.y}) == kSelectedSessionRow; }, 15000);
  if (!open) return nullptr;
  ProgramDriver::ClickAndWait(main, kChatInput.x, kChatInput.y);
  if (!WaitUntil([main] { return IsRichEdit(FocusOf(main)); }, 15000)) return nullptr;
  return FocusOf(main);
}

bool ProgramRoadTest::SendInConversation(HWND main, POINT item, const std::wstring& text) {
  // The text is set at once, past the window's queue: the clicks are handled
  // first, so that it goes into the input of the conversation it belongs to.
  const HWND input = OpenChatInput(main, item);
  if (!input) return false;
  ProgramDriver::SetText(input, text);
  ProgramDriver::PressEnter(input);
  // Enter takes the text out of the input as the send starts.
  const bool started = WaitUntil([&] { return EditText(input) != text; }, 15000);
  if (!started) ADD_FAILURE() << "Enter left the text in the input";
  return started;
}

HWND ProgramRoadTest::FocusedChatInput(HWND main) {
  const HWND focus = FocusOf(main);
  return IsRichEdit(focus) ? focus : nullptr;
}

std::wstring ProgramRoadTest::EditText(HWND edit) {
  wchar_t text[256] = {};
  SendMessageW(edit, WM_GETTEXT, 256, reinterpret_cast<LPARAM>(text));
  return text;
}

HWND ProgramRoadTest::OpenUploadWindow(ProgramDriver& program, HWND main, const std::wstring& file) {
  ProgramDriver::ClickAt(main, kUploadButton.x, kUploadButton.y);
  HWND dialog = program.WaitForWindow(L"#32770", nullptr);
  if (!dialog) return nullptr;
  for (const std::wstring& typed : {std::wstring(L"C:\\"), file}) {
    if (!ChooseInDialog(dialog, typed)) return nullptr;
  }
  return program.WaitForWindow(L"UploadFileWnd", nullptr);
}

POINT ProgramRoadTest::UploadWindowButton() { return kUploadWindowUpload; }

void ProgramRoadTest::CloseMainWindow(HWND main) {
  RECT client = {};
  GetClientRect(main, &client);
  ProgramDriver::ClickAt(main, client.right - 26, 28);
}

std::string ProgramRoadTest::EventLog() { return test_support::ReadFileBytes(EventLogPath()); }

bool ProgramRoadTest::WaitForLogLine(const char* line, DWORD timeout_ms, size_t times) {
  return WaitUntil([&] { return CountOf(EventLog(), line) >= times; }, timeout_ms);
}

std::wstring ProgramRoadTest::Shot(const wchar_t* name) { return std::wstring(CORVANEL_SCREENSHOT_DIR) + L"\\" + name; }

std::vector<mireloom::Message::Data> ProgramRoadTest::StoredMessages(const std::string& conversation) const {
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

}  // namespace e2e
