#pragma once

// One browser of the stand-in: the state the UI thread, the host's calls and
// the test hooks share, and the browser, host and frame objects over it.

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "cef/cef_browser.h"
#include "cef/cef_client.h"
#include "cef/cef_test.h"

namespace cef_internal {

struct BrowserState {
  // Fixed at creation.
  int id = 0;
  bool fake = false;  // made by the test hooks, outside the stand-in
  bool popup = false;
  HWND parent = nullptr;
  RECT initial_rect = {};
  CefBrowserSettings settings;

  // UI thread only: where the window was before its current move.
  RECT placed_before = {};

  mutable std::mutex mutex;
  // Guarded by `mutex`.
  HWND window = nullptr;
  bool closed = false;
  bool close_queued = false;
  std::wstring url;
  std::vector<std::wstring> url_history;
  std::vector<cef_test::ScriptRecord> scripts;
  int parent_will_close_calls = 0;
  std::vector<std::string> dropped_calls;
  std::vector<std::wstring> painted_lines;
  // The layer's own references, dropped once the browser has closed.
  CefRefPtr<CefBrowser> browser;
  CefRefPtr<CefClient> client;
};

[[nodiscard]] cef_test::BrowserInfo DescribeBrowser(const BrowserState& state);

// What a handler call needs of a browser that has not closed.
struct LiveBrowser {
  CefRefPtr<CefBrowser> browser;
  CefRefPtr<CefClient> client;
  HWND window = nullptr;
};
// False once the browser has closed.
[[nodiscard]] bool TakeLive(BrowserState& state, LiveBrowser& live);

class BrowserImpl final : public CefBrowser, public CefCountedObject {
 public:
  explicit BrowserImpl(std::shared_ptr<BrowserState> state);

  CefRefPtr<CefBrowserHost> GetHost() override { return m_host; }
  CefRefPtr<CefFrame> GetMainFrame() override { return m_frame; }
  int GetIdentifier() override { return m_state->id; }

  [[nodiscard]] const std::shared_ptr<BrowserState>& State() const { return m_state; }

 private:
  const std::shared_ptr<BrowserState> m_state;
  const CefRefPtr<CefBrowserHost> m_host;
  const CefRefPtr<CefFrame> m_frame;
};

}  // namespace cef_internal
