#include "TimerThread.h"

#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>
#include <thread>

#include "CorePool.h"

namespace mireloom::detail {

using Clock = std::chrono::steady_clock;

struct TimerThread::State {
  std::mutex mutex;
  std::condition_variable cv;
  // Due time, then order of scheduling.
  std::multimap<Clock::time_point, std::function<void()>> pending;
  bool stopping = false;
  std::thread thread;
};

TimerThread::TimerThread() : m_state(new State) {
  State& s = *m_state;
  s.thread = std::thread([&s] {
    std::unique_lock<std::mutex> lock(s.mutex);
    while (!s.stopping) {
      if (s.pending.empty()) {
        s.cv.wait(lock);
        continue;
      }
      const auto due = s.pending.begin()->first;
      if (Clock::now() < due) {
        s.cv.wait_until(lock, due);
        continue;
      }
      std::function<void()> function = std::move(s.pending.begin()->second);
      s.pending.erase(s.pending.begin());
      lock.unlock();
      CallGuarded("Timer", function);
      function = nullptr;
      lock.lock();
    }
  });
}

TimerThread::~TimerThread() {
  {
    std::lock_guard<std::mutex> lock(m_state->mutex);
    m_state->stopping = true;
    m_state->pending.clear();
  }
  m_state->cv.notify_all();
  if (m_state->thread.get_id() == std::this_thread::get_id()) {
    m_state->thread.detach();  // destroyed by its own function: the state is leaked
    return;
  }
  m_state->thread.join();
  delete m_state;
}

void TimerThread::Schedule(std::chrono::milliseconds delay, std::function<void()> function) {
  std::lock_guard<std::mutex> lock(m_state->mutex);
  m_state->pending.emplace(Clock::now() + delay, std::move(function));
  m_state->cv.notify_all();
}

void TimerThread::CancelAll() {
  std::lock_guard<std::mutex> lock(m_state->mutex);
  m_state->pending.clear();
}

}  // namespace mireloom::detail
