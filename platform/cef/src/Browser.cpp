#include "Browser.h"

#include "BrowserRegistry.h"
#include "Runtime.h"

namespace cef_internal {

namespace {

class HostImpl final : public CefBrowserHost, public CefCountedObject {
 public:
  explicit HostImpl(std::shared_ptr<BrowserState> state) : m_state(std::move(state)) {}

  CefWindowHandle GetWindowHandle() override {
    std::lock_guard<std::mutex> lock(m_state->mutex);
    return m_state->closed ? nullptr : m_state->window;
  }

  // Only noted: the close comes when the parent window is destroyed.
  void ParentWindowWillClose() override {
    std::lock_guard<std::mutex> lock(m_state->mutex);
    ++m_state->parent_will_close_calls;
  }

 private:
  const std::shared_ptr<BrowserState> m_state;
};

class FrameImpl final : public CefFrame, public CefCountedObject {
 public:
  explicit FrameImpl(std::shared_ptr<BrowserState> state) : m_state(std::move(state)) {}

  void LoadURL(const CefString& url) override {
    if (m_state->fake) {
      std::lock_guard<std::mutex> lock(m_state->mutex);
      m_state->url = url.ToWString();
      m_state->url_history.push_back(url.ToWString());
      return;
    }
    Queue("LoadURL", [state = m_state, url = url.ToWString()] { BrowserRegistry::Get().LoadOnUi(state, url); });
  }

  void ExecuteJavaScript(const CefString& code, const CefString& script_url, int start_line) override {
    cef_test::ScriptRecord script{code.ToWString(), script_url.ToWString(), start_line};
    if (m_state->fake) {
      std::lock_guard<std::mutex> lock(m_state->mutex);
      m_state->scripts.push_back(std::move(script));
      return;
    }
    Queue("ExecuteJavaScript", [state = m_state, script = std::move(script)] {
      BrowserRegistry::Get().RunScriptOnUi(state, script);
    });
  }

  CefString GetURL() override {
    std::lock_guard<std::mutex> lock(m_state->mutex);
    return m_state->url;
  }

 private:
  void Queue(const char* call, std::function<void()> work) {
    bool closed = false;
    {
      std::lock_guard<std::mutex> lock(m_state->mutex);
      closed = m_state->closed;
    }
    if (closed || !Runtime::Get().PostToUi(std::move(work))) {
      std::lock_guard<std::mutex> lock(m_state->mutex);
      m_state->dropped_calls.push_back(call);
    }
  }

  const std::shared_ptr<BrowserState> m_state;
};

}  // namespace

BrowserImpl::BrowserImpl(std::shared_ptr<BrowserState> state)
    : m_state(std::move(state)), m_host(new HostImpl(m_state)), m_frame(new FrameImpl(m_state)) {}

bool TakeLive(BrowserState& state, LiveBrowser& live) {
  std::lock_guard<std::mutex> lock(state.mutex);
  if (state.closed || !state.browser) return false;
  live = {state.browser, state.client, state.window};
  return true;
}

cef_test::BrowserInfo DescribeBrowser(const BrowserState& state) {
  cef_test::BrowserInfo info;
  info.found = true;
  info.id = state.id;
  info.popup = state.popup;
  info.parent = state.parent;
  info.initial_rect = state.initial_rect;
  info.default_encoding = state.settings.default_encoding.ToWString();
  info.universal_access_from_file_urls = state.settings.universal_access_from_file_urls;
  std::lock_guard<std::mutex> lock(state.mutex);
  info.window = state.closed ? nullptr : state.window;
  info.url = state.url;
  info.url_history = state.url_history;
  info.scripts = state.scripts;
  info.parent_will_close_calls = state.parent_will_close_calls;
  info.closed = state.closed;
  info.dropped_calls = state.dropped_calls;
  info.painted_lines = state.painted_lines;
  return info;
}

}  // namespace cef_internal
