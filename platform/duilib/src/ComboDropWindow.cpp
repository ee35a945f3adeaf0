#include "ComboDropWindow.h"

#include "duilib/Combo.h"

namespace DuiLib::detail {

namespace {

constexpr wchar_t kListName[] = L"combo_drop_list";

// A copy of an entry for the drop list; it keeps the entry's name.
CListLabelElementUI* CopyOf(CControlUI* entry) {
  auto* copy = new CListLabelElementUI;
  copy->SetName(entry->GetName());
  copy->SetText(entry->GetText());
  copy->SetFixedHeight(entry->GetFixedHeight());
  copy->SetVisible(entry->IsSelfVisible());
  copy->SetEnabled(entry->IsEnabled());
  if (auto* label = static_cast<CLabelUI*>(entry->GetInterface(L"Label"))) {
    copy->SetFont(label->GetFont());
    copy->SetTextColor(label->GetTextColor());
    copy->SetTextPadding(label->GetTextPadding());
    copy->SetTextStyle(label->GetTextStyle());
  }
  return copy;
}

}  // namespace

bool ComboDropWindow::Open(HWND hWndOwner, const RECT& rcScreen) {
  if (!Create(hWndOwner, L"", WS_POPUP | WS_CLIPCHILDREN, WS_EX_TOOLWINDOW, rcScreen.left, rcScreen.top,
              rcScreen.right - rcScreen.left, rcScreen.bottom - rcScreen.top)) {
    return false;
  }
  // Shown active, so that the loss of the activation closes it.
  ShowWindow(true, true);
  return true;
}

CDuiString ComboDropWindow::GetSkinFile() {
  return L"<Window><List name=\"combo_drop_list\" bkcolor=\"#FFFFFFFF\" bordercolor=\"#FFD5D8DC\" inset=\"1,1,1,1\" "
         L"vscrollbarstyle=\"width=&quot;6&quot;\"/></Window>";
}

void ComboDropWindow::InitWindow() {
  m_pList = static_cast<CListUI*>(m_PaintManager.FindControl(kListName));
  if (!m_pOwner || !m_pList) return;
  if (CPaintManagerUI* manager = m_pOwner->GetManager()) m_PaintManager.ShareStyleOf(*manager);
  const TListInfoUI& info = m_pOwner->GetListInfo();
  m_pList->SetListInfo(info);
  const int current = m_pOwner->GetCurSel();
  int top = 0;
  for (int i = 0; i < m_pOwner->GetCount(); ++i) {
    CControlUI* entry = m_pOwner->GetItemAt(i);
    CListLabelElementUI* copy = CopyOf(entry);
    if (i == current) copy->Select(true);
    if (i < current && copy->IsSelfVisible()) top += copy->GetFixedHeight() > 0 ? copy->GetFixedHeight() : info.nItemHeight;
    m_pList->Add(copy);
  }
  // The current entry shows at the top when the list must scroll.
  m_pList->SetScrollPos({0, top});
  m_pList->SetFocus();
}

void ComboDropWindow::Notify(TNotifyUI& msg) {
  if (msg.sType == L"itemclick" && m_pList && msg.pSender && msg.pSender->GetParent() == m_pList) {
    Pick(m_pList->GetItemIndex(msg.pSender));
    return;
  }
  WindowImplBase::Notify(msg);
}

void ComboDropWindow::Pick(int iIndex) {
  if (m_bPicked) return;
  m_bPicked = true;
  CComboUI* owner = m_pOwner;
  Close(IDOK);
  // The window goes first: a handler of "itemselect" may open a dialog.
  if (owner && iIndex >= 0) owner->SelectItem(iIndex, false);
}

LRESULT ComboDropWindow::HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) {
  switch (uMsg) {
    case WM_ACTIVATE:
      if (LOWORD(wParam) == WA_INACTIVE) Close(IDCANCEL);
      break;
    case WM_KILLFOCUS:
      Close(IDCANCEL);
      break;
    case WM_KEYDOWN:
      if (wParam == VK_ESCAPE) {
        Close(IDCANCEL);
        return 0;
      }
      // Enter, or F4 that opened the list, takes the highlighted entry.
      if ((wParam == VK_RETURN || wParam == VK_F4) && m_pList) {
        Pick(m_pList->GetCurSel());
        return 0;
      }
      break;
    case WM_SYSKEYDOWN:
      // Alt+Up or Alt+Down closes it as F4 does.
      if ((wParam == VK_UP || wParam == VK_DOWN) && m_pList) {
        Pick(m_pList->GetCurSel());
        return 0;
      }
      break;
    default:
      break;
  }
  return WindowImplBase::HandleMessage(uMsg, wParam, lParam);
}

void ComboDropWindow::OnFinalMessage(HWND hWnd) {
  if (m_pOwner) m_pOwner->OnDropClosed(this);
  m_pOwner = nullptr;
}

}  // namespace DuiLib::detail
