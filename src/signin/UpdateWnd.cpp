#include "signin/UpdateWnd.h"

#include "app/text/TextHelpers.h"
#include "app/ui/PlatformSeam.h"
#include "app/ui/SkinControls.h"
#include "app/ui/WindowConventions.h"

namespace mireloomwnd {

using namespace DuiLib;

UpdateWnd::UpdateWnd(const std::string& description, std::string download_url)
    : m_description(description), m_downloadUrl(std::move(download_url)) {}

CDuiString UpdateWnd::GetSkinFolder() { return SkinFolder(); }

LRESULT UpdateWnd::OnCreate(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled) {
  return CreateWithShadow(*this, m_shadow, uMsg, wParam, lParam, bHandled);
}

void UpdateWnd::InitWindow() {
  m_descriptionEdit = FindSkinControl<CControlUI>(m_PaintManager, L"description_edit");
  m_updateButton = FindSkinControl<CButtonUI>(m_PaintManager, L"update_btn", L"Button");
  m_cancelButton = FindSkinControl<CButtonUI>(m_PaintManager, L"cancel_btn", L"Button");
  if (m_descriptionEdit) m_descriptionEdit->SetText(Utf8ToWide(m_description).c_str());
}

void UpdateWnd::Notify(TNotifyUI& msg) {
  if (msg.sType == L"click" && msg.pSender) {
    if (msg.pSender == m_updateButton) {
      // The address comes from the service: only a web address is opened.
      OpenAddress(Utf8ToWide(m_downloadUrl));
    } else if (msg.pSender == m_cancelButton || msg.pSender->GetName() == L"close_btn") {
      Close(1);
    }
  }
  WindowImplBase::Notify(msg);
}

}  // namespace mireloomwnd
