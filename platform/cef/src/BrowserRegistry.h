#pragma once

// Every browser of the stand-in and its road from creation to close. The
// "OnUi" operations run on the layer's UI thread only; the others may be
// called from any thread.

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "Browser.h"

namespace cef_internal {

struct CreationRequest {
  CefWindowInfo window_info;
  CefRefPtr<CefClient> client;
  std::wstring url;
  CefBrowserSettings settings;
};

class BrowserRegistry final {
 public:
  static BrowserRegistry& Get();

  // CreateBrowser's checks; the creation itself is queued to the UI thread.
  bool RequestCreation(CreationRequest request);
  void HoldCreations(bool hold);
  void ReleaseHeldCreations();
  void DropHeldCreations();

  // Makes the window, calls OnAfterCreated and begins the load. Null when
  // the parent window is gone by now.
  std::shared_ptr<BrowserState> CreateOnUi(CreationRequest request, bool popup);
  void LoadOnUi(const std::shared_ptr<BrowserState>& state, const std::wstring& url);
  void RunScriptOnUi(const std::shared_ptr<BrowserState>& state, const cef_test::ScriptRecord& script);
  // The browser's window received WM_NCDESTROY.
  void OnWindowGoneOnUi(const BrowserState* state);
  // Asks DoClose, then destroys the window unless the client kept it and the
  // close is not forced. True when the window went.
  bool CloseOnUi(const std::shared_ptr<BrowserState>& state, bool force);
  void CloseAllOnUi();

  [[nodiscard]] std::shared_ptr<BrowserState> Find(int id) const;
  [[nodiscard]] std::vector<int> Ids() const;
  // Cookies changed: the pages show the names of theirs (queued to the UI thread).
  void RepaintAll() const;
  // After shutdown: drop whatever references are left.
  void ReleaseClients();
  // A new run of the layer starts with no browsers.
  void Forget();

 private:
  BrowserRegistry() = default;

  void FinishCloseOnUi(const std::shared_ptr<BrowserState>& state);
  std::shared_ptr<BrowserState> FindByAddress(const BrowserState* state) const;

  mutable std::mutex m_mutex;
  std::vector<std::shared_ptr<BrowserState>> m_browsers;
  std::vector<CreationRequest> m_held;
  bool m_hold = false;
};

}  // namespace cef_internal
