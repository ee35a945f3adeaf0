#include "app/ui/AfterFirstPaint.h"

#include <windows.h>

#include <vector>

namespace {

std::vector<std::function<void()>>& Queue() {
  static std::vector<std::function<void()>> queue;
  return queue;
}

UINT_PTR g_timer = 0;

void StopTimer() {
  if (g_timer != 0) KillTimer(nullptr, g_timer);
  g_timer = 0;
}

void CALLBACK OnTimer(HWND, UINT, UINT_PTR, DWORD) {
  StopTimer();
  // Taken out first: the work may queue more, or run a message loop that
  // would otherwise find the same queue again.
  std::vector<std::function<void()>> work;
  work.swap(Queue());
  for (auto& step : work) step();
}

}  // namespace

void RunAfterFirstPaint(std::function<void()> work) {
  Queue().push_back(std::move(work));
  // A timer's message is the last a message loop takes: only once no posted
  // message, input or paint waits, so the first window has painted by then.
  if (g_timer == 0) g_timer = SetTimer(nullptr, 0, USER_TIMER_MINIMUM, &OnTimer);
}

void DropStartUpWork() {
  StopTimer();
  Queue().clear();
}
