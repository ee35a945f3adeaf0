#pragma once

// The event log: one line per call in "event.log" of the user data folder.
// Callable from any thread from the first line of the program on; it never
// throws, never blocks for long and a failed write is dropped silently.
//
// The format string is always a literal: message text goes in as an argument,
// never as the format, and the compiler checks every call.

namespace quennet {

enum class LogLevel { Event, Error };

void log_event(const char* format, ...) __attribute__((format(gnu_printf, 1, 2)));
void log_error(const char* format, ...) __attribute__((format(gnu_printf, 1, 2)));

}  // namespace quennet
