#include "browser/ChildBrowser.h"

namespace mireloomwnd {

bool CreateChildBrowser(HWND parent, const CefRefPtr<CBrowserClient>& client, const std::wstring& address,
                        const RECT& firstRect) {
  client->SetOwnerWindow(parent);
  CefWindowInfo info;
  info.SetAsChild(parent, firstRect);
  info.SetTransparentPainting(false);
  CefBrowserSettings settings;
  settings.default_encoding = L"UTF-8";
  settings.universal_access_from_file_urls = STATE_ENABLED;
  return CefBrowserHost::CreateBrowser(info, client, address, settings, nullptr);
}

bool KeepChildBrowserAtLastPlace(CBrowserClient& client, HWND browserWindow, const DuiLib::CDuiRect& area,
                                 const DuiLib::CDuiRect& lastPlace) {
  if (area.GetHeight() != 0) return false;
  client.SetBrowserRect(lastPlace);
  if (!lastPlace.IsNull()) MoveBrowserWindow(browserWindow, lastPlace);
  return true;
}

void MoveBrowserWindow(HWND window, const RECT& rect) {
  MoveWindow(window, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, TRUE);
}

}  // namespace mireloomwnd
