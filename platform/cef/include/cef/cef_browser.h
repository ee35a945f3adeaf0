#pragma once

// A browser: its host (the child window) and its main frame. A browser object
// stays valid as long as anyone holds it; once the browser has closed, its
// calls do nothing.

#include "cef/cef_base.h"
#include "cef/cef_objects.h"
#include "cef/cef_types.h"

class CefClient;
class CefBrowser;

class CefFrame : public virtual CefBase {
 public:
  // Both are queued to the UI thread.
  virtual void LoadURL(const CefString& url) = 0;
  virtual void ExecuteJavaScript(const CefString& code, const CefString& script_url, int start_line) = 0;
  // The address of the last load the UI thread began.
  [[nodiscard]] virtual CefString GetURL() = 0;
};

class CefBrowserHost : public virtual CefBase {
 public:
  // Checks its arguments, queues the creation to the UI thread and returns at
  // once; the client's OnAfterCreated follows there. False (and nothing else
  // happens) before initialisation, after shutdown, without a client or
  // without a live parent window.
  static bool CreateBrowser(const CefWindowInfo& window_info, CefRefPtr<CefClient> client, const CefString& url,
                            const CefBrowserSettings& settings, CefRefPtr<CefRequestContext> request_context = nullptr);

  // The child window from creation until the browser closes; null after.
  [[nodiscard]] virtual CefWindowHandle GetWindowHandle() = 0;
  // Notes that the parent is about to go; the close itself follows when the
  // parent window is destroyed. Any number of calls, at any time.
  virtual void ParentWindowWillClose() = 0;
};

class CefBrowser : public virtual CefBase {
 public:
  [[nodiscard]] virtual CefRefPtr<CefBrowserHost> GetHost() = 0;
  [[nodiscard]] virtual CefRefPtr<CefFrame> GetMainFrame() = 0;
  // Unique in the process, never 0.
  [[nodiscard]] virtual int GetIdentifier() = 0;
};
