#include "CorePool.h"

#include <windows.h>
#include <objbase.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

#include "quennet/EventLog.h"

namespace mireloom::detail {
namespace {

constexpr auto kIdleThreadLifetime = std::chrono::seconds(10);
// Each thread costs its stack, so the pool has an upper bound: twice the
// processors. A completion may block for the rest of the session (a modal
// loop runs inside it); a few of those nest, so the bound never falls below
// the floor, which leaves threads for everything else.
constexpr int kThreadsPerProcessor = 2;
constexpr int kFewestThreads = 8;
constexpr int kMostThreads = 16;

int ThreadBound() {
  SYSTEM_INFO system = {};
  GetSystemInfo(&system);
  return std::clamp(kThreadsPerProcessor * static_cast<int>(system.dwNumberOfProcessors), kFewestThreads,
                    kMostThreads);
}

thread_local bool t_is_core_thread = false;

}  // namespace

struct CorePool::State {
  std::mutex mutex;
  std::condition_variable work_cv;
  std::deque<std::function<void()>> queue;
  std::deque<std::function<void()>> manual_queue;
  bool manual = false;
  const int max_threads = ThreadBound();
  int threads = 0;
  int idle_threads = 0;
  int activity = 0;  // queued or running tasks and other counted work
  HANDLE idle_event = CreateEventW(nullptr, TRUE, TRUE, nullptr);

  void BeginLocked() {
    if (activity++ == 0) ResetEvent(idle_event);
  }
  void EndLocked() {
    if (--activity == 0) SetEvent(idle_event);
  }
};

CorePool& CorePool::Instance() {
  static CorePool* pool = new CorePool;
  return *pool;
}

CorePool::CorePool() : m_state(new State) {}

void CallGuarded(const char* what, const std::function<void()>& function) {
  try {
    function();
  } catch (...) {
    quennet::log_error("%s threw an exception", what);
  }
}

void CorePool::Run(std::function<void()> task) {
  State& s = *m_state;
  std::lock_guard<std::mutex> lock(s.mutex);
  s.BeginLocked();
  s.queue.push_back(std::move(task));
  // With every thread busy at the bound, the task waits in the queue.
  if (s.idle_threads >= static_cast<int>(s.queue.size()) || s.threads >= s.max_threads) {
    s.work_cv.notify_one();
    return;
  }
  ++s.threads;
  ++s.idle_threads;  // counted as idle until it takes a task
  std::thread([&s] {
    t_is_core_thread = true;
    // Completions may use the shell, which needs COM on their thread.
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    std::unique_lock<std::mutex> lock(s.mutex);
    while (s.work_cv.wait_for(lock, kIdleThreadLifetime, [&s] { return !s.queue.empty(); })) {
      std::function<void()> next = std::move(s.queue.front());
      s.queue.pop_front();
      --s.idle_threads;
      lock.unlock();
      CallGuarded("Core task", next);
      next = nullptr;
      lock.lock();
      ++s.idle_threads;
      s.EndLocked();
    }
    --s.idle_threads;
    --s.threads;
    lock.unlock();
    if (SUCCEEDED(com)) CoUninitialize();
  }).detach();
}

bool CorePool::QueueIfManual(std::function<void()>& task) {
  State& s = *m_state;
  std::lock_guard<std::mutex> lock(s.mutex);
  if (!s.manual) return false;
  s.BeginLocked();
  s.manual_queue.push_back(std::move(task));
  return true;
}

void CorePool::Deliver(std::function<void()> task) {
  if (QueueIfManual(task)) return;
  if (IsCoreThread()) {
    CallGuarded("Core delivery", task);
  } else {
    Run(std::move(task));
  }
}

void CorePool::SetManualPump(bool on) {
  std::lock_guard<std::mutex> lock(m_state->mutex);
  m_state->manual = on;
}

int CorePool::Pump() {
  State& s = *m_state;
  int count = 0;
  for (;;) {
    std::function<void()> next;
    {
      std::lock_guard<std::mutex> lock(s.mutex);
      if (s.manual_queue.empty()) return count;
      next = std::move(s.manual_queue.front());
      s.manual_queue.pop_front();
    }
    CallGuarded("Pumped delivery", next);
    ++count;
    std::lock_guard<std::mutex> lock(s.mutex);
    s.EndLocked();
  }
}

void CorePool::BeginActivity() {
  std::lock_guard<std::mutex> lock(m_state->mutex);
  m_state->BeginLocked();
}

void CorePool::EndActivity() {
  std::lock_guard<std::mutex> lock(m_state->mutex);
  m_state->EndLocked();
}

bool CorePool::WaitIdle(int timeoutMs) {
  State& s = *m_state;
  const ULONGLONG deadline = GetTickCount64() + static_cast<ULONGLONG>(timeoutMs);
  for (;;) {
    {
      std::lock_guard<std::mutex> lock(s.mutex);
      // Queued manual deliveries wait for the pump, not for the core.
      if (s.activity == static_cast<int>(s.manual_queue.size())) return true;
    }
    const ULONGLONG now = GetTickCount64();
    if (now >= deadline) return false;
    // Completions may SendMessage to this thread's windows: keep handling sent
    // messages while waiting. Manual deliveries keep the event reset, so poll.
    const DWORD wait = static_cast<DWORD>(std::min<ULONGLONG>(deadline - now, 10));
    if (MsgWaitForMultipleObjects(1, &s.idle_event, FALSE, wait, QS_SENDMESSAGE) == WAIT_OBJECT_0 + 1) {
      MSG msg;
      PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
  }
}

bool CorePool::IsCoreThread() { return t_is_core_thread; }

}  // namespace mireloom::detail
