#pragma once

// The layer's process-wide state: whether it runs, its two threads, the
// application object, and what tests read back (calls made, misuse seen).
// The one instance is never destroyed, so that the process may end without
// cef_shutdown while the threads still run.

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "cef/cef_app.h"
#include "cef/cef_test.h"
#include "LayerThread.h"
#include "SentMessageWait.h"

namespace cef_internal {

enum class RunState { NotStarted, Running, ShuttingDown, ShutDown };

class Runtime final {
 public:
  static Runtime& Get();

  bool Initialize(const CefSettings& settings, CefRefPtr<CefApp> app);
  void Shutdown();

  [[nodiscard]] RunState State() const;
  [[nodiscard]] bool IsRunning() const { return State() == RunState::Running; }

  // The client's tasks: only while the layer runs.
  bool PostClientTask(CefThreadId thread, std::function<void()> task);
  // The layer's own work: as long as the thread lives, shutdown included.
  bool PostToUi(std::function<void()> task);
  bool PostToIo(std::function<void()> task);
  [[nodiscard]] bool IsUiThread() const;
  [[nodiscard]] bool IsIoThread() const;
  [[nodiscard]] DWORD UiThreadId() const;
  [[nodiscard]] DWORD IoThreadId() const;

  // Runs what both threads have queued, and what that queues in turn.
  bool Flush(DWORD timeout_ms);
  // Runs `call` on the UI thread and waits for its result; `fallback` when
  // the layer does not run or the UI thread did not answer in time.
  template <class R, class F>
  R CallOnUi(F call, R fallback);

  [[nodiscard]] CefRefPtr<CefApp> App() const;

  void RecordViolation(std::string what);
  void RecordCall(const char* interface_name, const char* op, int browser_id);
  [[nodiscard]] std::vector<std::string> Violations() const;
  [[nodiscard]] std::vector<cef_test::CallRecord> Calls() const;

  [[nodiscard]] CefSettings InitSettings() const;
  [[nodiscard]] std::vector<std::wstring> InitSwitches() const;
  [[nodiscard]] int ShutdownCalls() const;
  void AllowReinitialize();
  void SetGlobalManagerAvailable(bool available);
  [[nodiscard]] bool GlobalManagerAvailable() const;

 private:
  Runtime() = default;

  bool MayInitialize();  // with m_mutex held
  void ForgetPreviousRun();
  [[nodiscard]] std::shared_ptr<LayerThread> Thread(CefThreadId thread) const;
  bool RunMarker(const std::shared_ptr<LayerThread>& thread, DWORD timeout_ms);

  mutable std::mutex m_mutex;
  RunState m_state = RunState::NotStarted;
  // Shared, so that a post racing with shutdown still finds a live object.
  std::shared_ptr<LayerThread> m_ui;
  std::shared_ptr<LayerThread> m_io;
  CefRefPtr<CefApp> m_app;
  CefSettings m_settings;
  std::vector<std::wstring> m_switches;
  int m_shutdown_calls = 0;
  bool m_reinitialize_allowed = false;
  bool m_global_manager_available = true;
  std::vector<std::string> m_violations;
  std::vector<cef_test::CallRecord> m_calls;
};

template <class R, class F>
R Runtime::CallOnUi(F call, R fallback) {
  if (IsUiThread()) return call();
  struct Pending {
    R result;
    quennet::UniqueHandle done{CreateEventW(nullptr, TRUE, FALSE, nullptr)};
  };
  // Shared with the task, which may still run after a wait that timed out.
  auto pending = std::make_shared<Pending>(Pending{fallback});
  if (!pending->done || !PostToUi([pending, call]() mutable {
        pending->result = call();
        SetEvent(pending->done.get());
      })) {
    return fallback;
  }
  constexpr DWORD kCallTimeoutMs = 30000;
  if (!WaitHandlingSentMessages(pending->done.get(), kCallTimeoutMs)) {
    RecordViolation("The UI thread did not answer a test call in time");
    return fallback;
  }
  return pending->result;
}

}  // namespace cef_internal
