// Notify: every control notification of the window, and the item clicks the
// popup menus forward, goes through one table (NotifyTable.cpp gives its
// order); each area adds its rows below, then the framework sees the record.

#include "mainwnd/MainWnd.h"

namespace mireloomwnd {

using namespace DuiLib;

const CNotifyTable& MainWnd::NotifyRows() {
  static const CNotifyTable table = [] {
    CNotifyTable rows;
    AddSessionListRows(rows);
    AddCloseButtonRows(rows);
    AddMenuButtonRows(rows);
    AddNavigationRows(rows);
    AddMenuCommandRows(rows);
    AddChatAreaRows(rows);
    AddDialogRows(rows);
    AddSendingRows(rows);
    AddEmojiPickerRows(rows);
    return rows;
  }();
  return table;
}

void MainWnd::Notify(TNotifyUI& msg) {
  // Copied first: a handler may run a modal loop (a dialog, the next
  // session) in which the sender, a menu's item above all, is destroyed.
  const std::wstring sender = msg.pSender ? std::wstring(msg.pSender->GetName().GetData()) : std::wstring();
  if (const NotifyHandler handler = NotifyRows().Find(msg, sender, m_PaintManager)) (this->*handler)(msg, sender);
  WindowImplBase::Notify(msg);
}

}  // namespace mireloomwnd
