#pragma once

// What the main window's benchmarks share: the clock, the median, and the
// run of a real main window after zhou's sign-in, with the measurement
// inside its loop.

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <vector>

#include "app/frame/WindowManager.h"
#include "app/ui/UiThread.h"
#include "duilib/testing.h"
#include "mainwnd/MainWnd.h"
#include "mireloom/testing.h"
#include "quennet/testing.h"
#include "signin/AvatarPrefetch.h"
#include "signin/SessionFetchChain.h"
#include "support/LaidOutProgram.h"

namespace benchmark_timing {

using Clock = std::chrono::steady_clock;

inline double Milliseconds(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

inline double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

// Signs zhou in as the sign-in road does, with the members' avatars in the
// cache; `beforeSignIn` and `afterSignIn` shape the team and the cache, and
// `measure` runs inside the main window's loop and closes it. The program's
// exit code.
inline int RunMainWindowBenchmark(const std::function<void()>& beforeSignIn, const std::function<void()>& afterSignIn,
                                  std::function<void()> measure) {
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  DuiLib::CPaintManagerUI::SetInstance(GetModuleHandleW(nullptr));
  test_support::LaidOutProgram program;
  mireloom::testing::ScopedCore scoped;
  beforeSignIn();
  if (!mireloom::testing::SignIn("zhou", scoped.DataFolder())) {
    printf("sign-in failed\n");
    return 1;
  }
  afterSignIn();
  signin::DownloadAvatarsIntoCache();
  if (!signin::CAvatarPrefetch::WaitUntilDone(300000) || !quennet::WaitForIdle(120000)) {
    printf("the avatars are still downloading\n");
  }
  CUiThread::Attach();
  DuiLib::Testing::PostToLoop(std::move(measure));
  mireloomwnd::WindowManager::GetInstance()->ShowMainWnd();
  CUiThread::Detach();
  return 0;
}

}  // namespace benchmark_timing
