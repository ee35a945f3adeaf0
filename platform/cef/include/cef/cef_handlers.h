#pragma once

// The handler interfaces a client offers through its getters. Every operation
// has a default body unless it is pure; a handler the client does not offer
// (a null getter) means the default behaviour. The layer calls them on its
// UI thread.

#include "cef/cef_base.h"
#include "cef/cef_browser.h"
#include "cef/cef_objects.h"
#include "cef/cef_types.h"

class CefClient;

class CefLifeSpanHandler : public virtual CefBase {
 public:
  // True cancels the pop-up; false lets it open with the (possibly changed)
  // window info, client and settings.
  virtual bool OnBeforePopup(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame, const CefString& target_url,
                             const CefString& target_frame_name, const CefPopupFeatures& popup_features,
                             CefWindowInfo& window_info, CefRefPtr<CefClient>& client, CefBrowserSettings& settings,
                             bool* no_javascript_access) {
    return false;
  }
  // The first call for a browser; its window exists.
  virtual void OnAfterCreated(CefRefPtr<CefBrowser> browser) {}
  virtual bool RunModal(CefRefPtr<CefBrowser> browser) { return false; }
  // False goes on with the close; true stops a close that is not forced.
  virtual bool DoClose(CefRefPtr<CefBrowser> browser) { return false; }
  // The last call for a browser; its window is gone.
  virtual void OnBeforeClose(CefRefPtr<CefBrowser> browser) {}
};

class CefLoadHandler : public virtual CefBase {
 public:
  virtual void OnLoadingStateChange(CefRefPtr<CefBrowser> browser, bool is_loading, bool can_go_back,
                                    bool can_go_forward) {}
  virtual void OnLoadStart(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame) {}
  virtual void OnLoadEnd(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame, int http_status_code) {}
  virtual void OnLoadError(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame, int error_code,
                           const CefString& error_text, const CefString& failed_url) {}
};

class CefDownloadHandler : public virtual CefBase {
 public:
  virtual void OnBeforeDownload(CefRefPtr<CefBrowser> browser, CefRefPtr<CefDownloadItem> download_item,
                                const CefString& suggested_name, CefRefPtr<CefBeforeDownloadCallback> callback) = 0;
  virtual void OnDownloadUpdated(CefRefPtr<CefBrowser> browser, CefRefPtr<CefDownloadItem> download_item,
                                 CefRefPtr<CefDownloadItemCallback> callback) {}
};

class CefContextMenuHandler : public virtual CefBase {
 public:
  virtual void OnBeforeContextMenu(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame,
                                   CefRefPtr<CefContextMenuParams> params, CefRefPtr<CefMenuModel> model) {}
  // True when the handler dealt with the command.
  virtual bool OnContextMenuCommand(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame,
                                    CefRefPtr<CefContextMenuParams> params, int command_id, EventFlags event_flags) {
    return false;
  }
  virtual void OnContextMenuDismissed(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame) {}
};

class CefDragHandler : public virtual CefBase {
 public:
  // True refuses the drag.
  virtual bool OnDragEnter(CefRefPtr<CefBrowser> browser, CefRefPtr<CefDragData> drag_data,
                           DragOperationsMask mask) {
    return false;
  }
};

// Handlers the client never offers. Requests go on unchanged, and a null
// render handler means the browser paints into its own window.
class CefRequestHandler : public virtual CefBase {};
class CefRenderHandler : public virtual CefBase {};
class CefDialogHandler : public virtual CefBase {};
class CefDisplayHandler : public virtual CefBase {};
class CefFocusHandler : public virtual CefBase {};
class CefGeolocationHandler : public virtual CefBase {};
class CefJSDialogHandler : public virtual CefBase {};
class CefKeyboardHandler : public virtual CefBase {};
