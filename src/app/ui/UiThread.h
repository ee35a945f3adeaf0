#pragma once

// Runs closures on the user-interface thread, in the order they were posted,
// from any thread. Core completions that work on controls go through here.

#include <windows.h>

#include <functional>
#include <memory>

class CUiThread final {
 public:
  // Makes the calling thread the user-interface thread. Called once at
  // start-up, before any completion can be posted; tests call it again.
  static void Attach();
  // Stops running posted closures; what is still queued is dropped.
  static void Detach();

  [[nodiscard]] static bool IsCurrent();

  // Runs the task on the user-interface thread.
  static void Post(std::function<void()> task);
  // Runs the task only if the window still exists when its turn comes.
  static void Post(HWND window, std::function<void()> task);
  // Runs the task only if the guarded object still lives when its turn comes.
  static void Post(std::weak_ptr<void> guard, std::function<void()> task);
};

// Held by an object whose closures must not outlive it: closures posted with
// its token are skipped once it is destroyed.
class CLifetimeGuard final {
 public:
  CLifetimeGuard() : m_token(std::make_shared<char>(0)) {}
  CLifetimeGuard(const CLifetimeGuard&) = delete;
  CLifetimeGuard& operator=(const CLifetimeGuard&) = delete;

  [[nodiscard]] std::weak_ptr<void> Token() const { return m_token; }

 private:
  std::shared_ptr<char> m_token;
};
