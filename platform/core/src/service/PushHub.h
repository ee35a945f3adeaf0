#pragma once

// The service's instant-messaging side: the open connections, and one thread
// that hands pushed events to them in order, with no lock held.

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "ServiceTypes.h"

namespace mireloom::service {

class PushHub final {
 public:
  PushHub();
  // Events not yet handed over are dropped.
  ~PushHub();
  PushHub(const PushHub&) = delete;
  PushHub& operator=(const PushHub&) = delete;

  // False when an automatic reconnect of this token is refused now.
  [[nodiscard]] bool AcceptsReconnect(const std::string& token) const;
  void Add(const std::string& token, const std::string& uid, std::weak_ptr<PushSink> sink);
  void Remove(const std::string& token, const PushSink* sink);
  // Closes every connection of the token silently (log-out).
  void RemoveToken(const std::string& token);
  [[nodiscard]] bool IsConnected(const std::string& uid) const;

  // Queues the event for every connection of the user but the one of exceptToken.
  void Push(const std::string& uid, const PushEvent& event, const std::string& exceptToken = {});
  // Drops the user's connections (every connection when uid is empty);
  // automatic reconnects are accepted after reconnectAfterMs, never when < 0.
  void Drop(const std::string& uid, int reconnectAfterMs);

 private:
  struct Connection {
    std::string token;
    std::string uid;
    std::weak_ptr<PushSink> sink;
  };
  using Clock = std::chrono::steady_clock;

  void Queue(std::function<void()> delivery);
  void Run();

  mutable std::mutex m_mutex;
  std::condition_variable m_cv;
  std::vector<Connection> m_connections;
  std::map<std::string, Clock::time_point> m_refused_until;  // by token
  std::deque<std::function<void()>> m_queue;
  bool m_stopping = false;
  std::thread m_thread;
};

}  // namespace mireloom::service
