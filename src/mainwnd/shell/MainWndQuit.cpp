// Leaving the main window: the quit sequence, the window's placement, the
// steps that quitting, signing out and the language reload share, the
// window's three close buttons, and signing out back to the choice of team.

#include "app/frame/QuitSequence.h"
#include "app/frame/WindowManager.h"
#include "app/storage/Settings.h"
#include "app/ui/WindowConventions.h"
#include "mainwnd/contacts/ContactsPanel.h"
#include "mainwnd/MainWnd.h"
#include "mainwnd/shell/ModuleBrowser.h"
#include "mainwnd/shell/NotifyTable.h"
#include "mainwnd/shell/TrayAttention.h"
#include "mireloom/Director.h"
#include "signin/SubdomainWnd.h"

namespace mireloomwnd {

using namespace DuiLib;

void MainWnd::Quit() {
  SavePlacementAndCloseWindows();
  // The quit message ends each nested loop in turn; the windows, timers and
  // listeners end as they unwind.
  RunQuitSequence();
}

void MainWnd::SavePlacementAndCloseWindows() {
  SavePlacement();
  WindowManager::GetInstance()->CloseAll();
  m_attention->RemoveIcon();
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

void MainWnd::ReleaseSessionState() {
  m_moduleBrowser->Release();
  ContactsTreeBuildCount = 0;
  OrganizationTreeBuildCount = 0;
}

void MainWnd::AddCloseButtonRows(CNotifyTable& table) {
  table.Bind(L"click", L"customCloseBtn", &MainWnd::OnCustomCloseClicked);
  table.Bind(L"click", L"customCloseBtn_contacts", &MainWnd::OnHidingCloseClicked);
  table.Bind(L"click", L"customCloseBtn_browser", &MainWnd::OnHidingCloseClicked);
  table.Bind(L"itemclick", L"menu_signout_team", &MainWnd::OnSignOutClicked);
}

void MainWnd::OnCustomCloseClicked(TNotifyUI&, const std::wstring&) { CloseAsTheCloseButtonDoes(); }

void MainWnd::CloseAsTheCloseButtonDoes() {
  // A missing file or key hides, as any value but "quit" does.
  if (settings::ReadInt(settings::kCloseActionKey) == settings::kCloseActionQuit) {
    Quit();
    return;
  }
  ::ShowWindow(GetHWND(), SW_HIDE);
}

void MainWnd::OnHidingCloseClicked(TNotifyUI&, const std::wstring&) { ::ShowWindow(GetHWND(), SW_HIDE); }

void MainWnd::OnSignOutClicked(TNotifyUI&, const std::wstring&) { SignOut(); }

void MainWnd::SignOut() {
  SavePlacementAndCloseWindows();
  // The next session's main window would otherwise find this one's module
  // browser and take its trees for built.
  ReleaseSessionState();
  // The connection listener stays until this object goes.
  RemoveListeners();
  if (mireloom::Director* director = mireloom::Director::DefaultDirector()) {
    director->Logout([](bool, const std::string&) {});
    director->DisconnectFromIMServer({});
  }
  // The next session runs inside this loop: the team window, the log-in and a
  // new main window. This window is closed by then; nothing of it is touched
  // after the loop.
  SubdomainWnd subdomain;
  subdomain.Create(nullptr, L"登录团队", kDialogStyle, kWindowExStyle, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                   CW_USEDEFAULT);
  subdomain.CenterWindow();
  subdomain.ShowModal();
}

}  // namespace mireloomwnd
