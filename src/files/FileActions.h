#pragma once

// Work the file windows share: opening a file through its download address,
// and the one-item menu that copies the selection of a text.

#include <windows.h>

#include <string>

namespace DuiLib {
class CRichEditUI;
}

namespace mireloomwnd {

// Asks the service where the download address leads and opens that place in
// the system's browser. Only a non-empty http(s) place is opened; a failed
// request or an answer without one opens nothing.
void OpenDownloadAddress(const std::string& address);

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
