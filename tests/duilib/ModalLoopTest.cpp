// Nested modal loops: quitting, closing from anywhere, owners, windows
// destroyed from inside, and the watchdog.

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <thread>

#include "TestWindow.h"
#include "WindowFixture.h"

namespace duilib_test {
namespace {

using namespace DuiLib;

const wchar_t kDialog[] = LR"(<VerticalLayout bkcolor="#FFFFFFFF"><Button name="ok" height="30"/></VerticalLayout>)";

using ModalLoopTest = WindowTest;

TEST_F(ModalLoopTest, OneQuitEndsEveryNestedLoopInnermostFirst) {
  std::vector<std::wstring> ended;
  TestWindow outer(Skin(kDialog), L"DuiOuter");
  TestWindow middle(Skin(kDialog), L"DuiMiddle");
  TestWindow inner(Skin(kDialog), L"DuiInner");
  for (TestWindow* w : {&outer, &middle, &inner}) {
    w->onFinal = [&ended](TestWindow& self) { ended.push_back(self.GetWindowClassName()); };
  }
  UINT middleResult = 99, innerResult = 99;
  ASSERT_NE(outer.CreatePopup(), nullptr);
  Testing::PostToLoop([&] {
    middle.CreatePopup(outer);
    Testing::PostToLoop([&] {
      inner.CreatePopup(middle);
      Testing::PostToLoop([] { PostQuitMessage(3); });
      innerResult = inner.ShowModal();
    });
    middleResult = middle.ShowModal();
  });
  EXPECT_EQ(outer.ShowModal(), 0u);
  EXPECT_EQ(ended, (std::vector<std::wstring>{L"DuiInner", L"DuiMiddle", L"DuiOuter"}));
  EXPECT_EQ(innerResult, 0u);
  EXPECT_EQ(middleResult, 0u);
  // The quit goes on to whoever runs the next loop: the program's end.
  MSG msg;
  EXPECT_TRUE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(msg.wParam, 3u);
}

TEST_F(ModalLoopTest, CloseFromAnotherThreadEndsTheLoopWithItsCode) {
  TestWindow dialog(Skin(kDialog));
  HWND hwnd = dialog.CreatePopup();
  ASSERT_NE(hwnd, nullptr);
  std::thread closer;
  Testing::PostToLoop([&] { closer = std::thread([&dialog] { dialog.Close(IDCANCEL); }); });
  EXPECT_EQ(dialog.ShowModal(), static_cast<UINT>(IDCANCEL));
  closer.join();
  EXPECT_FALSE(IsWindow(hwnd));
  EXPECT_EQ(dialog.finalCount, 1);
}

TEST_F(ModalLoopTest, CloseReturnsAtOnceAndTheWindowStillExistsMeanwhile) {
  TestWindow dialog(Skin(kDialog));
  bool existedAfterClose = false;
  dialog.onNotify = [&](TestWindow& self, TNotifyUI& msg) {
    if (msg.sType == L"click") {
      self.Close(7);
      existedAfterClose = IsWindow(self.GetHWND()) && self.Find(L"ok") != nullptr;
    }
    return false;
  };
  dialog.CreatePopup();
  Testing::PostToLoop([&] { Testing::Click(dialog, L"ok"); });
  EXPECT_EQ(dialog.ShowModal(), 7u);
  EXPECT_TRUE(existedAfterClose);
}

TEST_F(ModalLoopTest, TheOwnerStaysDisabledUntilTheLastChainedDialogEnds) {
  TestWindow mainWindow(Skin(kDialog), L"DuiMain");
  TestWindow first(Skin(kDialog), L"DuiFirst");
  TestWindow second(Skin(kDialog), L"DuiSecond");
  HWND owner = mainWindow.CreatePopup();
  bool disabledWhileSecondRuns = false;
  bool enabledAfterAll = false;
  Testing::PostToLoop([&] {
    // The first dialog opens the second over the same owner and closes itself.
    Testing::PostToLoop([&] {
      second.CreatePopup(owner);
      Testing::PostToLoop([&] {
        first.Close();
        Testing::PostToLoop([&] {
          disabledWhileSecondRuns = !IsWindowEnabled(owner) && !IsWindow(first.GetHWND());
          second.Close();
        });
      });
      second.ShowModal();
    });
    first.CreatePopup(owner);
    first.ShowModal();
    enabledAfterAll = IsWindowEnabled(owner) != FALSE;
    mainWindow.Close();
  });
  mainWindow.ShowModal();
  EXPECT_TRUE(disabledWhileSecondRuns);
  EXPECT_TRUE(enabledAfterAll);
}

// The sign-in road nests this way at every step: a completion on another
// thread sends its result, and the handler closes its window and runs the
// next window's loop. Each sender must be free once the next loop runs, and
// the end of the innermost loop must unwind every loop, at any depth.
TEST_F(ModalLoopTest, LoopsRunInsideSentMessagesFreeTheirSendersAndUnwindAtAnyDepth) {
  constexpr int kDepth = 5;
  const UINT kHandOver = WM_USER + 42;
  std::vector<std::unique_ptr<TestWindow>> steps;
  for (int i = 0; i <= kDepth; ++i) steps.push_back(std::make_unique<TestWindow>(Skin(kDialog), L"DuiStep"));
  std::atomic<int> sendersDone{0};
  std::vector<std::thread> senders;
  senders.reserve(kDepth);
  auto handOverFromAnotherThread = [&](HWND target) {
    senders.emplace_back([&sendersDone, target, kHandOver] {
      SendMessageW(target, kHandOver, 0, 0);
      ++sendersDone;
    });
  };
  bool sendersFreeInInnermost = false;
  for (int i = 0; i < kDepth; ++i) {
    steps[i]->onMessage = [&, i](TestWindow& self, UINT msg, WPARAM, LPARAM, bool& handled) -> LRESULT {
      if (msg != kHandOver) return 0;
      handled = true;
      self.Close(1);
      TestWindow& next = *steps[i + 1];
      next.CreatePopup();
      if (i + 1 < kDepth) {
        Testing::PostToLoop([&] { handOverFromAnotherThread(next.GetHWND()); });
      } else {
        Testing::PostToLoop([&] {
          sendersFreeInInnermost = Testing::PumpUntil([&] { return sendersDone == kDepth; }, 5000);
          next.Close(2);
        });
      }
      next.ShowModal();
      return 1;
    };
  }
  steps[0]->CreatePopup();
  Testing::PostToLoop([&] { handOverFromAnotherThread(steps[0]->GetHWND()); });
  const ULONGLONG start = GetTickCount64();
  steps[0]->ShowModal();
  EXPECT_LT(GetTickCount64() - start, 3000u) << "a loop waited for input after its window had gone";
  EXPECT_TRUE(sendersFreeInInnermost) << "a sender stayed blocked while the loops it started ran";
  for (std::thread& sender : senders) sender.join();
  for (const auto& step : steps) EXPECT_EQ(step->finalCount, 1);
}

// A message sent from another thread is handled inside the loop's wait for
// the next message: when its handler ends the loop's window (closing it and
// running the next window's loop), the loop must still notice at once.
TEST_F(ModalLoopTest, AWindowEndedInsideASentMessageEndsItsLoopWithoutFurtherInput) {
  const UINT kHandOver = WM_USER + 43;
  TestWindow host(Skin(kDialog), L"DuiHost");
  TestWindow next(Skin(kDialog), L"DuiNext");
  host.onMessage = [&](TestWindow& self, UINT msg, WPARAM, LPARAM, bool& handled) -> LRESULT {
    if (msg != kHandOver) return 0;
    handled = true;
    self.Close(1);
    next.CreatePopup();
    Testing::PostToLoop([&] { next.Close(2); });
    next.ShowModal();
    return 1;
  };
  HWND hostWindow = host.CreatePopup();
  std::thread worker;
  Testing::PostToLoop([&] { worker = std::thread([hostWindow] { SendMessageW(hostWindow, kHandOver, 0, 0); }); });
  // The watchdog's timer would wake the loop by itself.
  Testing::SetModalWatchdog(0);
  const ULONGLONG start = GetTickCount64();
  host.ShowModal();
  EXPECT_LT(GetTickCount64() - start, 3000u) << "the loop waited for input after its window had gone";
  worker.join();
  EXPECT_EQ(host.finalCount, 1);
}

TEST_F(ModalLoopTest, AWindowDestroyedFromANestedLoopEndsItsOwnLoopAtOnce) {
  TestWindow outer(Skin(kDialog), L"DuiOuter");
  TestWindow inner(Skin(kDialog), L"DuiInner");
  HWND outerWindow = outer.CreatePopup();
  Testing::PostToLoop([&] {
    inner.CreatePopup();
    Testing::PostToLoop([&] {
      DestroyWindow(outerWindow);  // the outer loop's window goes while the inner loop runs
      inner.Close();
    });
    inner.ShowModal();
  });
  const ULONGLONG start = GetTickCount64();
  EXPECT_EQ(outer.ShowModal(), 0u);
  EXPECT_LT(GetTickCount64() - start, 3000u) << "no further input needed";
  EXPECT_EQ(outer.finalCount, 1);
}

TEST_F(ModalLoopTest, TheWatchdogEndsAHungLoopAndRecordsIt) {
  Testing::SetModalWatchdog(300);
  TestWindow hung(Skin(kDialog));
  hung.CreatePopup();
  EXPECT_EQ(hung.ShowModal(), 0u);
  EXPECT_EQ(hung.finalCount, 1);
  const auto failures = Testing::TakeWatchdogFailures();
  ASSERT_EQ(failures.size(), 1u);
  EXPECT_NE(failures[0].find(L"DuiTestWindow"), std::wstring::npos);
}

TEST_F(ModalLoopTest, ShowModalShowsAndActivatesTheWindow) {
  TestWindow dialog(Skin(kDialog));
  dialog.Create(nullptr, L"hidden at first", WS_POPUP, 0, 10, 10, 100, 100);
  EXPECT_FALSE(IsWindowVisible(dialog));
  bool visible = false, active = false;
  Testing::PostToLoop([&] {
    visible = IsWindowVisible(dialog) != FALSE;
    active = GetActiveWindow() == dialog.GetHWND();
    dialog.Close();
  });
  dialog.ShowModal();
  EXPECT_TRUE(visible);
  EXPECT_TRUE(active);
}

}  // namespace
}  // namespace duilib_test
