#include "browser/BrowserClient.h"

#include <utility>

#include "app/ui/PlatformSeam.h"
#include "browser/BrowserMessages.h"

namespace {

// The only command the client claims as handled.
constexpr int kHandledMenuCommand = 1;

bool IsSameBrowser(const CefRefPtr<CefBrowser>& browser, int id) { return browser && browser->GetIdentifier() == id; }

}  // namespace

CBrowserClient::~CBrowserClient() {
  // The last reference may go on the layer's UI thread or the host's thread:
  // nothing here cares which.
  AutoLock lock(this);
  m_owner_window = nullptr;
  m_main_browser = nullptr;
}

void CBrowserClient::SetOwnerWindow(HWND owner) {
  AutoLock lock(this);
  m_owner_window = owner;
}

CefRefPtr<CefBrowser> CBrowserClient::GetBrowser() {
  AutoLock lock(this);
  return m_main_browser;
}

int CBrowserClient::GetMainBrowserId() {
  AutoLock lock(this);
  return m_main_browser_id;
}

void CBrowserClient::SetBrowserRect(const RECT& rect) {
  AutoLock lock(this);
  m_rect = rect;
}

RECT CBrowserClient::GetBrowserRect() {
  AutoLock lock(this);
  return m_rect;
}

bool CBrowserClient::IsClosed() {
  AutoLock lock(this);
  return m_closed;
}

bool OpenInSystemBrowser(const std::wstring& address) { return OpenAddress(address, AddressPolicy::Web); }

bool CBrowserClient::OnBeforePopup(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame,
                                   const CefString& target_url, const CefString& target_frame_name,
                                   const CefPopupFeatures& popup_features, CefWindowInfo& window_info,
                                   CefRefPtr<CefClient>& client, CefBrowserSettings& settings,
                                   bool* no_javascript_access) {
  // A page decides the target; the opener logs what it refuses.
  OpenInSystemBrowser(target_url.ToWString());
  return true;
}

void CBrowserClient::OnAfterCreated(CefRefPtr<CefBrowser> browser) {
  AutoLock lock(this);
  if (!browser) return;
  HWND window = browser->GetHost()->GetWindowHandle();
  if (!m_main_browser) {
    m_main_browser = browser;
    m_main_browser_id = browser->GetIdentifier();
    // Lost, harmlessly, when the owner is already gone. Without an owner
    // nothing is posted: a null window would post to this thread instead.
    if (m_owner_window) PostMessageW(m_owner_window, WM_BROWSER_CREATED, 0, reinterpret_cast<LPARAM>(window));
  }
  // The browser's window belongs to this (the layer's) thread, but moving a
  // child also erases its parent at once when the parent's background is
  // still to be erased (Wine sends WM_ERASEBKGND and waits), and the host may
  // be waiting for this lock. The erase is left to the host's own paint; the
  // browser window still repaints itself.
  SetWindowPos(window, nullptr, m_rect.left, m_rect.top, m_rect.right - m_rect.left, m_rect.bottom - m_rect.top,
               SWP_NOZORDER | SWP_NOACTIVATE | SWP_DEFERERASE);
}

bool CBrowserClient::DoClose(CefRefPtr<CefBrowser> browser) {
  AutoLock lock(this);
  if (IsSameBrowser(browser, m_main_browser_id)) browser->GetHost()->ParentWindowWillClose();
  return false;  // go on with the normal close
}

void CBrowserClient::OnBeforeClose(CefRefPtr<CefBrowser> browser) {
  CefRefPtr<CefBrowser> closed;
  AutoLock lock(this);
  if (!IsSameBrowser(browser, m_main_browser_id)) return;
  // Released after the lock is left, as `closed` goes.
  closed = std::move(m_main_browser);
  m_closed = true;
}

void CBrowserClient::OnBeforeDownload(CefRefPtr<CefBrowser> browser, CefRefPtr<CefDownloadItem> download_item,
                                      const CefString& suggested_name,
                                      CefRefPtr<CefBeforeDownloadCallback> callback) {
  // An empty path lets the save dialog propose the file's own name in the
  // user's download folder.
  if (callback) callback->Continue(CefString(), true);
}

void CBrowserClient::OnBeforeContextMenu(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame,
                                         CefRefPtr<CefContextMenuParams> params, CefRefPtr<CefMenuModel> model) {
  if (!params || !model) return;
  if (params->GetTypeFlags() & (CM_TYPEFLAG_PAGE | CM_TYPEFLAG_FRAME)) model->Clear();
}

bool CBrowserClient::OnContextMenuCommand(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame,
                                          CefRefPtr<CefContextMenuParams> params, int command_id,
                                          EventFlags event_flags) {
  return command_id == kHandledMenuCommand;
}

bool CBrowserClient::OnDragEnter(CefRefPtr<CefBrowser> browser, CefRefPtr<CefDragData> drag_data,
                                 DragOperationsMask mask) {
  // A link dropped from outside would navigate the page away.
  return (mask & DRAG_OPERATION_LINK) != 0;
}

int CBrowserClient::AddRef() { return InterlockedIncrement(&m_ref_count); }

int CBrowserClient::Release() {
  const LONG count = InterlockedDecrement(&m_ref_count);
  if (count == 0) delete this;
  return count;
}

int CBrowserClient::GetRefCt() { return InterlockedCompareExchange(&m_ref_count, 0, 0); }
