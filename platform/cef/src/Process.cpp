// The process-level calls of the layer, over its runtime.

#include "cef/cef_app.h"
#include "cef/cef_client.h"
#include "cef/cef_task.h"
#include "cef/cef_test.h"

#include <windows.h>

#include <mutex>

#include "BrowserRegistry.h"
#include "Runtime.h"

using cef_internal::Runtime;

namespace {

struct ProcessJournal {
  std::mutex mutex;
  std::vector<cef_test::ProcessCall> calls;
};

ProcessJournal& Journal() {
  static auto* journal = new ProcessJournal;
  return *journal;
}

void Record(const char* name) {
  MSG msg;
  const bool quit = PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE) != FALSE;
  std::lock_guard<std::mutex> lock(Journal().mutex);
  Journal().calls.push_back({name, quit});
}

}  // namespace

namespace cef_test {

std::vector<ProcessCall> ProcessCalls() {
  std::lock_guard<std::mutex> lock(Journal().mutex);
  return Journal().calls;
}

void ClearProcessCalls() {
  std::lock_guard<std::mutex> lock(Journal().mutex);
  Journal().calls.clear();
}

}  // namespace cef_test

bool CefInitialize(const CefMainArgs& args, const CefSettings& settings, CefRefPtr<CefApp> app,
                   void* windows_sandbox_info) {
  return Runtime::Get().Initialize(settings, std::move(app));
}

int CefExecuteProcess(const CefMainArgs& args, CefRefPtr<CefApp> app, void* windows_sandbox_info) { return -1; }

void cef_shutdown() {
  Record("cef_shutdown");
  Runtime::Get().Shutdown();
}

void cef_run_message_loop() { Record("cef_run_message_loop"); }

void cef_quit_message_loop() { Record("cef_quit_message_loop"); }

bool CefPostTask(CefThreadId thread, CefRefPtr<CefTask> task) {
  if (!task) return false;
  // The closure holds the task's reference until it has run; a refused post
  // releases it at once.
  return Runtime::Get().PostClientTask(thread, [task] { task->Execute(); });
}

bool CefCurrentlyOn(CefThreadId thread) {
  Runtime& runtime = Runtime::Get();
  switch (thread) {
    case TID_UI:
    case TID_RENDERER:
      return runtime.IsUiThread();
    case TID_IO:
      return runtime.IsIoThread();
  }
  return false;
}

bool CefBrowserHost::CreateBrowser(const CefWindowInfo& window_info, CefRefPtr<CefClient> client,
                                   const CefString& url, const CefBrowserSettings& settings,
                                   CefRefPtr<CefRequestContext> request_context) {
  Runtime& runtime = Runtime::Get();
  if (runtime.State() == cef_internal::RunState::ShutDown) {
    runtime.RecordViolation("CreateBrowser after shutdown");
    return false;
  }
  return cef_internal::BrowserRegistry::Get().RequestCreation({window_info, std::move(client), url.ToWString(), settings});
}
