// Cold start of the client to its first window, against the smallest program
// that shows one, both started the same way; then zhou's sign-in to a filled
// main window, and the program's memory, on the demo team and on it with
// 5,000 and with 10,000 generated members more, side by side. A benchmark,
// not a test: it prints the figures.

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include <psapi.h>

#include "app/storage/UserFolders.h"
#include "app/text/TextHelpers.h"
#include "GeneratedTeam.h"
#include "ProgramDriver.h"
#include "quennet/FileUtils.h"
#include "quennet/WinHandles.h"

namespace {

constexpr int kRuns = 7;

struct Started {
  PROCESS_INFORMATION process{};
  DWORD start = 0;
};

Started Start(const std::wstring& exe, const std::wstring& folder) {
  Started started;
  std::wstring command = L"\"" + exe + L"\"";
  STARTUPINFOW startup = {sizeof startup};
  started.start = GetTickCount();
  CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &startup,
                 &started.process);
  return started;
}

// Milliseconds until a visible window of the process with the class appears.
DWORD TimeToWindow(const Started& started, const wchar_t* window_class) {
  for (;;) {
    HWND window = nullptr;
    while ((window = FindWindowExW(nullptr, window, window_class, nullptr)) != nullptr) {
      DWORD process = 0;
      GetWindowThreadProcessId(window, &process);
      if (process == started.process.dwProcessId && IsWindowVisible(window)) return GetTickCount() - started.start;
    }
    if (GetTickCount() - started.start > 20000) return 20000;
    Sleep(1);
  }
}

void Stop(Started& started) {
  TerminateProcess(started.process.hProcess, 0);
  WaitForSingleObject(started.process.hProcess, 5000);
  CloseHandle(started.process.hProcess);
  CloseHandle(started.process.hThread);
}

DWORD Median(std::vector<DWORD> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

std::vector<DWORD> Measure(const std::wstring& exe, const std::wstring& folder, const wchar_t* window_class) {
  std::vector<DWORD> times;
  for (int run = 0; run < kRuns; ++run) {
    Started started = Start(exe, folder);
    times.push_back(TimeToWindow(started, window_class));
    Stop(started);
    Sleep(200);
  }
  return times;
}

// ---- Sign-in to a filled main window ----

constexpr POINT kFirstItemIcon = {102, 152};
// A big team's sign-in took the best part of a minute: long enough to time it.
constexpr DWORD kLongestSignInMs = 120000;
constexpr int kWarmUpSwitches = 20;
constexpr int kConversationSwitches = 100;

size_t WorkingSetMb(HANDLE process) {
  PROCESS_MEMORY_COUNTERS counters = {sizeof counters};
  return GetProcessMemoryInfo(process, &counters, sizeof counters) ? counters.WorkingSetSize / (1024 * 1024) : 0;
}

// Waits until the window has handled everything posted to it so far.
void Drain(HWND window) {
  DWORD_PTR ignored = 0;
  SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &ignored);
}

// A service store of its own for each run: the demo team as it starts.
std::wstring FreshStorePath(int run) {
  wchar_t folder[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, folder);
  const std::wstring path = std::wstring(folder) + L"corvanel-benchmark-store-" + std::to_wstring(run) + L".db";
  DeleteFileW(path.c_str());
  return path;
}

struct SignInRun {
  DWORD toFilledWindow = 0;
  size_t memoryMb = 0;
  size_t memoryAfterWarmUpMb = 0;
  size_t memoryAfterSwitchesMb = 0;
};

// Signs zhou in on the demo team from the team window: Enter in the log-in
// window to the first frame that shows the list and the avatar.
// A second sign-in finds the account and its password filled in.
enum class Account { Typed, Remembered };

SignInRun SignInOnce(const std::wstring& store, const std::wstring& demoFolder, Account account) {
  SignInRun run;
  e2e::ProgramDriver program;
  std::map<std::wstring, std::wstring> environment = {{L"MIRELOOM_SERVICE_STORE", store}};
  if (!demoFolder.empty()) environment[L"MIRELOOM_DEMO_FOLDER"] = demoFolder;
  if (!program.Launch(environment)) return run;
  HWND team = program.WaitForWindow(L"SubdomainWnd", L"登录团队");
  if (!team || !e2e::ProgramDriver::TypeIntoFocus(team, L"demo")) return run;
  e2e::ProgramDriver::PressEnter(team);
  HWND login = program.WaitForWindow(L"LoginWindow", L"登录");
  if (!login) return run;
  if (account == Account::Typed && (!e2e::ProgramDriver::TypeIntoFocus(login, L"zhou") ||
                                    !e2e::ProgramDriver::TabAndType(login, L"demo1234"))) {
    return run;
  }
  const DWORD pressed = GetTickCount();
  e2e::ProgramDriver::PressEnter(login);
  HWND main = program.WaitForWindow(L"MainWindow", L"Corvanel", kLongestSignInMs);
  if (!main) return run;
  while (!e2e::ShowsFilledMainWindow(main) && GetTickCount() - pressed < kLongestSignInMs) Sleep(1);
  run.toFilledWindow = GetTickCount() - pressed;

  HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, program.ProcessId());
  run.memoryMb = WorkingSetMb(process);
  // Conversations opened one after the other, as clicks on the first two
  // items; the first ones make what every later one reuses (the input's
  // native window, caches).
  auto switchConversations = [main](int count) {
    for (int i = 0; i < count; ++i) {
      e2e::ProgramDriver::ClickAt(main, kFirstItemIcon.x, kFirstItemIcon.y + (i % 2) * 46);
      Drain(main);
    }
  };
  switchConversations(kWarmUpSwitches);
  run.memoryAfterWarmUpMb = WorkingSetMb(process);
  switchConversations(kConversationSwitches);
  run.memoryAfterSwitchesMb = WorkingSetMb(process);
  CloseHandle(process);
  RECT client = {};
  GetClientRect(main, &client);
  e2e::ProgramDriver::ClickAt(main, client.right - 26, 28);
  program.WaitForExit();
  return run;
}

