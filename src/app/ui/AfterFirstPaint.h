#pragma once

// Start-up work that the first window does not need (COM on this thread, the
// browser layer): queued for the user-interface thread and run by its message
// loop once the first window has painted, so that a person sees the window
// without waiting for it.

#include <functional>

// Queues the work; it runs on this thread, in the order queued. The thread
// must be the one whose message loop shows the first window.
void RunAfterFirstPaint(std::function<void()> work);

// Forgets what has not run yet: the session ended before its first window
// painted, and nothing needs starting any more.
void DropStartUpWork();
