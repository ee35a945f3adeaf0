#pragma once

// Points where the test hooks observe the framework. They cost a null check
// when no test listens.

#include "duilib/Types.h"

namespace DuiLib::detail {

// Every synchronous notification, before its notifiers run.
void TraceNotify(const TNotifyUI& msg, HWND window);

// The test hooks, in their own library, listen through this.
using NotifyTracer = void (*)(const TNotifyUI& msg, HWND window);
void SetNotifyTracer(NotifyTracer tracer);

}  // namespace DuiLib::detail
