// The buttons that open the popup menus, each at the point of its click. A
// menu is made afresh for every opening and frees itself once it has closed;
// its item clicks come back to Notify as "itemclick".

#include "mainwnd/MainWnd.h"
#include "mainwnd/shell/PopupMenus.h"

namespace mireloomwnd {

using namespace DuiLib;

void MainWnd::AddMenuButtonRows(CNotifyTable& table) {
  table.Bind(L"click", L"team_menu_btn", &MainWnd::OpenMenuAtClick<TeamMenuWnd>);
  table.Bind(L"click", L"personal_menu_btn", &MainWnd::OpenMenuAtClick<PersonalMenuWnd>);
  table.Bind(L"click", L"im_or_channel_btn", &MainWnd::OpenMenuAtClick<ImOrChannelMenuWnd>);
  table.Bind(L"click", L"applications_btn", &MainWnd::OpenMenuAtClick<ApplicationsMenuWnd>);
  table.Bind(L"click", L"drop_down_btn", &MainWnd::OnDropDownClicked);
}

template <class Menu>
void MainWnd::OpenMenuAtClick(TNotifyUI& msg, const std::wstring&) {
  (new Menu)->ShowAt(&m_PaintManager, msg.ptMouse.x, msg.ptMouse.y);
}

void MainWnd::OnDropDownClicked(TNotifyUI& msg, const std::wstring&) {
  // The open conversation's menu; none while no conversation is open.
  switch (GetSessionType(m_currentSessionId)) {
    case kSessionChannel:
      (new GroupDropDownMenuWnd(m_currentSessionId))->ShowAt(&m_PaintManager, msg.ptMouse.x, msg.ptMouse.y);
      break;
    case kSessionIm:
      (new ImDropDownMenuWnd)->ShowAt(&m_PaintManager, msg.ptMouse.x, msg.ptMouse.y);
      break;
    default:
      break;
  }
}

}  // namespace mireloomwnd
