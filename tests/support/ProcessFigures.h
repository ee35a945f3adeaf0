#pragma once

// What this process holds, read as a test or a benchmark needs it: private
// memory, working set and threads, now or at their most while work runs.

#include <atomic>
#include <thread>

namespace test_support {

// Committed private memory in megabytes. Wine leaves the counters' private
// usage at zero, so the address space is walked.
[[nodiscard]] double PrivateMegabytes();
[[nodiscard]] double WorkingSetMegabytes();
// Threads of this process.
[[nodiscard]] int ThreadCount();

// Reads the figures on a thread of its own, from its construction to Stop
// (or its end), every period, and keeps the most of each. Its own thread is
// not counted. A reading walks the address space: a longer period disturbs
// timed work less.
class PeakFigures final {
 public:
  explicit PeakFigures(unsigned long periodMs = 2);
  ~PeakFigures();
  PeakFigures(const PeakFigures&) = delete;
  PeakFigures& operator=(const PeakFigures&) = delete;

  void Stop();
  [[nodiscard]] double PrivateMegabytes() const { return m_private; }
  [[nodiscard]] double WorkingSetMegabytes() const { return m_working_set; }
  [[nodiscard]] int Threads() const { return m_threads; }

 private:
  void Read(int ownThreads);

  std::atomic<bool> m_stopping{false};
  std::atomic<double> m_private{0};
  std::atomic<double> m_working_set{0};
  std::atomic<int> m_threads{0};
  std::thread m_reader;
};

}  // namespace test_support
