#include "support/ProcessFigures.h"

#include <windows.h>
#include <psapi.h>
#include <tlhelp32.h>

#include <algorithm>

#include "quennet/WinHandles.h"

namespace test_support {
namespace {

constexpr double kMegabyte = 1048576.0;

template <class T>
void KeepMost(std::atomic<T>& most, T value) {
  T seen = most.load();
  while (value > seen && !most.compare_exchange_weak(seen, value)) {
  }
}

}  // namespace

double PrivateMegabytes() {
  size_t committed = 0;
  MEMORY_BASIC_INFORMATION region;
  for (const char* address = nullptr; VirtualQuery(address, &region, sizeof region) == sizeof region;
       address = static_cast<const char*>(region.BaseAddress) + region.RegionSize) {
    if (region.State == MEM_COMMIT && region.Type == MEM_PRIVATE) committed += region.RegionSize;
  }
  return committed / kMegabyte;
}

double WorkingSetMegabytes() {
  PROCESS_MEMORY_COUNTERS memory = {};
  memory.cb = sizeof memory;
  return GetProcessMemoryInfo(GetCurrentProcess(), &memory, sizeof memory) ? memory.WorkingSetSize / kMegabyte : 0;
}

int ThreadCount() {
  quennet::UniqueHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0));
  THREADENTRY32 entry = {sizeof entry};
  int count = 0;
  for (BOOL more = Thread32First(snapshot.get(), &entry); more; more = Thread32Next(snapshot.get(), &entry)) {
    if (entry.th32OwnerProcessID == GetCurrentProcessId()) ++count;
  }
  return count;
}

PeakFigures::PeakFigures(unsigned long periodMs) {
  Read(0);
  m_reader = std::thread([this, periodMs] {
    while (!m_stopping) {
      Read(1);  // the reader's own thread is not the process's work
      Sleep(periodMs);
    }
  });
}

PeakFigures::~PeakFigures() { Stop(); }

void PeakFigures::Stop() {
  m_stopping = true;
  if (m_reader.joinable()) m_reader.join();
}

void PeakFigures::Read(int ownThreads) {
  KeepMost(m_private, test_support::PrivateMegabytes());
  KeepMost(m_working_set, test_support::WorkingSetMegabytes());
  KeepMost(m_threads, ThreadCount() - ownThreads);
}

}  // namespace test_support
