#include "browser/ModuleDetailsWnd.h"

#include <optional>

#include "app/frame/WindowManager.h"
#include "app/text/ServiceConstants.h"
#include "app/text/TextHelpers.h"
#include "app/ui/WindowConventions.h"
#include "browser/BrowserMessages.h"
#include "browser/ChildBrowser.h"
#include "browser/SessionPageCookies.h"
#include "quennet/EventLog.h"

namespace mireloomwnd {

using namespace DuiLib;

CefRefPtr<CBrowserClient> ModuleDetailsBrowserClient;
CDuiRect ModuleDetailsBrowserRect;

namespace {

// The browser's first size, before the window places it on its layout.
constexpr RECT kFirstBrowserRect = {0, 0, 900, 600};
// The service's pages are reached over plain http; the cookies are not
// secure-only, so they go with these requests too.
constexpr wchar_t kPageScheme[] = L"http://";

}  // namespace

void WindowManager::ShowModuleDetailsWnd(const std::string& page) {
  Show<ModuleDetailsWnd>(WindowSlot::ModuleDetailsWnd, {}, page);
}

ModuleDetailsWnd::ModuleDetailsWnd(const std::string& page) : m_page(page) {}

CDuiString ModuleDetailsWnd::GetSkinFolder() { return SkinFolder(); }

LRESULT ModuleDetailsWnd::OnCreate(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled) {
  return CreateWithShadow(*this, m_shadow, uMsg, wParam, lParam, bHandled);
}

void ModuleDetailsWnd::InitWindow() {
  m_browserLayout = m_PaintManager.FindControl(L"BrowserClientLayout");
  ApplyTexts(m_PaintManager, {{L"title_label", "ModuleDetailsTitle"},
                              {L"loading_label", "ModuleDetailsLoading"},
                              {L"closeBtn", "CloseTips", TextTarget::ToolTip}});
  LoadPage(Utf8ToWide(m_page));
}

void ModuleDetailsWnd::LoadPage(std::wstring page) {
  const std::optional<PageCookieSession> session = CurrentPageCookieSession();
  if (!session) {
    // Only a signed-in session has a team whose page could be shown.
    quennet::log_error("Module details: no current team, page not loaded");
    return;
  }
  // A missing cookie store means no browser runs: the creation below fails too.
  SetPageCookies(*session);
  const std::wstring address = kPageScheme + Utf8ToWide(TeamHost(session->team_subdomain)) + page;

  if (ModuleDetailsBrowserClient) {
    const CefRefPtr<CefBrowser> browser = ModuleDetailsBrowserClient->GetBrowser();
    if (!browser) return;  // still being created, or closed: nothing to load into
    browser->GetMainFrame()->LoadURL(address);
    ::ShowWindow(browser->GetHost()->GetWindowHandle(), SW_SHOWNORMAL);
    return;
  }
  CreateBrowser(address);
}

void ModuleDetailsWnd::SetPageCookies(const PageCookieSession& session) {
  // Without a cookie store no browser runs: the creation fails too.
  if (!PostPageCookieSet(BuildPageCookieSet(session, PageCookieHost::ModuleDetails))) {
    quennet::log_error("Module details: no cookie store for the session's cookies");
  }
}

void ModuleDetailsWnd::CreateBrowser(const std::wstring& address) {
  ModuleDetailsBrowserClient = new CBrowserClient;
  if (!CreateChildBrowser(GetHWND(), ModuleDetailsBrowserClient, address, kFirstBrowserRect)) {
    quennet::log_error("Module details: the browser could not be created");
  }
}

void ModuleDetailsWnd::PlaceBrowser() {
  if (!ModuleDetailsBrowserClient) return;
  const CefRefPtr<CefBrowser> browser = ModuleDetailsBrowserClient->GetBrowser();
  if (!browser || browser->GetIdentifier() != ModuleDetailsBrowserClient->GetMainBrowserId()) return;
  const HWND browserWindow = browser->GetHost()->GetWindowHandle();

  // The layout is current once the window has painted. Neither this nor the
  // move below may run under the client's lock: both wait for the browser's thread.
  UpdateWindow(GetHWND());
  const CDuiRect area = m_browserLayout ? CDuiRect(m_browserLayout->GetPos()) : CDuiRect();
  if (KeepChildBrowserAtLastPlace(*ModuleDetailsBrowserClient, browserWindow, area, ModuleDetailsBrowserRect)) return;
  ModuleDetailsBrowserClient->SetBrowserRect(area);
  if (!area.IsNull()) MoveBrowserWindow(browserWindow, area);
  ModuleDetailsBrowserRect = area;
}

void ModuleDetailsWnd::ReleaseBrowserClient() {
  if (!ModuleDetailsBrowserClient) return;
  // The browser's parent is about to go; the browser closes with it.
  ModuleDetailsBrowserClient->DoClose(ModuleDetailsBrowserClient->GetBrowser());
  ModuleDetailsBrowserClient = nullptr;
}

void ModuleDetailsWnd::Notify(TNotifyUI& msg) {
  if (msg.sType == L"click" && msg.pSender && msg.pSender->GetName() == L"closeBtn") {
    ReleaseBrowserClient();
    WindowManager::GetInstance()->CloseModuleDetailsWnd();
  }
  WindowImplBase::Notify(msg);
}

LRESULT ModuleDetailsWnd::HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) {
  switch (uMsg) {
    case WM_BROWSER_CREATED:
    case WM_BROWSER_RELAYOUT:
      PlaceBrowser();
      break;
    case WM_SIZE:
      // Placed now, and again once the framework has laid the controls out
      // for the new size.
      ::PostMessageW(GetHWND(), WM_BROWSER_RELAYOUT, 0, 0);
      PlaceBrowser();
      break;
    case WM_DESTROY:
      // Every road ends here (close button, Alt+F4, the owner destroyed): a
      // client left behind would hold a closed browser, and every later
      // window would find it and show nothing.
      ReleaseBrowserClient();
      break;
    default:
      break;
  }
  return WindowImplBase::HandleMessage(uMsg, wParam, lParam);
}

void ModuleDetailsWnd::OnFinalMessage(HWND hWnd) {
  WindowManager::GetInstance()->SetModuleDetailsWnd(nullptr, this);
}

}  // namespace mireloomwnd
