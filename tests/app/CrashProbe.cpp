// A program that crashes on purpose, so that the crash filter can be seen
// writing its dump from a real unhandled exception: an access violation, or
// with "stack-overflow" an overflow of the main thread's stack while another
// thread runs on, as the program's own threads do. It starts as the program
// does, so the dump's library is found in the system folder only.

#include <windows.h>

#include <cstring>

#include "app/frame/CrashDump.h"
#include "quennet/SystemLibraries.h"

namespace {

// Each call keeps a frame the compiler cannot drop; no text is that deep.
int Recurse(int depth) {
  volatile char frame[1024];
  frame[0] = static_cast<char>(depth);
  if (depth > (1 << 30)) return frame[0];
  return Recurse(depth + 1) + frame[0];
}

DWORD WINAPI RunOn(void*) {
  Sleep(INFINITE);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  quennet::RestrictLibrarySearchToSystemFolder();
  InstallCrashHandler();
  if (argc > 1 && strcmp(argv[1], "stack-overflow") == 0) {
    CloseHandle(CreateThread(nullptr, 0, RunOn, nullptr, 0, nullptr));
    return Recurse(0);
  }
  volatile int* nowhere = nullptr;
  *nowhere = 42;
  return 0;
}
