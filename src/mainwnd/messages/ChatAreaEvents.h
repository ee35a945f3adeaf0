#pragma once

// What the chat area tells the window that owns it.

namespace mireloom {
class Message;
}  // namespace mireloom

namespace mireloomwnd {

class CChatAreaEvents {
 public:
  // The completion of a send, on the window's thread, after the view showed
  // the sent message (when its conversation is open) or the text was given
  // back; `message` is the sent one when `ok`, null otherwise.
  virtual void OnMessageSent(bool ok, const mireloom::Message* message) = 0;

 protected:
  ~CChatAreaEvents() = default;
};

}  // namespace mireloomwnd