// A team the sign-in is measured on: the demo team and generated members.
struct Team {
  const char* label;
  int generatedMembers;
  int runs;  // a big team's sign-in takes its while: fewer runs
};
constexpr Team kTeams[] = {{"demo", 0, kRuns}, {"+5,000", 5000, 3}, {"+10,000", 10000, 3}};

struct TeamFigures {
  DWORD first = 0;
  DWORD again = 0;
  SignInRun last;
};

TeamFigures MeasureSignIn(const Team& team) {
  TeamFigures figures;
  const e2e::GeneratedTeam generated(team.generatedMembers);
  const std::wstring demoFolder = team.generatedMembers > 0 ? generated.DemoFolder() : std::wstring();
  if (team.generatedMembers > 0 && !generated.IsReady()) printf("the team of %s could not be made\n", team.label);
  std::vector<DWORD> first;
  std::vector<DWORD> again;
  for (int run = 0; run < team.runs; ++run) {
    // A first sign-in: nothing cached, the list fills once the main window's
    // fetch chain is done. Then the same account again, with its cache.
    quennet::FileUtils::SharedFileUtils()->DeleteFolderContentsExcept(WideToAnsi(GetUserDataFolder()), {});
    quennet::FileUtils::SharedFileUtils()->DeleteFolderContentsExcept(GetDownloadTmpFolder(), {});
    const std::wstring store = FreshStorePath(run);
    first.push_back(SignInOnce(store, demoFolder, Account::Typed).toFilledWindow);
    figures.last = SignInOnce(store, demoFolder, Account::Remembered);
    again.push_back(figures.last.toFilledWindow);
    DeleteFileW(store.c_str());
  }
  figures.first = Median(first);
  figures.again = Median(again);
  return figures;
}

void MeasureSignIns() {
  std::vector<TeamFigures> figures;
  for (const Team& team : kTeams) figures.push_back(MeasureSignIn(team));
  printf("log-in pressed to a filled main window (list, badges, avatar), median of the runs:\n");
  printf("%-58s", "");
  for (const Team& team : kTeams) printf(" %10s", team.label);
  printf("\n");
  const auto row = [&figures](const char* name, auto value) {
    printf("%-58s", name);
    for (const TeamFigures& team : figures) printf(" %10.1f", static_cast<double>(value(team)));
    printf("\n");
  };
  row("first sign-in, empty cache, ms", [](const TeamFigures& f) { return f.first; });
  row("  times the demo team's", [&figures](const TeamFigures& f) { return f.first / std::max(1.0, 1.0 * figures[0].first); });
  row("signing in again, ms", [](const TeamFigures& f) { return f.again; });
  row("  times the demo team's", [&figures](const TeamFigures& f) { return f.again / std::max(1.0, 1.0 * figures[0].again); });
  row("working set after signing in again, MB", [](const TeamFigures& f) { return f.last.memoryMb; });
  row("  after 20 conversation switches, MB", [](const TeamFigures& f) { return f.last.memoryAfterWarmUpMb; });
  row("  after 100 more, MB", [](const TeamFigures& f) { return f.last.memoryAfterSwitchesMb; });
  printf("runs: %d, %d and %d\n", kTeams[0].runs, kTeams[1].runs, kTeams[2].runs);
}

}  // namespace

int main() {
  wchar_t own[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, own, MAX_PATH);
  std::wstring own_folder = own;
  own_folder.resize(own_folder.find_last_of(L'\\'));
  const std::wstring program_folder = e2e::ProgramFolder();

  const auto plain = Measure(own_folder + L"\\plain_window.exe", own_folder, L"PlainBenchWindow");
  const auto client = Measure(program_folder + L"\\Corvanel.exe", program_folder, L"SubdomainWnd");
  printf("start to first window, median of %d runs under Wine:\n", kRuns);
  printf("  plain Win32 window: %lu ms\n", Median(plain));
  printf("  Corvanel team window: %lu ms\n", Median(client));
  printf("  ratio: %.2f\n", static_cast<double>(Median(client)) / std::max<DWORD>(1, Median(plain)));
  MeasureSignIns();
  return 0;
}
