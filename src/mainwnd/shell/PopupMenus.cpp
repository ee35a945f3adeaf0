#include "mainwnd/shell/PopupMenus.h"

#include <memory>

#include "app/text/ServiceConstants.h"
#include "app/text/StringTable.h"
#include "app/ui/WindowConventions.h"
#include "mireloom/Channel.h"
#include "mireloom/ChannelManager.h"
#include "mireloom/Director.h"
#include "mireloom/User.h"

namespace mireloomwnd {

using namespace DuiLib;

namespace {

// The team menu's title, which the new-chat and conversation menus share.
constexpr wchar_t kTeamMenuTitle[] = L"TeamMenuWnd";

constexpr MenuKind kTeamMenu = {L"TeamMenuWnd", L"skin_team_menu.xml", kTeamMenuTitle, MenuAnchor::TopLeft};
constexpr MenuKind kApplicationsMenu = {L"ApplicationsMenuWnd", L"skin_applications_menu.xml", L"ApplicationsMenuWnd",
                                        MenuAnchor::TopLeft};
constexpr MenuKind kPersonalMenu = {L"PersonalMenuWnd", L"skin_personal_menu.xml", L"个人设置", MenuAnchor::BottomLeft};
constexpr MenuKind kImOrChannelMenu = {L"ImOrChannelMenuWnd", L"skin_open_im_or_channel.xml", kTeamMenuTitle,
                                       MenuAnchor::TopLeft};
constexpr MenuKind kImDropDownMenu = {L"ImDropDownMenuWnd", L"skin_im_drop_down_menu.xml", kTeamMenuTitle,
                                      MenuAnchor::TopLeft};
constexpr MenuKind kGroupDropDownMenu = {L"GroupDropDownMenuWnd", L"skin_group_drop_down_menu.xml", kTeamMenuTitle,
                                         MenuAnchor::TopLeft};

bool MayConfigureServices(const mireloom::Director* director) {
  return director && director->HasPermission(mireloom::Permission::kTeamConfigureServices);
}

// Without a session there is nobody, and nobody owns the team.
bool IsTeamOwner(const mireloom::Director* director) {
  const mireloom::User* me = director ? director->me() : nullptr;
  return me && me->role() == mireloom::User::kOwner;
}

bool IsGeneralChannel(const std::string& channelId) {
  const std::unique_ptr<mireloom::Channel> channel =
      mireloom::ChannelManager::DefaultManager()->FetchChannelFromCacheByChannelId(channelId);
  return channel && channel->IsGeneral();
}

}  // namespace

TeamMenuWnd::TeamMenuWnd() : PopupMenuWnd(kTeamMenu) {}

void TeamMenuWnd::InitWindow() {
  ApplyTexts(m_PaintManager, {{L"menu_config_service_label", "ConfigService"},
                              {L"menu_invite_members_label", "ManagerMembers"},
                              {L"menu_homepage_label", "HomePage"},
                              {L"menu_config_team_label", "ConfigTeam"}});
  const mireloom::Director* director = mireloom::Director::DefaultDirector();
  // Two independent tests: a member may configure services without owning the team.
  if (!MayConfigureServices(director)) DisableItem(L"menu_config_service", L"menu_config_service_label");
  if (!IsTeamOwner(director)) {
    DisableItem(L"menu_config_team", L"menu_config_team_label");
    DisableItem(L"menu_invite_members", L"menu_invite_members_label");
  }
}

ApplicationsMenuWnd::ApplicationsMenuWnd() : PopupMenuWnd(kApplicationsMenu) {}

void ApplicationsMenuWnd::InitWindow() {
  ApplyTexts(m_PaintManager, {{L"menu_report_label", "ApplicationsReport"},
                              {L"menu_CRM_label", "ApplicationsCRM"},
                              {L"menu_approval_label", "ApplicationsApproval"}});
}

PersonalMenuWnd::PersonalMenuWnd() : PopupMenuWnd(kPersonalMenu) {}

void PersonalMenuWnd::InitWindow() {
  ApplyTexts(m_PaintManager, {{L"menu_account_config_label", "AccountSettings"},
                              {L"menu_switch_language_label", "SwitchLanguage"},
                              {L"menu_signout_team_label", "ReturnToDomain"}});
  // The text carries its own trailing space where the language wants one.
  const std::wstring version = LocalizedText("Version") + ClientVersion;
  if (CControlUI* label = m_PaintManager.FindControl(L"version")) label->SetText(version.c_str());
}

ImOrChannelMenuWnd::ImOrChannelMenuWnd() : PopupMenuWnd(kImOrChannelMenu) {}

void ImOrChannelMenuWnd::InitWindow() {
  ApplyTexts(m_PaintManager, {{L"menu_create_group_label", "CreateGroup"},
                              {L"menu_join_channel_label", "JoinGroup"},
                              {L"menu_open_im_label", "NewChat"}});
}

ImDropDownMenuWnd::ImDropDownMenuWnd() : PopupMenuWnd(kImDropDownMenu) {}

void ImDropDownMenuWnd::InitWindow() {
  ApplyTexts(m_PaintManager, {{L"menu_view_personal_label", "Profile"}});
}

GroupDropDownMenuWnd::GroupDropDownMenuWnd(const std::string& channelId)
    : PopupMenuWnd(kGroupDropDownMenu), m_channelId(channelId) {}

void GroupDropDownMenuWnd::InitWindow() {
  ApplyTexts(m_PaintManager, {{L"menu_add_group_member", "AddMembers"}, {L"menu_quit_group_label", "LeaveGroup"}});
  // An uncached channel may be left: only the team's general channel is kept.
  if (IsGeneralChannel(m_channelId)) DisableItem(L"menu_quit_group", L"menu_quit_group_label");
}

}  // namespace mireloomwnd
