#include "dialogs/common/ConversationSelection.h"

#include "app/frame/WindowManager.h"
#include "app/ui/ConversationHost.h"

namespace mireloomwnd {

void SelectInMainWindow(const std::string& conversationId) {
  if (CConversationHost* main = WindowManager::GetInstance()->GetConversationHost()) {
    main->RefreshAndSelectSession(conversationId, true);
  }
}

}  // namespace mireloomwnd
