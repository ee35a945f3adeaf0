#pragma once

// The core's threads for server work and completions. A task never waits for
// another while a thread is free: when every thread is busy (a completion may
// block for the rest of the session) a new thread starts, up to a bound of a
// small multiple of the processors; beyond it tasks queue. Idle threads end
// after a while.

#include <functional>

namespace mireloom::detail {

class CorePool final {
 public:
  static CorePool& Instance();

  // Runs the task on a core thread.
  void Run(std::function<void()> task);
  // Runs a completion or a listener event: on a core thread, or, while the
  // manual pump is on, when the test's thread pumps.
  void Deliver(std::function<void()> task);

  // While the manual pump is on, takes the task into the pump's queue.
  bool QueueIfManual(std::function<void()>& task);

  void SetManualPump(bool on);
  // Runs the queued deliveries on the calling thread; the number run.
  int Pump();

  // Work that is not a pool task but keeps the core busy (listener events,
  // queued service work) counts for WaitIdle too.
  void BeginActivity();
  void EndActivity();
  // Waits until nothing is queued or running, handling messages sent to the
  // calling thread meanwhile. True when idle within the time.
  bool WaitIdle(int timeoutMs);

  [[nodiscard]] static bool IsCoreThread();

 private:
  CorePool();
  struct State;
  State* m_state;  // never destroyed: no static destructor waits for threads
};

// Calls the function, logging (never passing on) an exception.
void CallGuarded(const char* what, const std::function<void()>& function);

}  // namespace mireloom::detail
