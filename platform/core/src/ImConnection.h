#pragma once

// The session's instant-messaging connection to the embedded service. Pushed
// events go into the cache and on to the listeners in order. A lost
// connection is retried until it is back (state 0) or `retrySeconds` have
// passed (state 2); after a reconnection what was missed is fetched.

#include <chrono>
#include <cstdint>
#include <memory>
#include <mutex>

#include "Operation.h"
#include "service/ServiceTypes.h"

namespace mireloom {
class Session;
}

namespace mireloom::detail {

class ImConnection final : public service::PushSink, public std::enable_shared_from_this<ImConnection> {
 public:
  enum class State { kDisconnected, kConnected, kInterrupted, kFailed };

  void Attach(std::weak_ptr<Session> session);
  // Connects, or reports success when connected already.
  Outcome Connect(unsigned int retrySeconds);
  // Closes without telling the listeners; retries stop.
  void Disconnect();

  [[nodiscard]] State state() const;
  // Changes whenever the connection is closed or starts over; a state call
  // queued under an older generation is dropped.
  [[nodiscard]] int generation() const;

  void OnPush(const service::PushEvent& event) override;
  void OnDropped() override;

 private:
  void ScheduleRetry(int generation);
  void TryReconnect(int generation);
  void FetchMissed(const std::shared_ptr<Session>& session, int64_t sinceSeq);
  void Apply(const std::shared_ptr<Session>& session, const service::PushEvent& event);

  mutable std::mutex m_mutex;
  std::weak_ptr<Session> m_session;
  State m_state = State::kDisconnected;
  int m_generation = 0;
  int64_t m_seq = 0;  // newest message seen over the connection
  bool m_has_seq = false;
  unsigned int m_retry_seconds = 30;
  std::chrono::steady_clock::time_point m_dropped_at;
};

}  // namespace mireloom::detail
