#include "quennet/EventLog.h"

#include <windows.h>
#include <shlobj.h>

#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "quennet/testing.h"

#ifndef QUENNET_DATA_FOLDER_NAME
#define QUENNET_DATA_FOLDER_NAME L"Corvanel"
#endif

namespace quennet {
namespace {

constexpr size_t kFormatBufferSize = 8 * 1024;
constexpr char kCutMark[] = "...[cut]";
constexpr size_t kPendingLimit = 1000;
constexpr size_t kRecentLimit = 1000;
constexpr LONGLONG kRotateSize = 4LL * 1024 * 1024;
constexpr SIZE_T kWriterStackBytes = 256 * 1024;

// Formats into a fixed buffer: text that does not fit is cut and marked.
std::string FormatBounded(const char* format, va_list args) {
  char buffer[kFormatBufferSize];
  const int written = vsnprintf(buffer, sizeof buffer, format ? format : "", args);
  if (written < 0) return "(bad log format)";
  std::string text(buffer, std::min(static_cast<size_t>(written), sizeof buffer - 1));
  if (static_cast<size_t>(written) >= sizeof buffer) {
    text.resize(sizeof buffer - 1 - (sizeof kCutMark - 1));
    text += kCutMark;
  }
  return text;
}

// Every event stays on one line of the file.
std::string OneLine(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    if (c == '\r' || c == '\n') {
      out += "\\n";
    } else {
      out += c;
    }
  }
  return out;
}

std::string TimePrefix() {
  SYSTEMTIME now;
  GetLocalTime(&now);
  char prefix[64];
  snprintf(prefix, sizeof prefix, "%04u-%02u-%02u %02u:%02u:%02u.%03u %lu ", now.wYear, now.wMonth, now.wDay,
           now.wHour, now.wMinute, now.wSecond, now.wMilliseconds, GetCurrentThreadId());
  return prefix;
}

std::wstring DefaultLogPath() {
  wchar_t documents[MAX_PATH] = {};
  if (FAILED(SHGetFolderPathW(nullptr, CSIDL_PERSONAL, nullptr, 0, documents))) return {};
  return std::wstring(documents) + L"\\" + QUENNET_DATA_FOLDER_NAME + L"\\event.log";
}

// A lock for the log's state and its file, held in one scope.
class SrwGuard final {
 public:
  explicit SrwGuard(SRWLOCK& lock) : m_lock(lock) { AcquireSRWLockExclusive(&m_lock); }
  ~SrwGuard() { ReleaseSRWLockExclusive(&m_lock); }
  SrwGuard(const SrwGuard&) = delete;
  SrwGuard& operator=(const SrwGuard&) = delete;

 private:
  SRWLOCK& m_lock;
};

// Lines are queued by the caller and written by a thread of the log's own, so
// that the file's opening, writing and closing never hold up a window's
// thread. One lock orders the file's writers, so lines stay in the order they
// were queued. The slim lock and its condition variable need no call to the
// system to wake the writer.
class EventLog final {
 public:
  static EventLog& Instance() {
    // Never destroyed: threads may still log while the process exits.
    static EventLog* log = new EventLog;
    return *log;
  }

  void Write(LogLevel level, const std::string& text) {
    std::string line = TimePrefix() + (level == LogLevel::Error ? "ERROR " : "EVENT ") + OneLine(text) + "\r\n";
    std::vector<LogSink> sinks;
    bool queued = false;
    {
      SrwGuard lock(m_stateLock);
      m_recent.push_back({level, text});
      if (m_recent.size() > kRecentLimit) m_recent.pop_front();
      for (const auto& entry : m_sinks) sinks.push_back(entry.second);
      queued = QueueLocked(std::move(line));
    }
    if (queued) {
      WakeConditionVariable(&m_wake);
    } else {
      WriteWaiting();
    }
    for (const auto& sink : sinks) sink(level, text);
  }

  // Writes every line queued so far before it returns.
  void Flush() { WriteWaiting(); }

  void SetPath(std::wstring path, bool explicit_path) {
    SrwGuard file(m_fileLock);
    // What waits goes to the file it was logged for.
    WriteWaitingLocked();
    SrwGuard lock(m_stateLock);
    m_path = std::move(path);
    m_path_resolved = explicit_path;
    m_pending.clear();
  }

  int AddSink(LogSink sink) {
    SrwGuard lock(m_stateLock);
    const int token = ++m_last_token;
    m_sinks.emplace(token, std::move(sink));
    return token;
  }

  void RemoveSink(int token) {
    SrwGuard lock(m_stateLock);
    m_sinks.erase(token);
  }

  std::vector<LogEntry> Recent(size_t count) {
    SrwGuard lock(m_stateLock);
    const size_t first = m_recent.size() > count ? m_recent.size() - count : 0;
    return std::vector<LogEntry>(m_recent.begin() + static_cast<std::ptrdiff_t>(first), m_recent.end());
  }

  void ClearRecent() {
    SrwGuard lock(m_stateLock);
    m_recent.clear();
  }

 private:
  // False when the line must be written by the caller: the writer thread
  // could not be started, or is a burst behind.
  bool QueueLocked(std::string line) {
    if (!m_path_resolved) {
      // Worked out on first use, by the caller, so that logging needs nothing
      // from start-up and the writer nothing but the file system.
      m_path = DefaultLogPath();
      m_path_resolved = true;
    }
    // No file: the line goes to the sinks and the recent lines only.
    if (m_path.empty()) return true;
    m_pending.push_back(std::move(line));
    ++m_queued;
    if (m_pending.size() > kPendingLimit) {
      // Lines wait without bound for nobody: while the file cannot be
      // written the oldest go, and while the writer falls behind a burst the
      // caller writes.
      if (!m_writeFailing) return false;
      m_pending.pop_front();
    }
    if (!m_writerStarted) {
      m_writerStarted = true;
      // A small stack: the writer only calls the file system.
      HANDLE thread = CreateThread(nullptr, kWriterStackBytes, &EventLog::WriterMain, this,
                                   STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr);
      if (thread) {
        CloseHandle(thread);
        // Lines still queued when the program ends normally are written.
        std::atexit([] { Instance().Flush(); });
      }
      m_writerRunning = thread != nullptr;
    }
    return m_writerRunning;
  }

