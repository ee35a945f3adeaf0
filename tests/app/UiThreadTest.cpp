#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "app/ui/AfterFirstPaint.h"
#include "app/ui/UiThread.h"
#include "duilib/testing.h"

namespace {

// Dispatches this thread's messages until the condition holds or time runs out.
template <typename Condition>
bool PumpUntil(Condition condition, DWORD timeout_ms = 5000) {
  const DWORD start = GetTickCount();
  while (!condition()) {
    if (GetTickCount() - start > timeout_ms) return false;
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    Sleep(1);
  }
  return true;
}

class UiThreadTest : public testing::Test {
 protected:
  void SetUp() override { CUiThread::Attach(); }
  void TearDown() override { CUiThread::Detach(); }
};

TEST_F(UiThreadTest, RunsTasksFromEveryThreadOnTheUiThreadInOrder) {
  constexpr int kThreads = 4;
  constexpr int kTasks = 250;
  const DWORD ui_thread = GetCurrentThreadId();
  std::vector<std::vector<int>> seen(kThreads);
  std::atomic<int> off_thread{0};
  std::atomic<int> done{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      for (int i = 0; i < kTasks; ++i) {
        CUiThread::Post([&, t, i] {
          if (GetCurrentThreadId() != ui_thread) ++off_thread;
          seen[t].push_back(i);
          ++done;
        });
      }
    });
  }
  for (auto& thread : threads) thread.join();
  ASSERT_TRUE(PumpUntil([&] { return done == kThreads * kTasks; }));
  EXPECT_EQ(off_thread.load(), 0);
  for (int t = 0; t < kThreads; ++t) {
    ASSERT_EQ(seen[t].size(), static_cast<size_t>(kTasks));
    for (int i = 0; i < kTasks; ++i) EXPECT_EQ(seen[t][i], i);
  }
  EXPECT_TRUE(CUiThread::IsCurrent());
}

TEST_F(UiThreadTest, SkipsTasksWhoseWindowIsGone) {
  HWND window = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  ASSERT_TRUE(window);
  int ran = 0;
  CUiThread::Post(window, [&] { ++ran; });
  ASSERT_TRUE(PumpUntil([&] { return ran == 1; }));

  CUiThread::Post(window, [&] { ++ran; });
  DestroyWindow(window);
  bool marker = false;
  CUiThread::Post([&] { marker = true; });
  ASSERT_TRUE(PumpUntil([&] { return marker; }));
  EXPECT_EQ(ran, 1);
}

TEST_F(UiThreadTest, SkipsTasksWhoseGuardDied) {
  auto guard = std::make_unique<CLifetimeGuard>();
  int ran = 0;
  std::thread([&, token = guard->Token()] { CUiThread::Post(token, [&] { ++ran; }); }).join();
  guard.reset();
  bool marker = false;
  CUiThread::Post([&] { marker = true; });
  ASSERT_TRUE(PumpUntil([&] { return marker; }));
  EXPECT_EQ(ran, 0);
}

// A task that runs a modal loop (a dialog opened from a completion) must not
// hold back the tasks posted behind it.
TEST_F(UiThreadTest, LaterTasksRunInsideANestedLoop) {
  std::vector<std::string> order;
  bool inner_ran = false;
  CUiThread::Post([&] {
    order.push_back("outer starts");
    CUiThread::Post([&] {
      order.push_back("inner");
      inner_ran = true;
    });
    PumpUntil([&] { return inner_ran; }, 2000);  // stands for a modal window's loop
    order.push_back("outer ends");
  });
  ASSERT_TRUE(PumpUntil([&] { return order.size() == 3; }));
  EXPECT_EQ(order, (std::vector<std::string>{"outer starts", "inner", "outer ends"}));
}

TEST_F(UiThreadTest, ATaskThatThrowsDoesNotStopTheOthers) {
  bool after = false;
  CUiThread::Post([] { throw std::runtime_error("boom"); });
  CUiThread::Post([&] { after = true; });
  EXPECT_TRUE(PumpUntil([&] { return after; }));
}

TEST(UiThreadDetachedTest, DropsTasksWhenNoThreadIsAttached) {
  CUiThread::Detach();
  bool ran = false;
  CUiThread::Post([&] { ran = true; });
  DuiLib::Testing::PumpPending();
  EXPECT_FALSE(ran);
  EXPECT_FALSE(CUiThread::IsCurrent());
}

// Start-up work waits until the first window has painted; once dropped, it
// never runs.
TEST_F(UiThreadTest, StartUpWorkRunsAfterThePendingPaintAndDroppedWorkNever) {
  static std::vector<std::string>* events = nullptr;
  std::vector<std::string> seen;
  events = &seen;
  WNDCLASSEXW window_class = {sizeof window_class};
  window_class.lpfnWndProc = [](HWND window, UINT message, WPARAM wParam, LPARAM lParam) -> LRESULT {
    if (message != WM_PAINT) return DefWindowProcW(window, message, wParam, lParam);
    PAINTSTRUCT paint;
    BeginPaint(window, &paint);
    EndPaint(window, &paint);
    events->push_back("paint");
    return 0;
  };
  window_class.hInstance = GetModuleHandleW(nullptr);
  window_class.lpszClassName = L"StartUpWorkTestWindow";
  ASSERT_NE(RegisterClassExW(&window_class), 0);

  RunAfterFirstPaint([&seen] { seen.push_back("work"); });
  HWND window = CreateWindowExW(0, window_class.lpszClassName, L"", WS_POPUP | WS_VISIBLE, 0, 0, 200, 100, nullptr,
                                nullptr, window_class.hInstance, nullptr);
  ASSERT_NE(window, nullptr);
  ASSERT_TRUE(PumpUntil([&seen] { return std::count(seen.begin(), seen.end(), "work") == 1; }));
  EXPECT_EQ(seen.front(), "paint");

  RunAfterFirstPaint([&seen] { seen.push_back("dropped"); });
  DropStartUpWork();
  RunAfterFirstPaint([&seen] { seen.push_back("after"); });
  ASSERT_TRUE(PumpUntil([&seen] { return seen.back() == "after"; }));
  EXPECT_EQ(std::count(seen.begin(), seen.end(), "dropped"), 0);
  DestroyWindow(window);
  UnregisterClassW(window_class.lpszClassName, window_class.hInstance);
}

}  // namespace
