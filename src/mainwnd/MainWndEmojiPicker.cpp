// The emoji button: the picker opens right above it for the open conversation,
// and its modal loop runs inside this click until the picker has closed.

#include "app/frame/WindowManager.h"
#include "mainwnd/MainWnd.h"
#include "mainwnd/MainWndGeometry.h"

namespace mireloomwnd {

using namespace DuiLib;

void MainWnd::AddEmojiPickerRows(CNotifyTable& table) {
  table.Bind(L"click", L"emoji_btn", &MainWnd::OnEmojiButtonClicked);
}

void MainWnd::OnEmojiButtonClicked(TNotifyUI&, const std::wstring&) {
  if (!m_emojiBtn) return;
  const RECT button = m_emojiBtn->GetPos();
  POINT topLeft = {button.left, button.top};
  ClientToScreen(GetHWND(), &topLeft);
  const RECT onScreen = {topLeft.x, topLeft.y, topLeft.x + (button.right - button.left),
                         topLeft.y + (button.bottom - button.top)};
  const POINT at = EmojiPickerPosition(onScreen);
  WindowManager::GetInstance()->ShowSelectEmojiWnd(m_currentSessionId, at.x, at.y);
}

}  // namespace mireloomwnd
