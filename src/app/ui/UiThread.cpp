#include "app/ui/UiThread.h"

#include <deque>
#include <mutex>

#include "quennet/EventLog.h"

namespace {

constexpr wchar_t kPumpClassName[] = L"CorvanelUiThreadPump";
constexpr UINT kRunTasksMessage = WM_APP + 1;

struct PumpState {
  std::mutex mutex;
  std::deque<std::function<void()>> tasks;
  HWND window = nullptr;
  DWORD thread_id = 0;
  bool wake_posted = false;
};

PumpState& State() {
  static PumpState* state = new PumpState;  // never destroyed: threads may post at exit
  return *state;
}

void RunQueuedTasks() {
  PumpState& state = State();
  for (;;) {
    std::function<void()> task;
    {
      std::lock_guard<std::mutex> lock(state.mutex);
      if (state.tasks.empty()) {
        state.wake_posted = false;
        return;
      }
      task = std::move(state.tasks.front());
      state.tasks.pop_front();
      // A task may run a modal loop: a pending wake-up lets that loop run the
      // tasks behind this one, still in order, instead of holding them back.
      state.wake_posted = !state.tasks.empty() && state.window &&
                          PostMessageW(state.window, kRunTasksMessage, 0, 0) != FALSE;
    }
    try {
      task();
    } catch (...) {
      quennet::log_error("A task on the user-interface thread threw an exception");
    }
  }
}

LRESULT CALLBACK PumpProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == kRunTasksMessage) {
    RunQueuedTasks();
    return 0;
  }
  return DefWindowProcW(window, message, wparam, lparam);
}

void RegisterPumpClass() {
  static const bool registered = [] {
    WNDCLASSEXW window_class = {};
    window_class.cbSize = sizeof window_class;
    window_class.lpfnWndProc = PumpProc;
    window_class.hInstance = GetModuleHandleW(nullptr);
    window_class.lpszClassName = kPumpClassName;
    return RegisterClassExW(&window_class) != 0;
  }();
  (void)registered;
}

}  // namespace

void CUiThread::Attach() {
  Detach();
  RegisterPumpClass();
  HWND window = CreateWindowExW(0, kPumpClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
  PumpState& state = State();
  std::lock_guard<std::mutex> lock(state.mutex);
  state.window = window;
  state.thread_id = GetCurrentThreadId();
  state.wake_posted = false;
}

void CUiThread::Detach() {
  PumpState& state = State();
  HWND window;
  {
    std::lock_guard<std::mutex> lock(state.mutex);
    window = state.window;
    state.window = nullptr;
    state.thread_id = 0;
    state.tasks.clear();
    state.wake_posted = false;
  }
  if (window) DestroyWindow(window);
}

bool CUiThread::IsCurrent() {
  PumpState& state = State();
  std::lock_guard<std::mutex> lock(state.mutex);
  return state.thread_id != 0 && state.thread_id == GetCurrentThreadId();
}

void CUiThread::Post(std::function<void()> task) {
  if (!task) return;
  PumpState& state = State();
  std::lock_guard<std::mutex> lock(state.mutex);
  if (!state.window) {
    quennet::log_error("A task for the user-interface thread was dropped: no thread attached");
    return;
  }
  state.tasks.push_back(std::move(task));
  // One wake-up message at a time: the handler drains the whole queue.
  if (!state.wake_posted) {
    state.wake_posted = PostMessageW(state.window, kRunTasksMessage, 0, 0) != FALSE;
  }
}

void CUiThread::Post(HWND window, std::function<void()> task) {
  Post([window, task = std::move(task)] {
    if (window && IsWindow(window)) task();
  });
}

void CUiThread::Post(std::weak_ptr<void> guard, std::function<void()> task) {
  Post([guard = std::move(guard), task = std::move(task)] {
    if (!guard.expired()) task();
  });
}
