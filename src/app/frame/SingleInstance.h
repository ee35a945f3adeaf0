#pragma once

// One running copy per user: the named mutex "CorvanelMutex" is held for the
// life of the session. A second copy brings the first one's main window
// forward and ends.

#include <windows.h>

class SingleInstance final {
 public:
  enum class Outcome { Acquired, AnotherIsRunning, Failed };

  SingleInstance() = default;
  // Releases the mutex when this copy held it.
  ~SingleInstance();
  SingleInstance(const SingleInstance&) = delete;
  SingleInstance& operator=(const SingleInstance&) = delete;

  Outcome Acquire(const wchar_t* name = L"CorvanelMutex");

 private:
  HANDLE m_mutex = nullptr;
  bool m_owned = false;
};

// Shows, raises and flashes the main window of the copy that runs, when it
// shows one ("MainWindow", "Corvanel"); nothing while that copy is still
// signing in. True when a window was found.
bool BringRunningInstanceForward();
