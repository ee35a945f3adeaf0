#pragma once

// Work the file windows share: fetching an entity for a window, opening a
// file through its download address, and the one-item menu that copies the
// selection of a text.

#include <windows.h>

#include <functional>
#include <memory>
#include <string>

namespace DuiLib {
class CRichEditUI;
}
namespace mireloom {
class Entity;
}

namespace mireloomwnd {

// Asks the service where the download address leads and opens that place in
// the system's browser. Only a non-empty http(s) place is opened; a failed
// request or an answer without one opens nothing.
void OpenDownloadAddress(const std::string& address);

// Asks the core library for the entity (with its comments) and hands it, or
// null, to `show` on the user-interface thread while the token lives. False,
// with nothing asked, without a signed-in session.
bool FetchEntityForWindow(const std::string& entityId, std::weak_ptr<void> token,
                          std::function<void(std::unique_ptr<mireloom::Entity>)> show);

// A popup menu with one item, "copy", destroyed with its owner.
class CCopyMenu final {
 public:
  CCopyMenu() = default;
  ~CCopyMenu() { Destroy(); }
  CCopyMenu(const CCopyMenu&) = delete;
  CCopyMenu& operator=(const CCopyMenu&) = delete;

  // Makes the menu with the item's text (a second call replaces it).
  void Create(const std::wstring& text);
  void Destroy();
  // Tracks the menu at a point of the owner's client area; when the user
  // chooses the item, the rich edit copies its selection. True when it did.
  bool TrackAndCopy(HWND owner, POINT clientPoint, DuiLib::CRichEditUI* edit) const;

 private:
  HMENU m_menu = nullptr;
};

}  // namespace mireloomwnd
