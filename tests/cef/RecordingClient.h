#pragma once

// A browser client and an application object for the layer's own tests: they
// record every handler call (name, browser, thread) and answer as told.

#include <windows.h>

#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "cef/cef_app.h"
#include "cef/cef_client.h"

namespace cef_testing {

struct HandlerEvent {
  std::string name;
  int browser_id = 0;
  DWORD thread_id = 0;
};

class EventRecorder {
 public:
  void Note(const std::string& name, int browser_id);
  [[nodiscard]] std::vector<HandlerEvent> Events() const;
  [[nodiscard]] std::vector<std::string> Names(int browser_id) const;
  [[nodiscard]] int Count(const std::string& name) const;

 private:
  mutable std::mutex m_mutex;
  std::vector<HandlerEvent> m_events;
};

class RecordingClient final : public CefClient,
                              public CefLifeSpanHandler,
                              public CefLoadHandler,
                              public CefContextMenuHandler,
                              public CefDragHandler,
                              public CefDownloadHandler,
                              public CefCountedObject,
                              public EventRecorder {
 public:
  // Answers, set before the browser is created.
  bool offer_handlers = true;
  bool cancel_popups = true;
  std::function<void(CefWindowInfo&)> change_popup;
  bool keep_on_do_close = false;
  bool clear_menus = false;
  bool refuse_drags = false;
  bool continue_downloads = true;
  std::function<void()> on_load_end;

  CefRefPtr<CefContextMenuHandler> GetContextMenuHandler() override { return Offer<CefContextMenuHandler>(); }
  CefRefPtr<CefDownloadHandler> GetDownloadHandler() override { return Offer<CefDownloadHandler>(); }
  CefRefPtr<CefDragHandler> GetDragHandler() override { return Offer<CefDragHandler>(); }
  CefRefPtr<CefLifeSpanHandler> GetLifeSpanHandler() override { return Offer<CefLifeSpanHandler>(); }
  CefRefPtr<CefLoadHandler> GetLoadHandler() override { return Offer<CefLoadHandler>(); }

  bool OnBeforePopup(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame, const CefString& target_url,
                     const CefString& target_frame_name, const CefPopupFeatures& popup_features,
                     CefWindowInfo& window_info, CefRefPtr<CefClient>& client, CefBrowserSettings& settings,
                     bool* no_javascript_access) override;
  void OnAfterCreated(CefRefPtr<CefBrowser> browser) override;
  bool DoClose(CefRefPtr<CefBrowser> browser) override;
  void OnBeforeClose(CefRefPtr<CefBrowser> browser) override;

  void OnLoadingStateChange(CefRefPtr<CefBrowser> browser, bool is_loading, bool can_go_back,
                            bool can_go_forward) override;
  void OnLoadStart(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame) override;
  void OnLoadEnd(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame, int http_status_code) override;

  void OnBeforeContextMenu(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame,
                           CefRefPtr<CefContextMenuParams> params, CefRefPtr<CefMenuModel> model) override;
  bool OnContextMenuCommand(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame,
                            CefRefPtr<CefContextMenuParams> params, int command_id, EventFlags event_flags) override;
  bool OnDragEnter(CefRefPtr<CefBrowser> browser, CefRefPtr<CefDragData> drag_data,
                   DragOperationsMask mask) override;
  void OnBeforeDownload(CefRefPtr<CefBrowser> browser, CefRefPtr<CefDownloadItem> download_item,
                        const CefString& suggested_name, CefRefPtr<CefBeforeDownloadCallback> callback) override;
  void OnDownloadUpdated(CefRefPtr<CefBrowser> browser, CefRefPtr<CefDownloadItem> download_item,
                         CefRefPtr<CefDownloadItemCallback> callback) override;

  // The browser OnAfterCreated handed over, until OnBeforeClose.
  [[nodiscard]] CefRefPtr<CefBrowser> Browser();

 private:
  template <class Handler>
  CefRefPtr<Handler> Offer() {
    return offer_handlers ? CefRefPtr<Handler>(this) : nullptr;
  }

  std::mutex m_mutex;
  CefRefPtr<CefBrowser> m_browser;
};

class RecordingApp final : public CefApp, public CefRenderProcessHandler, public CefCountedObject,
                           public EventRecorder {
 public:
  void OnBeforeCommandLineProcessing(const CefString& process_type, CefRefPtr<CefCommandLine> command_line) override;
  CefRefPtr<CefRenderProcessHandler> GetRenderProcessHandler() override { return this; }
  void OnContextCreated(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame,
                        CefRefPtr<CefV8Context> context) override;
};

}  // namespace cef_testing
