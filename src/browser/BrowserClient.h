#pragma once

// The client of every embedded browser. Each hosting window owns one client
// with one child browser. The client tells its host when the browser exists
// (the one WM_BROWSER_CREATED), keeps the browser at the host's last
// placement, sends pop-ups to the system browser, suppresses the page's
// context menu, refuses link drags and lets downloads go through the save
// dialog.
//
// The handlers run on the browser layer's UI thread, the host's calls on the
// host's window thread; the lock guards what both touch. Hosts take it only
// around the access itself, never across their own calls on the browser
// window, which wait for the layer's UI thread.

#include <windows.h>

#include <string>

#include "cef/cef_client.h"
#include "cef/cef_cookie.h"

// Opens a page's pop-up in the system's default browser; only web addresses
// leave the client, never a local file or program.
bool OpenInSystemBrowser(const std::wstring& address);

class CBrowserClient final : public CefClient,
                             public CefLifeSpanHandler,
                             public CefLoadHandler,
                             public CefRequestHandler,
                             public CefDownloadHandler,
                             public CefRenderHandler,
                             public CefCookieVisitor,
                             public CefContextMenuHandler,
                             public CefCompletionHandler,
                             public CefDragHandler {
 public:
  // Holds the client's lock for its scope.
  class AutoLock final {
   public:
    explicit AutoLock(CBrowserClient* client) : m_client(client) { m_client->m_lock.Lock(); }
    ~AutoLock() { m_client->m_lock.Unlock(); }
    AutoLock(const AutoLock&) = delete;
    AutoLock& operator=(const AutoLock&) = delete;

   private:
    CBrowserClient* const m_client;
  };

  CBrowserClient() = default;
  ~CBrowserClient() override;
  CBrowserClient(const CBrowserClient&) = delete;
  CBrowserClient& operator=(const CBrowserClient&) = delete;

  // ---- The host's side (its window thread) ----
  // Right after construction, before CreateBrowser.
  void SetOwnerWindow(HWND owner);
  // Null before OnAfterCreated and after OnBeforeClose.
  [[nodiscard]] CefRefPtr<CefBrowser> GetBrowser();
  // 0 until the first browser exists.
  [[nodiscard]] int GetMainBrowserId();
  // The host's latest placement of the browser window, in its client area.
  void SetBrowserRect(const RECT& rect);
  [[nodiscard]] RECT GetBrowserRect();
  // The main browser has closed: unlike a client whose browser is still being
  // created, this one will never show a page again.
  [[nodiscard]] bool IsClosed();

  // ---- CefClient ----
  CefRefPtr<CefContextMenuHandler> GetContextMenuHandler() override { return this; }
  CefRefPtr<CefDownloadHandler> GetDownloadHandler() override { return this; }
  CefRefPtr<CefDragHandler> GetDragHandler() override { return this; }
  CefRefPtr<CefLifeSpanHandler> GetLifeSpanHandler() override { return this; }
  CefRefPtr<CefLoadHandler> GetLoadHandler() override { return this; }
  CefRefPtr<CefRequestHandler> GetRequestHandler() override { return this; }

  // ---- CefLifeSpanHandler ----
  // Opens the target in the system browser when it is a web address; the
  // pop-up itself is always cancelled.
  bool OnBeforePopup(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame, const CefString& target_url,
                     const CefString& target_frame_name, const CefPopupFeatures& popup_features,
                     CefWindowInfo& window_info, CefRefPtr<CefClient>& client, CefBrowserSettings& settings,
                     bool* no_javascript_access) override;
  void OnAfterCreated(CefRefPtr<CefBrowser> browser) override;
  // Also called directly by a host whose window is about to go.
  bool DoClose(CefRefPtr<CefBrowser> browser) override;
  void OnBeforeClose(CefRefPtr<CefBrowser> browser) override;

  // ---- CefLoadHandler ----
  void OnLoadStart(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame) override {}
  void OnLoadEnd(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame, int http_status_code) override {}

  // ---- CefDownloadHandler ----
  void OnBeforeDownload(CefRefPtr<CefBrowser> browser, CefRefPtr<CefDownloadItem> download_item,
                        const CefString& suggested_name, CefRefPtr<CefBeforeDownloadCallback> callback) override;
  void OnDownloadUpdated(CefRefPtr<CefBrowser> browser, CefRefPtr<CefDownloadItem> download_item,
                         CefRefPtr<CefDownloadItemCallback> callback) override {}

  // ---- CefCookieVisitor, CefCompletionHandler: offered, never used ----
  bool Visit(const CefCookie& cookie, int count, int total, bool& delete_cookie) override { return true; }
  void OnComplete() override {}

  // ---- CefContextMenuHandler ----
  void OnBeforeContextMenu(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame,
                           CefRefPtr<CefContextMenuParams> params, CefRefPtr<CefMenuModel> model) override;
  bool OnContextMenuCommand(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame,
                            CefRefPtr<CefContextMenuParams> params, int command_id, EventFlags event_flags) override;

  // ---- CefDragHandler ----
  bool OnDragEnter(CefRefPtr<CefBrowser> browser, CefRefPtr<CefDragData> drag_data,
                   DragOperationsMask mask) override;

  // ---- CefBase: starts at 0; the last Release deletes the client ----
  int AddRef() override;
  int Release() override;
  int GetRefCt() override;

 private:
  // Guarded by m_lock.
  CefRefPtr<CefBrowser> m_main_browser;
  RECT m_rect = {};
  int m_main_browser_id = 0;
  HWND m_owner_window = nullptr;
  bool m_closed = false;

  volatile LONG m_ref_count = 0;
  CefCriticalSection m_lock;
};
