#include "BrowserRegistry.h"

#include <atomic>

#include "BrowserWindow.h"
#include "Objects.h"
#include "quennet/EventLog.h"
#include "Runtime.h"

namespace cef_internal {

namespace {

// Ids are unique in the process and never 0, which clients read as "none".
std::atomic<int> g_next_browser_id{1};

void NoteDropped(BrowserState& state, const char* call) {
  std::lock_guard<std::mutex> lock(state.mutex);
  state.dropped_calls.push_back(call);
}

}  // namespace

BrowserRegistry& BrowserRegistry::Get() {
  static BrowserRegistry* registry = new BrowserRegistry;  // never destroyed, as the runtime
  return *registry;
}

bool BrowserRegistry::RequestCreation(CreationRequest request) {
  Runtime& runtime = Runtime::Get();
  if (!runtime.IsRunning() || !request.client || !IsWindow(request.window_info.parent_window)) return false;
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_hold) {
      m_held.push_back(std::move(request));
      return true;
    }
  }
  return runtime.PostToUi([request = std::move(request)]() mutable { Get().CreateOnUi(std::move(request), false); });
}

void BrowserRegistry::HoldCreations(bool hold) {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_hold = hold;
}

void BrowserRegistry::ReleaseHeldCreations() {
  std::vector<CreationRequest> held;
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    held.swap(m_held);
  }
  for (CreationRequest& request : held) {
    Runtime::Get().PostToUi([request = std::move(request)]() mutable { Get().CreateOnUi(std::move(request), false); });
  }
}

void BrowserRegistry::DropHeldCreations() {
  std::vector<CreationRequest> held;
  std::lock_guard<std::mutex> lock(m_mutex);
  held.swap(m_held);
  // The clients are released as `held` goes, after the lock.
}

std::shared_ptr<BrowserState> BrowserRegistry::CreateOnUi(CreationRequest request, bool popup) {
  const CefWindowInfo& info = request.window_info;
  if (!IsWindow(info.parent_window)) {
    quennet::log_event("Browser creation dropped: the parent window is gone");
    return nullptr;
  }
  auto state = std::make_shared<BrowserState>();
  state->id = g_next_browser_id++;
  state->popup = popup;
  state->parent = info.parent_window;
  state->initial_rect = {info.x, info.y, info.x + info.width, info.y + info.height};
  state->settings = request.settings;

  HWND window = BrowserWindow::Create(info.parent_window, state->initial_rect, state.get());
  if (!window) {
    quennet::log_error("Browser creation failed: no child window (error %lu)", GetLastError());
    return nullptr;
  }
  const CefRefPtr<CefBrowser> browser = new BrowserImpl(state);
  {
    std::lock_guard<std::mutex> lock(state->mutex);
    state->window = window;
    state->browser = browser;
    state->client = request.client;
  }
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_browsers.push_back(state);
  }
  if (CefRefPtr<CefLifeSpanHandler> life_span = request.client->GetLifeSpanHandler()) {
    Runtime::Get().RecordCall("CefLifeSpanHandler", "OnAfterCreated", state->id);
    life_span->OnAfterCreated(browser);
  }
  LoadOnUi(state, request.url);
  return state;
}

void BrowserRegistry::LoadOnUi(const std::shared_ptr<BrowserState>& state, const std::wstring& url) {
  LiveBrowser live;
  if (!TakeLive(*state, live)) return NoteDropped(*state, "LoadURL");
  bool can_go_back = false;
  {
    std::lock_guard<std::mutex> lock(state->mutex);
    state->url = url;
    state->url_history.push_back(url);
    can_go_back = state->url_history.size() > 1;
  }
  Runtime& runtime = Runtime::Get();
  const CefRefPtr<CefFrame> frame = live.browser->GetMainFrame();
  const CefRefPtr<CefLoadHandler> load = live.client->GetLoadHandler();
  if (load) {
    runtime.RecordCall("CefLoadHandler", "OnLoadingStateChange", state->id);
    load->OnLoadingStateChange(live.browser, true, can_go_back, false);
    runtime.RecordCall("CefLoadHandler", "OnLoadStart", state->id);
    load->OnLoadStart(live.browser, frame);
  }
  const CefRefPtr<CefApp> app = runtime.App();
  if (CefRefPtr<CefRenderProcessHandler> render = app ? app->GetRenderProcessHandler() : nullptr) {
    runtime.RecordCall("CefRenderProcessHandler", "OnContextCreated", state->id);
    render->OnContextCreated(live.browser, frame, new V8ContextImpl);
  }
  BrowserWindow::Repaint(live.window);
  if (load) {
    runtime.RecordCall("CefLoadHandler", "OnLoadEnd", state->id);
    load->OnLoadEnd(live.browser, frame, 200);
    runtime.RecordCall("CefLoadHandler", "OnLoadingStateChange", state->id);
    load->OnLoadingStateChange(live.browser, false, can_go_back, false);
  }
}

