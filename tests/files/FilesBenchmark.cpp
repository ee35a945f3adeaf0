// How long the image viewer takes to repaint while the user zooms and drags:
// the demo's 1600 x 1200 picture (saved through its download address, as the
// viewer saves) and a generated 4000 x 3000 JPEG, each unturned and turned.
// Prints milliseconds per frame, and what decoding and a turn cost; a
// benchmark, not a test: nothing is judged.
//   files_bench.exe [frames]

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <future>
#include <string>
#include <vector>

#include "app/frame/WindowManager.h"
#include "app/storage/DownloadCache.h"
#include "app/text/TextHelpers.h"
#include "app/ui/PlatformSeam.h"
#include "app/ui/UiThread.h"
#include "app/ui/WndShadow.h"
#include "duilib/testing.h"
#include "files/FileAddresses.h"
#include "files/viewer/UUCenterUI.h"
#include "mireloom/testing.h"
#include "support/LaidOutProgram.h"
#include "support/TempFolder.h"
#include "TestPictures.h"

namespace {

using namespace DuiLib;
using mireloomwnd::WindowManager;

struct Timings {
  std::vector<double> frames;
  [[nodiscard]] double Mean() const {
    double sum = 0;
    for (double frame : frames) sum += frame;
    return frames.empty() ? 0 : sum / frames.size();
  }
  [[nodiscard]] double Worst() const { return frames.empty() ? 0 : *std::max_element(frames.begin(), frames.end()); }
};

double Now() {
  LARGE_INTEGER counter, frequency;
  QueryPerformanceCounter(&counter);
  QueryPerformanceFrequency(&frequency);
  return counter.QuadPart * 1000.0 / frequency.QuadPart;
}

// One frame: the action, then the repaint it caused, painted now.
double Frame(HWND window, const std::function<void()>& action) {
  const double start = Now();
  action();
  RedrawWindow(window, nullptr, nullptr, RDW_UPDATENOW);
  return Now() - start;
}

LPARAM At(int x, int y) { return MAKELPARAM(x, y); }

void Measure(HWND window, const std::wstring& path, int frames, bool turned, const char* label) {
  CUUCenterUI* picture = static_cast<CUUCenterUI*>(Testing::ManagerOf(window)->FindControl(L"imgpanel"));
  // Decoding the file again, as opening the viewer does.
  const double load = Frame(window, [&] { picture->SetImage(path.c_str()); });
  const double turn = turned ? Frame(window, [&] { Testing::Click(window, L"rotationbtn"); }) : 0.0;
  Timings zoom, drag;
  // Zooming: in and out again around the fit, as wheel turns do.
  for (int i = 0; i < frames; ++i) {
    const WPARAM wheel = MAKEWPARAM(0, (i / 8) % 2 == 0 ? WHEEL_DELTA : -WHEEL_DELTA);
    zoom.frames.push_back(Frame(window, [&] { ::SendMessageW(window, WM_MOUSEWHEEL, wheel, At(400, 300)); }));
  }
  // Dragging a picture larger than the window, to and fro.
  Testing::Click(window, L"originbtn");
  for (int i = 0; i < 6; ++i) ::SendMessageW(window, WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), At(400, 300));
  RECT client;
  GetClientRect(window, &client);
  const POINT centre = {client.right / 2, client.bottom / 2};
  ::SendMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, At(centre.x, centre.y));
  for (int i = 0; i < frames; ++i) {
    const int offset = (i % 20 < 10 ? i % 20 : 20 - i % 20) * 12;
    drag.frames.push_back(Frame(window, [&] {
      ::SendMessageW(window, WM_MOUSEMOVE, MK_LBUTTON, At(centre.x - offset, centre.y - offset / 2));
    }));
  }
  ::SendMessageW(window, WM_LBUTTONUP, 0, At(centre.x, centre.y));
  const RECT drawn = picture->GetDrawRect();
  std::printf("%-26s %s  zoom %5.1f ms/frame (worst %5.1f)  drag %5.1f (worst %5.1f)  load %6.1f  turn %6.1f ms"
              "  [%ldx%ld drawn]\n",
              label, turned ? "turned  " : "unturned", zoom.Mean(), zoom.Worst(), drag.Mean(), drag.Worst(), load, turn,
              drawn.right - drawn.left, drawn.bottom - drawn.top);
}

void Run(const std::wstring& path, int frames, const char* label) {
  const std::wstring address = Utf8ToWide(files::DownloadAddress("ent-img-large", "team-demo"));
  for (bool turned : {false, true}) {
    Testing::PostToLoop([&] {
      HWND window = Testing::WaitForWindow(L"ImageViewerWnd", nullptr, 5000);
      if (window) Measure(window, path, frames, turned, label);
      WindowManager::GetInstance()->CloseImageViewerWnd();
    });
    WindowManager::GetInstance()->ShowImageViewerWnd(path.c_str(), address.c_str(), L"picture.jpg");
  }
}

// The demo's large picture, fetched the way the viewer saves one.
bool FetchDemoPicture(const std::wstring& path) {
  std::promise<std::string> location;
  RequestRedirectLocation(files::DownloadAddress("ent-img-large", "team-demo"),
                          [&](const std::string& found) { location.set_value(found); });
  auto answer = location.get_future();
  if (answer.wait_for(std::chrono::seconds(10)) != std::future_status::ready) return false;
  return CWin32Platform().DownloadUrlToFile(AnsiToWide(answer.get()), path);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const int frames = argc > 1 ? std::max(10, _wtoi(argv[1])) : 60;
  CPaintManagerUI::SetInstance(GetModuleHandleW(nullptr));
  CWndShadow::Initialize(GetModuleHandleW(nullptr));
  test_support::LaidOutProgram program;
  CUiThread::Attach();
  mireloom::testing::ScopedCore core;
  if (!mireloom::testing::SignIn("zhou", core.DataFolder(), "demo", "demo1234", false)) return 1;

  test_support::TempFolder folder;
  const std::wstring demo = folder / L"demo.jpg";
  const std::wstring large = folder / L"large.jpg";
  if (!FetchDemoPicture(demo) || !files_test::WriteTestPicture(large, 4000, 3000, L"image/jpeg")) {
    std::printf("the pictures could not be made\n");
    return 1;
  }
  std::printf("Image viewer repaints, %d frames each (decoded by GDI+, drawn by GDI, under Wine):\n", frames);
  Run(demo, frames, "demo picture 1600x1200");
  Run(large, frames, "generated JPEG 4000x3000");
  mireloom::testing::WaitIdle();
  CUiThread::Detach();
  return 0;
}
