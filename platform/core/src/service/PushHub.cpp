#include "PushHub.h"

#include <algorithm>

#include "../CorePool.h"

namespace mireloom::service {

using detail::CorePool;

PushHub::PushHub() : m_thread([this] { Run(); }) {}

PushHub::~PushHub() {
  size_t dropped;
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_stopping = true;
    dropped = m_queue.size();
    m_queue.clear();
  }
  m_cv.notify_all();
  m_thread.join();
  for (size_t i = 0; i < dropped; ++i) CorePool::Instance().EndActivity();
}

void PushHub::Run() {
  std::unique_lock<std::mutex> lock(m_mutex);
  for (;;) {
    m_cv.wait(lock, [this] { return m_stopping || !m_queue.empty(); });
    if (m_stopping) return;
    std::function<void()> delivery = std::move(m_queue.front());
    m_queue.pop_front();
    lock.unlock();
    detail::CallGuarded("Service push", delivery);
    CorePool::Instance().EndActivity();
    lock.lock();
  }
}

void PushHub::Queue(std::function<void()> delivery) {
  // Counted as the core's work, so that a test's WaitIdle sees pushes through.
  CorePool::Instance().BeginActivity();
  m_queue.push_back(std::move(delivery));
  m_cv.notify_one();
}

bool PushHub::AcceptsReconnect(const std::string& token) const {
  std::lock_guard<std::mutex> lock(m_mutex);
  auto found = m_refused_until.find(token);
  return found == m_refused_until.end() || Clock::now() >= found->second;
}

void PushHub::Add(const std::string& token, const std::string& uid, std::weak_ptr<PushSink> sink) {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_refused_until.erase(token);
  auto locked = sink.lock();
  for (const Connection& connection : m_connections) {
    if (connection.token == token && connection.sink.lock() == locked) return;
  }
  m_connections.push_back({token, uid, std::move(sink)});
}

void PushHub::Remove(const std::string& token, const PushSink* sink) {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_connections.erase(std::remove_if(m_connections.begin(), m_connections.end(),
                                     [&](const Connection& connection) {
                                       auto locked = connection.sink.lock();
                                       return connection.token == token && (!locked || locked.get() == sink);
                                     }),
                      m_connections.end());
}

void PushHub::RemoveToken(const std::string& token) {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_connections.erase(std::remove_if(m_connections.begin(), m_connections.end(),
                                     [&](const Connection& connection) { return connection.token == token; }),
                      m_connections.end());
}

bool PushHub::IsConnected(const std::string& uid) const {
  std::lock_guard<std::mutex> lock(m_mutex);
  return std::any_of(m_connections.begin(), m_connections.end(),
                     [&](const Connection& connection) { return connection.uid == uid; });
}

void PushHub::Push(const std::string& uid, const PushEvent& event, const std::string& exceptToken) {
  std::lock_guard<std::mutex> lock(m_mutex);
  for (const Connection& connection : m_connections) {
    if (connection.uid != uid || connection.token == exceptToken) continue;
    std::weak_ptr<PushSink> sink = connection.sink;
    Queue([sink, event] {
      if (auto target = sink.lock()) target->OnPush(event);
    });
  }
}

void PushHub::Drop(const std::string& uid, int reconnectAfterMs) {
  std::lock_guard<std::mutex> lock(m_mutex);
  const auto until = reconnectAfterMs < 0 ? Clock::time_point::max()
                                          : Clock::now() + std::chrono::milliseconds(reconnectAfterMs);
  for (auto it = m_connections.begin(); it != m_connections.end();) {
    if (!uid.empty() && it->uid != uid) {
      ++it;
      continue;
    }
    m_refused_until[it->token] = until;
    std::weak_ptr<PushSink> sink = it->sink;
    Queue([sink] {
      if (auto target = sink.lock()) target->OnDropped();
    });
    it = m_connections.erase(it);
  }
}

}  // namespace mireloom::service
