// The member panel beside the contacts trees: a person's or a robot's card, a
// channel's members as tiles, and the animation of the card's call button.

#include "mainwnd/contacts/ContactsPanel.h"

#include <algorithm>

#include "app/text/StringTable.h"
#include "app/text/TextHelpers.h"
#include "mainwnd/contacts/ContactsLogic.h"
#include "mainwnd/MainWndMessages.h"
#include "mireloom/ChannelManager.h"
#include "mireloom/Director.h"

namespace mireloomwnd {

using namespace DuiLib;

int CallAnimationTicks = 0;

namespace {

constexpr int kCardAvatarSize = 108;
constexpr char kCardAvatarMark = '+';
constexpr int kTileAvatarSize = 60;
constexpr char kTileAvatarMark = '!';
constexpr UINT kCallAnimationMs = 1000;
constexpr DWORD kCallingBackground = 0xFFFFFFFF;
constexpr DWORD kCallingTextColor = 0xFFBABABA;
constexpr DWORD kIdleTextColor = 0xFFECEFF4;
constexpr DWORD kIdleHotTextColor = 0x12345678;
constexpr DWORD kIdleBackground = 0xFF4BBCB7;
constexpr DWORD kTileNameColor = 0xFF262626;

struct DetailLine {
  const wchar_t* label;
  const char* key;
  const std::string& (mireloom::User::*value)() const;
};

const DetailLine kDetailLines[] = {
    {L"phone_number_label", "Phone", &mireloom::User::phone_number},
    {L"email_label", "Email", &mireloom::User::email},
    {L"department_label", "Department", &mireloom::User::department},
    {L"job_title_label", "Position", &mireloom::User::job_title},
};

template <class Entry>
const Entry* FindById(const std::vector<std::unique_ptr<Entry>>& entries, const std::string& id,
                      const std::string& (Entry::*idOf)() const) {
  const auto found =
      std::find_if(entries.begin(), entries.end(), [&](const auto& entry) { return ((*entry).*idOf)() == id; });
  return found == entries.end() ? nullptr : found->get();
}

bool IsMe(const std::string& uid) {
  const mireloom::Director* director = mireloom::Director::DefaultDirector();
  return director && director->me() && director->me()->uid() == uid;
}

void SetEnabledFor(CControlUI* button, const std::string& uid) {
  button->SetMouseEnabled(true);
  button->SetUserData(Utf8ToWide(uid).c_str());
}

CVerticalLayoutUI* MakeMemberTile(CButtonUI* avatar, const mireloom::User& member) {
  auto* tile = new CVerticalLayoutUI;
  tile->SetFixedHeight(90);
  tile->SetFixedWidth(80);
  tile->SetPadding({0, 20, 0, 0});
  avatar->SetFixedWidth(kTileAvatarSize);
  avatar->SetFixedHeight(kTileAvatarSize);
  avatar->SetPadding({10, 0, 0, 0});
  avatar->SetBorderRound({6, 6});
  auto* name = new CLabelUI;
  name->SetText(Utf8ToWide(member.display_name()).c_str());
  name->SetFont(5);
  name->SetPadding({0, 4, 0, 0});
  name->SetTextColor(kTileNameColor);
  name->SetAttribute(L"align", L"center");
  name->SetAttribute(L"endellipsis", L"true");
  tile->Add(avatar);
  tile->Add(name);
  return tile;
}

}  // namespace

CButtonUI* CContactsPanel::FindButton(const wchar_t* name) {
  CControlUI* control = m_paintManager.FindControl(name);
  return control ? static_cast<CButtonUI*>(control->GetInterface(L"Button")) : nullptr;
}

void CContactsPanel::SetControlVisible(const wchar_t* name, bool visible) {
  if (CControlUI* control = m_paintManager.FindControl(name)) control->SetVisible(visible);
}

CContactsPanel::ContactLists CContactsPanel::ListsHolding(const std::string& id) const {
  ContactLists lists;
  lists.channel = FindById(m_contactChannels, id, &mireloom::Channel::channel_id) != nullptr;
  lists.member = FindById(LoadedTeamUsers(), id, &mireloom::User::uid) != nullptr;
  lists.robot = FindById(m_robots, id, &mireloom::User::uid) != nullptr;
  return lists;
}

void CContactsPanel::ShowCardHead(const mireloom::User& user) {
  SetControlVisible(L"group_members_v_layout", false);
  SetControlVisible(L"member_details_v_layout", true);
  CButtonUI* sendMessage = FindButton(L"contacts_send_message");
  CButtonUI* makeCall = FindButton(L"contacts_make_call");
  if (sendMessage) sendMessage->SetText(LocalizedText("SendMessage").c_str());
  if (makeCall) makeCall->SetText(LocalizedText("MakeCall").c_str());
  LoadAvatar(FindButton(L"avatar_image_btn"), user, kCardAvatarSize, kCardAvatarMark);
  if (CControlUI* name = m_paintManager.FindControl(L"display_name_label")) {
    name->SetText(Utf8ToWide(user.display_name()).c_str());
  }
  if (CControlUI* name = m_paintManager.FindControl(L"user_name_label")) {
    name->SetText((L"@" + Utf8ToWide(user.username())).c_str());
  }
  m_detailsCardId = user.uid();
}

void CContactsPanel::ShowUserDetails(const std::string& id) {
  const mireloom::User* user = FindById(LoadedTeamUsers(), id, &mireloom::User::uid);
  if (!user) return;
  ShowCardHead(*user);
  for (const DetailLine& line : kDetailLines) {
    CControlUI* control = m_paintManager.FindControl(line.label);
    auto* label = control ? static_cast<CLabelUI*>(control->GetInterface(L"Label")) : nullptr;
    if (!label) continue;
    label->SetShowHtml(true);
    label->SetText(MemberDetailLine(LocalizedText(line.key), (user->*line.value)()).c_str());
  }
  CButtonUI* sendMessage = FindButton(L"contacts_send_message");
  CButtonUI* makeCall = FindButton(L"contacts_make_call");
  const bool own = IsMe(id);
  SetControlVisible(L"edit_my_information_layout", own);
  for (CButtonUI* button : {sendMessage, makeCall}) {
    if (!button) continue;
    // The own card offers neither a message nor a call to oneself.
    if (own) button->SetMouseEnabled(false);
    button->SetVisible(!own);
  }
  if (own) return;
  if (sendMessage) SetEnabledFor(sendMessage, id);
  if (!makeCall) return;
  if (user->phone_number().empty()) {
    makeCall->SetMouseEnabled(false);
  } else {
    SetEnabledFor(makeCall, id);
  }
}

void CContactsPanel::ShowRobotDetails(const std::string& id) {
  const mireloom::User* robot = FindById(m_robots, id, &mireloom::User::uid);
  if (!robot) return;
  ShowCardHead(*robot);
  for (const DetailLine& line : kDetailLines) {
    if (CControlUI* label = m_paintManager.FindControl(line.label)) label->SetText(L"");
  }
  if (CButtonUI* sendMessage = FindButton(L"contacts_send_message")) {
    sendMessage->SetUserData(Utf8ToWide(id).c_str());
    sendMessage->SetVisible(true);
    sendMessage->SetMouseEnabled(true);
  }
  if (CButtonUI* makeCall = FindButton(L"contacts_make_call")) {
    makeCall->SetTextColor(kIdleTextColor);
    makeCall->SetMouseEnabled(false);
    makeCall->SetVisible(true);
  }
  SetControlVisible(L"edit_my_information_layout", false);
}

void CContactsPanel::ShowChannelMembers(const std::string& id) {
  SetControlVisible(L"member_details_v_layout", false);
  CControlUI* control = m_paintManager.FindControl(L"group_members_tile_layout");
  auto* tiles = control ? static_cast<CContainerUI*>(control->GetInterface(L"Container")) : nullptr;
  if (tiles) tiles->RemoveAll();
  SetControlVisible(L"group_members_v_layout", true);
  if (CControlUI* send = m_paintManager.FindControl(L"send_group_message")) {
    send->SetText(LocalizedText("SendGroupMessage").c_str());
  }
  const mireloom::ChannelManager* channels = mireloom::ChannelManager::DefaultManager();
  const auto members = channels->FetchMembersOfChannelFromCache(id);
  // A channel gone from the cache leaves the title as it was.
  if (const auto channel = channels->FetchChannelFromCacheByChannelId(id)) {
    if (CControlUI* title = m_paintManager.FindControl(L"gourp_details_title")) {
      title->SetText(Utf8ToWide(channel->channel_name()).c_str());
    }
  }
  if (tiles) {
    // A channel of thousands adds as many tiles; each looks its avatar up
    // once it is seen.
    const CInvalidationHold invalidation(m_paintManager);
    for (const auto& member : members) {
      tiles->Add(MakeMemberTile(MakeAvatar(member->header_uri(), kTileAvatarSize, kTileAvatarMark), *member));
    }
  }
  if (CControlUI* send = m_paintManager.FindControl(L"send_group_message")) send->SetUserData(Utf8ToWide(id).c_str());
}

void CContactsPanel::StartCallAnimation(bool start) {
  if (!start) return;
  if (CButtonUI* makeCall = FindButton(L"contacts_make_call")) {
    makeCall->SetText(LocalizedText("CallingThree").c_str());
    makeCall->SetBkColor(kCallingBackground);
    makeCall->SetTextColor(kCallingTextColor);
    makeCall->SetMouseEnabled(false);
  }
  // A second start restarts the period.
  SetTimer(m_window.GetHWND(), kCallAnimationTimer, kCallAnimationMs, nullptr);
}

void CContactsPanel::OnCallAnimationTick() {
  CButtonUI* makeCall = FindButton(L"contacts_make_call");
  if (AdvanceCallAnimation(CallAnimationTicks)) {
    if (makeCall) {
      const CallingTexts texts = {LocalizedText("CallingOne"), LocalizedText("CallingTwo"), LocalizedText("CallingThree")};
      makeCall->SetText(NextCallingText(makeCall->GetText().GetData(), texts).c_str());
    }
    return;
  }
  if (makeCall) {
    makeCall->SetTextColor(kIdleTextColor);
    makeCall->SetHotTextColor(kIdleHotTextColor);
    makeCall->SetText(LocalizedText("MakeCall").c_str());
    makeCall->SetBkColor(kIdleBackground);
    RestoreMakeCallButton(makeCall);
  }
  KillTimer(m_window.GetHWND(), kCallAnimationTimer);
}

void CContactsPanel::RestoreMakeCallButton(CButtonUI* button) {
  // The card may have changed while the animation ran: the button is as that
  // card needs it, not as the call's card left it.
  const mireloom::User* member = FindById(LoadedTeamUsers(), m_detailsCardId, &mireloom::User::uid);
  if (member && !member->phone_number().empty() && !IsMe(member->uid())) {
    SetEnabledFor(button, member->uid());
  } else {
    button->SetMouseEnabled(false);
  }
}

}  // namespace mireloomwnd
