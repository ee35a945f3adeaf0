#include "mainwnd/shell/NotifyTable.h"

#include <initializer_list>

#include "app/text/TextHelpers.h"
#include "quennet/EventLog.h"

namespace mireloomwnd {

namespace {

struct PositionEntry {
  SenderMatch match;
  const wchar_t* name;
};

struct ChainEntry {
  const wchar_t* type;
  std::initializer_list<PositionEntry> positions;
};

constexpr SenderMatch kName = SenderMatch::Name;

// The whole dispatch. The three close buttons are compared as controls, so
// that only the window's own button of that name acts; picture items are told
// by a part of their name and come last.
const ChainEntry kDispatch[] = {
    {L"itemselect", {{kName, L"sessionList"}, {kName, L"contacts_tree"}, {kName, L"organization_tree"}}},
    {L"link", {{SenderMatch::Any, nullptr}}},
    {L"return", {{SenderMatch::Any, nullptr}}},
    {L"itemrclick", {{SenderMatch::Any, nullptr}}},
    {L"click",
     {{SenderMatch::Control, L"customCloseBtn"},
      {SenderMatch::Control, L"customCloseBtn_contacts"},
      {SenderMatch::Control, L"customCloseBtn_browser"},
      {kName, L"team_menu_btn"},
      {kName, L"personal_menu_btn"},
      {kName, L"im_or_channel_btn"},
      {kName, L"add_channel_btn"},
      {kName, L"add_group_btn"},
      {kName, L"open_im_btn"},
      {kName, L"add_members_btn"},
      {kName, L"members_btn"},
      {kName, L"send_message_btn"},
      {kName, L"leave_btn"},
      {kName, L"file_btn"},
      {kName, L"emoji_btn"},
      {kName, L"upload_btn"},
      {kName, L"screenshot_btn"},
      {kName, L"chat_btn"},
      {kName, L"contacts_btn"},
      {kName, L"task_btn"},
      {kName, L"calendar_btn"},
      {kName, L"netdisc_btn"},
      {kName, L"applications_btn"},
      {kName, L"contacts_by_letter_btn"},
      {kName, L"contacts_by_organization_btn"},
      {kName, L"contacts_send_message"},
      {kName, L"send_group_message"},
      {kName, L"contacts_make_call"},
      {kName, L"drop_down_btn"},
      {kName, L"make_call_btn"},
      {kName, L"edit_my_information"},
      {kName, L"load_more"},
      {SenderMatch::Contains, L"image_"}}},
    {L"itemclick",
     {{kName, L"menu_config_service"},
      {kName, L"menu_config_team"},
      {kName, L"menu_invite_members"},
      {kName, L"menu_homepage"},
      {kName, L"menu_account_config"},
      {kName, L"menu_switch_language"},
      {kName, L"menu_signout_team"},
      {kName, L"menu_open_im"},
      {kName, L"menu_join_channel"},
      {kName, L"menu_create_group"},
      {kName, L"menu_add_group_members"},
      {kName, L"menu_quit_group"},
      {kName, L"menu_view_personal_information"},
      {kName, L"menu_report"},
      {kName, L"menu_CRM"},
      {kName, L"menu_approval"}}},
    {L"richedit_click", {{kName, L"chat_input"}, {kName, L"chat_display_richedit"}}},
    {L"selectchanged", {{SenderMatch::Any, nullptr}}},
    {L"textchanged", {{kName, L"search"}}},
    {L"scroll", {{kName, L"chat_display"}}},
};

}  // namespace

CNotifyTable::CNotifyTable() {
  for (const ChainEntry& entry : kDispatch) {
    Chain chain{entry.type, {}};
    for (const PositionEntry& position : entry.positions) {
      chain.positions.push_back({position.match, position.name ? position.name : L"", nullptr});
    }
    m_chains.push_back(std::move(chain));
  }
}

bool CNotifyTable::Bind(const wchar_t* type, const wchar_t* name, NotifyHandler handler) {
  const std::wstring wanted = name ? name : L"";
  for (Chain& chain : m_chains) {
    if (chain.type != type) continue;
    for (Position& position : chain.positions) {
      if (position.name == wanted) {
        position.handler = handler;
        return true;
      }
    }
  }
  quennet::log_error("Main window: no dispatch position for %s %s", WideToUtf8(type).c_str(),
                     WideToUtf8(wanted).c_str());
  return false;
}

NotifyHandler CNotifyTable::Find(const DuiLib::TNotifyUI& msg, const std::wstring& sender,
                                 DuiLib::CPaintManagerUI& manager) const {
  for (const Chain& chain : m_chains) {
    if (msg.sType != chain.type.c_str()) continue;
    for (const Position& position : chain.positions) {
      if (Matches(position, msg, sender, manager)) return position.handler;
    }
    return nullptr;
  }
  return nullptr;
}

bool CNotifyTable::Matches(const Position& position, const DuiLib::TNotifyUI& msg, const std::wstring& sender,
                           DuiLib::CPaintManagerUI& manager) {
  switch (position.match) {
    case SenderMatch::Name: return sender == position.name;
    case SenderMatch::Control: return msg.pSender && msg.pSender == manager.FindControl(position.name.c_str());
    case SenderMatch::Contains: return sender.find(position.name) != std::wstring::npos;
    case SenderMatch::Any: return true;
  }
  return false;
}

}  // namespace mireloomwnd
