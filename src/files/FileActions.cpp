#include "files/FileActions.h"

#include "app/storage/DownloadCache.h"
#include "app/text/TextHelpers.h"
#include "app/ui/PlatformSeam.h"
#include "app/ui/UiThread.h"
#include "duilib/UIlib.h"
#include "files/FilesMessages.h"
#include "mireloom/Director.h"
#include "mireloom/Entity.h"
#include "mireloom/EntityManager.h"

namespace mireloomwnd {

void OpenDownloadAddress(const std::string& address) {
  RequestRedirectLocation(address, [](const std::string& location) {
    // The shell is asked from the user-interface thread, as every other opening is.
    std::wstring target = AnsiToWide(location);
    CUiThread::Post([target = std::move(target)] { OpenAddress(target); });
  });
}

bool FetchEntityForWindow(const std::string& entityId, std::weak_ptr<void> token,
                          std::function<void(std::unique_ptr<mireloom::Entity>)> show) {
  const mireloom::Director* director = mireloom::Director::DefaultDirector();
  if (!director) return false;
  director->entity_manager()->GetEntityById(
      entityId, [token = std::move(token), show = std::move(show)](bool, const std::string&,
                                                                   std::unique_ptr<mireloom::Entity> entity) {
        // std::function needs a copyable closure: the entity rides in a shared pointer.
        auto shared = std::make_shared<std::unique_ptr<mireloom::Entity>>(std::move(entity));
        CUiThread::Post(token, [show, shared] { show(std::move(*shared)); });
      });
  return true;
}

void CCopyMenu::Create(const std::wstring& text) {
  Destroy();
  m_menu = CreatePopupMenu();
  if (m_menu) AppendMenuW(m_menu, MF_STRING, kCopyMenuCommand, text.c_str());
}

void CCopyMenu::Destroy() {
  if (m_menu) DestroyMenu(m_menu);
  m_menu = nullptr;
}

bool CCopyMenu::TrackAndCopy(HWND owner, POINT clientPoint, DuiLib::CRichEditUI* edit) const {
  if (!m_menu) return false;
  POINT screen = clientPoint;
  ClientToScreen(owner, &screen);
  if (Platform().TrackMenu(m_menu, TPM_RETURNCMD, screen.x, screen.y, owner) != kCopyMenuCommand || !edit) return false;
  edit->Copy();
  return true;
}

}  // namespace mireloomwnd
