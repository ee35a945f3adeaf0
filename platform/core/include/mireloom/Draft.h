#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace mireloom {

// Unsent text of a conversation's input.
class Draft final {
 public:
  Draft(const std::string& conversationId, const std::string& text, int64_t time)
      : m_channel_id(conversationId), m_text(text), m_time(time) {}
  [[nodiscard]] std::unique_ptr<Draft> Clone() const { return std::make_unique<Draft>(*this); }

  [[nodiscard]] const std::string& channel_id() const { return m_channel_id; }
  [[nodiscard]] const std::string& text() const { return m_text; }
  [[nodiscard]] int64_t time() const { return m_time; }

 private:
  std::string m_channel_id;
  std::string m_text;
  int64_t m_time = 0;
};

}  // namespace mireloom
