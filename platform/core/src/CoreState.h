#pragma once

// Process-wide state of the core: the current session, the process-wide
// listener lists and the core's timer.

#include <memory>

#include "ListenerHub.h"
#include "mireloom/Handlers.h"

namespace mireloom {
class Session;
}
namespace mireloom::service {
class DemoService;
}

namespace mireloom::detail {

class TimerThread;

// The session of the default director; null when none is installed.
std::shared_ptr<Session> CurrentSession();
void SetCurrentSession(std::shared_ptr<Session> session);

Listeners<MessageHandler>& MessageHandlers();
Listeners<NumUnreadHandler>& UnreadHandlers();
Listeners<UserStatusHandler>& StatusHandlers();

TimerThread& CoreTimer();

// The embedded service, started on first use.
std::shared_ptr<service::DemoService> EmbeddedService();

}  // namespace mireloom::detail
