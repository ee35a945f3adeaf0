// The emoji picker's opening: from the window manager's Show to the end of the
// picker's first paint with its 824 pictures, for the process's first opening
// (every picture read and decoded) and for later ones (the framework's image
// cache warm), split into building the window and painting it. A benchmark,
// not a test: it prints the times. Run from the build folder:
//   wine tests/emoji/emoji_picker_benchmark.exe

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include "app/frame/WindowManager.h"
#include "duilib/testing.h"
#include "support/LaidOutProgram.h"

namespace {

using Clock = std::chrono::steady_clock;
using mireloomwnd::WindowManager;

constexpr int kLaterOpenings = 15;

double Milliseconds(Clock::time_point from, Clock::time_point to) {
  return std::chrono::duration<double, std::milli>(to - from).count();
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

struct Opening {
  double built = 0;    // Show until the picker's loop runs: creation, skin, grid
  double painted = 0;  // Show until the first paint has ended
};

// Runs inside the picker's loop, before the paint that the loop would do
// next: the paint is forced here, timed, and the picker closed.
Opening OpenOnce() {
  Opening opening;
  const auto start = Clock::now();
  DuiLib::Testing::PostToLoop([&] {
    const auto inLoop = Clock::now();
    HWND picker = WindowManager::GetInstance()->Get(mireloomwnd::WindowSlot::SelectEmojiWnd)->GetHWND();
    UpdateWindow(picker);
    const auto painted = Clock::now();
    opening.built = Milliseconds(start, inLoop);
    opening.painted = Milliseconds(start, painted);
    WindowManager::GetInstance()->CloseSelectEmojiWnd();
  });
  WindowManager::GetInstance()->ShowSelectEmojiWnd("im-zhou-lin", 200, 200);
  return opening;
}

}  // namespace

int main() {
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  DuiLib::CPaintManagerUI::SetInstance(GetModuleHandleW(nullptr));
  test_support::LaidOutProgram program;
  const Opening first = OpenOnce();
  std::vector<double> built, painted;
  for (int i = 0; i < kLaterOpenings; ++i) {
    const Opening later = OpenOnce();
    built.push_back(later.built);
    painted.push_back(later.painted);
  }
  std::printf("emoji picker, 824 pictures of 20x20, from Show to the end of the first paint:\n");
  std::printf("  first opening:  %.1f ms (window and grid built after %.1f ms)\n", first.painted, first.built);
  std::printf("  later openings: %.1f ms median, slowest %.1f ms, of %d (built after %.1f ms)\n", Median(painted),
              *std::max_element(painted.begin(), painted.end()), kLaterOpenings, Median(built));
  return 0;
}
