#pragma once

// Tells of a newer client version: its release notes, and a button that opens
// the download address in the system browser.

#include <string>

#include "app/ui/UiThread.h"
#include "app/ui/WndShadow.h"
#include "duilib/UIlib.h"

namespace mireloomwnd {

class UpdateWnd final : public DuiLib::WindowImplBase {
 public:
  UpdateWnd(const std::string& description, std::string download_url);

  LPCTSTR GetWindowClassName() const override { return L"UpdateWnd"; }
  DuiLib::CDuiString GetSkinFolder() override;
  DuiLib::CDuiString GetSkinFile() override { return L"skin_new_version.xml"; }
  LRESULT OnCreate(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled) override;
  void InitWindow() override;
  void Notify(DuiLib::TNotifyUI& msg) override;

 private:
  CWndShadow m_shadow;
  std::string m_description;
  std::string m_downloadUrl;
  DuiLib::CControlUI* m_descriptionEdit = nullptr;
  DuiLib::CButtonUI* m_updateButton = nullptr;
  DuiLib::CButtonUI* m_cancelButton = nullptr;
  // Checked by any completion the window starts; last, so that it expires
  // before any other member goes.
  CLifetimeGuard m_guard;
};

}  // namespace mireloomwnd
