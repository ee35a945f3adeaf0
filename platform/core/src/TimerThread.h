#pragma once

// A thread that runs short functions at their time. The functions run on the
// timer's thread one after another; longer work is handed on from there.

#include <chrono>
#include <cstdint>
#include <functional>

namespace mireloom::detail {

class TimerThread final {
 public:
  TimerThread();
  // Cancels what is pending; a function already running finishes first.
  ~TimerThread();
  TimerThread(const TimerThread&) = delete;
  TimerThread& operator=(const TimerThread&) = delete;

  void Schedule(std::chrono::milliseconds delay, std::function<void()> function);
  // Drops every pending function.
  void CancelAll();

 private:
  struct State;
  State* m_state;
};

}  // namespace mireloom::detail
