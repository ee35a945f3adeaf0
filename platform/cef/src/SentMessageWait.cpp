#include "SentMessageWait.h"

namespace cef_internal {

bool WaitHandlingSentMessages(HANDLE handle, DWORD timeout_ms) {
  const ULONGLONG deadline = GetTickCount64() + timeout_ms;
  for (;;) {
    const ULONGLONG now = GetTickCount64();
    const DWORD remaining = now >= deadline ? 0 : static_cast<DWORD>(deadline - now);
    const DWORD result = MsgWaitForMultipleObjectsEx(1, &handle, remaining, QS_SENDMESSAGE, 0);
    if (result == WAIT_OBJECT_0) return true;
    if (result != WAIT_OBJECT_0 + 1) return false;
    // Peeking dispatches the sent messages; with this filter and no removal a
    // posted message is neither taken nor returned.
    MSG message;
    PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
  }
}

}  // namespace cef_internal
