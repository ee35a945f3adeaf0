#pragma once

// Scripts windows that sit in nested modal loops: each step waits for its
// condition and then acts. A thread timer drives the steps, so they run
// inside whichever loop is current (a step that opens a modal window hands
// the rest of the script to that window's loop).

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace test_support {

class StepRunner final {
 public:
  StepRunner();
  ~StepRunner();
  StepRunner(const StepRunner&) = delete;
  StepRunner& operator=(const StepRunner&) = delete;

  // Waits until `ready` holds, then runs `act`.
  StepRunner& Then(std::string what, std::function<bool()> ready, std::function<void()> act);
  // A step that only acts.
  StepRunner& Do(std::string what, std::function<void()> act);
  // A step that only waits.
  StepRunner& WaitFor(std::string what, std::function<bool()> ready);

  // Starts the timer; the script runs as loops dispatch it.
  void Start();
  [[nodiscard]] bool Done() const { return m_next == m_steps.size(); }
  // Pumps this thread until the script is done; false on timeout.
  bool RunToEnd(DWORD timeout_ms = 15000);
  // The step the script waits at, for failure messages.
  [[nodiscard]] std::string Waiting() const;

 private:
  struct Step {
    std::string what;
    std::function<bool()> ready;
    std::function<void()> act;
  };
  static void CALLBACK OnTimer(HWND, UINT, UINT_PTR, DWORD);
  void Advance();

  std::vector<Step> m_steps;
  size_t m_next = 0;
  // The modal loop depth each running step started at, innermost last.
  std::vector<size_t> m_runningAt;
  UINT_PTR m_timer = 0;
};

}  // namespace test_support
