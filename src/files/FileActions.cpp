#include "files/FileActions.h"

#include "app/DownloadCache.h"
#include "app/PlatformSeam.h"
#include "app/TextHelpers.h"
#include "app/UiThread.h"
#include "duilib/UIlib.h"
#include "files/FilesMessages.h"

namespace mireloomwnd {

void OpenDownloadAddress(const std::string& address) {
  RequestRedirectLocation(address, [](const std::string& location) {
    // The shell is asked from the user-interface thread, as every other opening is.
    std::wstring target = AnsiToWide(location);
    CUiThread::Post([target = std::move(target)] { OpenAddress(target); });
  });
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