  static DWORD WINAPI WriterMain(void* log) {
    static_cast<EventLog*>(log)->RunWriter();
    return 0;
  }

  void RunWriter() {
    for (;;) {
      {
        SrwGuard lock(m_stateLock);
        // A failed write is tried again with the next line, not in a loop.
        while (m_queued == m_tried) SleepConditionVariableSRW(&m_wake, &m_stateLock, INFINITE, 0);
      }
      WriteWaiting();
    }
  }

  void WriteWaiting() {
    SrwGuard file(m_fileLock);
    WriteWaitingLocked();
  }

  // The file lock is held.
  void WriteWaitingLocked() {
    std::wstring path;
    std::deque<std::string> batch;
    {
      SrwGuard lock(m_stateLock);
      m_tried = m_queued;
      if (m_pending.empty()) return;
      batch.swap(m_pending);
      path = m_path;
    }
    if (path.empty()) return;
    const bool written = AppendToFile(path, batch);
    SrwGuard lock(m_stateLock);
    m_writeFailing = !written;
    if (written) return;
    // The log never creates its folder: lines wait in memory until it exists.
    for (auto line = batch.rbegin(); line != batch.rend() && m_pending.size() < kPendingLimit; ++line) {
      m_pending.push_front(std::move(*line));
    }
  }

  static bool AppendToFile(const std::wstring& path, const std::deque<std::string>& lines) {
    RotateIfFull(path);
    // Opened for each batch and shared for deletion, so that the data folder
    // can be emptied while the program runs.
    HANDLE file = CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    std::string batch;
    for (const auto& line : lines) batch += line;
    DWORD written = 0;
    const BOOL ok = WriteFile(file, batch.data(), static_cast<DWORD>(batch.size()), &written, nullptr);
    CloseHandle(file);
    return ok;
  }

  static void RotateIfFull(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return;
    const LONGLONG size = (static_cast<LONGLONG>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    if (size < kRotateSize) return;
    const std::wstring previous = path + L".1";
    MoveFileExW(path.c_str(), previous.c_str(), MOVEFILE_REPLACE_EXISTING);
  }

  SRWLOCK m_stateLock = SRWLOCK_INIT;
  SRWLOCK m_fileLock = SRWLOCK_INIT;
  CONDITION_VARIABLE m_wake = CONDITION_VARIABLE_INIT;
  std::wstring m_path;
  bool m_path_resolved = false;
  bool m_writerStarted = false;
  bool m_writerRunning = false;
  bool m_writeFailing = false;  // the last write found no file to write to
  std::deque<std::string> m_pending;
  uint64_t m_queued = 0;  // lines queued since the start
  uint64_t m_tried = 0;   // m_queued when the last write began
  std::deque<LogEntry> m_recent;
  std::map<int, LogSink> m_sinks;
  int m_last_token = 0;
};

void WriteFormatted(LogLevel level, const char* format, va_list args) {
  try {
    EventLog::Instance().Write(level, FormatBounded(format, args));
  } catch (...) {
    // Logging must never affect its caller.
  }
}

}  // namespace

void log_event(const char* format, ...) {
  va_list args;
  va_start(args, format);
  WriteFormatted(LogLevel::Event, format, args);
  va_end(args);
}

void log_error(const char* format, ...) {
  va_list args;
  va_start(args, format);
  WriteFormatted(LogLevel::Error, format, args);
  va_end(args);
}

void SetLogPath(const std::wstring& path) { EventLog::Instance().SetPath(path, true); }
void ResetLogPath() { EventLog::Instance().SetPath({}, false); }
int AddLogSink(LogSink sink) { return EventLog::Instance().AddSink(std::move(sink)); }
void RemoveLogSink(int token) { EventLog::Instance().RemoveSink(token); }
std::vector<LogEntry> RecentLog(size_t count) { return EventLog::Instance().Recent(count); }
void ClearRecentLog() { EventLog::Instance().ClearRecent(); }
void FlushLog() { EventLog::Instance().Flush(); }

struct ScopedLogCapture::State {
  std::mutex mutex;
  std::vector<LogEntry> entries;
};

ScopedLogCapture::ScopedLogCapture() : m_state(std::make_shared<State>()) {
  m_token = AddLogSink([state = m_state](LogLevel level, const std::string& text) {
    std::lock_guard<std::mutex> lock(state->mutex);
    state->entries.push_back({level, text});
  });
}

ScopedLogCapture::~ScopedLogCapture() { RemoveLogSink(m_token); }

std::vector<LogEntry> ScopedLogCapture::Entries() const {
  std::lock_guard<std::mutex> lock(m_state->mutex);
  return m_state->entries;
}

bool ScopedLogCapture::Contains(const std::string& text) const { return Count(text) > 0; }

size_t ScopedLogCapture::Count(const std::string& text) const {
  std::lock_guard<std::mutex> lock(m_state->mutex);
  size_t count = 0;
  for (const auto& entry : m_state->entries) count += entry.text == text ? 1 : 0;
  return count;
}

}  // namespace quennet
