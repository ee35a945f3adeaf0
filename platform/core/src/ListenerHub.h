#pragma once

// The core's one listener thread: every listener call of the process, in
// event order. Lists of listeners hold plain pointers; removing one waits for
// a call to it that is in progress on another thread.

#include <functional>
#include <mutex>
#include <vector>

namespace mireloom::detail {

class ListenerList;

class ListenerHub final {
 public:
  static ListenerHub& Instance();

  // Queues an event for the listener thread (or the manual pump).
  void Enqueue(std::function<void()> event);

 private:
  friend class ListenerList;
  ListenerHub();

  // Marks the call to a listener as started; false when it was removed meanwhile.
  bool BeginCall(const ListenerList* list, void* listener);
  void EndCall();
  // Waits (handling messages sent to this thread) while the listener is being
  // called on another thread.
  void WaitUntilNotCalling(const ListenerList* list, void* listener);

  struct State;
  State* m_state;  // never destroyed
};

class ListenerList final {
 public:
  // False when it was already registered.
  bool Add(void* listener);
  // After it returns, the listener is never called again.
  void Remove(void* listener);
  void Clear();
  [[nodiscard]] bool Contains(void* listener) const;
  [[nodiscard]] size_t Size() const;
  // On the listener thread: calls each listener still registered at its turn.
  void CallEach(const std::function<void(void*)>& call);

 private:
  friend class ListenerHub;
  mutable std::mutex m_mutex;
  std::vector<void*> m_listeners;
};

// Typed view of a list.
template <class Listener>
class Listeners final {
 public:
  bool Add(Listener* listener) { return listener && m_list.Add(listener); }
  void Remove(Listener* listener) { m_list.Remove(listener); }
  void Clear() { m_list.Clear(); }
  [[nodiscard]] size_t Size() const { return m_list.Size(); }
  void CallEach(const std::function<void(Listener&)>& call) {
    m_list.CallEach([&call](void* listener) { call(*static_cast<Listener*>(listener)); });
  }

 private:
  ListenerList m_list;
};

}  // namespace mireloom::detail
