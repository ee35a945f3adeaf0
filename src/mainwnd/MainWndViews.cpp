// What the window shows around its lists: the header, the user's avatar, the
// status icons, and the switch back to the conversation view.

#include "app/ui/CachedImage.h"
#include "app/frame/ServiceConstants.h"
#include "app/frame/StringTable.h"
#include "mainwnd/MainWnd.h"
#include "mainwnd/MainWndMessages.h"
#include "mainwnd/SessionItemNames.h"
#include "mireloom/Director.h"

namespace mireloomwnd {

using namespace DuiLib;

namespace {

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

void MainWnd::ShowMessagesHeader() {
  if (CControlUI* label = m_PaintManager.FindControl(L"team_name_label")) {
    label->SetText(LocalizedText("MessageLabel").c_str());
  }
}

void MainWnd::ShowMyAvatar() {
  const mireloom::Director* director = mireloom::Director::DefaultDirector();
  const mireloom::User* me = director ? director->me() : nullptr;
  const std::string name =
      me ? mireloom::avatar_url(me->header_uri(), kHeaderAvatarSize, kHeaderAvatarSize, 1) : std::string();
  // Without a user, a picture or the button, nothing is shown or fetched.
  ShowCachedImage(GetHWND(), WM_AVATAR_DOWNLOADED, m_PaintManager.FindControl(L"personal_menu_btn"),
                  AvatarBaseUrl + name, name);
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
  if (!browserArea) HideMainBrowser();
}

void MainWnd::ShowConversationView(const std::string& id) {
  ShowMessagesHeader();
  SetControlVisible(L"im_or_channel_btn", true);
  ShowLeftBarView(m_chatBtn, false);
  ReturnToChatList();
  // The list's selection opens the conversation.
  SelectSessionItem(id, false);
}

}  // namespace mireloomwnd
