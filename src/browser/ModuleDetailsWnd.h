#pragma once

// One page of the team's web site, given as a path under the team's address,
// in an embedded browser kept on the skin's "BrowserClientLayout" area. The
// window manager opens it modally over the main window (its slot for module
// details).

#include <string>

#include "app/ui/WndShadow.h"
#include "browser/BrowserClient.h"
#include "browser/PageCookieSet.h"
#include "duilib/UIlib.h"

namespace mireloomwnd {

// The window's browser client: null until a page is loaded, and null again
// once the window closes, whichever way it closes. Window thread only.
extern CefRefPtr<CBrowserClient> ModuleDetailsBrowserClient;
// The last placement of the browser that had an area, in the window's client area.
extern DuiLib::CDuiRect ModuleDetailsBrowserRect;

class ModuleDetailsWnd final : public DuiLib::WindowImplBase {
 public:
  // `page` starts with "/" and may carry a query, appended unchanged (UTF-8).
  explicit ModuleDetailsWnd(const std::string& page);

  LPCTSTR GetWindowClassName() const override { return L"ModuleDetailsWnd"; }
  DuiLib::CDuiString GetSkinFolder() override;
  DuiLib::CDuiString GetSkinFile() override { return L"skin_module_details_browser_wnd.xml"; }
  LRESULT OnCreate(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled) override;
  void InitWindow() override;
  void Notify(DuiLib::TNotifyUI& msg) override;
  LRESULT HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) override;
  void OnFinalMessage(HWND hWnd) override;

  // Writes the session's cookies, then loads the page in the existing browser
  // or creates one. Without a signed-in team nothing is loaded.
  void LoadPage(std::wstring page);
  // Puts the browser on the layout control's area, or on the last area it had
  // while the control has no height.
  void PlaceBrowser();
  // Queues the session's page cookies, marked as this window's, before a load.
  void SetPageCookies(const PageCookieSession& session);

 private:
  void CreateBrowser(const std::wstring& address);
  // Closes the browser with this window and lets the client go, so that the
  // next window starts with a fresh one.
  void ReleaseBrowserClient();

  CWndShadow m_shadow;
  DuiLib::CControlUI* m_browserLayout = nullptr;
  std::string m_page;
};

}  // namespace mireloomwnd
