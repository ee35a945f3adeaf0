// The contacts panel over a generated team of 5,000 members with their
// avatars cached, as after a sign-in: the tree by letter built by the first
// click on the contacts button, wheel steps with their repaints, a user group
// of 1,000 members expanded, search keystrokes, the process's memory, and
// the most threads it ran at any time. A benchmark, not a test: it prints the
// figures.

#include <windows.h>
#include <psapi.h>

#include "MainWindowBenchmark.h"
#include "support/ProcessFigures.h"

namespace {

namespace core = mireloom::testing;
using namespace DuiLib;
using benchmark_timing::Clock;
using benchmark_timing::Median;
using benchmark_timing::Milliseconds;

constexpr int kMembers = 5000;
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
  // Each keystroke narrows the results: 5,000, 5,000, 1,111 and 111 members.
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

  printf("contacts panel of a team of %d members (%d rows in the tree by letter):\n", kMembers, rows);
  printf("  first contacts click, tree built: %.1f ms, then its first paint: %.1f ms\n", build, firstPaint);
  printf("  wheel step with its repaint, median of %d: %.2f ms, slowest %.2f ms\n", kWheelSteps, Median(wheels),
         *std::max_element(wheels.begin(), wheels.end()));
  printf("  group of %d members expanded and painted: %.1f ms (%d nodes)\n", kGroupMembers, expand, expanded);
  printf("  search keystrokes with their repaints:");
  for (size_t i = 0; i < keystrokes.size(); ++i) printf(" %.1f ms (%d rows)", keystrokes[i], results[i]);
  printf("\n  wheel step over the last results with its repaint, median of %d: %.2f ms, slowest %.2f ms\n", kWheelSteps,
         Median(resultWheels), *std::max_element(resultWheels.begin(), resultWheels.end()));
  printf("  private bytes, median of %d idle readings: %.1f MB with the window open, %.1f MB after all of the above\n",
         kMemoryReadings, before.privateMegabytes, after.privateMegabytes);
  printf("  working set (moves between runs): %.1f MB with the window open, %.1f MB after all of the above\n",
         before.workingSetMegabytes, after.workingSetMegabytes);
  mireloomwnd::WindowManager::GetInstance()->CloseMainWnd();
}

}  // namespace

int main() {
  // From the team's generation to the window's end: the sign-in, the avatars'
  // downloads and everything measured.
  test_support::PeakFigures peak(kThreadReadingPeriodMs);
  const int result = benchmark_timing::RunMainWindowBenchmark([] { core::GenerateTeam(kMembers, 0); }, [] {}, Measure);
  peak.Stop();
  printf("  threads: at most %d at any time, %d at the end\n", peak.Threads(), test_support::ThreadCount());
  return result;
}
