#include "CoreState.h"

#include <mutex>

#include "service/DemoService.h"
#include "Session.h"
#include "TimerThread.h"

namespace mireloom::detail {
namespace {

struct State {
  std::mutex mutex;
  std::shared_ptr<Session> session;
};

State& GetState() {
  static State* state = new State;  // never destroyed: no static destructor waits for threads
  return *state;
}

}  // namespace

std::shared_ptr<Session> CurrentSession() {
  std::lock_guard<std::mutex> lock(GetState().mutex);
  return GetState().session;
}

void SetCurrentSession(std::shared_ptr<Session> session) {
  std::shared_ptr<Session> previous;
  std::lock_guard<std::mutex> lock(GetState().mutex);
  previous = std::move(GetState().session);
  GetState().session = std::move(session);
}

Listeners<MessageHandler>& MessageHandlers() {
  static auto* listeners = new Listeners<MessageHandler>;
  return *listeners;
}

Listeners<NumUnreadHandler>& UnreadHandlers() {
  static auto* listeners = new Listeners<NumUnreadHandler>;
  return *listeners;
}

Listeners<UserStatusHandler>& StatusHandlers() {
  static auto* listeners = new Listeners<UserStatusHandler>;
  return *listeners;
}

TimerThread& CoreTimer() {
  static auto* timer = new TimerThread;
  return *timer;
}

std::shared_ptr<service::DemoService> EmbeddedService() { return service::DemoService::Get(); }

}  // namespace mireloom::detail
