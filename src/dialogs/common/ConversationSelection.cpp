#include "dialogs/common/ConversationSelection.h"

#include "app/frame/WindowManager.h"
#include "mainwnd/MainWnd.h"

namespace mireloomwnd {

void SelectInMainWindow(const std::string& conversationId) {
  if (MainWnd* main = WindowManager::GetInstance()->GetMainWnd()) main->RefreshAndSelectSession(conversationId, true);
}

}  // namespace mireloomwnd
