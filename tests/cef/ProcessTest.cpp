// Initialisation, shutdown and task posting.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <atomic>
#include <mutex>

#include "cef/cef_cookie.h"
#include "cef/cef_task.h"
#include "LayerFixture.h"
#include "RecordingClient.h"

namespace cef_testing {
namespace {

using testing::ElementsAre;

class ProcessTest : public LayerTest {
 protected:
  void SetUp() override {}  // each test starts the layer itself
};

TEST_F(ProcessTest, InitialisationRunsTheAppOnTheCallerBeforeReturningAndStartsTwoThreads) {
  CefRefPtr<RecordingApp> app(new RecordingApp);
  StartLayer(app.get());

  // Already there when CefInitialize has returned, and made on this thread.
  const auto events = app->Events();
  ASSERT_EQ(events.size(), 1u);
  EXPECT_EQ(events[0].thread_id, GetCurrentThreadId());
  EXPECT_THAT(cef_test::InitCommandLineSwitches(), ElementsAre(L"test-switch"));
  EXPECT_TRUE(cef_test::InitSettings().multi_threaded_message_loop);

  EXPECT_TRUE(cef_test::IsInitialized());
  const DWORD ui = cef_test::UIThreadId();
  const DWORD io = cef_test::IOThreadId();
  EXPECT_NE(ui, 0u);
  EXPECT_NE(io, 0u);
  EXPECT_NE(ui, io);
  EXPECT_NE(ui, GetCurrentThreadId());
  EXPECT_FALSE(CefCurrentlyOn(TID_UI));
}

TEST_F(ProcessTest, ASecondInitialisationIsRefusedAndRecorded) {
  StartLayer(nullptr);  // a null app simply means no callbacks
  EXPECT_FALSE(CefInitialize(CefMainArgs(GetModuleHandleW(nullptr)), CefSettings(), nullptr));
  EXPECT_TRUE(cef_test::IsInitialized());
  ExpectViolations({"CefInitialize called again"});
}

TEST_F(ProcessTest, ShutdownIsIdempotentClosesBrowsersAndReleasesAppAndClients) {
  const int baseline = cef_test::LiveObjectCount();
  CefRefPtr<RecordingApp> app(new RecordingApp);
  StartLayer(app.get());
  HostWindow host;
  CefRefPtr<RecordingClient> client(new RecordingClient);
  const int id = CreateBrowserIn(host.Handle(), client.get(), L"http://a.corvanel.test/");
  ASSERT_NE(id, 0);
  EXPECT_GT(app->GetRefCt(), 1);

  cef_shutdown();
  EXPECT_TRUE(cef_test::IsShutDown());
  EXPECT_TRUE(cef_test::Browser(id).closed);
  EXPECT_EQ(client->Count("OnBeforeClose"), 1);
  EXPECT_EQ(client->GetRefCt(), 1);  // only this test's reference is left
  EXPECT_EQ(app->GetRefCt(), 1);
  EXPECT_TRUE(IsWindow(host.Handle()));

  cef_shutdown();
  cef_run_message_loop();
  cef_quit_message_loop();
  cef_shutdown();
  EXPECT_EQ(cef_test::ShutdownCallCount(), 3);
  EXPECT_EQ(client->Count("OnBeforeClose"), 1);

  // Browser, host, frame, contexts and the app and client themselves: all gone.
  client = nullptr;
  app = nullptr;
  EXPECT_EQ(cef_test::LiveObjectCount(), baseline);
}

// The quit sequence of every exit point, run where the program runs it:
// inside a window's message handling, with the host window and its browser
// alive. The loop outside must still find the quit message.
constexpr UINT kQuitCommand = WM_APP + 8;

LRESULT CALLBACK QuittingHostProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == kQuitCommand) {
    PostQuitMessage(0);
    cef_shutdown();
    cef_quit_message_loop();
    return 0;
  }
  return DefWindowProcW(window, message, wparam, lparam);
}

TEST_F(ProcessTest, TheQuitSequenceInsideAHandlerLeavesWmQuitAndPostedMessagesQueued) {
  StartLayer(nullptr);
  HostWindow host;
  SetWindowLongPtrW(host.Handle(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&QuittingHostProc));
  CefRefPtr<RecordingClient> client(new RecordingClient);
  const int id = CreateBrowserIn(host.Handle(), client.get(), L"http://a.corvanel.test/");
  ASSERT_NE(id, 0);

  constexpr UINT kLater = WM_APP + 7;
  PostMessageW(host.Handle(), kLater, 0, 0);  // queued before the quit
  PostMessageW(host.Handle(), kQuitCommand, 0, 0);
  MSG msg;
  ASSERT_TRUE(PeekMessageW(&msg, host.Handle(), kQuitCommand, kQuitCommand, PM_REMOVE));
  DispatchMessageW(&msg);

  EXPECT_TRUE(cef_test::IsShutDown());
  EXPECT_EQ(client->Count("OnBeforeClose"), 1);
  EXPECT_TRUE(IsWindow(host.Handle()));
  EXPECT_TRUE(PeekMessageW(&msg, host.Handle(), kLater, kLater, PM_REMOVE));
  EXPECT_TRUE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
}

