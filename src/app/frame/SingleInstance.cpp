#include "app/frame/SingleInstance.h"

#include "quennet/EventLog.h"

SingleInstance::~SingleInstance() {
  // Another copy's handle is left to the end of the process, as the system
  // would; only the copy that owns the session closes its own.
  if (m_mutex && m_owned) CloseHandle(m_mutex);
}

SingleInstance::Outcome SingleInstance::Acquire(const wchar_t* name) {
  m_mutex = CreateMutexW(nullptr, FALSE, name);
  if (!m_mutex) {
    quennet::log_error("Create mutex failed, error %lu", GetLastError());
    return Outcome::Failed;
  }
  if (GetLastError() == ERROR_ALREADY_EXISTS) return Outcome::AnotherIsRunning;
  m_owned = true;
  return Outcome::Acquired;
}

bool BringRunningInstanceForward() {
  HWND main_window = FindWindowW(L"MainWindow", L"Corvanel");
  if (!main_window) return false;
  ShowWindow(main_window, SW_SHOWNORMAL);
  SetForegroundWindow(main_window);
  BringWindowToTop(main_window);
  FlashWindow(main_window, TRUE);
  return true;
}
