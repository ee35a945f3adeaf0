#pragma once

// The session's instant-messaging connection to the embedded service. Pushed
// events go into the cache and on to the listeners in order. A lost
// connection is retried until it is back (state 0) or `retrySeconds` have
// passed (state 2); it counts as back only once what was missed is fetched.

#include <chrono>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

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
  // Connects, or reports success when connected already. When it fails while
  // a lost connection is down, the listeners hear again that it is (a caller
  // may have shown it back up), and retrying starts again if it had given up.
  Outcome Connect(unsigned int retrySeconds);
  // Closes without telling the listeners; retries stop.
  void Disconnect();

  [[nodiscard]] State state() const;
  // Changes whenever the connection is closed, lost or back; a state call
  // queued under an older generation is dropped.
  [[nodiscard]] int generation() const;

  void OnPush(const service::PushEvent& event) override;
  void OnDropped() override;

 private:
  enum class Attempt { kConnected, kFailed, kClosed };

  // One try at connecting: registers with the service, fetches what was
  // missed, then applies what was pushed meanwhile. Tells the listeners
  // when it connected.
  Attempt TryConnect(const std::shared_ptr<Session>& session, bool automatic, Outcome* outcome);
  // Applies the events pushed during the attempt until none is left, then
  // marks the connection up: its new generation, or none when it was dropped
  // or closed meanwhile.
  std::optional<int> FinishCatchingUp(const std::shared_ptr<Session>& session, int generation, uint64_t drops,
                                      int64_t newest);
  void RestartRetriesIfDown(const std::shared_ptr<Session>& session);
  void ScheduleRetry(int generation);
  void TryReconnect(int generation);
  void Apply(const std::shared_ptr<Session>& session, const service::PushEvent& event);

  mutable std::mutex m_mutex;
  // One attempt at a time, so that a retry and a requested connection never
  // both catch up. Never taken while m_mutex is held.
  std::mutex m_attempt_mutex;
  std::weak_ptr<Session> m_session;
  State m_state = State::kDisconnected;
  int m_generation = 0;
  int64_t m_seq = 0;  // every message up to this one was delivered
  bool m_has_seq = false;
  unsigned int m_retry_seconds = 30;
  std::chrono::steady_clock::time_point m_dropped_at;
  // Counts the service's drops, also those that hit an attempt in progress.
  uint64_t m_drops = 0;
  // While an attempt runs, pushed events wait here for what was missed.
  bool m_catching_up = false;
  std::vector<service::PushEvent> m_held;
};

}  // namespace mireloom::detail