TEST_F(ProcessTest, AfterShutdownEveryCallFailsHarmlessly) {
  StartLayer(nullptr);
  HostWindow host;
  CefRefPtr<RecordingClient> client(new RecordingClient);
  const int id = CreateBrowserIn(host.Handle(), client.get(), L"http://a.corvanel.test/");
  ASSERT_NE(id, 0);
  CefRefPtr<CefBrowser> old = client->Browser();
  ASSERT_TRUE(old);
  cef_shutdown();

  EXPECT_FALSE(cef_test::IsInitialized());
  EXPECT_TRUE(CefCookieManager::GetGlobalManager() == nullptr);

  bool deleted = false;
  struct Flagged final : CefTask, CefCountedObject {
    explicit Flagged(bool* deleted) : m_deleted(deleted) {}
    ~Flagged() override { *m_deleted = true; }
    void Execute() override { ADD_FAILURE() << "ran after shutdown"; }
    bool* m_deleted;
  };
  EXPECT_FALSE(CefPostTask(TID_IO, new Flagged(&deleted)));
  EXPECT_TRUE(deleted);  // released unrun

  CefWindowInfo info;
  info.SetAsChild(host.Handle(), {0, 0, 10, 10});
  EXPECT_FALSE(CefBrowserHost::CreateBrowser(info, client.get(), L"http://a.corvanel.test/", CefBrowserSettings()));

  EXPECT_EQ(old->GetHost()->GetWindowHandle(), nullptr);
  old->GetHost()->ParentWindowWillClose();
  old->GetMainFrame()->LoadURL(L"http://late.test/");
  EXPECT_THAT(cef_test::Browser(id).dropped_calls, ElementsAre("LoadURL"));
  ExpectViolations({"CreateBrowser after shutdown"});
}

TEST_F(ProcessTest, TasksRunInOrderOnTheirThreadAndTheRendererIsTheUiThread) {
  StartLayer(nullptr);
  struct Log {
    std::mutex mutex;
    std::vector<int> order;
    std::vector<DWORD> threads;
  } log;
  struct Step final : CefCountedObject {
    void Run(Log* log, int number) {
      std::lock_guard<std::mutex> lock(log->mutex);
      log->order.push_back(number);
      log->threads.push_back(GetCurrentThreadId());
    }
  };
  CefRefPtr<Step> step(new Step);
  for (int i = 0; i < 200; ++i) {
    ASSERT_TRUE(CefPostTask(TID_IO, NewCefRunnableMethod(step, &Step::Run, &log, i)));
  }
  ASSERT_TRUE(CefPostTask(TID_RENDERER, NewCefRunnableMethod(step, &Step::Run, &log, -1)));
  EXPECT_FALSE(CefPostTask(static_cast<CefThreadId>(42), NewCefRunnableMethod(step, &Step::Run, &log, -2)));
  ASSERT_TRUE(cef_test::Flush());

  std::vector<int> io_order;
  for (size_t i = 0; i < log.order.size(); ++i) {
    if (log.threads[i] == cef_test::IOThreadId()) io_order.push_back(log.order[i]);
    if (log.order[i] == -1) {
      EXPECT_EQ(log.threads[i], cef_test::UIThreadId());
    }
  }
  ASSERT_EQ(io_order.size(), 200u);
  for (int i = 0; i < 200; ++i) EXPECT_EQ(io_order[i], i);
  EXPECT_EQ(log.order.size(), 201u);
}

TEST_F(ProcessTest, ATaskKeepsItsReferenceUntilItHasRunAndMayPostFromALayerThread) {
  StartLayer(nullptr);
  std::atomic<bool> on_io{false};
  std::atomic<bool> second_on_ui{false};
  struct Chain final : CefCountedObject {
    std::atomic<bool>* on_io;
    std::atomic<bool>* second_on_ui;
    void First() {
      *on_io = CefCurrentlyOn(TID_IO);
      CefPostTask(TID_UI, NewCefRunnableMethod(this, &Chain::Second));
    }
    void Second() { *second_on_ui = CefCurrentlyOn(TID_UI); }
  };
  auto* chain = new Chain;
  chain->on_io = &on_io;
  chain->second_on_ui = &second_on_ui;
  const int before = cef_test::LiveObjectCount();
  // Only the task holds the chain.
  ASSERT_TRUE(CefPostTask(TID_IO, NewCefRunnableMethod(chain, &Chain::First)));
  ASSERT_TRUE(cef_test::Flush());
  EXPECT_TRUE(on_io);
  EXPECT_TRUE(second_on_ui);
  EXPECT_LT(cef_test::LiveObjectCount(), before);  // chain and tasks are gone
}

}  // namespace
}  // namespace cef_testing
