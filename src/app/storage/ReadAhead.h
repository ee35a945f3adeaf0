#pragma once

// A value the program will want soon, read on a thread of its own while the
// user-interface thread does something else (start-up, a sign-in), and taken
// where it is needed: waited for if the read is still under way, read there
// and then if nobody started it.

#include <future>
#include <mutex>

template <class Value>
class CReadAhead final {
 public:
  using Reader = Value (*)();

  explicit CReadAhead(Reader read) : m_read(read) {}
  CReadAhead(const CReadAhead&) = delete;
  CReadAhead& operator=(const CReadAhead&) = delete;

  // Starts the read; a read already under way or not yet taken is kept.
  void Start() {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!m_reading.valid()) m_reading = std::async(std::launch::async, m_read);
  }

  // The value read ahead when there is one, else read now.
  [[nodiscard]] Value Take() {
    std::future<Value> reading;
    {
      std::lock_guard<std::mutex> lock(m_mutex);
      reading = std::move(m_reading);
    }
    return reading.valid() ? reading.get() : m_read();
  }

 private:
  const Reader m_read;
  std::mutex m_mutex;
  std::future<Value> m_reading;
};
