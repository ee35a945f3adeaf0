#pragma once

// Hooks for tests only: the client's code never includes this header.

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "quennet/EventLog.h"
#include "quennet/HttpClient.h"

namespace quennet {

// ---- Event log -------------------------------------------------------------

struct LogEntry {
  LogLevel level;
  std::string text;  // as formatted, without the time prefix
};

// Writes the log to this file instead of the user data folder; empty: no file.
void SetLogPath(const std::wstring& path);
// Back to the default file in the user data folder.
void ResetLogPath();

using LogSink = std::function<void(LogLevel, const std::string& text)>;
int AddLogSink(LogSink sink);
void RemoveLogSink(int token);

std::vector<LogEntry> RecentLog(size_t count);
void ClearRecentLog();
// Returns once every line logged before the call is in the file: lines are
// written by the log's own thread.
void FlushLog();

// Collects what is logged while it lives.
class ScopedLogCapture final {
 public:
  ScopedLogCapture();
  ~ScopedLogCapture();
  ScopedLogCapture(const ScopedLogCapture&) = delete;
  ScopedLogCapture& operator=(const ScopedLogCapture&) = delete;

  [[nodiscard]] std::vector<LogEntry> Entries() const;
  [[nodiscard]] bool Contains(const std::string& text) const;
  [[nodiscard]] size_t Count(const std::string& text) const;

 private:
  struct State;
  // Shared with the sink, which a concurrent write may still call after removal.
  std::shared_ptr<State> m_state;
  int m_token = 0;
};

// ---- HTTP ------------------------------------------------------------------

// Replaces the local hosts and WinINet for every request; null restores them.
void SetTransport(std::shared_ptr<HttpTransport> transport);
// With false, a request that is neither scripted nor for a local host fails.
void SetNetworkAllowed(bool allowed);
// Waits until every Send has completed and its completion returned. On a thread
// with windows it keeps handling sent messages meanwhile.
[[nodiscard]] bool WaitForIdle(int timeout_ms);
// The threads on which completions ran, in order.
std::vector<uint32_t> CompletionThreadIds();

// Holds matching requests until released.
class Gate final {
 public:
  void Release();
  // True when released within the time.
  bool Wait(std::chrono::milliseconds timeout);
  [[nodiscard]] int Waiting() const;

 private:
  mutable std::mutex m_mutex;
  std::condition_variable m_released_cv;
  bool m_released = false;
  int m_waiting = 0;
};

// Answers requests from rules: the first rule that matches the type and the URL
// (exactly, or as a prefix) gives a reply or a transport failure.
class ScriptedTransport final : public HttpTransport {
 public:
  struct Rule {
    int type = -1;  // -1: any type
    std::string url;
    bool prefix = false;
    bool fail = false;  // a transport failure instead of a reply
    std::string error = "scripted failure";
    int status = 200;
    HeaderMap headers;
    std::string body;
    int delay_ms = 0;
    std::shared_ptr<Gate> gate;
  };

  struct Call {
    std::string url;
    int type = 0;
    HeaderMap headers;
    std::string body;
    uint32_t thread_id = 0;
    std::chrono::steady_clock::time_point time;
  };

  void AddRule(Rule rule);
  void Reply(const std::string& url, int status, std::string body = {}, HeaderMap headers = {});
  void ReplyPrefix(const std::string& url_prefix, int status, std::string body = {}, HeaderMap headers = {});
  void Fail(const std::string& url, std::string error = "scripted failure");
  // Requests for the URL wait until the returned gate is released, then get the reply.
  std::shared_ptr<Gate> Hold(const std::string& url, int status, std::string body = {});

  [[nodiscard]] std::vector<Call> Calls() const;
  [[nodiscard]] size_t CallCount(const std::string& url) const;

  std::unique_ptr<HttpResponse> Perform(const HttpRequest& request) override;

 private:
  mutable std::mutex m_mutex;
  std::vector<Rule> m_rules;
  std::vector<Call> m_calls;
};

}  // namespace quennet
