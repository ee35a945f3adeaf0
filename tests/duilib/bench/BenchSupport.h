#pragma once

// Timing, figures and a window for the framework's benchmarks.

#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "duilib/UIlib.h"

namespace duilib_bench {

inline double Now() {
  LARGE_INTEGER counter, frequency;
  QueryPerformanceCounter(&counter);
  QueryPerformanceFrequency(&frequency);
  return static_cast<double>(counter.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

// Milliseconds of a set of runs, printed as median, min and max.
struct Figures {
  std::vector<double> samples;
  void Add(double ms) { samples.push_back(ms); }
  void Print(const char* what) {
    if (samples.empty()) return;
    std::sort(samples.begin(), samples.end());
    std::printf("%-52s median %8.3f ms   min %8.3f ms   max %8.3f ms\n", what, samples[samples.size() / 2],
                samples.front(), samples.back());
  }
};

struct MemoryUse {
  double privateMB;     // committed private bytes
  double workingSetMB;  // resident
};

inline MemoryUse Memory() {
  PROCESS_MEMORY_COUNTERS counters = {};
  counters.cb = sizeof counters;
  GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
  // Wine leaves PrivateUsage at 0; PagefileUsage holds the committed private bytes.
  return MemoryUse{static_cast<double>(counters.PagefileUsage) / 1048576.0,
                   static_cast<double>(counters.WorkingSetSize) / 1048576.0};
}

// GDI objects of the process; "n/a" where the count cannot be read (Wine).
inline std::string GdiObjects() {
  const DWORD count = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
  return count ? std::to_string(count) : std::string("n/a");
}

// A window built like the client's, from skin text.
class BenchWindow final : public DuiLib::WindowImplBase {
 public:
  explicit BenchWindow(std::wstring skin) : m_skin(std::move(skin)) {}
  LPCTSTR GetWindowClassName() const override { return L"DuiBenchWindow"; }
  DuiLib::CDuiString GetSkinFolder() override { return L""; }
  DuiLib::CDuiString GetSkinFile() override { return m_skin.c_str(); }
  DuiLib::CPaintManagerUI& Manager() { return m_PaintManager; }
  HWND Open(int width, int height) {
    return Create(nullptr, L"bench", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, 0, width, height);
  }

 private:
  std::wstring m_skin;
};

// One notch of the wheel over a client point, with the repaint it causes.
inline void WheelAndPaint(HWND hwnd, POINT pt, int notches) {
  ClientToScreen(hwnd, &pt);
  SendMessageW(hwnd, WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<SHORT>(notches * WHEEL_DELTA)), MAKELPARAM(pt.x, pt.y));
  UpdateWindow(hwnd);
}

void RunWindowBenchmark();
void RunSessionListBenchmark();
void RunContactsTreeBenchmark();
void RunMessageViewBenchmark();
void RunEditTypingBenchmark();
// The skin folder holding emoji/; empty: ..\dist\Mireloom\skin from the build folder.
void RunEmojiGridBenchmark(const std::wstring& skin);

}  // namespace duilib_bench
