#include "app/ui/WindowConventions.h"

#include "app/text/StringTable.h"
#include "app/ui/WndShadow.h"

namespace mireloomwnd {

namespace {

constexpr LONG kCaptionStyle = 0x00C00000;   // WS_CAPTION
constexpr LONG kClippingStyles = 0x06000000;  // WS_CLIPSIBLINGS | WS_CLIPCHILDREN
constexpr int kShadowSize = 4;

}  // namespace

void ApplyTexts(DuiLib::CPaintManagerUI& manager, std::initializer_list<TextBinding> bindings) {
  for (const TextBinding& binding : bindings) {
    DuiLib::CControlUI* control = manager.FindControl(binding.control);
    if (!control) continue;
    const std::wstring text = LocalizedText(binding.key);
    switch (binding.target) {
      case TextTarget::Text:
        control->SetText(text.c_str());
        break;
      case TextTarget::ToolTip:
        control->SetToolTip(text.c_str());
        break;
      case TextTarget::TipValue:
        if (auto* edit = static_cast<DuiLib::CEditUI*>(control->GetInterface(L"Edit"))) {
          edit->SetTipValue(text.c_str());
        } else if (auto* rich = static_cast<DuiLib::CRichEditUI*>(control->GetInterface(L"RichEdit"))) {
          rich->SetTipValue(text.c_str());
        }
        break;
    }
  }
}

LRESULT CreateWithShadow(DuiLib::WindowImplBase& window, CWndShadow& shadow, UINT uMsg, WPARAM wParam, LPARAM lParam,
                         BOOL& bHandled) {
  const LRESULT result = window.WindowImplBase::OnCreate(uMsg, wParam, lParam, bHandled);
  HWND hwnd = window.GetHWND();
  // A window whose skin failed is being destroyed: nothing to attach to.
  if (result != 0 || !hwnd) return result;
  ApplyBorderlessStyle(hwnd);
  AttachShadow(shadow, hwnd);
  return result;
}

void ApplyBorderlessStyle(HWND window) {
  const LONG style = GetWindowLongW(window, GWL_STYLE);
  SetWindowLongW(window, GWL_STYLE, (style & ~kCaptionStyle) | kClippingStyles);
}

LRESULT CreateSidePanel(DuiLib::WindowImplBase& window, CWndShadow& shadow, const RECT& placement, UINT uMsg,
                        WPARAM wParam, LPARAM lParam, BOOL& bHandled) {
  const LRESULT result = window.WindowImplBase::OnCreate(uMsg, wParam, lParam, bHandled);
  HWND hwnd = window.GetHWND();
  if (result != 0 || !hwnd) return result;
  // The skin's size replaced the one the opener asked for.
  SetWindowPos(hwnd, HWND_TOP, placement.left, placement.top, placement.right - placement.left,
               placement.bottom - placement.top, SWP_FRAMECHANGED);
  AttachShadow(shadow, hwnd);
  return result;
}

void AttachShadow(CWndShadow& shadow, HWND window) {
  // Size and offset first: a window already shown (the main window at its
  // stored place) has its shadow drawn by Create, and each later change would
  // draw the whole picture again, tens of milliseconds for a large window.
  shadow.SetSize(kShadowSize);
  shadow.SetPosition(0, 0);
  shadow.Create(window);
}

bool IsButtonFocused(const DuiLib::CPaintManagerUI& manager) {
  DuiLib::CControlUI* focus = manager.GetFocus();
  return focus && focus->GetInterface(L"Button");
}

}  // namespace mireloomwnd
