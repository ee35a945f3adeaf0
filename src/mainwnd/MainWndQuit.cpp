// Leaving the main window: the quit sequence, the window's placement, and
// the steps that quitting, signing out and the language reload share.

#include "app/frame/QuitSequence.h"
#include "app/frame/Settings.h"
#include "app/frame/WindowManager.h"
#include "mainwnd/MainWnd.h"

namespace mireloomwnd {

void MainWnd::Quit() {
  SavePlacementAndCloseWindows();
  // The quit message ends each nested loop in turn; the windows, timers and
  // listeners end as they unwind.
  RunQuitSequence();
}

void MainWnd::SavePlacementAndCloseWindows() {
  SavePlacement();
  WindowManager::GetInstance()->CloseAll();
  RemoveTrayIcon();
}

void MainWnd::SavePlacement() {
  WINDOWPLACEMENT placement = {};
  placement.length = sizeof placement;
  // A placement that cannot be taken or written keeps the last one stored.
  if (GetWindowPlacement(GetHWND(), &placement)) settings::SaveWindowPlacement(placement);
}

void MainWnd::RestorePlacement() {
  WINDOWPLACEMENT placement = {};
  placement.length = sizeof placement;
  if (!settings::LoadWindowPlacement(&placement)) return;
  // A window left minimised comes back in its normal place: a session that
  // opens to nothing on the screen would look as if it had not started.
  if (placement.showCmd == SW_SHOWMINIMIZED || placement.showCmd == SW_MINIMIZE) placement.showCmd = SW_SHOWNORMAL;
  m_placementRestored = SetWindowPlacement(GetHWND(), &placement) != FALSE;
}

void MainWnd::ReleaseMainBrowser() {
  if (!MainBrowserClient) return;
  if (CefRefPtr<CefBrowser> browser = MainBrowserClient->GetBrowser()) MainBrowserClient->DoClose(browser);
  MainBrowserClient = nullptr;
}

void MainWnd::ReleaseSessionState() {
  ReleaseMainBrowser();
  ContactsTreeBuildCount = 0;
  OrganizationTreeBuildCount = 0;
}

void MainWnd::HideMainBrowser() {
  if (!MainBrowserClient) return;
  // The page stays loaded; only its window goes out of sight.
  if (CefRefPtr<CefBrowser> browser = MainBrowserClient->GetBrowser()) {
    ::ShowWindow(browser->GetHost()->GetWindowHandle(), SW_HIDE);
  }
}

}  // namespace mireloomwnd
