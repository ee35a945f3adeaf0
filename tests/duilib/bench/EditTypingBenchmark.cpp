// Typing into the framework's single-line edit: 5,000 characters with no
// break, one key at a time, each followed by the repaint a user sees, as a
// plain field and as a password field. Prints the time of each thousand keys
// and of the whole run, and for reference the same keys typed into a text
// kept short, so that runs on a busy machine compare. Run from the build
// folder:
//   wine tests/duilib/duilib_bench.exe edit

#include <cstdio>
#include <string>

#include "bench/BenchSupport.h"
#include "duilib/testing.h"

namespace duilib_bench {

namespace {

using namespace DuiLib;

constexpr int kCharacters = 5000;
constexpr int kStep = 1000;
constexpr int kShortText = 50;

const wchar_t kSkin[] =
    L"<Window size=\"400,120\"><Font id=\"0\" name=\"微软雅黑\" size=\"13\" default=\"true\"/>"
    L"<VerticalLayout bkcolor=\"#FFFFFFFF\" inset=\"20,20,20,20\">"
    L"<Edit name=\"plain\" height=\"36\"/><Edit name=\"secret\" height=\"36\" password=\"true\"/>"
    L"</VerticalLayout></Window>";

// One key as the keyboard gives it, then the paint it causes.
void TypeKey(HWND child, HWND window, wchar_t ch) {
  ::SendMessageW(child, WM_CHAR, ch, 1);
  Testing::PumpPending();
  UpdateWindow(window);
}

HWND FocusedChild(BenchWindow& window, LPCTSTR name) {
  auto* edit = static_cast<CEditUI*>(window.Manager().FindControl(name)->GetInterface(L"Edit"));
  edit->SetText(L"");
  edit->SetFocus();
  Testing::PumpPending();
  return edit->GetNativeWindow();
}

void TypeShortText(BenchWindow& window, HWND hwnd, LPCTSTR name) {
  HWND child = FocusedChild(window, name);
  const double start = Now();
  for (int i = 1; i <= kStep; ++i) {
    TypeKey(child, hwnd, static_cast<wchar_t>(L'a' + i % 26));
    if (i % kShortText == 0) SetWindowTextW(child, L"");
  }
  const double elapsed = Now() - start;
  std::printf("  reference: %d keys into a text of at most %d   %8.1f ms   %6.3f ms a key\n", kStep, kShortText,
              elapsed, elapsed / kStep);
}

void TypeLongRun(BenchWindow& window, HWND hwnd, LPCTSTR name) {
  HWND child = FocusedChild(window, name);
  const double start = Now();
  double stepStart = start;
  for (int i = 1; i <= kCharacters; ++i) {
    TypeKey(child, hwnd, static_cast<wchar_t>(L'a' + i % 26));
    if (i % kStep) continue;
    const double now = Now();
    std::printf("  keys %5d-%5d   %8.1f ms   %6.3f ms a key\n", i - kStep + 1, i, now - stepStart,
                (now - stepStart) / kStep);
    stepStart = now;
  }
  std::printf("  all %d keys          %8.1f ms   (text length %d)\n", kCharacters, Now() - start,
              window.Manager().FindControl(name)->GetText().GetLength());
}

}  // namespace

void RunEditTypingBenchmark() {
  BenchWindow window(kSkin);
  HWND hwnd = window.Open(400, 120);
  for (const auto& [name, what] : {std::pair{L"plain", "Edit"}, std::pair{L"secret", "Password edit"}}) {
    std::printf("%s, %d characters with no break, a repaint after each:\n", what, kCharacters);
    TypeShortText(window, hwnd, name);
    TypeLongRun(window, hwnd, name);
  }
  DestroyWindow(hwnd);
  Testing::PumpPending();
}

}  // namespace duilib_bench
