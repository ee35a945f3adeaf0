// What the window shows around its lists: the header, the user's avatar, the
// status icons, and the switch back to the conversation view.

#include "app/CachedImage.h"
#include "app/ServiceConstants.h"
#include "app/StringTable.h"
#include "mainwnd/MainWnd.h"
#include "mainwnd/MainWndMessages.h"
#include "mainwnd/SessionItemNames.h"
#include "mireloom/Director.h"

namespace mireloomwnd {

using namespace DuiLib;

namespace {

constexpr int kHeaderAvatarSize = 40;

struct LeftBarImages {
  CButtonUI* button;
  const wchar_t* normal;
  const wchar_t* active;
};

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
  const LeftBarImages buttons[] = {
      {m_chatBtn, L"session/chat.png", L"session/chat_push.png"},
      {m_contactsBtn, L"session/contacts.png", L"session/contacts_push.png"},
      {m_taskBtn, L"session/task.png", L"session/task_push.png"},
      {m_calendarBtn, L"session/calendar.png", L"session/calendar_push.png"},
      {m_netdiscBtn, L"session/netdisc.png", L"session/netdisc_push.png"},
      {m_applicationsBtn, L"session/applications.png", L"session/applications_push.png"},
  };
  for (const LeftBarImages& entry : buttons) {
    if (entry.button) entry.button->SetNormalImage(entry.button == active ? entry.active : entry.normal);
  }
}

void MainWnd::ShowConversationView(const std::string& id) {
  ShowMessagesHeader();
  SetControlVisible(L"im_or_channel_btn", true);
  SetControlVisible(L"chat_and_details_layout", true);
  SetControlVisible(L"session_layout", true);
  SetControlVisible(L"cef_browser", false);
  if (m_browserClientLayout) m_browserClientLayout->SetVisible(false);
  SetControlVisible(L"sessionList", true);
  SetControlVisible(L"contacts_layout", false);
  ShowLeftBarActive(m_chatBtn);
  HideMainBrowser();
  BuildSessionList();
  SetControlVisible(L"chat_list_v_layout", true);
  SetControlVisible(L"member_details", false);
  // The list's selection opens the conversation.
  SelectSessionItem(id, false);
}

}  // namespace mireloomwnd