void BrowserRegistry::RunScriptOnUi(const std::shared_ptr<BrowserState>& state,
                                    const cef_test::ScriptRecord& script) {
  LiveBrowser live;
  if (!TakeLive(*state, live)) return NoteDropped(*state, "ExecuteJavaScript");
  {
    std::lock_guard<std::mutex> lock(state->mutex);
    state->scripts.push_back(script);
  }
  // Nothing runs the script; the page shows that it came.
  BrowserWindow::Repaint(live.window);
}

void BrowserRegistry::OnWindowGoneOnUi(const BrowserState* gone) {
  const std::shared_ptr<BrowserState> state = FindByAddress(gone);
  if (!state) return;
  {
    std::lock_guard<std::mutex> lock(state->mutex);
    state->window = nullptr;
    if (state->close_queued) return;
    state->close_queued = true;
  }
  // OnBeforeClose must not run inside this window procedure: when the parent
  // is being destroyed, the parent's thread waits for it to return.
  if (!Runtime::Get().PostToUi([state] { Get().FinishCloseOnUi(state); })) FinishCloseOnUi(state);
}

void BrowserRegistry::FinishCloseOnUi(const std::shared_ptr<BrowserState>& state) {
  LiveBrowser live;
  {
    std::lock_guard<std::mutex> lock(state->mutex);
    if (state->closed) return;
    state->closed = true;
    // Taken out here, so they are released (and the client perhaps deleted)
    // when this function returns, after the lock.
    live.browser = std::move(state->browser);
    live.client = std::move(state->client);
  }
  if (!live.client) return;
  if (CefRefPtr<CefLifeSpanHandler> life_span = live.client->GetLifeSpanHandler()) {
    Runtime::Get().RecordCall("CefLifeSpanHandler", "OnBeforeClose", state->id);
    life_span->OnBeforeClose(live.browser);
  }
}

bool BrowserRegistry::CloseOnUi(const std::shared_ptr<BrowserState>& state, bool force) {
  LiveBrowser live;
  if (!TakeLive(*state, live) || !live.window) return false;
  if (CefRefPtr<CefLifeSpanHandler> life_span = live.client->GetLifeSpanHandler()) {
    Runtime::Get().RecordCall("CefLifeSpanHandler", "DoClose", state->id);
    if (life_span->DoClose(live.browser) && !force) return false;
  }
  return DestroyWindow(live.window) != FALSE;
}

void BrowserRegistry::CloseAllOnUi() {
  std::vector<HWND> windows;
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    for (const auto& state : m_browsers) {
      std::lock_guard<std::mutex> state_lock(state->mutex);
      if (state->window) windows.push_back(state->window);
    }
  }
  for (HWND window : windows) DestroyWindow(window);
}

std::shared_ptr<BrowserState> BrowserRegistry::Find(int id) const {
  std::lock_guard<std::mutex> lock(m_mutex);
  for (const auto& state : m_browsers) {
    if (state->id == id) return state;
  }
  return nullptr;
}

std::shared_ptr<BrowserState> BrowserRegistry::FindByAddress(const BrowserState* address) const {
  std::lock_guard<std::mutex> lock(m_mutex);
  for (const auto& state : m_browsers) {
    if (state.get() == address) return state;
  }
  return nullptr;
}

std::vector<int> BrowserRegistry::Ids() const {
  std::lock_guard<std::mutex> lock(m_mutex);
  std::vector<int> ids;
  for (const auto& state : m_browsers) ids.push_back(state->id);
  return ids;
}

void BrowserRegistry::RepaintAll() const {
  Runtime::Get().PostToUi([this] {
    std::vector<HWND> windows;
    {
      std::lock_guard<std::mutex> lock(m_mutex);
      for (const auto& state : m_browsers) {
        std::lock_guard<std::mutex> state_lock(state->mutex);
        if (state->window) windows.push_back(state->window);
      }
    }
    for (HWND window : windows) BrowserWindow::Repaint(window);
  });
}

void BrowserRegistry::ReleaseClients() {
  std::vector<LiveBrowser> left;
  std::lock_guard<std::mutex> lock(m_mutex);
  for (const auto& state : m_browsers) {
    std::lock_guard<std::mutex> state_lock(state->mutex);
    state->closed = true;
    state->window = nullptr;
    left.push_back({std::move(state->browser), std::move(state->client), nullptr});
  }
  // Released after the locks are left, as `left` goes: a client's destructor
  // may call back into the layer.
}

void BrowserRegistry::Forget() {
  std::vector<std::shared_ptr<BrowserState>> previous;
  std::lock_guard<std::mutex> lock(m_mutex);
  previous.swap(m_browsers);
}

}  // namespace cef_internal
