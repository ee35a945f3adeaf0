#include "ImConnection.h"

#include "CorePool.h"
#include "CoreState.h"
#include "Session.h"
#include "TimerThread.h"
#include "quennet/EventLog.h"
#include "service/DemoService.h"

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
  int generation;
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    session = m_session.lock();
    if (!session) return Outcome::NotSignedIn();
    if (m_state == State::kConnected) return Outcome::Success();
    m_retry_seconds = retrySeconds;
    generation = ++m_generation;  // a retry in progress gives way to this attempt
  }
  int64_t seq = 0;
  Outcome outcome = session->service()->Connect(session->api_token(), weak_from_this(), false, &seq);
  if (!outcome.ok) return outcome;
  bool fetch_missed;
  int64_t since;
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (generation != m_generation) return Outcome::Failure(-2, "connection closed");
    m_state = State::kConnected;
    fetch_missed = m_has_seq;
    since = m_seq;
    if (!m_has_seq) m_seq = seq;
    m_has_seq = true;
  }
  session->DeliverConnectionState(kConnected, generation);
  if (fetch_missed) FetchMissed(session, since);
  return Outcome::Success();
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

void ImConnection::OnDropped() {
  int generation;
  std::shared_ptr<Session> session;
  {
    std::lock_guard<std::mutex> lock(m_mutex);
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
  int64_t seq = 0;
  const Outcome outcome = session->service()->Connect(session->api_token(), weak_from_this(), true, &seq);
  int64_t since = 0;
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (generation != m_generation) return;
    if (outcome.ok) {
      m_state = State::kConnected;
      since = m_seq;
    } else {
      const auto waited = std::chrono::steady_clock::now() - m_dropped_at;
      if (waited < std::chrono::seconds(m_retry_seconds)) {
        ScheduleRetry(generation);
        return;
      }
      m_state = State::kFailed;
    }
  }
  if (!outcome.ok) {
    quennet::log_event("IM connection failed after retrying");
    session->DeliverConnectionState(kConnectionFailed, generation);
    return;
  }
  session->DeliverConnectionState(kConnected, generation);
  FetchMissed(session, since);
}

void ImConnection::FetchMissed(const std::shared_ptr<Session>& session, int64_t sinceSeq) {
  std::vector<service::PushEvent> events;
  int64_t seq = sinceSeq;
  if (!session->service()->Missed(session->api_token(), sinceSeq, &events, &seq).ok) return;
  for (const auto& event : events) Apply(session, event);
  std::lock_guard<std::mutex> lock(m_mutex);
  if (seq > m_seq) m_seq = seq;
}

void ImConnection::OnPush(const service::PushEvent& event) {
  std::shared_ptr<Session> session;
  {
    std::lock_guard<std::mutex> lock(m_mutex);
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
