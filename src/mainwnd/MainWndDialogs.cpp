// The buttons and menu commands that open the channel, conversation, member,
// call, language and feedback dialogs. Each dialog runs its modal loop inside
// the handler; the window's state is read before it opens.

#include "app/frame/WindowManager.h"
#include "mainwnd/MainWnd.h"
#include "mainwnd/MainWndGeometry.h"

namespace mireloomwnd {

using namespace DuiLib;

namespace {

constexpr int kPublicChannels = 1;
constexpr int kPrivateChannels = 2;

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
  WindowManager::GetInstance()->ShowAddMembersWnd(m_currentSessionId);
}

void MainWnd::OnMembersClicked(TNotifyUI&, const std::wstring&) {
  if (GetSessionType(m_currentSessionId) == kSessionIm) {
    ShowPartnerCard();
    return;
  }
  const Placement card = SideCard();
  WindowManager::GetInstance()->ShowViewGroupMembersWnd(ChannelIdOf(m_currentSessionId), card.x, card.y,
                                                        card.height);
}

void MainWnd::OnMakeCallClicked(TNotifyUI&, const std::wstring&) {
  WindowManager* manager = WindowManager::GetInstance();
  if (GetSessionType(m_currentSessionId) == kSessionIm) {
    manager->ShowTelephoneCallingWnd(PartnerUidOf(m_currentSessionId));
  } else {
    manager->ShowSelectGroupCallMembersWnd(m_currentSessionId);
  }
}

void MainWnd::OnViewPersonalInformationClicked(TNotifyUI&, const std::wstring&) {
  if (GetSessionType(m_currentSessionId) == kSessionIm) ShowPartnerCard();
}

void MainWnd::OnSwitchLanguageClicked(TNotifyUI&, const std::wstring&) {
  WindowManager::GetInstance()->ShowSwitchLanguageWnd();
}

void MainWnd::OnTrayFeedback() { WindowManager::GetInstance()->ShowFeedbackWnd(); }

void MainWnd::ShowPartnerCard() {
  const Placement card = SideCard();
  WindowManager::GetInstance()->ShowViewImMemberWnd(PartnerUidOf(m_currentSessionId), card.x, card.y, card.height);
}

std::string MainWnd::PartnerUidOf(const std::string& imId) const {
  for (const auto& im : m_ims) {
    if (im->im_id() == imId) return im->to_uid();
  }
  return {};
}

std::string MainWnd::ChannelIdOf(const std::string& channelId) const {
  for (const auto& channel : m_channels) {
    if (channel->channel_id() == channelId) return channel->channel_id();
  }
  return {};
}

Placement MainWnd::SideCard() const {
  RECT window = {};
  GetWindowRect(GetHWND(), &window);
  return SideCardPlacement(window);
}

}  // namespace mireloomwnd
