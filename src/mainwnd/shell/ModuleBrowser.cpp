#include "mainwnd/shell/ModuleBrowser.h"

#include <optional>

#include "browser/ChildBrowser.h"
#include "mainwnd/shell/ModulePages.h"
#include "quennet/EventLog.h"

namespace mireloomwnd {

using namespace DuiLib;

CefRefPtr<CBrowserClient> MainBrowserClient;
CDuiRect MainBrowserRect;

namespace {

// The browser's first size: a 1 x 1 window until the area places it.
constexpr RECT kFirstBrowserRect = {0, 0, 1, 1};

}  // namespace

void CModuleBrowser::ShowPage(const std::string& teamSubdomain, const std::wstring& page) {
  // A client whose browser has closed would never show a page again; one
  // whose browser is still being created will, once it arrives.
  if (MainBrowserClient && MainBrowserClient->IsClosed()) MainBrowserClient = nullptr;
  if (!MainBrowserClient) {
    Create(ModulePageAddress(teamSubdomain, page));
    return;
  }
  const CefRefPtr<CefBrowser> browser = MainBrowserClient->GetBrowser();
  if (!browser) return;
  if (const CefRefPtr<CefFrame> frame = browser->GetMainFrame()) {
    // A page of no row shows the module already on display.
    if (const std::optional<std::string> script = ModulePageScript(page)) {
      frame->ExecuteJavaScript(*script, frame->GetURL(), 0);
    }
  }
  ::ShowWindow(browser->GetHost()->GetWindowHandle(), SW_SHOWNORMAL);
}

void CModuleBrowser::SetCookies(const PageCookieSession& session) {
  // Without a cookie store no browser runs: the creation fails too.
  if (!PostPageCookieSet(BuildPageCookieSet(session, PageCookieHost::MainWindow))) {
    quennet::log_error("Module page: no cookie store for the session's cookies");
  }
}

void CModuleBrowser::Create(const std::wstring& address) {
  MainBrowserClient = new CBrowserClient;
  // The browser arrives later, announced by WM_BROWSER_CREATED.
  if (!CreateChildBrowser(m_window.GetHWND(), MainBrowserClient, address, kFirstBrowserRect)) {
    quennet::log_error("Module page: the browser could not be created");
    // A client that will never get a browser would stop every later page.
    MainBrowserClient = nullptr;
  }
}

void CModuleBrowser::Place() {
  if (!MainBrowserClient) return;
  const CefRefPtr<CefBrowser> browser = MainBrowserClient->GetBrowser();
  if (!browser || browser->GetIdentifier() != MainBrowserClient->GetMainBrowserId()) return;
  const HWND browserWindow = browser->GetHost()->GetWindowHandle();
  // The layout is current once the window has painted. Neither this nor the
  // moves below may run under the client's lock: they wait for the browser's thread.
  UpdateWindow(m_window.GetHWND());
  const CDuiRect laidOut = m_area ? CDuiRect(m_area->GetPos()) : CDuiRect();
  if (KeepChildBrowserAtLastPlace(*MainBrowserClient, browserWindow, laidOut, MainBrowserRect)) return;
  RECT window = {};
  GetWindowRect(m_window.GetHWND(), &window);
  const CDuiRect area = ModuleBrowserArea(laidOut, IsZoomed(m_window.GetHWND()) != FALSE, window);
  MainBrowserClient->SetBrowserRect(area);
  if (!area.IsNull()) {
    MoveBrowserWindow(browserWindow, area);
    UpdateWindow(browserWindow);
  }
  MainBrowserRect = area;
}

void CModuleBrowser::Hide() {
  if (!MainBrowserClient) return;
  if (CefRefPtr<CefBrowser> browser = MainBrowserClient->GetBrowser()) {
    ::ShowWindow(browser->GetHost()->GetWindowHandle(), SW_HIDE);
  }
}

void CModuleBrowser::Release() {
  if (!MainBrowserClient) return;
  if (CefRefPtr<CefBrowser> browser = MainBrowserClient->GetBrowser()) MainBrowserClient->DoClose(browser);
  MainBrowserClient = nullptr;
}

}  // namespace mireloomwnd
