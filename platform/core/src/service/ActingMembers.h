#pragma once

// The demo members who act: the answering member replies to one-to-one
// messages, the robot carries out commands sent to it, and calls end by
// themselves. Runs on the service's timer thread, never under its lock.

#include <atomic>
#include <functional>
#include <memory>
#include <string>

#include "../TimerThread.h"
#include "mireloom/Message.h"

namespace mireloom::service {

class DemoService;

class ActingMembers final {
 public:
  explicit ActingMembers(DemoService& service);
  ~ActingMembers();
  ActingMembers(const ActingMembers&) = delete;
  ActingMembers& operator=(const ActingMembers&) = delete;

  // A message was posted; replies and commands follow on the timer thread.
  void OnPosted(const Message::Data& message);
  // A ringing call ends after a minute.
  void EndCallLater(const std::string& callId);

 private:
  struct Context;  // the team's acting members as seen when the message came

  // counted: a test waiting for the core to be idle waits for it too.
  void Schedule(int delayMs, std::function<void()> action, bool counted);
  void Reply(const Context& context, const Message::Data& message);
  void RunCommand(const Context& context, const Message::Data& message);
  void Say(const std::string& conversation, const std::string& from, const std::string& text, int contentType);
  std::string CommandHelp() const;

  DemoService& m_service;
  std::shared_ptr<std::atomic<int>> m_counted_pending = std::make_shared<std::atomic<int>>(0);
  std::unique_ptr<detail::TimerThread> m_timer = std::make_unique<detail::TimerThread>();
};

}  // namespace mireloom::service
