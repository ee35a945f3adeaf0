// Navigation: the left bar's views (conversations, contacts, module pages),
// the contacts panel with its two trees and its card's buttons, and the
// search box. Also what the window shows around its lists: the header, the
// user's avatar, the status icons, and the switch back to the conversation
// view.

#include <memory>
#include <optional>

#include "app/text/ServiceConstants.h"
#include "app/text/StringTable.h"
#include "app/text/TextHelpers.h"
#include "app/ui/CachedImage.h"
#include "app/ui/MemberAvatar.h"
#include "app/ui/PlatformSeam.h"
#include "browser/SessionPageCookies.h"
#include "mainwnd/contacts/ContactsPanel.h"
#include "mainwnd/MainWnd.h"
#include "mainwnd/MainWndMessages.h"
#include "mainwnd/messages/ChatAreaLogic.h"
#include "mainwnd/sessions/SessionItemNames.h"
#include "mainwnd/sessions/SessionList.h"
#include "mainwnd/shell/ModuleBrowser.h"
#include "mainwnd/shell/NotifyTable.h"
#include "mireloom/CallManager.h"
#include "mireloom/Director.h"
#include "mireloom/IMManager.h"
#include "quennet/EventLog.h"

namespace mireloomwnd {

using namespace DuiLib;

namespace {

constexpr DWORD kChosenBarColor = 0xFF4BBCB7;
constexpr DWORD kOtherBarColor = 0xFFD9DFE8;

struct ModuleButton {
  const wchar_t* name;
  const wchar_t* page;
};

const ModuleButton kModuleButtons[] = {
    {L"task_btn", L"/tasks/my"},
    {L"calendar_btn", L"/calendar"},
    {L"netdisc_btn", L"/drive/root"},
};

void StyleTreeBar(CControlUI* bar, bool chosen) {
  if (!bar) return;
  bar->SetBkColor(chosen ? kChosenBarColor : kOtherBarColor);
  bar->SetFixedHeight(chosen ? 2 : 1);
  bar->SetPadding({0, chosen ? 2 : 3, 0, 0});
}

std::string UserDataOf(const TNotifyUI& msg) {
  return msg.pSender ? WideToUtf8(msg.pSender->GetUserData().GetData()) : std::string();
}

constexpr int kHeaderAvatarSize = 40;

struct LeftBarImages {
  const wchar_t* button;
  const wchar_t* normal;
  const wchar_t* active;
};

const LeftBarImages kLeftBar[] = {
    {L"chat_btn", L"session/chat.png", L"session/chat_push.png"},
    {L"contacts_btn", L"session/contacts.png", L"session/contacts_push.png"},
    {L"task_btn", L"session/task.png", L"session/task_push.png"},
    {L"calendar_btn", L"session/calendar.png", L"session/calendar_push.png"},
    {L"netdisc_btn", L"session/netdisc.png", L"session/netdisc_push.png"},
    {L"applications_btn", L"session/applications.png", L"session/applications_push.png"},
};

const LeftBarImages* ImagesOf(const CButtonUI& button) {
  for (const LeftBarImages& entry : kLeftBar) {
    if (button.GetName() == entry.button) return &entry;
  }
  return nullptr;
}

}  // namespace

void MainWnd::AddNavigationRows(CNotifyTable& table) {
  table.Bind(L"itemselect", L"contacts_tree", &MainWnd::OnContactsTreeItemSelected);
  table.Bind(L"itemselect", L"organization_tree", &MainWnd::OnContactsTreeItemSelected);
  table.Bind(L"click", L"chat_btn", &MainWnd::OnChatButtonClicked);
  table.Bind(L"click", L"contacts_btn", &MainWnd::OnContactsButtonClicked);
  for (const ModuleButton& button : kModuleButtons) table.Bind(L"click", button.name, &MainWnd::OnModuleButtonClicked);
  table.Bind(L"click", L"contacts_by_letter_btn", &MainWnd::OnContactsTreeSwitched);
  table.Bind(L"click", L"contacts_by_organization_btn", &MainWnd::OnContactsTreeSwitched);
  table.Bind(L"click", L"contacts_send_message", &MainWnd::OnContactsSendMessage);
  table.Bind(L"click", L"send_group_message", &MainWnd::OnContactsSendMessage);
  table.Bind(L"click", L"contacts_make_call", &MainWnd::OnContactsMakeCall);
  table.Bind(L"click", L"edit_my_information", &MainWnd::OnEditMyInformation);
  table.Bind(L"selectchanged", nullptr, &MainWnd::OnTreeNodeSelectChanged);
  table.Bind(L"textchanged", L"search", &MainWnd::OnSearchTextChanged);
}

void MainWnd::OnContactsTreeItemSelected(TNotifyUI& msg, const std::wstring&) {
  auto* tree = msg.pSender ? static_cast<CListUI*>(msg.pSender->GetInterface(L"List")) : nullptr;
  CControlUI* node = tree ? tree->GetItemAt(tree->GetCurSel()) : nullptr;
  if (node) ShowMemberDetails(WideToUtf8(node->GetUserData().GetData()));
}

void MainWnd::OnChatButtonClicked(TNotifyUI&, const std::wstring&) { ShowConversationView(CurrentSessionId()); }

void MainWnd::OnContactsButtonClicked(TNotifyUI&, const std::wstring&) { ShowContactsView(); }

void MainWnd::ShowContactsView() {
  ClearSearch();
  if (CControlUI* label = m_PaintManager.FindControl(L"team_name_label")) {
    label->SetText(LocalizedText("ContacksLabel").c_str());
  }
  SetControlVisible(L"im_or_channel_btn", false);
  ShowLeftBarView(m_contactsBtn, false);
  SetControlVisible(L"chat_list_v_layout", false);
  SetControlVisible(L"member_details", true);
  m_sessionList->Hide();
  SetControlVisible(L"contacts_layout", true);
  if (ContactsTreeBuildCount == 0) BuildContactsTree();
}

void MainWnd::OnModuleButtonClicked(TNotifyUI& msg, const std::wstring& sender) {
  for (const ModuleButton& entry : kModuleButtons) {
    if (sender != entry.name) continue;
    auto* button = msg.pSender ? static_cast<CButtonUI*>(msg.pSender->GetInterface(L"Button")) : nullptr;
    // Its page is shown already: a second click does not reload it.
    if (IsLeftBarActive(button)) return;
    ShowModuleView(button, entry.page);
    return;
  }
}

void MainWnd::ShowModuleView(CButtonUI* active, const std::wstring& page) {
  ShowLeftBarView(active, true);
  ShowModulePage(page);
}

void MainWnd::OnContactsTreeSwitched(TNotifyUI&, const std::wstring& sender) {
  const bool byLetter = sender == L"contacts_by_letter_btn";
  StyleTreeBar(m_PaintManager.FindControl(L"contacts_by_letter_btn_color"), byLetter);
  StyleTreeBar(m_PaintManager.FindControl(L"contacts_by_organization_btn_color"), !byLetter);
  if (m_contactsByLetterBtn) {
    m_contactsByLetterBtn->SetNormalImage(byLetter ? L"session/contact__members_push.png" : L"session/contact__members.png");
  }
  if (m_contactsByOrganizationBtn) {
    m_contactsByOrganizationBtn->SetNormalImage(byLetter ? L"session/contact_organization.png"
                                                         : L"session/contact_organization_push.png");
  }
  SetControlVisible(L"contacts_tree", byLetter);
  SetControlVisible(L"organization_tree", !byLetter);
  if (!byLetter && OrganizationTreeBuildCount == 0) BuildOrganizationTree();
}

void MainWnd::OnContactsSendMessage(TNotifyUI& msg, const std::wstring& sender) {
  // A user id on the card's button, a channel id on the channel view's.
  const std::string id = UserDataOf(msg);
  ReturnToChatList();
  if (sender == L"send_group_message") {
    JoinChannel(id);
    return;
  }
  mireloom::IMManager::DefaultManager()->NewIM(
      id, [this, alive = m_lifetime.Token()](bool, const std::string&, std::unique_ptr<mireloom::IM> im) {
        // The completion runs on a core thread; the list is rebuilt on the window's.
        auto opened = std::make_shared<std::unique_ptr<mireloom::IM>>(std::move(im));
        PostToWindow(alive, this, [this, opened] { OnNewImCreated(std::move(*opened)); });
      });
}

void MainWnd::ReturnToChatList() {
  ClearSearch();
  m_sessionList->Show();
  SetControlVisible(L"contacts_layout", false);
  ShowLeftBarActive(m_chatBtn);
  BuildSessionList();
  SetControlVisible(L"chat_list_v_layout", true);
  SetControlVisible(L"member_details", false);
}

void MainWnd::OnContactsMakeCall(TNotifyUI& msg, const std::wstring&) {
  const std::string uid = UserDataOf(msg);
  StartCallAnimation(true);
  // The animation runs its fixed time whatever the call's outcome.
  mireloom::CallManager::DefaultManager()->MakeCallByUid(uid, [](bool, const std::string&, std::string) {});
}

void MainWnd::OnEditMyInformation(TNotifyUI&, const std::wstring&) { OpenTeamPage(L"/console/account/profile"); }

void MainWnd::OpenTeamPage(const std::wstring& path) {
  const mireloom::Director* director = mireloom::Director::DefaultDirector();
  const mireloom::Team* team = director ? director->current_team() : nullptr;
  if (!team) {
    quennet::log_error("Team page not opened: no current team");
    return;
  }
  OpenAddress(TeamPageAddress(team->team_subdomain(), path));
}

void MainWnd::OnTreeNodeSelectChanged(TNotifyUI& msg, const std::wstring&) {
  // Only the folder buttons of the organisation tree's nodes: their row's
  // parent is the node. Any other option of the window changes nothing here.
  auto* folder = msg.pSender ? static_cast<COptionUI*>(msg.pSender->GetInterface(L"Option")) : nullptr;
  CControlUI* row = folder ? folder->GetParent() : nullptr;
  CControlUI* parent = row ? row->GetParent() : nullptr;
  auto* node = parent ? static_cast<CTreeNodeUI*>(parent->GetInterface(L"TreeNode")) : nullptr;
  CControlUI* tree = node ? node->GetTreeView() : nullptr;
  if (!tree || tree != m_PaintManager.FindControl(L"organization_tree")) return;
  const std::string id = WideToUtf8(node->GetUserData().GetData());
  if (id.empty()) return;
  if (m_contacts->ListsHolding(id).any()) {
    ShowMemberDetails(id);
    return;
  }
  // A user group: opened the first time it is found empty.
  if (!folder->IsSelected()) return;
  if (node->GetCountChild() == 0) ExpandUsergroupNode(id, node);
  ShowMemberDetails(id);
}

void MainWnd::OnSearchTextChanged(TNotifyUI& msg, const std::wstring&) {
  if (!m_searchEdit) return;
  const std::wstring text = m_searchEdit->GetText().GetData();
  // The edit shows its hint.
  if (text == LocalizedText("SearchTips")) return;
  CControlUI* chatList = m_PaintManager.FindControl(L"chat_list_v_layout");
  if (chatList && chatList->IsVisible()) {
    FilterSessions(" ");
    FilterSessions(WideToUtf8(text));
    ShowSessionSearchResults();
    return;
  }
  // Thousands of result rows invalidate the window once.
  const CInvalidationHold invalidation(m_PaintManager);
  m_sessionList->Hide();
  if (text.empty()) {
    SetControlVisible(L"contacts_layout", true);
    return;
  }
  m_sessionList->Show();
  SetControlVisible(L"contacts_layout", false);
  FilterContacts(WideToUtf8(text));
  ShowUserSearchResults();
}

void MainWnd::ShowMessagesHeader() {
  if (CControlUI* label = m_PaintManager.FindControl(L"team_name_label")) {
    label->SetText(LocalizedText("MessageLabel").c_str());
  }
}

void MainWnd::ShowMyAvatar() {
  const mireloom::Director* director = mireloom::Director::DefaultDirector();
  const mireloom::User* me = director ? director->me() : nullptr;
  CControlUI* button = m_PaintManager.FindControl(L"personal_menu_btn");
  // Without a user or a picture, the default face.
  m_myAvatar.Show(GetHWND(), WM_AVATAR_DOWNLOADED, button ? static_cast<CButtonUI*>(button->GetInterface(L"Button")) : nullptr,
                  me ? MemberAvatarPicture(me->header_uri(), kHeaderAvatarSize) : AvatarPicture{});
}

void MainWnd::SetStatusIcon(CControlUI* button, mireloom::User::Status status) {
  auto* target = button ? static_cast<CButtonUI*>(button->GetInterface(L"Button")) : nullptr;
  if (!target) return;
  switch (status) {
    case mireloom::User::kOffline: target->SetNormalImage(L"status/status_offline.png.png"); break;
    case mireloom::User::kOnline: target->SetNormalImage(L"status/status_online.png"); break;
    case mireloom::User::kBusy: target->SetNormalImage(L"status/status_busy_normal.png"); break;
    case mireloom::User::kAway: target->SetNormalImage(L"status/status_away_normal.png"); break;
    default: break;  // an unknown status keeps the picture
  }
}

std::wstring MainWnd::StatusButtonName(const std::string& uid) { return mireloomwnd::StatusButtonName(uid); }

void MainWnd::SetControlVisible(const wchar_t* name, bool visible) {
  if (CControlUI* control = m_PaintManager.FindControl(name)) control->SetVisible(visible);
}

void MainWnd::ShowLeftBarActive(const CButtonUI* active) {
  for (CButtonUI* button : {m_chatBtn, m_contactsBtn, m_taskBtn, m_calendarBtn, m_netdiscBtn, m_applicationsBtn}) {
    const LeftBarImages* images = button ? ImagesOf(*button) : nullptr;
    if (images) button->SetNormalImage(button == active ? images->active : images->normal);
  }
}

bool MainWnd::IsLeftBarActive(const CButtonUI* button) const {
  const LeftBarImages* images = button ? ImagesOf(*button) : nullptr;
  return images && button->GetNormalImage().CompareNoCase(images->active) == 0;
}

void MainWnd::ShowLeftBarView(const CButtonUI* active, bool browserArea) {
  ShowLeftBarActive(active);
  SetControlVisible(L"chat_and_details_layout", !browserArea);
  SetControlVisible(L"session_layout", !browserArea);
  SetControlVisible(L"cef_browser", browserArea);
  if (m_browserClientLayout) m_browserClientLayout->SetVisible(browserArea);
  if (!browserArea) m_moduleBrowser->Hide();
}

void MainWnd::ShowConversationView(const std::string& id) {
  ShowMessagesHeader();
  SetControlVisible(L"im_or_channel_btn", true);
  ShowLeftBarView(m_chatBtn, false);
  ReturnToChatList();
  // The list's selection opens the conversation.
  m_sessionList->SelectItem(id, false);
}

// The contacts panel and the module pages are m_contacts' and
// m_moduleBrowser's; the window's roads reach them through these.

void MainWnd::BuildContactsTree() { m_contacts->BuildContactsTree(); }

void MainWnd::OnTreeAvatarDownloaded(HWND window, CButtonUI* button, std::weak_ptr<void> buttonAlive,
                                     const std::string& localPath) {
  CContactsPanel::OnTreeAvatarDownloaded(window, button, std::move(buttonAlive), localPath);
}

void MainWnd::BuildOrganizationTree() { m_contacts->BuildOrganizationTree(); }

void MainWnd::ExpandUsergroupNode(const std::string& usergroupId, CTreeNodeUI* node) {
  m_contacts->ExpandUsergroupNode(usergroupId, node);
}

void MainWnd::ShowMemberDetails(const std::string& id) {
  // An id in none of the lists (a user group's) leaves the panel as it was.
  const CContactsPanel::ContactLists lists = m_contacts->ListsHolding(id);
  if (lists.channel) ShowChannelMembers(id);
  if (lists.member) ShowUserDetails(id);
  if (lists.robot) ShowRobotDetails(id);
}

void MainWnd::ShowUserDetails(const std::string& id) { m_contacts->ShowUserDetails(id); }

void MainWnd::ShowRobotDetails(const std::string& id) { m_contacts->ShowRobotDetails(id); }

void MainWnd::ShowChannelMembers(const std::string& id) { m_contacts->ShowChannelMembers(id); }

void MainWnd::StartCallAnimation(bool start) { m_contacts->StartCallAnimation(start); }

void MainWnd::ShowModulePage(const std::wstring& page) {
  const std::optional<PageCookieSession> session = CurrentPageCookieSession();
  if (!session) {
    quennet::log_error("Module page not shown: no current team");
    return;
  }
  // On every call, also when the page only switches its module.
  SetModuleCookies(*session);
  m_moduleBrowser->ShowPage(session->team_subdomain, page);
}

void MainWnd::SetModuleCookies(const PageCookieSession& session) { m_moduleBrowser->SetCookies(session); }

void MainWnd::PlaceBrowser() { m_moduleBrowser->Place(); }

}  // namespace mireloomwnd
