#include "quennet/HttpClient.h"

#include <windows.h>
#include <objbase.h>

#include <atomic>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

#include "LocalHosts.h"
#include "quennet/EventLog.h"
#include "quennet/testing.h"
#include "WinInetTransport.h"

namespace quennet {
namespace {

constexpr int kMaxTransfers = 8;
// Each worker costs its stack: beside the transfers, half as many workers again
// may be in completions; beyond that, what is queued waits for one to come back.
constexpr int kMaxWorkers = kMaxTransfers + kMaxTransfers / 2;
// An idle worker holds its stack too: after a burst of downloads (a big
// team's avatars) they go within a second.
constexpr auto kIdleWorkerLifetime = std::chrono::seconds(1);
constexpr size_t kCompletionThreadHistory = 4096;

struct Job {
  std::unique_ptr<HttpRequest> request;
  HttpCompletion completion;
};

bool IsReservedTestHost(const std::string& host) {
  return host == "test" || (host.size() > 5 && host.compare(host.size() - 5, 5, ".test") == 0);
}

// Runs transfers on worker threads, at most kMaxTransfers at once. A worker that
// is inside a completion no longer counts: completions may block for a long time
// (a modal window, a file download), so another worker takes over the queue,
// up to kMaxWorkers workers in all.
class Dispatcher final {
 public:
  static Dispatcher& Instance() {
    static Dispatcher* dispatcher = new Dispatcher;  // never destroyed
    return *dispatcher;
  }

  void Enqueue(Job job) {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_outstanding++ == 0) ResetEvent(m_idle_event);
    m_queue.push_back(std::move(job));
    WakeOrSpawnLocked();
  }

  void SetTransport(std::shared_ptr<HttpTransport> transport) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_test_transport = std::move(transport);
  }

  void SetNetworkAllowed(bool allowed) { m_network_allowed = allowed; }

