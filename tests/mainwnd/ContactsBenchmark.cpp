// The contacts panel over the demo team and over teams of 5,000 and 10,000
// generated members, each with its avatars cached, as after a sign-in: the
// tree by letter built by the first click on the contacts button, wheel steps
// with their repaints, a user group of 1,000 members expanded, search
// keystrokes, the process's memory, and the most threads it ran at any time.
// Each team runs in a process of its own (this program started again with
// the team's size), so that its memory is its own; the figures of all three
// are printed side by side at the end. A benchmark, not a test.

#include <windows.h>
#include <psapi.h>
#include <shellapi.h>

#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <string>

#include "MainWindowBenchmark.h"
#include "support/ProcessFigures.h"

namespace {

namespace core = mireloom::testing;
using namespace DuiLib;
using benchmark_timing::Clock;
using benchmark_timing::Median;
using benchmark_timing::Milliseconds;

// Generated members besides the demo team's own.
constexpr int kTeams[] = {0, 5000, 10000};
constexpr int kGroupMembers = 1000;
constexpr int kWheelSteps = 60;
constexpr const char* kGroupId = "grp-bench";

// A root group holding the first 1,000 generated members.
void PreloadBigGroup() {
  core::PreloadUsergroups({{kGroupId, "千人组", "", kGroupMembers}});
  std::vector<mireloom::Membership::Data> memberships;
  for (int i = 0; i < kGroupMembers; ++i) memberships.push_back({kGroupId, "usr-gen" + std::to_string(i)});
  core::PreloadMemberships(memberships);
}

constexpr int kMemoryReadings = 5;
// Threads are read this often while it runs: often enough for a burst of
// workers, which live for seconds, and seldom enough to leave the timings be.
constexpr unsigned long kThreadReadingPeriodMs = 20;

// The working set moves with what Wine and the system page in and out; the
// private bytes are what the process itself holds: its committed private
// memory. The median of a few readings, each after the window's queue has run
// dry, is what it holds idle.

struct MemoryFigures {
  double privateMegabytes;
  double workingSetMegabytes;
};

MemoryFigures IdleMemory() {
  std::vector<double> privates;
  std::vector<double> workingSets;
  for (int i = 0; i < kMemoryReadings; ++i) {
    if (!core::WaitIdle()) printf("the core is still busy\n");
    Testing::PumpPending();
    PROCESS_MEMORY_COUNTERS_EX memory = {};
    memory.cb = sizeof memory;
    GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory), sizeof memory);
    privates.push_back(memory.PrivateUsage > 0 ? memory.PrivateUsage / 1048576.0 : test_support::PrivateMegabytes());
    workingSets.push_back(memory.WorkingSetSize / 1048576.0);
  }
  return {Median(privates), Median(workingSets)};
}

CTreeNodeUI* NodeWithUserData(CControlUI* treeControl, const wchar_t* id) {
  auto* tree = treeControl ? static_cast<CListUI*>(treeControl->GetInterface(L"List")) : nullptr;
  for (int i = 0; tree && i < tree->GetCount(); ++i) {
    if (tree->GetItemAt(i)->GetUserData() == id) return static_cast<CTreeNodeUI*>(tree->GetItemAt(i)->GetInterface(L"TreeNode"));
  }
  return nullptr;
}

// Each wheel step down over the control with its repaint.
std::vector<double> WheelSteps(HWND window, const wchar_t* control) {
  std::vector<double> steps;
  for (int i = 0; i < kWheelSteps; ++i) {
    const auto start = Clock::now();
    Testing::Wheel(window, control, -1);
    RedrawWindow(window, nullptr, nullptr, RDW_UPDATENOW);
    steps.push_back(Milliseconds(start));
  }
  return steps;
}

// The team of this run and what it measured, in the order printed.
int g_members = 0;
std::vector<std::pair<std::string, double>> g_figures;

void Note(const std::string& name, double value) { g_figures.emplace_back(name, value); }

