// The session list of 5,000 one-to-one conversations with their avatars
// cached, as after a sign-in: the sort and build of the whole list, one
// incoming message into it until its row leads the repainted list (into rows
// never shown yet, and into a row in view), and a wheel step with its repaint. A benchmark, not a test: it prints the times.

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "app/frame/WindowManager.h"
#include "duilib/testing.h"
#include "MainWindowBenchmark.h"
#include "mainwnd/MainWnd.h"
#include "mireloom/testing.h"

namespace {

namespace core = mireloom::testing;
using benchmark_timing::Clock;
using benchmark_timing::Median;
using benchmark_timing::Milliseconds;

constexpr int kConversations = 5000;
constexpr int kRebuilds = 9;
constexpr int kWheelSteps = 60;
constexpr int kIncoming = 21;
// A row that shows in the list's first view, below its top.
constexpr int kRowInView = 5;
constexpr int64_t kFirstTime = 1700000000;

// Every conversation with a member of its own, generated in the service so
// that the avatars are real, and one message each at distinct times.
void PreloadConversations() {
  std::vector<mireloom::IM::Data> ims;
  std::vector<mireloom::Message::Data> messages;
  for (int i = 0; i < kConversations; ++i) {
    const std::string n = std::to_string(i);
    ims.push_back({"im-bench-" + n, "usr-gen" + n});
    mireloom::Message::Data message;
    message.channel_id = "im-bench-" + n;
    message.channel_type = mireloom::Message::kDirectMessage;
    message.uid = "usr-gen" + n;
    message.content = "消息 " + n;
    message.timestamp = kFirstTime + (i * 7919) % kConversations;
    messages.push_back(message);
  }
  core::PreloadIMs(ims);
  core::PreloadMessages(messages);
  // The window's fetch chain would replace the cached conversations with the
  // service's few: it stops at its first step.
  core::Script("ChannelManager::GetChannels").Fail(-1);
}

DuiLib::CListUI* SessionList(HWND window) {
  DuiLib::CControlUI* list = DuiLib::Testing::ManagerOf(window)->FindControl(L"sessionList");
  return static_cast<DuiLib::CListUI*>(list->GetInterface(L"List"));
}

// A partner's message into a conversation, newer than all others: from the
// core's listener call until its row leads the list, repainted. The core's own
// storing is timed apart, and its listener calls are pumped on this thread, so
// that the thread hand-over of the core does not count in. `pick` names the
// generated conversation of the i-th message.
struct IncomingFigures {
  std::vector<double> stored;
  std::vector<double> shown;
  std::vector<double> listeners;
  std::vector<double> moved;
  std::vector<double> repaint;
};

IncomingFigures MeasureIncoming(HWND window, int64_t firstTime, const std::function<std::string(int)>& pick) {
  DuiLib::CListUI* list = SessionList(window);
  IncomingFigures figures;
  core::SetManualPump(true);
  for (int i = 0; i < kIncoming; ++i) {
    const std::string n = pick(i);
    const std::wstring item = L"imItem_im-bench-" + std::wstring(n.begin(), n.end());
    mireloom::Message::Data message;
    message.channel_id = "im-bench-" + n;
    message.channel_type = mireloom::Message::kDirectMessage;
    message.uid = "usr-gen" + n;
    message.content = "新消息 " + n;
    message.timestamp = firstTime + i;
    auto start = Clock::now();
    core::InjectMessage(message);
    figures.stored.push_back(Milliseconds(start));
    start = Clock::now();
    core::Pump();
    figures.listeners.push_back(Milliseconds(start));
    auto part = Clock::now();
    DuiLib::Testing::PumpUntil(
        [list, &item] { return list->GetCount() > 0 && item == list->GetItemAt(0)->GetName().GetData(); }, 10000);
    figures.moved.push_back(Milliseconds(part));
    part = Clock::now();
    RedrawWindow(window, nullptr, nullptr, RDW_UPDATENOW);
    figures.repaint.push_back(Milliseconds(part));
    figures.shown.push_back(Milliseconds(start));
    // What the message brought after it (the unread count) is not counted
    // into the next one.
    core::Pump();
    DuiLib::Testing::PumpPending();
  }
  core::SetManualPump(false);
  return figures;
}

void PrintIncoming(const char* where, const IncomingFigures& figures) {
  printf("  one incoming message %s, median of %d: stored by the core %.2f ms, then its row first and repainted %.2f ms"
         " (slowest %.2f ms)\n",
         where, kIncoming, Median(figures.stored), Median(figures.shown),
         *std::max_element(figures.shown.begin(), figures.shown.end()));
  // The row is moved, laid out and painted while the window's messages are
  // pumped; the repaint after is what was left to paint.
  printf("    of which the window's listener calls %.2f ms, the row moved and painted %.2f ms, the repaint after %.2f ms\n",
         Median(figures.listeners), Median(figures.moved), Median(figures.repaint));
}

// The generated conversation whose row is at the index of the list.
std::string ConversationAtRow(HWND window, int row) {
  const std::wstring name = SessionList(window)->GetItemAt(row)->GetName().GetData();
  const std::wstring number = name.substr(name.rfind(L'-') + 1);
  return std::string(number.begin(), number.end());
}

void Measure() {
  mireloomwnd::MainWnd* main = mireloomwnd::WindowManager::GetInstance()->GetMainWnd();
  const HWND window = main->GetHWND();
  std::vector<double> rebuilds;
  for (int i = 0; i < kRebuilds; ++i) {
    const auto start = Clock::now();
    main->RefreshAndSelectSession("", false);
    rebuilds.push_back(Milliseconds(start));
  }
  const int items = SessionList(window)->GetCount();
  UpdateWindow(window);
  // Into rows low in the list, never shown yet, and then into a row in view.
  const IncomingFigures low = MeasureIncoming(window, kFirstTime + kConversations, [](int i) {
    return std::to_string(kConversations - 1 - i * 37);
  });
  const IncomingFigures inView = MeasureIncoming(window, kFirstTime + kConversations + kIncoming, [window](int) {
    return ConversationAtRow(window, kRowInView);
  });
  std::vector<double> wheels;
  for (int i = 0; i < kWheelSteps; ++i) {
    const auto start = Clock::now();
    DuiLib::Testing::Wheel(window, L"sessionList", -1);
    RedrawWindow(window, nullptr, nullptr, RDW_UPDATENOW);
    wheels.push_back(Milliseconds(start));
  }
  printf("session list of %d conversations (%d items), median of %d runs:\n", kConversations, items, kRebuilds);
  printf("  sort and build (refresh from the cache): %.1f ms\n", Median(rebuilds));
  PrintIncoming("into a row low in the list", low);
  PrintIncoming("into a row in view", inView);
  printf("  wheel step with its repaint, median of %d: %.2f ms, slowest %.2f ms\n", kWheelSteps, Median(wheels),
         *std::max_element(wheels.begin(), wheels.end()));
  mireloomwnd::WindowManager::GetInstance()->CloseMainWnd();
}

}  // namespace

int main() {
  return benchmark_timing::RunMainWindowBenchmark([] { core::GenerateTeam(kConversations, 0); }, PreloadConversations,
                                                  Measure);
}
