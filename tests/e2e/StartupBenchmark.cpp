// Cold start of the client to its first window, against the smallest program
// that shows one, both started the same way. A benchmark, not a test: it
// prints the times.

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "ProgramDriver.h"

namespace {

constexpr int kRuns = 7;

struct Started {
  PROCESS_INFORMATION process{};
  DWORD start = 0;
};

Started Start(const std::wstring& exe, const std::wstring& folder) {
  Started started;
  std::wstring command = L"\"" + exe + L"\"";
  STARTUPINFOW startup = {sizeof startup};
  started.start = GetTickCount();
  CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &startup,
                 &started.process);
  return started;
}

// Milliseconds until a visible window of the process with the class appears.
DWORD TimeToWindow(const Started& started, const wchar_t* window_class) {
  for (;;) {
    HWND window = nullptr;
    while ((window = FindWindowExW(nullptr, window, window_class, nullptr)) != nullptr) {
      DWORD process = 0;
      GetWindowThreadProcessId(window, &process);
      if (process == started.process.dwProcessId && IsWindowVisible(window)) return GetTickCount() - started.start;
    }
    if (GetTickCount() - started.start > 20000) return 20000;
    Sleep(1);
  }
}

void Stop(Started& started) {
  TerminateProcess(started.process.hProcess, 0);
  WaitForSingleObject(started.process.hProcess, 5000);
  CloseHandle(started.process.hProcess);
  CloseHandle(started.process.hThread);
}

DWORD Median(std::vector<DWORD> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

std::vector<DWORD> Measure(const std::wstring& exe, const std::wstring& folder, const wchar_t* window_class) {
  std::vector<DWORD> times;
  for (int run = 0; run < kRuns; ++run) {
    Started started = Start(exe, folder);
    times.push_back(TimeToWindow(started, window_class));
    Stop(started);
    Sleep(200);
  }
  return times;
}

}  // namespace

int main() {
  wchar_t own[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, own, MAX_PATH);
  std::wstring own_folder = own;
  own_folder.resize(own_folder.find_last_of(L'\\'));
  const std::wstring program_folder = e2e::ProgramFolder();

  const auto plain = Measure(own_folder + L"\\plain_window.exe", own_folder, L"PlainBenchWindow");
  const auto client = Measure(program_folder + L"\\Corvanel.exe", program_folder, L"SubdomainWnd");
  printf("start to first window, median of %d runs under Wine:\n", kRuns);
  printf("  plain Win32 window: %lu ms\n", Median(plain));
  printf("  Corvanel team window: %lu ms\n", Median(client));
  printf("  ratio: %.2f\n", static_cast<double>(Median(client)) / std::max<DWORD>(1, Median(plain)));
  return 0;
}