  bool WaitForIdle(int timeout_ms) {
    const DWORD deadline = GetTickCount() + static_cast<DWORD>(timeout_ms);
    for (;;) {
      {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_outstanding == 0) return true;
      }
      const DWORD now = GetTickCount();
      const LONG remaining = static_cast<LONG>(deadline - now);
      if (remaining <= 0) return false;
      // Completions may SendMessage to this thread's windows: keep handling
      // sent messages, and nothing else, while waiting.
      const DWORD result = MsgWaitForMultipleObjects(1, &m_idle_event, FALSE, static_cast<DWORD>(remaining), QS_SENDMESSAGE);
      if (result == WAIT_OBJECT_0 + 1) {
        MSG msg;
        PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
      }
    }
  }

  std::vector<uint32_t> CompletionThreads() {
    std::lock_guard<std::mutex> lock(m_mutex);
    return std::vector<uint32_t>(m_completion_threads.begin(), m_completion_threads.end());
  }

 private:
  Dispatcher() : m_idle_event(CreateEventW(nullptr, TRUE, TRUE, nullptr)) {}

  // Wakes the idle workers and starts new ones for queued jobs that no idle
  // worker covers, within the limits of transfers and workers.
  void WakeOrSpawnLocked() {
    m_work_cv.notify_all();
    const int uncovered = static_cast<int>(m_queue.size()) - m_idle_workers;
    const int free_slots = std::min(kMaxTransfers - m_transfers - m_idle_workers, kMaxWorkers - m_workers);
    for (int i = 0; i < std::min(uncovered, free_slots); ++i) {
      ++m_workers;
      ++m_idle_workers;  // counted as idle until it takes a job
      std::thread([this] { WorkerLoop(); }).detach();
    }
  }

  void WorkerLoop() {
    // Completions use the shell and urlmon, which need COM on their thread.
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    std::unique_lock<std::mutex> lock(m_mutex);
    for (;;) {
      const bool has_work = m_work_cv.wait_for(lock, kIdleWorkerLifetime, [this] {
        return !m_queue.empty() && m_transfers < kMaxTransfers;
      });
      if (!has_work) break;
      Job job = std::move(m_queue.front());
      m_queue.pop_front();
      --m_idle_workers;
      ++m_transfers;
      std::shared_ptr<HttpTransport> test_transport = m_test_transport;
      lock.unlock();

      std::unique_ptr<HttpResponse> response = Perform(test_transport.get(), job.request.get());

      lock.lock();
      --m_transfers;
      // This worker is about to run a completion that may block: make sure the
      // queue keeps moving without it.
      if (!m_queue.empty()) WakeOrSpawnLocked();
      m_completion_threads.push_back(GetCurrentThreadId());
      if (m_completion_threads.size() > kCompletionThreadHistory) m_completion_threads.pop_front();
      lock.unlock();

      RunCompletion(job.completion, std::move(response));
      job = Job{};

      lock.lock();
      ++m_idle_workers;
      if (--m_outstanding == 0) SetEvent(m_idle_event);
    }
    --m_idle_workers;
    --m_workers;
    lock.unlock();
    if (SUCCEEDED(com)) CoUninitialize();
  }

  static void RunCompletion(const HttpCompletion& completion, std::unique_ptr<HttpResponse> response) {
    if (!completion) return;
    try {
      completion(std::move(response));
    } catch (...) {
      log_error("HTTP completion threw an exception");
    }
  }

  std::unique_ptr<HttpResponse> Perform(HttpTransport* test_transport, const HttpRequest* request) {
    std::unique_ptr<HttpResponse> response;
    try {
      response = PerformChecked(test_transport, request);
    } catch (...) {
      response = HttpResponse::Failure("transport threw an exception");
    }
    return response ? std::move(response) : HttpResponse::Failure("no response");
  }

  std::unique_ptr<HttpResponse> PerformChecked(HttpTransport* test_transport, const HttpRequest* request) {
    if (!request) return HttpResponse::Failure("no request");
    if (request->request_type() < HttpRequest::kGet || request->request_type() > HttpRequest::kDelete) {
      return HttpResponse::Failure("unknown request type");
    }
    const std::string host = UrlHost(request->url());
    if (host.empty()) return HttpResponse::Failure("bad URL: " + request->url());
    if (test_transport) return test_transport->Perform(*request);
    if (LocalHandler handler = detail::FindLocalHandler(host)) return handler(*request);
    // The reserved test domain never reaches a resolver.
    if (IsReservedTestHost(host)) return HttpResponse::Failure("unknown host " + host);
    if (!m_network_allowed) return HttpResponse::Failure("network not allowed: " + host);
    return m_wininet.Perform(*request);
  }

  std::mutex m_mutex;
  std::condition_variable m_work_cv;
  std::deque<Job> m_queue;
  int m_workers = 0;
  int m_idle_workers = 0;
  int m_transfers = 0;
  int m_outstanding = 0;
  HANDLE m_idle_event;
  std::shared_ptr<HttpTransport> m_test_transport;
  std::atomic<bool> m_network_allowed{true};
  std::deque<uint32_t> m_completion_threads;
  detail::WinInetTransport m_wininet;
};

}  // namespace

HttpClient* HttpClient::SharedClient() {
  static HttpClient* client = new HttpClient;  // never destroyed
  return client;
}

void HttpClient::Send(std::unique_ptr<HttpRequest> request, HttpCompletion completion) {
  Dispatcher::Instance().Enqueue(Job{std::move(request), std::move(completion)});
}

void SetTransport(std::shared_ptr<HttpTransport> transport) { Dispatcher::Instance().SetTransport(std::move(transport)); }
void SetNetworkAllowed(bool allowed) { Dispatcher::Instance().SetNetworkAllowed(allowed); }
bool WaitForIdle(int timeout_ms) { return Dispatcher::Instance().WaitForIdle(timeout_ms); }
std::vector<uint32_t> CompletionThreadIds() { return Dispatcher::Instance().CompletionThreads(); }

}  // namespace quennet
