#include "ListenerHub.h"

#include <windows.h>

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <thread>

#include "CorePool.h"

namespace mireloom::detail {

struct ListenerHub::State {
  std::mutex mutex;
  std::condition_variable queue_cv;
  std::deque<std::function<void()>> queue;
  bool thread_started = false;
  // The call in progress, if any.
  const ListenerList* calling_list = nullptr;
  void* calling_listener = nullptr;
  DWORD calling_thread = 0;
  // Set whenever a call ends; waiters re-check.
  HANDLE call_ended = CreateEventW(nullptr, TRUE, FALSE, nullptr);
};

ListenerHub& ListenerHub::Instance() {
  static ListenerHub* hub = new ListenerHub;
  return *hub;
}

ListenerHub::ListenerHub() : m_state(new State) {}

void ListenerHub::Enqueue(std::function<void()> event) {
  // Listener calls and completions share the manual pump, so that a test sees
  // them in the order they happened.
  if (CorePool::Instance().QueueIfManual(event)) return;
  State& s = *m_state;
  CorePool::Instance().BeginActivity();
  auto counted = [event = std::move(event)] {
    CallGuarded("Listener event", event);
    CorePool::Instance().EndActivity();
  };
  std::lock_guard<std::mutex> lock(s.mutex);
  s.queue.push_back(std::move(counted));
  if (!s.thread_started) {
    s.thread_started = true;
    std::thread([&s] {
      std::unique_lock<std::mutex> lock(s.mutex);
      for (;;) {
        s.queue_cv.wait(lock, [&s] { return !s.queue.empty(); });
        std::function<void()> next = std::move(s.queue.front());
        s.queue.pop_front();
        lock.unlock();
        next();
        next = nullptr;
        lock.lock();
      }
    }).detach();
  }
  s.queue_cv.notify_one();
}

bool ListenerHub::BeginCall(const ListenerList* list, void* listener) {
  State& s = *m_state;
  std::lock_guard<std::mutex> hub_lock(s.mutex);
  std::lock_guard<std::mutex> list_lock(list->m_mutex);
  const auto& listeners = list->m_listeners;
  if (std::find(listeners.begin(), listeners.end(), listener) == listeners.end()) return false;
  s.calling_list = list;
  s.calling_listener = listener;
  s.calling_thread = GetCurrentThreadId();
  return true;
}

void ListenerHub::EndCall() {
  State& s = *m_state;
  std::lock_guard<std::mutex> lock(s.mutex);
  s.calling_list = nullptr;
  s.calling_listener = nullptr;
  s.calling_thread = 0;
  SetEvent(s.call_ended);
}

void ListenerHub::WaitUntilNotCalling(const ListenerList* list, void* listener) {
  State& s = *m_state;
  for (;;) {
    {
      std::lock_guard<std::mutex> lock(s.mutex);
      const bool busy = s.calling_list == list && s.calling_listener == listener;
      // A listener that removes itself from inside its own call does not wait.
      if (!busy || s.calling_thread == GetCurrentThreadId()) return;
      ResetEvent(s.call_ended);
    }
    // The listener may be sending to this thread (the UI thread): keep
    // handling sent messages so that neither side waits for the other.
    if (MsgWaitForMultipleObjects(1, &s.call_ended, FALSE, INFINITE, QS_SENDMESSAGE) == WAIT_OBJECT_0 + 1) {
      MSG msg;
      PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
  }
}

bool ListenerList::Add(void* listener) {
  std::lock_guard<std::mutex> lock(m_mutex);
  if (std::find(m_listeners.begin(), m_listeners.end(), listener) != m_listeners.end()) return false;
  m_listeners.push_back(listener);
  return true;
}

void ListenerList::Remove(void* listener) {
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_listeners.erase(std::remove(m_listeners.begin(), m_listeners.end(), listener), m_listeners.end());
  }
  ListenerHub::Instance().WaitUntilNotCalling(this, listener);
}

void ListenerList::Clear() {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_listeners.clear();
}

bool ListenerList::Contains(void* listener) const {
  std::lock_guard<std::mutex> lock(m_mutex);
  return std::find(m_listeners.begin(), m_listeners.end(), listener) != m_listeners.end();
}

size_t ListenerList::Size() const {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_listeners.size();
}

void ListenerList::CallEach(const std::function<void(void*)>& call) {
  std::vector<void*> snapshot;
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    snapshot = m_listeners;
  }
  ListenerHub& hub = ListenerHub::Instance();
  for (void* listener : snapshot) {
    if (!hub.BeginCall(this, listener)) continue;
    CallGuarded("Listener", [&] { call(listener); });
    hub.EndCall();
  }
}

}  // namespace mireloom::detail
