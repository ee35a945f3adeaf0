// The process-level calls of the layer, over its runtime.

#include "cef/cef_app.h"
#include "cef/cef_client.h"
#include "cef/cef_task.h"

#include "BrowserRegistry.h"
#include "Runtime.h"

using cef_internal::Runtime;

bool CefInitialize(const CefMainArgs& args, const CefSettings& settings, CefRefPtr<CefApp> app,
                   void* windows_sandbox_info) {
  return Runtime::Get().Initialize(settings, std::move(app));
}

int CefExecuteProcess(const CefMainArgs& args, CefRefPtr<CefApp> app, void* windows_sandbox_info) { return -1; }

void cef_shutdown() { Runtime::Get().Shutdown(); }

void cef_run_message_loop() {}

void cef_quit_message_loop() {}

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
