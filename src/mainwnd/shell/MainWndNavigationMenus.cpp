// The popup menus' commands that open no dialog: the team's admin pages in
// the user's browser, and the applications' module pages in the window.

#include "mainwnd/MainWnd.h"

namespace mireloomwnd {

using namespace DuiLib;

namespace {

struct MenuPage {
  const wchar_t* item;
  const wchar_t* path;
};

const MenuPage kAdminPages[] = {
    {L"menu_config_service", L"/admin/services"},
    {L"menu_config_team", L"/admin/setting"},
    {L"menu_invite_members", L"/admin/members"},
    {L"menu_homepage", L"/admin/dashboard"},
    {L"menu_account_config", L"/admin/account/setting"},
};

// The applications' pages; their number is the one `m_currentApplication` keeps.
const MenuPage kApplicationPages[] = {
    {L"menu_report", L"/report"},
    {L"menu_CRM", L"/crm"},
    {L"menu_approval", L"/approval"},
};

}  // namespace

void MainWnd::AddMenuCommandRows(CNotifyTable& table) {
  for (const MenuPage& page : kAdminPages) table.Bind(L"itemclick", page.item, &MainWnd::OnAdminPageChosen);
  for (const MenuPage& page : kApplicationPages) table.Bind(L"itemclick", page.item, &MainWnd::OnApplicationPageChosen);
}

void MainWnd::OnAdminPageChosen(TNotifyUI&, const std::wstring& sender) {
  for (const MenuPage& page : kAdminPages) {
    if (sender == page.item) OpenTeamPage(page.path);
  }
}

void MainWnd::OnApplicationPageChosen(TNotifyUI&, const std::wstring& sender) {
  for (int number = 1; number <= static_cast<int>(std::size(kApplicationPages)); ++number) {
    const MenuPage& page = kApplicationPages[number - 1];
    if (sender != page.item) continue;
    // The applications button may already be active for another application:
    // only the same one is left as it is.
    if (IsLeftBarActive(m_applicationsBtn) && m_currentApplication == number) return;
    m_currentApplication = number;
    ShowModuleView(m_applicationsBtn, page.path);
    return;
  }
}

}  // namespace mireloomwnd
