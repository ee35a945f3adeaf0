#pragma once

// Helpers of the core library's tests: waiting for one completion, and
// listeners that record what they were told.

#include <windows.h>

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "mireloom/ChatManager.h"
#include "mireloom/Director.h"
#include "mireloom/Handlers.h"
#include "mireloom/testing.h"
#include "mireloom/UserManager.h"

namespace core_test {

namespace mt = mireloom::testing;

// Holds the values of one completion and the thread it ran on.
template <class... Values>
class Completion final {
 public:
  // A completion function that stores its arguments.
  std::function<void(Values...)> Callback() {
    return [this](Values... values) {
      std::lock_guard<std::mutex> lock(m_mutex);
      ++m_calls;
      m_thread = GetCurrentThreadId();
      m_values.emplace(std::move(values)...);
      m_cv.notify_all();
    };
  }

  // Waits for the call; false when none came in time.
  bool Wait(int timeoutMs = 10000) {
    std::unique_lock<std::mutex> lock(m_mutex);
    return m_cv.wait_for(lock, std::chrono::milliseconds(timeoutMs), [this] { return m_calls > 0; });
  }

  template <size_t I>
  auto& Get() {
    return std::get<I>(*m_values);
  }
  [[nodiscard]] int calls() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_calls;
  }
  [[nodiscard]] DWORD thread() const { return m_thread; }

 private:
  mutable std::mutex m_mutex;
  std::condition_variable m_cv;
  int m_calls = 0;
  DWORD m_thread = 0;
  std::optional<std::tuple<std::decay_t<Values>...>> m_values;
};

using Done = Completion<bool, std::string>;

// Counts arrivals from other threads; a test waits for a number of them.
class Arrivals final {
 public:
  void Arrive() {
    std::lock_guard<std::mutex> lock(m_mutex);
    ++m_count;
    m_cv.notify_all();
  }
  bool WaitFor(int count, int timeoutMs = 5000) {
    std::unique_lock<std::mutex> lock(m_mutex);
    return m_cv.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] { return m_count >= count; });
  }
  [[nodiscard]] int count() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_count;
  }

 private:
  mutable std::mutex m_mutex;
  std::condition_variable m_cv;
  int m_count = 0;
};

// Records every listener call as text, in order.
class RecordingListener final : public mireloom::MessageHandler,
                                public mireloom::NumUnreadHandler,
                                public mireloom::UserStatusHandler,
                                public mireloom::ConnectionStateHandler {
 public:
  void HandleMessage(const mireloom::Message& message) override { Add("message " + message.ChannelID()); }
  void HandleDirectMessage(const mireloom::Message& message) override {
    Add("direct " + message.ChannelID() + " " + message.content());
  }
  void HandleChannelMessage(const mireloom::Message& message) override {
    Add("channel " + message.ChannelID() + " " + message.content());
  }
  void HandleMessageFailure(const std::string& text) override { Add("failure " + text); }
  void OnNumUnreadChanged(const std::string& id, mireloom::_NumUnread counts) override {
    Add("unread " + id + " " + std::to_string(counts.num_unread) + " " + std::to_string(counts.num_notify));
  }
  void OnUserStatusChanged(const std::string& uid, mireloom::User::Status status) override {
    Add("status " + uid + " " + std::to_string(status));
  }
  void OnConnectionStateChanged(int state) override { Add("state " + std::to_string(state)); }

  // Registers with every list of the core (and the director's, when there is one).
  void ListenToAll() {
    mireloom::ChatManager::DefaultManager()->AddMessageHandler(this);
    mireloom::ChatManager::DefaultManager()->AddNumUnreadHandler(this);
    mireloom::UserManager::DefaultManager()->AddUserStatusHandler(this);
    if (auto* director = mireloom::Director::DefaultDirector()) director->AddConnectionStateHandler(this);
  }
  void StopListening() {
    mireloom::ChatManager::DefaultManager()->RemoveMessageHandler(this);
    mireloom::ChatManager::DefaultManager()->RemoveNumUnreadHandler(this);
    mireloom::UserManager::DefaultManager()->RemoveUserStatusHandler(this);
    if (auto* director = mireloom::Director::DefaultDirector()) director->RemoveConnectionStateHandler(this);
  }

  std::vector<std::string> Events() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_events;
  }
  std::vector<DWORD> Threads() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_threads;
  }
  // Waits until an event starting with the text arrived.
  bool WaitFor(const std::string& prefix, int timeoutMs = 10000) {
    std::unique_lock<std::mutex> lock(m_mutex);
    return m_cv.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] {
      for (const auto& event : m_events) {
        if (event.rfind(prefix, 0) == 0) return true;
      }
      return false;
    });
  }
  void Clear() {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_events.clear();
    m_threads.clear();
  }

 private:
  void Add(std::string event) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_events.push_back(std::move(event));
    m_threads.push_back(GetCurrentThreadId());
    m_cv.notify_all();
  }

  mutable std::mutex m_mutex;
  std::condition_variable m_cv;
  std::vector<std::string> m_events;
  std::vector<DWORD> m_threads;
};

// A signed-in demo session with the main window's data fetched.
inline bool SignInWithData(const mt::ScopedCore& core, const std::string& user = "zhou") {
  return mt::SignIn(user, core.DataFolder()) && mt::FetchMainWindowData();
}

}  // namespace core_test
