#include "LayerThread.h"

#include <process.h>

#include "quennet/EventLog.h"
#include "SentMessageWait.h"

namespace cef_internal {

namespace {

constexpr wchar_t kTaskWindowClass[] = L"CefLayerTaskWindow";
constexpr UINT kRunTasksMessage = WM_APP + 0x10;
constexpr DWORD kStartTimeoutMs = 10000;

void RegisterTaskWindowClass(WNDPROC procedure) {
  static const bool registered = [procedure] {
    WNDCLASSEXW window_class = {};
    window_class.cbSize = sizeof window_class;
    window_class.lpfnWndProc = procedure;
    window_class.hInstance = GetModuleHandleW(nullptr);
    window_class.lpszClassName = kTaskWindowClass;
    return RegisterClassExW(&window_class) != 0;
  }();
  (void)registered;
}

}  // namespace

bool LayerThread::Start() {
  RegisterTaskWindowClass(&LayerThread::WindowProc);
  m_ready.reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  if (!m_ready) return false;
  const uintptr_t handle = _beginthreadex(nullptr, 0, &LayerThread::ThreadMain, this, 0, nullptr);
  if (handle == 0) return false;
  m_thread.reset(reinterpret_cast<HANDLE>(handle));
  // The new thread sends nothing to this one while it starts up.
  if (WaitForSingleObject(m_ready.get(), kStartTimeoutMs) != WAIT_OBJECT_0) return false;
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_accepting;
}

bool LayerThread::Post(std::function<void()> task) {
  std::lock_guard<std::mutex> lock(m_mutex);
  if (!m_accepting) return false;
  m_tasks.push_back(std::move(task));
  Wake();
  return true;
}

bool LayerThread::Stop(DWORD timeout_ms) {
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!m_thread) return true;
    m_stopping = true;
    Wake();
  }
  if (!WaitHandlingSentMessages(m_thread.get(), timeout_ms)) {
    quennet::log_error("The browser layer's %s thread did not end in time", m_name);
    return false;
  }
  m_thread.reset();
  return true;
}

bool LayerThread::IsIdle() const {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_tasks.empty() && !m_running_task;
}

void LayerThread::Wake() {
  if (m_wake_posted || !m_window) return;
  m_wake_posted = PostMessageW(m_window, kRunTasksMessage, 0, 0) != FALSE;
}

unsigned __stdcall LayerThread::ThreadMain(void* self) {
  static_cast<LayerThread*>(self)->Loop();
  return 0;
}

void LayerThread::Loop() {
  m_thread_id = GetCurrentThreadId();
  HWND window = CreateWindowExW(0, kTaskWindowClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
  if (window) SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_window = window;
    m_accepting = window != nullptr;
  }
  SetEvent(m_ready.get());
  if (!window) return;

  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  DestroyWindow(window);
}

void LayerThread::RunQueued() {
  for (;;) {
    std::function<void()> task;
    {
      std::lock_guard<std::mutex> lock(m_mutex);
      m_running_task = false;
      if (m_tasks.empty()) {
        m_wake_posted = false;
        if (m_stopping) {
          // Nothing is left to run: refuse further work and end the loop.
          m_accepting = false;
          m_window = nullptr;
          PostQuitMessage(0);
        }
        return;
      }
      task = std::move(m_tasks.front());
      m_tasks.pop_front();
      m_running_task = true;
    }
    try {
      task();
    } catch (...) {
      quennet::log_error("A task on the browser layer's %s thread threw an exception", m_name);
    }
  }
}

LRESULT CALLBACK LayerThread::WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == kRunTasksMessage) {
    if (auto* self = reinterpret_cast<LayerThread*>(GetWindowLongPtrW(window, GWLP_USERDATA))) self->RunQueued();
    return 0;
  }
  return DefWindowProcW(window, message, wparam, lparam);
}

}  // namespace cef_internal
