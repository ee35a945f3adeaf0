#include "duilib/Edit.h"

#include "Attributes.h"
#include "duilib/Container.h"
#include "duilib/PaintManager.h"
#include "LongTextSpan.h"
#include "NativeEdit.h"
#include "Render.h"

namespace DuiLib {

namespace {

// Lifted default limit of a native EDIT.
constexpr UINT kUnlimited = 0x7FFFFFFE;
constexpr wchar_t kPasswordChar = 0x25CF;

}  // namespace

class CEditUI::NativeHost final : public detail::INativeEditHost {
 public:
  explicit NativeHost(CEditUI& edit) : m_edit(edit) {}
  CControlUI* HostControl() override { return &m_edit; }
  HBRUSH OnCtlColor(HDC hDC) override { return m_edit.OnCtlColor(hDC); }
  void OnNativeChange() override { m_edit.OnNativeChange(); }
  void OnNativeFocus(bool bGained) override { m_edit.OnNativeFocus(bGained); }
  void OnNativeDestroyed() override { m_edit.OnNativeDestroyed(); }
  bool OnNativeMessage(UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lRes) override {
    if (uMsg == WM_MOUSEWHEEL) {
      // The wheel scrolls what is under the pointer, not the edit.
      lRes = ::SendMessageW(::GetParent(m_edit.m_hWndEdit), uMsg, wParam, lParam);
      return true;
    }
    // Enter and Tab are routed by the framework; never beep for them.
    if (uMsg == WM_CHAR && (wParam == VK_RETURN || wParam == VK_TAB)) {
      lRes = 0;
      return true;
    }
    return m_edit.m_span && m_edit.m_span->OnMessage(uMsg, wParam, lParam, lRes);
  }
  void OnNativeMessageDone() override {
    if (m_edit.m_span) m_edit.m_span->OnMessageDone();
  }

