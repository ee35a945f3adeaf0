// The buttons and menu commands of the window's menus. The buttons that open
// the popup menus open each at the point of its click; a menu is made afresh
// for every opening, frees itself once it has closed, and its item clicks
// come back to Notify as "itemclick". The buttons and commands that open the
// channel, conversation, member, call, language and feedback dialogs run the
// dialog's modal loop inside the handler; the window's state is read before
// it opens. The commands that open no dialog show the team's admin pages in
// the user's browser and the applications' module pages in the window.

#include "app/frame/WindowManager.h"
#include "mainwnd/MainWnd.h"
#include "mainwnd/sessions/SessionList.h"
#include "mainwnd/shell/MainWndGeometry.h"
#include "mainwnd/shell/NotifyTable.h"
#include "mainwnd/shell/PopupMenus.h"

namespace mireloomwnd {

using namespace DuiLib;

namespace {

constexpr int kPublicChannels = 1;
constexpr int kPrivateChannels = 2;

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

// Opens the menu at the point of the button's click. Pressed from the
// keyboard, the pointer may be anywhere: the menu opens over the button, with
// its first item lit for the arrows.
void OpenMenuForButton(PopupMenuWnd* menu, CPaintManagerUI& owner, const TNotifyUI& msg) {
  if (!msg.bFromKeyboard || !msg.pSender) {
    menu->ShowAt(&owner, msg.ptMouse.x, msg.ptMouse.y);
    return;
  }
  const RECT& button = msg.pSender->GetPos();
  menu->ShowAt(&owner, (button.left + button.right) / 2, (button.top + button.bottom) / 2, MenuOpening::ByKeyboard);
}

}  // namespace

void MainWnd::AddDialogRows(CNotifyTable& table) {
  table.Bind(L"click", L"add_channel_btn", &MainWnd::OnJoinPublicChannelClicked);
  table.Bind(L"click", L"add_group_btn", &MainWnd::OnJoinPrivateChannelClicked);
  table.Bind(L"click", L"open_im_btn", &MainWnd::OnOpenImClicked);
  table.Bind(L"click", L"add_members_btn", &MainWnd::OnAddMembersClicked);
  table.Bind(L"click", L"members_btn", &MainWnd::OnMembersClicked);
  table.Bind(L"click", L"make_call_btn", &MainWnd::OnMakeCallClicked);
  table.Bind(L"itemclick", L"menu_switch_language", &MainWnd::OnSwitchLanguageClicked);
  table.Bind(L"itemclick", L"menu_open_im", &MainWnd::OnOpenImClicked);
  table.Bind(L"itemclick", L"menu_join_channel", &MainWnd::OnJoinPublicChannelClicked);
  table.Bind(L"itemclick", L"menu_create_group", &MainWnd::OnCreateChannelClicked);
  table.Bind(L"itemclick", L"menu_add_group_members", &MainWnd::OnAddMembersClicked);
  table.Bind(L"itemclick", L"menu_view_personal_information", &MainWnd::OnViewPersonalInformationClicked);
}

void MainWnd::OnJoinPublicChannelClicked(TNotifyUI&, const std::wstring&) {
  WindowManager::GetInstance()->ShowJoinChannelWnd(kPublicChannels);
}

void MainWnd::OnJoinPrivateChannelClicked(TNotifyUI&, const std::wstring&) {
  WindowManager::GetInstance()->ShowJoinChannelWnd(kPrivateChannels);
}

void MainWnd::OnCreateChannelClicked(TNotifyUI&, const std::wstring&) {
  WindowManager::GetInstance()->ShowCreateChannelWnd();
}

void MainWnd::OnOpenImClicked(TNotifyUI&, const std::wstring&) { WindowManager::GetInstance()->ShowOpenImWnd(); }

void MainWnd::OnAddMembersClicked(TNotifyUI&, const std::wstring&) {
  // With no conversation open, the empty id is passed on as it is.
  WindowManager::GetInstance()->ShowAddMembersWnd(CurrentSessionId());
}

void MainWnd::OnMembersClicked(TNotifyUI&, const std::wstring&) {
  if (GetSessionType(CurrentSessionId()) == kSessionIm) {
    ShowPartnerCard();
    return;
  }
  const Placement card = SideCard();
  WindowManager::GetInstance()->ShowViewGroupMembersWnd(ChannelIdOf(CurrentSessionId()), card.x, card.y,
                                                        card.height);
}

void MainWnd::OnMakeCallClicked(TNotifyUI&, const std::wstring&) {
  WindowManager* manager = WindowManager::GetInstance();
  if (GetSessionType(CurrentSessionId()) == kSessionIm) {
    manager->ShowTelephoneCallingWnd(PartnerUidOf(CurrentSessionId()));
  } else {
    manager->ShowSelectGroupCallMembersWnd(CurrentSessionId());
  }
}

void MainWnd::OnViewPersonalInformationClicked(TNotifyUI&, const std::wstring&) {
  if (GetSessionType(CurrentSessionId()) == kSessionIm) ShowPartnerCard();
}

void MainWnd::OnSwitchLanguageClicked(TNotifyUI&, const std::wstring&) {
  WindowManager::GetInstance()->ShowSwitchLanguageWnd();
}

void MainWnd::OnTrayFeedback() { WindowManager::GetInstance()->ShowFeedbackWnd(); }

void MainWnd::ShowPartnerCard() {
  const Placement card = SideCard();
  WindowManager::GetInstance()->ShowViewImMemberWnd(PartnerUidOf(CurrentSessionId()), card.x, card.y, card.height);
}

std::string MainWnd::PartnerUidOf(const std::string& imId) const { return m_sessionList->PartnerUidOf(imId); }

std::string MainWnd::ChannelIdOf(const std::string& channelId) const { return m_sessionList->ChannelIdOf(channelId); }

Placement MainWnd::SideCard() const {
  RECT window = {};
  GetWindowRect(GetHWND(), &window);
  return SideCardPlacement(window);
}

void MainWnd::AddMenuButtonRows(CNotifyTable& table) {
  table.Bind(L"click", L"team_menu_btn", &MainWnd::OpenMenuAtClick<TeamMenuWnd>);
  table.Bind(L"click", L"personal_menu_btn", &MainWnd::OpenMenuAtClick<PersonalMenuWnd>);
  table.Bind(L"click", L"im_or_channel_btn", &MainWnd::OpenMenuAtClick<ImOrChannelMenuWnd>);
  table.Bind(L"click", L"applications_btn", &MainWnd::OpenMenuAtClick<ApplicationsMenuWnd>);
  table.Bind(L"click", L"drop_down_btn", &MainWnd::OnDropDownClicked);
}

template <class Menu>
void MainWnd::OpenMenuAtClick(TNotifyUI& msg, const std::wstring&) {
  OpenMenuForButton(new Menu, m_PaintManager, msg);
}

void MainWnd::OnDropDownClicked(TNotifyUI& msg, const std::wstring&) {
  // The open conversation's menu; none while no conversation is open.
  switch (GetSessionType(CurrentSessionId())) {
    case kSessionChannel:
      OpenMenuForButton(new GroupDropDownMenuWnd(CurrentSessionId()), m_PaintManager, msg);
      break;
    case kSessionIm:
      OpenMenuForButton(new ImDropDownMenuWnd, m_PaintManager, msg);
      break;
    default:
      break;
  }
}

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
