#pragma once

// The application object handed to CefInitialize at start-up. Its one
// decision: every web page of the client connects directly, never through a
// system proxy. Everything else keeps the browser's defaults.

#include <windows.h>

#include "cef/cef_app.h"

class CCefAppEx final : public CefApp, public CefBrowserProcessHandler, public CefRenderProcessHandler {
 public:
  CCefAppEx() = default;
  ~CCefAppEx() override = default;
  CCefAppEx(const CCefAppEx&) = delete;
  CCefAppEx& operator=(const CCefAppEx&) = delete;

  // CefApp
  void OnBeforeCommandLineProcessing(const CefString& process_type, CefRefPtr<CefCommandLine> command_line) override;
  CefRefPtr<CefBrowserProcessHandler> GetBrowserProcessHandler() override;
  CefRefPtr<CefRenderProcessHandler> GetRenderProcessHandler() override;

  // CefRenderProcessHandler
  void OnContextCreated(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame,
                        CefRefPtr<CefV8Context> context) override;

  // CefBase: starts at 0; the last Release deletes the object.
  int AddRef() override;
  int Release() override;
  int GetRefCt() override;

 private:
  volatile LONG m_ref_count = 0;
};
