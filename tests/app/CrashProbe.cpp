// A program that crashes on purpose, so that the crash filter can be seen
// writing its dump from a real unhandled exception.

#include <windows.h>

#include "app/frame/CrashDump.h"

int main() {
  SetUnhandledExceptionFilter(CrashHandler);
  volatile int* nowhere = nullptr;
  *nowhere = 42;
  return 0;
}
