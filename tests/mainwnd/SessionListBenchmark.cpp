// The session list of 5,000 one-to-one conversations with their avatars
// cached, as after a sign-in: the sort and build of the whole list (as every
// refresh does it), and a wheel step with its repaint. A benchmark, not a
// test: it prints the times.

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "MainWindowBenchmark.h"
#include "app/frame/WindowManager.h"
#include "duilib/testing.h"
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
    message.timestamp = 1700000000 + (i * 7919) % kConversations;
    messages.push_back(message);
  }
  core::PreloadIMs(ims);
  core::PreloadMessages(messages);
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
  auto* list = DuiLib::Testing::ManagerOf(window)->FindControl(L"sessionList");
  const int items = static_cast<DuiLib::CListUI*>(list->GetInterface(L"List"))->GetCount();
  UpdateWindow(window);
  std::vector<double> wheels;
  for (int i = 0; i < kWheelSteps; ++i) {
    const auto start = Clock::now();
    DuiLib::Testing::Wheel(window, L"sessionList", -1);
    RedrawWindow(window, nullptr, nullptr, RDW_UPDATENOW);
    wheels.push_back(Milliseconds(start));
  }
  printf("session list of %d conversations (%d items), median of %d runs:\n", kConversations, items, kRebuilds);
  printf("  sort and build (refresh from the cache): %.1f ms\n", Median(rebuilds));
  printf("  wheel step with its repaint, median of %d: %.2f ms, slowest %.2f ms\n", kWheelSteps, Median(wheels),
         *std::max_element(wheels.begin(), wheels.end()));
  mireloomwnd::WindowManager::GetInstance()->CloseMainWnd();
}

}  // namespace

int main() {
  return benchmark_timing::RunMainWindowBenchmark([] { core::GenerateTeam(kConversations, 0); }, PreloadConversations,
                                                  Measure);
}
