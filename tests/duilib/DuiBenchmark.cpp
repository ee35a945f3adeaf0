// Benchmarks, not tests: a window of 200 controls built and painted, big
// lists, trees, message views, typing into an edit and the emoji grid; each step prints how long it takes. Run
// it under Wine from the build folder (see the README):
//   wine tests/duilib/duilib_bench.exe

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "bench/BenchSupport.h"
#include "duilib/testing.h"
#include "duilib/UIlib.h"

namespace duilib_bench {

namespace {

using namespace DuiLib;

constexpr int kRows = 39;  // 39 rows of 5 controls, plus the root and 4 header controls: 200
constexpr int kRuns = 20;

std::wstring SkinOf200Controls() {
  std::wstring xml =
      L"<Window size=\"800,900\" roundcorner=\"8,8\"><Font id=\"0\" name=\"微软雅黑\" size=\"13\" default=\"true\"/>"
      L"<Font id=\"1\" name=\"微软雅黑\" size=\"13\" bold=\"true\"/>"
      L"<VerticalLayout bkcolor=\"#FFF4F5F7\" inset=\"12,12,12,12\" childpadding=\"2\">"
      L"<HorizontalLayout height=\"30\"><Label name=\"title\" text=\"成员列表 Members\" font=\"1\"/>"
      L"<Edit name=\"search\" width=\"200\" tipvalue=\"搜索 Search\" bordercolor=\"#FFD5D8DC\"/></HorizontalLayout>";
  for (int i = 0; i < kRows; ++i) {
    const std::wstring n = std::to_wstring(i);
    xml += L"<HorizontalLayout height=\"20\" bkcolor=\"#FFFFFFFF\" borderround=\"6,6\" childpadding=\"8\">"
           L"<Label name=\"name" + n + L"\" text=\"成员 Member " + n + L"\" textpadding=\"8,0,0,0\"/>"
           L"<Button name=\"call" + n + L"\" text=\"呼叫\" width=\"60\" bkcolor=\"#FF2F6BFF\" hotbkcolor=\"#FF4D82FF\" textcolor=\"#FFFFFFFF\" borderround=\"6,6\"/>"
           L"<CheckBox name=\"pick" + n + L"\" text=\"选择\" width=\"60\" selected=\"" + (i % 3 ? L"false" : L"true") + L"\" bkcolor=\"#FFF0F1F3\"/>"
           L"<Control width=\"8\" bkcolor=\"#FF22C55E\" borderround=\"8,8\"/></HorizontalLayout>";
  }
  xml += L"<Control/></VerticalLayout></Window>";
  return xml;
}

int CountControls(CControlUI* control) {
  int count = 1;
  for (int i = 0; i < control->GetChildCount(); ++i) count += CountControls(control->GetChildAt(i));
  return count;
}

}  // namespace

void RunWindowBenchmark() {
  const std::wstring skin = SkinOf200Controls();
  Figures build, create, firstPaint, repaint, render, hover, destroy;
  int controls = 0;
  for (int run = 0; run < kRuns; ++run) {
    {
      CPaintManagerUI manager;
      const double start = Now();
      CControlUI* root = CDialogBuilder().Create(skin.c_str(), nullptr, nullptr, &manager);
      build.Add(Now() - start);
      controls = CountControls(root);
      delete root;
    }
    BenchWindow window(skin);
    double start = Now();
    HWND hwnd = window.Create(nullptr, L"bench", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, 0);
    create.Add(Now() - start);
    start = Now();
    UpdateWindow(hwnd);  // layout and the first paint, through WM_PAINT
    firstPaint.Add(Now() - start);
    start = Now();
    for (int i = 0; i < 10; ++i) {
      InvalidateRect(hwnd, nullptr, FALSE);
      UpdateWindow(hwnd);
    }
    repaint.Add((Now() - start) / 10);
    start = Now();
    for (int i = 0; i < 10; ++i) DeleteObject(Testing::RenderWindow(hwnd));
    render.Add((Now() - start) / 10);
    start = Now();
    for (int i = 0; i < kRows; ++i) {
      const RECT& rc = window.Manager().FindControl((L"call" + std::to_wstring(i)).c_str())->GetPos();
      SendMessageW(hwnd, WM_MOUSEMOVE, 0, MAKELPARAM((rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2));
      UpdateWindow(hwnd);
    }
    hover.Add((Now() - start) / kRows);
    start = Now();
    DestroyWindow(hwnd);
    destroy.Add(Now() - start);
    Testing::PumpPending();
  }
  std::printf("Window of %d controls, %d runs each\n", controls, kRuns);
  build.Print("skin parsed and built (no window)");
  create.Print("window created (build, size, region, init)");
  firstPaint.Print("first layout and paint (800x900)");
  repaint.Print("full repaint (WM_PAINT, to the screen)");
  render.Print("full render into a bitmap (no screen)");
  hover.Print("hover move to a button, with its repaint");
  destroy.Print("window destroyed (tree freed)");
}

}  // namespace duilib_bench

// With no argument every benchmark runs; "window", "list", "tree",
// "messages", "edit" or "emoji" runs one, so that its memory figures are its own.
// "emoji" takes the skin folder as a second argument.
int main(int argc, char** argv) {
  DuiLib::CPaintManagerUI::SetInstance(GetModuleHandleW(nullptr));
  const std::string only = argc > 1 ? argv[1] : "";
  if (only.empty() || only == "window") duilib_bench::RunWindowBenchmark();
  if (only.empty() || only == "list") duilib_bench::RunSessionListBenchmark();
  if (only.empty() || only == "tree") duilib_bench::RunContactsTreeBenchmark();
  if (only.empty() || only == "messages") duilib_bench::RunMessageViewBenchmark();
  if (only.empty() || only == "edit") duilib_bench::RunEditTypingBenchmark();
  if (only.empty() || only == "emoji") {
    duilib_bench::RunEmojiGridBenchmark(argc > 2 ? std::wstring(argv[2], argv[2] + strlen(argv[2])) : std::wstring());
  }
  return 0;
}
