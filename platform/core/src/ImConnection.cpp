#include "ImConnection.h"

#include "CorePool.h"
#include "CoreState.h"
#include "quennet/EventLog.h"
#include "service/DemoService.h"
#include "Session.h"
#include "TimerThread.h"

namespace mireloom::detail {
namespace {

constexpr auto kRetryInterval = std::chrono::milliseconds(250);

}  // namespace

void ImConnection::Attach(std::weak_ptr<Session> session) {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_session = std::move(session);
}

ImConnection::State ImConnection::state() const {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_state;
}

int ImConnection::generation() const {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_generation;
}

Outcome ImConnection::Connect(unsigned int retrySeconds) {
  std::shared_ptr<Session> session;
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    session = m_session.lock();
    if (!session) return Outcome::NotSignedIn();
    if (m_state == State::kConnected) return Outcome::Success();
    m_retry_seconds = retrySeconds;
  }
  Outcome outcome;
  if (TryConnect(session, false, &outcome) == Attempt::kFailed) RestartRetriesIfDown(session);
  return outcome;
}

void ImConnection::Disconnect() {
  std::shared_ptr<Session> session;
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    ++m_generation;
    const bool was_open = m_state != State::kDisconnected;
    m_state = State::kDisconnected;
    if (!was_open) return;
    session = m_session.lock();
  }
  if (session) session->service()->Disconnect(session->api_token(), this);
}

ImConnection::Attempt ImConnection::TryConnect(const std::shared_ptr<Session>& session, bool automatic,
                                               Outcome* outcome) {
  std::lock_guard<std::mutex> attempt(m_attempt_mutex);
  int generation;
  uint64_t drops;
  bool first;
  bool reconnecting;
  int64_t since;
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_state == State::kConnected) {  // the attempt before this one got there
      *outcome = Outcome::Success();
      return Attempt::kConnected;
    }
    generation = m_generation;
    drops = m_drops;
    first = !m_has_seq;
    reconnecting = m_state != State::kDisconnected;
    since = m_seq;
    m_catching_up = true;
    m_held.clear();
  }
  int64_t newest = 0;
  *outcome = session->service()->Connect(session->api_token(), weak_from_this(), automatic, &newest);
  if (outcome->ok && !first) {
    std::vector<service::PushEvent> missed;
    *outcome = session->service()->Missed(session->api_token(), since, &missed, &newest);
    if (outcome->ok) {
      for (const auto& event : missed) Apply(session, event);
    }
  }
  const std::optional<int> connected =
      outcome->ok ? FinishCatchingUp(session, generation, drops, newest) : std::nullopt;
  if (connected) {
    if (reconnecting) quennet::log_event("IM connection is back");
    session->DeliverConnectionState(kConnected, *connected);
    return Attempt::kConnected;
  }
  bool closed;
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_catching_up = false;
    m_held.clear();
    closed = generation != m_generation;
  }
  // Whatever this attempt registered goes: its pushes would be ignored, and
  // what they carried is fetched by the next attempt.
  session->service()->Disconnect(session->api_token(), this);
  if (closed) {
    if (outcome->ok) *outcome = Outcome::Failure(-2, "connection closed");
    return Attempt::kClosed;
  }
  if (outcome->ok) *outcome = Outcome::Unreachable();  // dropped again before it was up
  return Attempt::kFailed;
}

std::optional<int> ImConnection::FinishCatchingUp(const std::shared_ptr<Session>& session, int generation,
                                                  uint64_t drops, int64_t newest) {
  for (;;) {
    std::vector<service::PushEvent> held;
    {
      std::lock_guard<std::mutex> lock(m_mutex);
      if (generation != m_generation || drops != m_drops) return std::nullopt;
      if (m_held.empty()) {
        m_catching_up = false;
        m_state = State::kConnected;
        if (!m_has_seq || newest > m_seq) m_seq = newest;
        m_has_seq = true;
        return ++m_generation;  // a retry still scheduled gives way
      }
      held.swap(m_held);
    }
    for (const auto& event : held) {
      if (event.kind == service::PushEvent::kMessage && event.seq > newest) newest = event.seq;
      Apply(session, event);
    }
  }
}

void ImConnection::RestartRetriesIfDown(const std::shared_ptr<Session>& session) {
  int generation;
  bool restarted = false;
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_state == State::kInterrupted) {
      generation = m_generation;
    } else if (m_state == State::kFailed) {
      m_state = State::kInterrupted;
      m_dropped_at = std::chrono::steady_clock::now();
      generation = ++m_generation;
      restarted = true;
    } else {
      return;  // back meanwhile, closed, or never up
    }
  }
  quennet::log_event(restarted ? "IM connection still down; retrying again" : "IM connection still down; retrying");
  session->DeliverConnectionState(kInterrupted, generation);
  if (restarted) ScheduleRetry(generation);
}

void ImConnection::OnDropped() {
  int generation;
  std::shared_ptr<Session> session;
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    ++m_drops;  // an attempt catching up now is void
    if (m_state != State::kConnected) return;
    m_state = State::kInterrupted;
    m_dropped_at = std::chrono::steady_clock::now();
    generation = ++m_generation;
    session = m_session.lock();
  }
  quennet::log_event("IM connection lost; retrying");
  if (session) session->DeliverConnectionState(kInterrupted, generation);
  ScheduleRetry(generation);
}

void ImConnection::ScheduleRetry(int generation) {
  std::weak_ptr<ImConnection> weak = weak_from_this();
  CoreTimer().Schedule(kRetryInterval, [weak, generation] {
    CorePool::Instance().Run([weak, generation] {
      if (auto self = weak.lock()) self->TryReconnect(generation);
    });
  });
}

void ImConnection::TryReconnect(int generation) {
  std::shared_ptr<Session> session;
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (generation != m_generation || m_state != State::kInterrupted) return;
    session = m_session.lock();
  }
  if (!session || session->ended()) return;
  Outcome outcome;
  if (TryConnect(session, true, &outcome) != Attempt::kFailed) return;
  bool retry;
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    // Back, closed or started over meanwhile: that road goes on alone.
    if (generation != m_generation || m_state != State::kInterrupted) return;
    retry = std::chrono::steady_clock::now() - m_dropped_at < std::chrono::seconds(m_retry_seconds);
    if (!retry) m_state = State::kFailed;
  }
  if (retry) {
    ScheduleRetry(generation);
    return;
  }
  quennet::log_event("IM connection failed after retrying");
  session->DeliverConnectionState(kConnectionFailed, generation);
}

void ImConnection::OnPush(const service::PushEvent& event) {
  std::shared_ptr<Session> session;
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_catching_up) {  // applied after what was missed
      m_held.push_back(event);
      return;
    }
    if (m_state != State::kConnected) return;
    session = m_session.lock();
    if (event.kind == service::PushEvent::kMessage && event.seq > m_seq) m_seq = event.seq;
  }
  if (session && !session->ended()) Apply(session, event);
}

void ImConnection::Apply(const std::shared_ptr<Session>& session, const service::PushEvent& event) {
  switch (event.kind) {
    case service::PushEvent::kMessage:
      session->DeliverIncoming(event.message,
                               event.has_unread ? std::optional<_NumUnread>(event.unread) : std::nullopt);
      break;
    case service::PushEvent::kUnread:
      session->DeliverUnread(event.conversation_id, event.unread);
      break;
    case service::PushEvent::kStatus:
      session->DeliverStatus(event.uid, event.status);
      break;
    case service::PushEvent::kFailure:
      session->DeliverFailure(event.text);
      break;
  }
}

}  // namespace mireloom::detail
