// cef_test.h: what a page or the user would do to a live browser, run on the
// UI thread, returning the client's answer.

#include "cef/cef_test.h"

#include "Browser.h"
#include "BrowserRegistry.h"
#include "Objects.h"
#include "Runtime.h"

using cef_internal::BrowserRegistry;
using cef_internal::BrowserState;
using cef_internal::LiveBrowser;
using cef_internal::Runtime;

namespace cef_test {

namespace {

// The items of a page's own menu before the client sees it.
constexpr int kBackCommand = 100;
constexpr int kForwardCommand = 101;
constexpr int kReloadCommand = 102;

// Runs `action` with the browser's live objects on the UI thread;
// `fallback` when there is no such browser or it has closed.
template <class R, class F>
R WithLiveBrowser(int id, R fallback, F action) {
  const std::shared_ptr<BrowserState> state = BrowserRegistry::Get().Find(id);
  if (!state) return fallback;
  return Runtime::Get().CallOnUi(
      [state, fallback, action]() -> R {
        LiveBrowser live;
        if (!TakeLive(*state, live)) return fallback;
        return action(*state, live);
      },
      fallback);
}

void Record(const char* interface_name, const char* op, int id) { Runtime::Get().RecordCall(interface_name, op, id); }

}  // namespace

PopupResult SimulatePopup(int id, const std::wstring& url, const std::wstring& frame_name) {
  return WithLiveBrowser(id, PopupResult{}, [url, frame_name](BrowserState& state, LiveBrowser& live) {
    PopupResult result;
    CefRefPtr<CefLifeSpanHandler> life_span = live.client->GetLifeSpanHandler();
    CefWindowInfo window_info;
    window_info.SetAsChild(state.parent, state.initial_rect);
    CefRefPtr<CefClient> client = live.client;
    CefBrowserSettings settings = state.settings;
    CefPopupFeatures features;
    bool no_javascript_access = false;
    if (life_span) {
      Record("CefLifeSpanHandler", "OnBeforePopup", state.id);
      result.cancelled = life_span->OnBeforePopup(live.browser, live.browser->GetMainFrame(), url, frame_name, features,
                                                  window_info, client, settings, &no_javascript_access);
    }
    if (!result.cancelled && client) {
      auto popup = BrowserRegistry::Get().CreateOnUi({window_info, client, url, settings}, true);
      result.popup_id = popup ? popup->id : 0;
    }
    return result;
  });
}

int SimulateContextMenu(int id, int type_flags) {
  return WithLiveBrowser(id, 0, [type_flags](BrowserState& state, LiveBrowser& live) {
    CefRefPtr<CefMenuModel> model = new cef_internal::MenuModelImpl;
    model->AddItem(kBackCommand, L"Back");
    model->AddItem(kForwardCommand, L"Forward");
    model->AddItem(kReloadCommand, L"Reload");
    if (CefRefPtr<CefContextMenuHandler> handler = live.client->GetContextMenuHandler()) {
      Record("CefContextMenuHandler", "OnBeforeContextMenu", state.id);
      handler->OnBeforeContextMenu(live.browser, live.browser->GetMainFrame(),
                                   new cef_internal::ContextMenuParamsImpl(type_flags), model);
    }
    return model->GetCount();
  });
}

bool SimulateContextMenuCommand(int id, int command_id) {
  return WithLiveBrowser(id, false, [command_id](BrowserState& state, LiveBrowser& live) {
    CefRefPtr<CefContextMenuHandler> handler = live.client->GetContextMenuHandler();
    if (!handler) return false;
    Record("CefContextMenuHandler", "OnContextMenuCommand", state.id);
    return handler->OnContextMenuCommand(live.browser, live.browser->GetMainFrame(),
                                         new cef_internal::ContextMenuParamsImpl(CM_TYPEFLAG_PAGE), command_id, 0);
  });
}

bool SimulateDragEnter(int id, uint32_t mask, const std::wstring& link_url) {
  return WithLiveBrowser(id, false, [mask, link_url](BrowserState& state, LiveBrowser& live) {
    CefRefPtr<CefDragHandler> handler = live.client->GetDragHandler();
    if (!handler) return false;
    Record("CefDragHandler", "OnDragEnter", state.id);
    return handler->OnDragEnter(live.browser, new cef_internal::DragDataImpl(link_url),
                                static_cast<DragOperationsMask>(mask));
  });
}

DownloadContinuation SimulateDownload(int id, const std::wstring& url, const std::wstring& suggested_name) {
  return WithLiveBrowser(id, DownloadContinuation{}, [url, suggested_name](BrowserState& state, LiveBrowser& live) {
    // Without a download handler the download is cancelled.
    CefRefPtr<CefDownloadHandler> handler = live.client->GetDownloadHandler();
    if (!handler) return DownloadContinuation{};
    CefRefPtr<CefDownloadItem> item = new cef_internal::DownloadItemImpl(url, suggested_name);
    CefRefPtr<cef_internal::BeforeDownloadCallbackImpl> callback = new cef_internal::BeforeDownloadCallbackImpl;
    Record("CefDownloadHandler", "OnBeforeDownload", state.id);
    handler->OnBeforeDownload(live.browser, item, suggested_name, callback.get());
    Record("CefDownloadHandler", "OnDownloadUpdated", state.id);
    handler->OnDownloadUpdated(live.browser, item, new cef_internal::DownloadItemCallbackImpl);
    return callback->Continuation();
  });
}

bool CloseBrowser(int id, bool force) {
  const std::shared_ptr<BrowserState> state = BrowserRegistry::Get().Find(id);
  if (!state) return false;
  return Runtime::Get().CallOnUi([state, force] { return BrowserRegistry::Get().CloseOnUi(state, force); }, false);
}

}  // namespace cef_test