 private:
  CEditUI& m_edit;
};

CEditUI::CEditUI() {
  m_uTextStyle = DT_SINGLELINE | DT_VCENTER | DT_LEFT;
  m_rcTextPadding = {4, 0, 4, 0};
}

CEditUI::~CEditUI() {
  DestroyNativeWindow();
  if (m_hBkBrush) DeleteObject(m_hBkBrush);
}

LPCTSTR CEditUI::GetClass() const { return L"EditUI"; }

LPVOID CEditUI::GetInterface(LPCTSTR pstrName) {
  if (pstrName && wcscmp(pstrName, L"Edit") == 0) return this;
  return CLabelUI::GetInterface(pstrName);
}

CEditUI* CEditUI::FromNativeWindow(HWND hWnd) {
  CControlUI* host = detail::NativeEditControlOf(hWnd);
  return host ? static_cast<CEditUI*>(host->GetInterface(L"Edit")) : nullptr;
}

CDuiString CEditUI::GetText() const {
  if (m_hWndEdit) return CDuiString(detail::NativeWindowText(m_hWndEdit));
  return m_sText;
}

void CEditUI::SetText(LPCTSTR pstrText) {
  m_sText = pstrText;
  if (m_hWndEdit) WriteNativeText();
  Invalidate();
  UpdateNativeWindow();
}

void CEditUI::SetTipValue(LPCTSTR pStrTipValue) {
  m_sTipValue = pStrTipValue;
  Invalidate();
}

void CEditUI::SetTipValueColor(DWORD dwColor) {
  m_dwTipValueColor = dwColor;
  Invalidate();
}

void CEditUI::SetPasswordMode(bool bPasswordMode) {
  if (m_bPasswordMode == bPasswordMode) return;
  m_bPasswordMode = bPasswordMode;
  if (m_hWndEdit) {
    ::SendMessageW(m_hWndEdit, EM_SETPASSWORDCHAR, bPasswordMode ? kPasswordChar : 0, 0);
    ::InvalidateRect(m_hWndEdit, nullptr, TRUE);
  }
  Invalidate();
}

void CEditUI::SetReadOnly(bool bReadOnly) {
  if (m_bReadOnly == bReadOnly) return;
  m_bReadOnly = bReadOnly;
  if (m_hWndEdit) ::SendMessageW(m_hWndEdit, EM_SETREADONLY, bReadOnly, 0);
  Invalidate();
}

void CEditUI::SetMaxChar(UINT uMax) {
  m_uMaxChar = uMax;
  if (m_hWndEdit) ::SendMessageW(m_hWndEdit, EM_LIMITTEXT, m_uMaxChar ? m_uMaxChar : kUnlimited, 0);
}

void CEditUI::SetNativeEditBkColor(DWORD dwBkColor) {
  m_dwNativeBkColor = dwBkColor;
  if (m_hWndEdit) ::InvalidateRect(m_hWndEdit, nullptr, TRUE);
}

void CEditUI::SetSel(long nStartChar, long nEndChar) {
  if (m_hWndEdit) ::SendMessageW(m_hWndEdit, EM_SETSEL, static_cast<WPARAM>(nStartChar), nEndChar);
}

void CEditUI::SetFocus() { CLabelUI::SetFocus(); }

void CEditUI::SetVisible(bool bVisible) {
  CLabelUI::SetVisible(bVisible);
  UpdateNativeWindow();
}

void CEditUI::SetEnabled(bool bEnable) {
  CLabelUI::SetEnabled(bEnable);
  UpdateNativeWindow();
}

void CEditUI::PropagateState() { UpdateNativeWindow(); }

void CEditUI::SetPos(RECT rc, bool bNeedInvalidate) {
  CLabelUI::SetPos(rc, bNeedInvalidate);
  UpdateNativeWindow();
}

void CEditUI::SetManager(CPaintManagerUI* pManager, CControlUI* pParent) {
  if (m_pManager && m_pManager != pManager) DestroyNativeWindow();
  CLabelUI::SetManager(pManager, pParent);
}

void CEditUI::OnFontChanged() {
  CLabelUI::OnFontChanged();
  UpdateNativeWindow();
}

RECT CEditUI::NativeRect() const {
  RECT rc = {m_rcItem.left + m_rcTextPadding.left, m_rcItem.top + m_rcTextPadding.top,
             m_rcItem.right - m_rcTextPadding.right, m_rcItem.bottom - m_rcTextPadding.bottom};
  // A single-line EDIT draws at its top: give it one line, centred.
  const TFontInfo* font = CPaintManagerUI::ResolveFont(m_pManager, m_iFont);
  const int lineHeight = (font ? font->tm.tmHeight : 16) + 2;
  if (rc.bottom - rc.top > lineHeight) {
    rc.top += (rc.bottom - rc.top - lineHeight) / 2;
    rc.bottom = rc.top + lineHeight;
  }
  return rc;
}

void CEditUI::EnsureNativeWindow() {
  if (m_hWndEdit || !m_pManager || !m_pManager->GetPaintWindow()) return;
  DWORD style = WS_CHILD | ES_AUTOHSCROLL;
  if (m_bPasswordMode) style |= ES_PASSWORD;
  if (m_bReadOnly) style |= ES_READONLY;
  const RECT rc = NativeRect();
  // Created empty: the text goes in once the hosting can take a long one.
  m_hWndEdit = CreateWindowExW(0, L"EDIT", L"", style, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top,
                               m_pManager->GetPaintWindow(), nullptr, CPaintManagerUI::GetInstance(), nullptr);
  if (!m_hWndEdit) return;
  if (!m_host) m_host = std::make_unique<NativeHost>(*this);
  detail::AttachNativeEdit(m_hWndEdit, m_host.get());
  m_span = std::make_unique<detail::CLongTextSpan>(m_hWndEdit, [this] { RaiseTextChanged(); });
  ::SendMessageW(m_hWndEdit, EM_LIMITTEXT, m_uMaxChar ? m_uMaxChar : kUnlimited, 0);
  ::SendMessageW(m_hWndEdit, EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, 0);
  if (m_bPasswordMode) ::SendMessageW(m_hWndEdit, EM_SETPASSWORDCHAR, kPasswordChar, 0);
  m_hAppliedFont = nullptr;
  ApplyStyle();
  WriteNativeText();
}

void CEditUI::WriteNativeText() {
  // Text set by code is not a user change: no "textchanged".
  m_bSettingText = true;
  SetWindowTextW(m_hWndEdit, m_sText);
  m_bSettingText = false;
  // The user goes on typing after a text filled in for them (a remembered
  // team or password), not before it; the child would put the caret first.
  const WPARAM end = static_cast<WPARAM>(m_sText.GetLength());
  ::SendMessageW(m_hWndEdit, EM_SETSEL, end, static_cast<LPARAM>(end));
}

void CEditUI::ApplyStyle() {
  if (!m_hWndEdit) return;
  const TFontInfo* font = CPaintManagerUI::ResolveFont(m_pManager, m_iFont);
  HFONT handle = font ? font->hFont : nullptr;
  if (handle != m_hAppliedFont) {
    m_hAppliedFont = handle;
    ::SendMessageW(m_hWndEdit, WM_SETFONT, reinterpret_cast<WPARAM>(handle), TRUE);
  }
}

void CEditUI::DestroyNativeWindow() {
  if (!m_hWndEdit) return;
  HWND hWnd = m_hWndEdit;
  m_sText = detail::NativeWindowText(hWnd);
  m_hWndEdit = nullptr;
  detail::DetachNativeEdit(hWnd);
  m_span.reset();
  DestroyWindow(hWnd);
}

void CEditUI::OnNativeDestroyed() {
  if (!m_hWndEdit) return;
  m_sText = detail::NativeWindowText(m_hWndEdit);
  detail::DetachNativeEdit(m_hWndEdit);
  m_span.reset();
  m_hWndEdit = nullptr;
}

void CEditUI::UpdateNativeWindow() {
  if (!m_pManager) return;
  const RECT rc = NativeRect();
  const RECT visible = detail::VisibleNativeRect(this, rc);
  const bool show = IsVisible() && !IsRectEmpty(&visible) && (m_bFocused || !GetText().IsEmpty());
  if (show) EnsureNativeWindow();
  if (!m_hWndEdit) return;
  ApplyStyle();
  EnableWindow(m_hWndEdit, IsEnabled());
  m_bClipped = detail::PlaceNativeChild(m_hWndEdit, rc, visible, show, m_bClipped);
  Invalidate();
}

HBRUSH CEditUI::OnCtlColor(HDC hDC) {
  const DWORD text = m_dwTextColor ? m_dwTextColor : (m_pManager ? m_pManager->GetDefaultFontColor() : 0xFF000000);
  ::SetTextColor(hDC, detail::ToColorRef(text));
  ::SetBkColor(hDC, detail::ToColorRef(m_dwNativeBkColor));
  if (!m_hBkBrush || m_dwBrushColor != m_dwNativeBkColor) {
    if (m_hBkBrush) DeleteObject(m_hBkBrush);
    m_hBkBrush = CreateSolidBrush(detail::ToColorRef(m_dwNativeBkColor));
    m_dwBrushColor = m_dwNativeBkColor;
  }
  return m_hBkBrush;
}

void CEditUI::OnNativeChange() {
  if (m_span && !m_span->OnChildChanged()) return;
  RaiseTextChanged();
}

void CEditUI::RaiseTextChanged() {
  if (m_bSettingText) return;
  Notify(L"textchanged");
}

void CEditUI::OnNativeFocus(bool bGained) {
  if (!m_pManager) return;
  if (bGained) {
    if (m_pManager->GetFocus() != this) m_pManager->SetFocus(this);
  } else {
    m_pManager->OnNativeFocusLost(this);
  }
}

void CEditUI::DoEvent(TEventUI& event) {
  switch (event.Type) {
    case UIEVENT_SETFOCUS:
      CLabelUI::DoEvent(event);
      UpdateNativeWindow();
      if (m_hWndEdit && ::GetFocus() != m_hWndEdit) ::SetFocus(m_hWndEdit);
      return;
    case UIEVENT_KILLFOCUS:
      CLabelUI::DoEvent(event);
      UpdateNativeWindow();
      return;
    case UIEVENT_KEYDOWN:
      if (event.chKey == VK_RETURN) {
        // Enter that the window passed on: the window's main action, else
        // "return"; no new line, no beep.
        if (!m_pManager) return;
        m_pManager->MarkKeyHandled();
        if (!m_pManager->PressDefaultButton()) Notify(L"return");
        return;
      }
      return;
    case UIEVENT_SETCURSOR:
      ::SetCursor(LoadCursorW(nullptr, IDC_IBEAM));
      return;
    case UIEVENT_BUTTONDOWN:
    case UIEVENT_DBLCLICK:
    case UIEVENT_BUTTONUP:
    case UIEVENT_MOUSEMOVE:
      // The press gave the field the focus; the native window takes it from here.
      return;
    default:
      CLabelUI::DoEvent(event);
      return;
  }
}

CDuiString CEditUI::GetDisplayText() const {
  CDuiString text = GetText();
  if (m_bPasswordMode) return CDuiString(std::wstring(static_cast<size_t>(text.GetLength()), kPasswordChar));
  return text;
}

void CEditUI::PaintText(HDC hDC) {
  // While the native window shows, it draws the text itself.
  if (m_hWndEdit && (GetWindowLongW(m_hWndEdit, GWL_STYLE) & WS_VISIBLE)) return;
  if (!GetText().IsEmpty()) {
    CLabelUI::PaintText(hDC);
    return;
  }
  if (m_sTipValue.IsEmpty()) return;
  const RECT rc = {m_rcItem.left + m_rcTextPadding.left, m_rcItem.top + m_rcTextPadding.top,
                   m_rcItem.right - m_rcTextPadding.right, m_rcItem.bottom - m_rcTextPadding.bottom};
  detail::DrawText(hDC, m_pManager, rc, m_sTipValue, m_dwTipValueColor, m_iFont, m_uTextStyle);
}

void CEditUI::SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue) {
  using namespace detail;
  const std::wstring name = pstrName ? pstrName : L"";
  DWORD color;
  int number;
  bool flag;
  if (name == L"password") {
    if (ParseBool(pstrValue, &flag)) SetPasswordMode(flag);
  } else if (name == L"readonly") {
    if (ParseBool(pstrValue, &flag)) SetReadOnly(flag);
  } else if (name == L"maxchar") {
    if (ParseInt(pstrValue, &number) && number >= 0) SetMaxChar(static_cast<UINT>(number));
  } else if (name == L"tipvalue") {
    SetTipValue(pstrValue);
  } else if (name == L"tipvaluecolor") {
    if (ParseColor(pstrValue, &color)) SetTipValueColor(color);
  } else if (name == L"nativebkcolor") {
    if (ParseColor(pstrValue, &color)) SetNativeEditBkColor(color);
  } else {
    CLabelUI::SetAttribute(pstrName, pstrValue);
  }
}

}  // namespace DuiLib