void Measure() {
  mireloomwnd::MainWnd* main = mireloomwnd::WindowManager::GetInstance()->GetMainWnd();
  const HWND window = main->GetHWND();
  CPaintManagerUI* manager = Testing::ManagerOf(window);
  UpdateWindow(window);
  const MemoryFigures before = IdleMemory();

  auto start = Clock::now();
  Testing::Click(window, L"contacts_btn");
  const double build = Milliseconds(start);
  start = Clock::now();
  RedrawWindow(window, nullptr, nullptr, RDW_UPDATENOW);
  const double firstPaint = Milliseconds(start);
  const int rows = static_cast<CListUI*>(manager->FindControl(L"contacts_tree")->GetInterface(L"List"))->GetCount();

  const std::vector<double> wheels = WheelSteps(window, L"contacts_tree");

  // The window's start fetched the team's groups over the cache: the big
  // group goes in once that has settled, before the tree reads it.
  if (!core::WaitIdle()) printf("the core is still busy\n");
  PreloadBigGroup();
  Testing::Click(window, L"contacts_by_organization_btn");
  RedrawWindow(window, nullptr, nullptr, RDW_UPDATENOW);
  CTreeNodeUI* group = NodeWithUserData(manager->FindControl(L"organization_tree"), L"grp-bench");
  double expand = -1;
  int expanded = 0;
  if (group) {
    start = Clock::now();
    group->GetFolderButton()->Selected(true, true);
    RedrawWindow(window, nullptr, nullptr, RDW_UPDATENOW);
    expand = Milliseconds(start);
    expanded = group->GetCountChild();
  }

  Testing::Click(window, L"contacts_by_letter_btn");
  // The user clicks into the search box before typing.
  Testing::Click(window, L"search");
  Testing::PumpPending();
  // Each keystroke narrows the results: of 5,000 generated members 5,000,
  // 5,000, 1,111 and 111.
  std::vector<double> keystrokes;
  std::vector<int> results;
  for (const wchar_t* key : {L"成", L"员", L"4", L"2"}) {
    start = Clock::now();
    Testing::TypeText(window, L"search", key);
    RedrawWindow(window, nullptr, nullptr, RDW_UPDATENOW);
    keystrokes.push_back(Milliseconds(start));
    results.push_back(static_cast<CListUI*>(manager->FindControl(L"sessionList")->GetInterface(L"List"))->GetCount());
  }
  // Scrolling the last results makes the rows that come into view.
  const std::vector<double> resultWheels = WheelSteps(window, L"sessionList");
  const MemoryFigures after = IdleMemory();

  Note("rows in the tree by letter", rows);
  Note("contacts opening pause: click and first paint, ms", build + firstPaint);
  Note("  of which the click, tree built, ms", build);
  Note("wheel step with its repaint, median, ms", Median(wheels));
  Note("wheel step with its repaint, slowest, ms", *std::max_element(wheels.begin(), wheels.end()));
  Note("group of 1,000 expanded and painted, ms", expand);
  Note("  nodes it shows", expanded);
  for (size_t i = 0; i < keystrokes.size(); ++i) {
    Note("search keystroke " + std::to_string(i + 1) + " with its repaint, ms", keystrokes[i]);
    Note("  rows it leaves", results[i]);
  }
  Note("wheel step over the results, median, ms", Median(resultWheels));
  Note("wheel step over the results, slowest, ms", *std::max_element(resultWheels.begin(), resultWheels.end()));
  Note("private bytes with the window open, MB", before.privateMegabytes);
  Note("private bytes after contacts, tree and search, MB", after.privateMegabytes);
  Note("working set with the window open, MB (moves)", before.workingSetMegabytes);
  Note("working set after all, MB (moves)", after.workingSetMegabytes);
  mireloomwnd::WindowManager::GetInstance()->CloseMainWnd();
}

// One team in this process: its figures go to the results file, a line each.
int RunOneTeam(int members, const std::wstring& results) {
  g_members = members;
  // From the team's generation to the window's end: the sign-in, the avatars'
  // downloads and everything measured.
  test_support::PeakFigures peak(kThreadReadingPeriodMs);
  const int result =
      benchmark_timing::RunMainWindowBenchmark([] { core::GenerateTeam(g_members, 0); }, [] {}, Measure);
  peak.Stop();
  Note("threads at most at any time", peak.Threads());
  std::ofstream out(results.c_str());
  for (const auto& [name, value] : g_figures) out << name << '\t' << value << '\n';
  return result;
}

// Runs this program again for the team; false when it did not finish.
bool RunTeamProcess(int members, const std::wstring& results) {
  wchar_t own[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, own, MAX_PATH);
  std::wstring command = L"\"" + std::wstring(own) + L"\" " + std::to_wstring(members) + L" \"" + results + L"\"";
  STARTUPINFOW startup = {sizeof startup};
  PROCESS_INFORMATION process = {};
  if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
    return false;
  }
  WaitForSingleObject(process.hProcess, INFINITE);
  DWORD code = 1;
  GetExitCodeProcess(process.hProcess, &code);
  CloseHandle(process.hProcess);
  CloseHandle(process.hThread);
  return code == 0;
}

std::vector<std::pair<std::string, double>> ReadFigures(const std::wstring& results) {
  std::vector<std::pair<std::string, double>> figures;
  std::ifstream in(results.c_str());
  std::string line;
  while (std::getline(in, line)) {
    const size_t tab = line.find('\t');
    if (tab != std::string::npos) figures.emplace_back(line.substr(0, tab), std::atof(line.c_str() + tab + 1));
  }
  return figures;
}

// Every team in its own process, then the figures side by side.
int RunAllTeams() {
  wchar_t temp[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, temp);
  std::vector<std::vector<std::pair<std::string, double>>> columns;
  for (int members : kTeams) {
    const std::wstring results = std::wstring(temp) + L"contacts-benchmark-" + std::to_wstring(members) + L".txt";
    DeleteFileW(results.c_str());
    if (!RunTeamProcess(members, results)) printf("the run with %d generated members failed\n", members);
    columns.push_back(ReadFigures(results));
    DeleteFileW(results.c_str());
  }
  printf("contacts panel, the demo team and generated members added to it:\n");
  printf("%-52s %10s %10s %10s\n", "", "demo", "+5,000", "+10,000");
  for (size_t row = 0; row < columns.front().size(); ++row) {
    printf("%-52s", columns.front()[row].first.c_str());
    for (const auto& column : columns) {
      if (row < column.size()) printf(" %10.1f", column[row].second);
    }
    printf("\n");
  }
  return 0;
}

}  // namespace

int main() {
  int count = 0;
  LPWSTR* arguments = CommandLineToArgvW(GetCommandLineW(), &count);
  const int result = count >= 3 ? RunOneTeam(_wtoi(arguments[1]), arguments[2]) : RunAllTeams();
  LocalFree(arguments);
  return result;
}
