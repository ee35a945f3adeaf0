#include "quennet/EventLog.h"

#include <windows.h>
#include <shlobj.h>

#include <cstdarg>
#include <cstdio>
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

class EventLog final {
 public:
  static EventLog& Instance() {
    // Never destroyed: threads may still log while the process exits.
    static EventLog* log = new EventLog;
    return *log;
  }

  void Write(LogLevel level, const std::string& text) {
    const std::string line =
        TimePrefix() + (level == LogLevel::Error ? "ERROR " : "EVENT ") + OneLine(text) + "\r\n";
    std::vector<LogSink> sinks;
    {
      std::lock_guard<std::mutex> lock(m_mutex);
      m_recent.push_back({level, text});
      if (m_recent.size() > kRecentLimit) m_recent.pop_front();
      WriteLineLocked(line);
      for (const auto& entry : m_sinks) sinks.push_back(entry.second);
    }
    for (const auto& sink : sinks) sink(level, text);
  }

  void SetPath(std::wstring path, bool explicit_path) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_path = std::move(path);
    m_path_resolved = explicit_path;
    m_pending.clear();
  }

  int AddSink(LogSink sink) {
    std::lock_guard<std::mutex> lock(m_mutex);
    const int token = ++m_last_token;
    m_sinks.emplace(token, std::move(sink));
    return token;
  }

  void RemoveSink(int token) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_sinks.erase(token);
  }

  std::vector<LogEntry> Recent(size_t count) {
    std::lock_guard<std::mutex> lock(m_mutex);
    const size_t first = m_recent.size() > count ? m_recent.size() - count : 0;
    return std::vector<LogEntry>(m_recent.begin() + static_cast<std::ptrdiff_t>(first), m_recent.end());
  }

  void ClearRecent() {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_recent.clear();
  }

 private:
  void WriteLineLocked(const std::string& line) {
    if (!m_path_resolved) {
      // Worked out on first use so that logging needs nothing from start-up.
      m_path = DefaultLogPath();
      m_path_resolved = true;
    }
    if (m_path.empty()) return;
    m_pending.push_back(line);
    if (m_pending.size() > kPendingLimit) m_pending.pop_front();

    RotateIfFull();
    // Opened for each line and shared for deletion, so that the data folder can
    // be emptied while the program runs.
    HANDLE file = CreateFileW(m_path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    // The log never creates its folder: lines wait in memory until it exists.
    if (file == INVALID_HANDLE_VALUE) return;
    std::string batch;
    for (const auto& pending : m_pending) batch += pending;
    DWORD written = 0;
    const BOOL ok = WriteFile(file, batch.data(), static_cast<DWORD>(batch.size()), &written, nullptr);
    CloseHandle(file);
    if (ok) m_pending.clear();
  }

  void RotateIfFull() {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(m_path.c_str(), GetFileExInfoStandard, &data)) return;
    const LONGLONG size = (static_cast<LONGLONG>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    if (size < kRotateSize) return;
    const std::wstring previous = m_path + L".1";
    MoveFileExW(m_path.c_str(), previous.c_str(), MOVEFILE_REPLACE_EXISTING);
  }

  std::mutex m_mutex;
  std::wstring m_path;
  bool m_path_resolved = false;
  std::deque<std::string> m_pending;
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
