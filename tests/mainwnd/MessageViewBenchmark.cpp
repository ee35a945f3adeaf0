// The message view of "历史" (chn-history), whose 1,000 messages fill 50
// pages: opening its newest page, the 50 pages through "load more" (once that
// button is handled), a burst of incoming messages in chunks of 100 (the cost
// of one should not grow with the view), the layout of the whole view of
// 1,000 and more items, and wheel steps with their repaints. A benchmark, not
// a test: it prints the times. Run by hand after a build:
//   cd build && WINEPREFIX=$PWD/wineprefix wine tests/mainwnd/message_view_benchmark.exe

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "app/frame/WindowManager.h"
#include "duilib/testing.h"
#include "MainWindowBenchmark.h"
#include "mainwnd/MainWnd.h"
#include "mireloom/testing.h"

namespace {

namespace core = mireloom::testing;
using benchmark_timing::Clock;
using benchmark_timing::Median;
using benchmark_timing::Milliseconds;

constexpr const char* kHistory = "chn-history";
constexpr const char* kEmpty = "im-zhou-bench";
constexpr int kOpenings = 9;
constexpr int kBurst = 500;
constexpr int kChunk = 100;
constexpr int kWheelSteps = 60;
constexpr int kPages = 50;

HWND MainWindow() { return mireloomwnd::WindowManager::GetInstance()->GetMainWnd()->GetHWND(); }

DuiLib::CListUI* View() {
  DuiLib::CControlUI* view = DuiLib::Testing::ManagerOf(MainWindow())->FindControl(L"chat_display");
  return view ? static_cast<DuiLib::CListUI*>(view->GetInterface(L"List")) : nullptr;
}

int ViewCount() { return View() ? View()->GetCount() : 0; }

void Repaint() { RedrawWindow(MainWindow(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW); }

void Open(const char* id) {
  mireloomwnd::WindowManager::GetInstance()->GetMainWnd()->RefreshAndSelectSession(id, false);
  Repaint();
}

double MedianOpening(const char* id) {
  std::vector<double> openings;
  for (int i = 0; i < kOpenings; ++i) {
    Open("chn-general");
    const auto start = Clock::now();
    Open(id);
    openings.push_back(Milliseconds(start));
  }
  return Median(openings);
}

// An empty conversation opens with everything but the messages, so the
// difference is what its page of 20 costs the view.
void MeasureOpening() {
  const double empty = MedianOpening(kEmpty);
  const double history = MedianOpening(kHistory);
  printf("  open its newest page (%d entries) with the first paint, median of %d: %.1f ms\n", ViewCount(),
         kOpenings, history);
  printf("    of which its 20 messages: %.1f ms (an empty conversation opens in %.1f ms)\n", history - empty, empty);
}

// "load more" builds the view again from the cache with one more page; the
// last click shows all 50 pages.
void MeasureFiftyPages() {
  Open(kHistory);
  double last = 0;
  int clicks = 0;
  for (; clicks < kPages - 1; ++clicks) {
    const int before = ViewCount();
    const auto start = Clock::now();
    if (!DuiLib::Testing::Click(MainWindow(), L"load_more")) break;
    Repaint();
    last = Milliseconds(start);
    if (ViewCount() <= before) break;
  }
  if (clicks < kPages - 1) {
    printf("  50 pages: \"load more\" showed no older page after %d clicks (not handled in this build)\n", clicks);
  } else {
    printf("  50 pages through \"load more\" (%d entries): the last page built, laid out and painted in %.1f ms\n",
           ViewCount(), last);
  }
}

// The service's messages again, as new ones arriving in the open
// conversation. The core stores each one before it reaches the window; the
// view's own share is the time from the last store to the last item shown.
void MeasureBurst(const std::vector<mireloom::Message::Data>& history, int offset, const char* what) {
  std::vector<double> stored;
  std::vector<double> shown;
  for (int done = 0; done < kBurst; done += kChunk) {
    const int target = ViewCount() + kChunk;
    auto start = Clock::now();
    for (int i = 0; i < kChunk; ++i) {
      mireloom::Message::Data message = history[(offset + done + i) % history.size()];
      message.message_id = "bench-" + std::to_string(offset + done + i);
      message.timestamp = 0;
      core::InjectMessage(message);
    }
    stored.push_back(Milliseconds(start) / kChunk);
    start = Clock::now();
    DuiLib::Testing::PumpUntil([target] { return ViewCount() >= target; }, 60000);
    shown.push_back(Milliseconds(start) / kChunk);
  }
  printf("  %s, ms per message in each chunk of %d:\n    stored by the core:", what, kChunk);
  for (double chunk : stored) printf(" %.2f", chunk);
  printf("\n    then shown by the view:");
  for (double chunk : shown) printf(" %.2f", chunk);
  printf("\n");
}

void MeasureLayoutAndScroll() {
  DuiLib::CListUI* view = View();
  std::vector<double> layouts;
  for (int i = 0; i < 5; ++i) {
    const auto start = Clock::now();
    view->NeedUpdate();
    Repaint();
    layouts.push_back(Milliseconds(start));
  }
  printf("  the whole view of %d entries laid out and painted again, median of 5: %.1f ms\n", view->GetCount(),
         Median(layouts));
  view->SetScrollPos({0, view->GetScrollRange().cy / 2});
  Repaint();
  std::vector<double> wheels;
  for (int i = 0; i < kWheelSteps; ++i) {
    const auto start = Clock::now();
    DuiLib::Testing::Wheel(MainWindow(), L"chat_display", i % 20 < 10 ? -1 : 1);
    RedrawWindow(MainWindow(), nullptr, nullptr, RDW_UPDATENOW);
    wheels.push_back(Milliseconds(start));
  }
  printf("  wheel step with its repaint, median of %d: %.2f ms, slowest %.2f ms\n", kWheelSteps, Median(wheels),
         *std::max_element(wheels.begin(), wheels.end()));
}

void Measure() {
  const bool filled = DuiLib::Testing::PumpUntil(
      [] { return DuiLib::Testing::ManagerOf(MainWindow())->FindControl(L"channelItem_chn-history") != nullptr; },
      30000);
  if (!filled || !core::WaitIdle()) {
    printf("the main window did not fill its list\n");
    mireloomwnd::WindowManager::GetInstance()->CloseMainWnd();
    return;
  }
  const std::vector<mireloom::Message::Data> history = core::ServiceMessages(kHistory);
  printf("message view of %s (%zu messages):\n", kHistory, history.size());
  MeasureOpening();
  MeasureFiftyPages();
  Open(kHistory);
  MeasureBurst(history, 0, "burst 500 on its newest page");
  MeasureBurst(history, kBurst, "500 more");
  MeasureLayoutAndScroll();
  mireloomwnd::WindowManager::GetInstance()->CloseMainWnd();
}

}  // namespace

int main() {
  return benchmark_timing::RunMainWindowBenchmark([] {}, [] {
    // Every page in the cache, as after the user has read the whole history.
    core::PreloadMessages(core::ServiceMessages(kHistory));
    core::PreloadIMs({{kEmpty, "usr-sun"}});
  }, Measure);
}
