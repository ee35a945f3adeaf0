#pragma once

// The team's module pages inside the main window: one embedded browser for
// the window's life, created by the first module chosen; later choices keep
// the loaded page and switch its module by script. The window owns one.

#include <string>

#include "browser/BrowserClient.h"
#include "browser/PageCookieSet.h"
#include "duilib/UIlib.h"

namespace mireloomwnd {

// The browser client of the module pages; null until the first module page.
extern CefRefPtr<CBrowserClient> MainBrowserClient;
// The module browser's last placement computed from a laid-out area.
extern DuiLib::CDuiRect MainBrowserRect;

class CModuleBrowser final {
 public:
  // The browser is a child of `window`.
  explicit CModuleBrowser(DuiLib::CWindowWnd& window) : m_window(window) {}
  CModuleBrowser(const CModuleBrowser&) = delete;
  CModuleBrowser& operator=(const CModuleBrowser&) = delete;

  // The skin's area the browser covers; without one it is placed by the
  // window's size alone.
  void Attach(DuiLib::CControlUI* area) { m_area = area; }

  // The page of the team's site; the session's cookies are set beforehand.
  void ShowPage(const std::string& teamSubdomain, const std::wstring& page);
  void SetCookies(const PageCookieSession& session);
  // The browser over the laid-out area, once it has arrived.
  void Place();
  // The page stays loaded; only its window goes out of sight.
  void Hide();
  // The browser closes and its client goes.
  void Release();

 private:
  void Create(const std::wstring& address);

  DuiLib::CWindowWnd& m_window;
  DuiLib::CControlUI* m_area = nullptr;
};

}  // namespace mireloomwnd
