#pragma once

// One of the layer's threads: a real Win32 message loop (the UI thread owns
// the browser windows) and a queue of tasks run in the order they came.

#include <windows.h>

#include <atomic>
#include <deque>
#include <functional>
#include <mutex>

#include "quennet/WinHandles.h"

namespace cef_internal {

class LayerThread final {
 public:
  explicit LayerThread(const char* name) : m_name(name) {}
  ~LayerThread() = default;
  LayerThread(const LayerThread&) = delete;
  LayerThread& operator=(const LayerThread&) = delete;

  // Returns once the thread's loop can take tasks.
  [[nodiscard]] bool Start();
  // False once the thread has ended; the task is then dropped unrun.
  bool Post(std::function<void()> task);
  // Runs what is queued, and what those tasks queue in turn, then ends the
  // thread and waits for it (handling sent messages meanwhile).
  bool Stop(DWORD timeout_ms);

  [[nodiscard]] DWORD Id() const { return m_thread_id; }
  [[nodiscard]] bool IsCurrent() const { return m_thread_id != 0 && GetCurrentThreadId() == m_thread_id; }
  // Nothing queued and no task running.
  [[nodiscard]] bool IsIdle() const;

 private:
  static unsigned __stdcall ThreadMain(void* self);
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
  void Loop();
  void RunQueued();
  void Wake();  // with m_mutex held

  const char* m_name;
  mutable std::mutex m_mutex;
  std::deque<std::function<void()>> m_tasks;
  bool m_accepting = false;
  bool m_stopping = false;
  bool m_wake_posted = false;
  bool m_running_task = false;
  HWND m_window = nullptr;
  std::atomic<DWORD> m_thread_id{0};
  quennet::UniqueHandle m_thread;
  quennet::UniqueHandle m_ready;
};

}  // namespace cef_internal
