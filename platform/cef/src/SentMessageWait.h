#pragma once

#include <windows.h>

namespace cef_internal {

// Waits for the handle while handling only messages sent to this thread's
// windows, so that a layer thread that sends to them can go on. Posted
// messages, WM_QUIT among them, stay queued for the caller's own loop. True
// when the handle was signalled in time.
bool WaitHandlingSentMessages(HANDLE handle, DWORD timeout_ms);

}  // namespace cef_internal
