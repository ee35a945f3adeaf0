#pragma once

// The application object and the process-level calls: initialisation, the
// message loop and shutdown.

#include "cef/cef_base.h"
#include "cef/cef_browser.h"
#include "cef/cef_objects.h"
#include "cef/cef_types.h"

class CefBrowserProcessHandler : public virtual CefBase {
 public:
  // On the UI thread, once the layer's threads run.
  virtual void OnContextInitialized() {}
};

class CefRenderProcessHandler : public virtual CefBase {
 public:
  // On the UI thread, once per main-frame load, after its load start.
  virtual void OnContextCreated(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame,
                                CefRefPtr<CefV8Context> context) {}
};

class CefApp : public virtual CefBase {
 public:
  // On the thread that calls CefInitialize, before it returns.
  virtual void OnBeforeCommandLineProcessing(const CefString& process_type, CefRefPtr<CefCommandLine> command_line) {}
  virtual void OnRegisterCustomSchemes(CefRefPtr<CefSchemeRegistrar> registrar) {}
  virtual CefRefPtr<CefResourceBundleHandler> GetResourceBundleHandler() { return nullptr; }
  virtual CefRefPtr<CefBrowserProcessHandler> GetBrowserProcessHandler() { return nullptr; }
  virtual CefRefPtr<CefRenderProcessHandler> GetRenderProcessHandler() { return nullptr; }
};

// Starts the UI and IO threads and keeps the app until shutdown. There is no
// sub-process; a second call is refused. The app may be null.
bool CefInitialize(const CefMainArgs& args, const CefSettings& settings, CefRefPtr<CefApp> app,
                   void* windows_sandbox_info = nullptr);
// There are no sub-processes: always -1.
int CefExecuteProcess(const CefMainArgs& args, CefRefPtr<CefApp> app, void* windows_sandbox_info = nullptr);

// Closes every browser, runs the IO work already queued, stops the threads,
// empties the cookie store and releases the app and the clients. Later calls
// return at once. Safe from inside nested modal loops right after
// PostQuitMessage: while it waits it handles sent messages only and leaves
// every posted message, WM_QUIT included, in the queue.
void cef_shutdown();
// The loop always runs on the layer's own thread, so these return at once,
// also after shutdown.
void cef_run_message_loop();
void cef_quit_message_loop();

inline void CefShutdown() { cef_shutdown(); }
inline void CefRunMessageLoop() { cef_run_message_loop(); }
inline void CefQuitMessageLoop() { cef_quit_message_loop(); }
