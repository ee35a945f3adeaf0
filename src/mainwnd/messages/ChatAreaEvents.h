#pragma once

// What the chat area tells the window that owns it.

#include <cstdint>
#include <optional>

namespace mireloom {
class Message;
}  // namespace mireloom

namespace mireloomwnd {

class CChatAreaEvents {
 public:
  // The completion of a send, on the window's thread; a failed send's text
  // was given back before. `message` is the sent one when `ok`, null
  // otherwise; `lastTimestamp` the time of its conversation's last message
  // before it, none when it had none.
  virtual void OnMessageSent(bool ok, const mireloom::Message* message, std::optional<int64_t> lastTimestamp) = 0;

 protected:
  ~CChatAreaEvents() = default;
};

}  // namespace mireloomwnd
