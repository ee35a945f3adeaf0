#include "duilib/RichEdit.h"

#include <richedit.h>

#include <climits>

#include "Attributes.h"
#include "duilib/PaintManager.h"
#include "FontBinding.h"
#include "NativeEdit.h"
#include "quennet/SystemLibraries.h"
#include "Render.h"

namespace DuiLib {

namespace {

constexpr UINT kDefaultMaxChar = 1000000;
// Wine's rich edit deletes a text run by run, finding each run from the
// start of its paragraph: a long paragraph of many runs (its punctuation
// splits them) takes seconds to clear. A child holding more than this is
// replaced by a new one rather than cleared.
constexpr int kLongestClearedText = 4096;

// msftedit's class when it loads, riched20's otherwise; NULL without either.
LPCWSTR RichEditClass() {
  static const wchar_t* const name = []() -> const wchar_t* {
    if (quennet::LoadSystemLibrary(L"msftedit.dll")) return L"RICHEDIT50W";
    if (quennet::LoadSystemLibrary(L"riched20.dll")) return L"RichEdit20W";
    return nullptr;
  }();
  return name;
}

// Line breaks as the child takes them.
std::wstring ToNative(const wchar_t* text) {
  std::wstring out;
  for (const wchar_t* p = text ? text : L""; *p; ++p) {
    if (*p == L'\r' && p[1] == L'\n') continue;
    if (*p == L'\n' || *p == L'\r') {
      out += L"\r\n";
    } else {
      out += *p;
    }
  }
  return out;
}

// Line breaks as "\n", whatever the child gives.
std::wstring FromNative(const std::wstring& text) {
  std::wstring out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == L'\r') {
      if (i + 1 < text.size() && text[i + 1] == L'\n') ++i;
      out += L'\n';
    } else {
      out += text[i];
    }
  }
  return out;
}

// Ctrl with a letter of rich-text formatting (bold, italic, underline,
// alignment): a plain control's child is in rich-text mode only so that runs
// can take their own faces, and takes no formatting from the keyboard.
bool IsFormattingKey(WPARAM key) {
  return GetKeyState(VK_CONTROL) < 0 && GetKeyState(VK_MENU) >= 0 && GetKeyState(VK_SHIFT) >= 0 &&
         (key == 'B' || key == 'I' || key == 'U' || key == 'L' || key == 'E' || key == 'R' || key == 'J');
}

bool IsPasteKey(WPARAM key) {
  const bool ctrl = GetKeyState(VK_CONTROL) < 0, shift = GetKeyState(VK_SHIFT) < 0;
  return GetKeyState(VK_MENU) >= 0 && ((key == 'V' && ctrl && !shift) || (key == VK_INSERT && shift && !ctrl));
}

}  // namespace

// Reports the child's focus, changes, right clicks and painting to the control.
class CRichEditUI::NativeHost final : public detail::INativeEditHost {
 public:
  explicit NativeHost(CRichEditUI& edit) : m_edit(edit) {}

  CControlUI* HostControl() override { return &m_edit; }

  void OnNativeChange() override {
    if (!m_edit.m_bSettingText) m_edit.Notify(L"textchanged");
  }

  void OnNativeFocus(bool bGained) override {
    HWND child = m_edit.m_hWndRich;
    if (child) ::InvalidateRect(child, nullptr, TRUE);  // the tip hides while focused
    CPaintManagerUI* manager = m_edit.m_pManager;
    if (!manager) return;
    if (bGained) {
      if (manager->GetFocus() != &m_edit) manager->SetFocus(&m_edit);
      return;
    }
    manager->OnNativeFocusLost(&m_edit);
    // A read-only child is given up once the focus has gone for good; not at
    // once, since a menu over the selection may still copy from it.
    if (m_edit.DrawsItself() && child) detail::PostNativeRelease(manager->GetPaintWindow(), child);
  }

  void OnNativeDestroyed() override {
    HWND child = m_edit.m_hWndRich;
    if (!child) return;
    m_edit.m_sText = FromNative(detail::NativeWindowText(child));
    detail::DetachNativeEdit(child);
    m_edit.m_hWndRich = nullptr;
    m_edit.m_binding.reset();
  }

  bool OnNativeMessage(UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lRes) override {
    HWND child = m_edit.m_hWndRich;
    switch (uMsg) {
      case WM_MOUSEWHEEL: {
        // Over the text the child scrolls itself; otherwise the wheel goes to
        // whatever lies under the pointer.
        RECT rc;
        GetWindowRect(child, &rc);
        const POINT pt = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
        if (PtInRect(&rc, pt)) return false;
        lRes = ::SendMessageW(::GetParent(child), uMsg, wParam, lParam);
        return true;
      }
      case WM_RBUTTONDOWN:
        // The selection stays; only the focus comes here.
        if (::GetFocus() != child) ::SetFocus(child);
        lRes = 0;
        return true;
      case WM_RBUTTONUP:
        m_edit.RaiseClick(ToParent(child, POINT{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))}));
        lRes = 0;
        return true;
      case WM_CONTEXTMENU:
        // From the keyboard: at the caret. The mouse case came as WM_RBUTTONUP.
        if (lParam == -1) {
          CHARRANGE range = {0, 0};
          ::SendMessageW(child, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&range));
          POINTL caret = {0, 0};
          ::SendMessageW(child, EM_POSFROMCHAR, reinterpret_cast<WPARAM>(&caret), range.cpMax);
          m_edit.RaiseClick(ToParent(child, POINT{caret.x, caret.y}));
        }
        lRes = 0;
        return true;
      case WM_CHAR:
      case WM_UNICHAR:
        // The face the character needs, before the child takes it.
        if (m_edit.m_binding && !m_edit.m_bReadOnly && !(uMsg == WM_UNICHAR && wParam == UNICODE_NOCHAR)) {
          m_edit.m_binding->PrepareTyping(child, static_cast<UINT32>(wParam));
        }
        return false;
      case WM_KEYDOWN:
        if (!m_edit.m_binding) return false;
        if (IsPasteKey(wParam)) m_edit.PastePlainText();
        lRes = 0;
        return IsPasteKey(wParam) || IsFormattingKey(wParam);
      case WM_PASTE:
        if (!m_edit.m_binding) return false;
        m_edit.PastePlainText();
        lRes = 0;
        return true;
      default:
        return false;
    }
  }

  void OnNativePainted(HDC hDC) override {
    HWND child = m_edit.m_hWndRich;
    if (!child || ::GetFocus() == child || GetWindowTextLengthW(child) > 0) return;
    RECT rc = {0, 0, 0, 0};
    ::SendMessageW(child, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&rc));
    m_edit.PaintTip(hDC, rc);
  }

  void OnDeferredRelease() override { m_edit.ReleaseIdleNativeWindow(); }

 private:
  static POINT ToParent(HWND child, POINT pt) {
    MapWindowPoints(child, ::GetParent(child), &pt, 1);
    return pt;
  }

  CRichEditUI& m_edit;
};

CRichEditUI::CRichEditUI() = default;

CRichEditUI::~CRichEditUI() { DestroyNativeWindow(); }

LPCTSTR CRichEditUI::GetClass() const { return L"RichEditUI"; }

LPVOID CRichEditUI::GetInterface(LPCTSTR pstrName) {
  if (pstrName && wcscmp(pstrName, L"RichEdit") == 0) return this;
  return CControlUI::GetInterface(pstrName);
}

// ---- Text -----------------------------------------------------------------------------

CDuiString CRichEditUI::GetText() const {
  if (m_hWndRich) return CDuiString(FromNative(detail::NativeWindowText(m_hWndRich)));
  return m_sText;
}

void CRichEditUI::SetText(LPCTSTR pstrText) {
  m_sText = FromNative(pstrText ? pstrText : L"");
  if (m_hWndRich && GetWindowTextLengthW(m_hWndRich) > kLongestClearedText) {
    ReplaceNativeWindow();
  } else if (m_hWndRich) {
    WriteText(m_sText.str());
  }
  Invalidate();
}

void CRichEditUI::WriteText(const std::wstring& text) {
  // Text set by code is not a user change: no "textchanged".
  m_bSettingText = true;
  // The font first: set later, it would go to every run.
  ApplyFont();
  if (m_binding) {
    SetWindowTextW(m_hWndRich, L"");
    m_binding->Insert(m_hWndRich, ToNative(text.c_str()), false, ChildBackground());
    ::SendMessageW(m_hWndRich, EM_SETSEL, 0, 0);
  } else {
    SetWindowTextW(m_hWndRich, ToNative(text.c_str()).c_str());
  }
  m_bSettingText = false;
  ApplyFormat();
}

void CRichEditUI::InsertText(const std::wstring& nativeText, bool canUndo) {
  if (m_binding) {
    m_binding->Insert(m_hWndRich, nativeText, canUndo, ChildBackground());
  } else {
    ::SendMessageW(m_hWndRich, EM_REPLACESEL, canUndo, reinterpret_cast<LPARAM>(nativeText.c_str()));
  }
}

// Text only, whatever else the clipboard holds; one line in a one-line control.
void CRichEditUI::PastePlainText() {
  if (!m_hWndRich || m_bReadOnly) return;
  const std::wstring text = detail::ClipboardText(m_hWndRich, !m_bMultiLine);
  if (text.empty()) return;
  InsertText(ToNative(text.c_str()), true);
  ::SendMessageW(m_hWndRich, EM_SCROLLCARET, 0, 0);
}

long CRichEditUI::AppendText(LPCTSTR pstrText, bool bCanUndo) {
  if (!m_hWndRich) {
    m_sText += FromNative(pstrText ? pstrText : L"").c_str();
    Invalidate();
    return m_sText.GetLength();
  }
  m_bSettingText = true;
  // Positions past the end are clamped to it, whatever the child counts a break as.
  ::SendMessageW(m_hWndRich, EM_SETSEL, INT_MAX, INT_MAX);
  InsertText(ToNative(pstrText), bCanUndo);
  m_bSettingText = false;
  if (m_bAutoVScroll) ::SendMessageW(m_hWndRich, EM_SCROLLCARET, 0, 0);
  return GetText().GetLength();
}

void CRichEditUI::Copy() {
  long start = 0, end = 0;
  GetSel(start, end);
  if (m_hWndRich && start != end) ::SendMessageW(m_hWndRich, WM_COPY, 0, 0);
}

void CRichEditUI::Cut() {
  long start = 0, end = 0;
  GetSel(start, end);
  if (m_hWndRich && start != end && !m_bReadOnly) ::SendMessageW(m_hWndRich, WM_CUT, 0, 0);
}

void CRichEditUI::Paste() {
  if (m_hWndRich && !m_bReadOnly) ::SendMessageW(m_hWndRich, WM_PASTE, 0, 0);
}

void CRichEditUI::SetSel(long nStartChar, long nEndChar) {
  if (m_hWndRich) ::SendMessageW(m_hWndRich, EM_SETSEL, static_cast<WPARAM>(nStartChar), nEndChar);
}

void CRichEditUI::GetSel(long& nStartChar, long& nEndChar) const {
  CHARRANGE range = {0, 0};
  if (m_hWndRich) ::SendMessageW(m_hWndRich, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&range));
  nStartChar = range.cpMin;
  nEndChar = range.cpMax;
}

// ---- Settings ------------------------------------------------------------------------------

void CRichEditUI::SetReadOnly(bool bReadOnly) {
  if (m_bReadOnly == bReadOnly) return;
  m_bReadOnly = bReadOnly;
  if (m_hWndRich) {
    ::SendMessageW(m_hWndRich, EM_SETREADONLY, bReadOnly, 0);
    // A read-only rich edit draws itself unless someone selects in it.
    if (bReadOnly && ::GetFocus() != m_hWndRich) DestroyNativeWindow();
  }
  UpdateNativeWindow();
  Invalidate();
}

void CRichEditUI::SetFont(int index) {
  if (m_iFont == index) return;
  m_iFont = index;
  OnFontChanged();
}

void CRichEditUI::OnFontChanged() {
  ApplyFormat();
  Invalidate();
}

void CRichEditUI::SetTextColor(DWORD dwColor) {
  m_dwTextColor = dwColor;
  ApplyFormat();
  Invalidate();
}

void CRichEditUI::SetTextPadding(RECT rc) {
  m_rcTextPadding = rc;
  UpdateNativeWindow();
  Invalidate();
}

void CRichEditUI::SetCreationStyle(bool& bFlag, bool bValue) {
  if (bFlag == bValue) return;
  bFlag = bValue;
  // Styles of the child's creation: an editable child is made again.
  if (m_hWndRich && !DrawsItself()) {
    DestroyNativeWindow();
    UpdateNativeWindow();
  }
}

void CRichEditUI::SetWantReturn(bool bWantReturn) { SetCreationStyle(m_bWantReturn, bWantReturn); }

void CRichEditUI::SetRich(bool bRich) { SetCreationStyle(m_bRich, bRich); }

void CRichEditUI::SetMultiLine(bool bMultiLine) { SetCreationStyle(m_bMultiLine, bMultiLine); }

void CRichEditUI::SetAutoVScroll(bool bAuto) { m_bAutoVScroll = bAuto; }

void CRichEditUI::SetAutoHScroll(bool bAuto) { m_bAutoHScroll = bAuto; }

void CRichEditUI::SetMaxChar(UINT uMax) {
  m_uMaxChar = uMax;
  if (m_hWndRich) ::SendMessageW(m_hWndRich, EM_EXLIMITTEXT, 0, m_uMaxChar ? m_uMaxChar : kDefaultMaxChar);
}

void CRichEditUI::SetTipValue(LPCTSTR pStrTipValue) {
  m_sTipValue = pStrTipValue;
  if (m_hWndRich) ::InvalidateRect(m_hWndRich, nullptr, TRUE);
  Invalidate();
}

void CRichEditUI::SetTipValueColor(DWORD dwColor) {
  m_dwTipValueColor = dwColor;
  Invalidate();
}

// ---- The child window ---------------------------------------------------------------------

RECT CRichEditUI::TextRect() const {
  return RECT{m_rcItem.left + m_rcTextPadding.left, m_rcItem.top + m_rcTextPadding.top,
              m_rcItem.right - m_rcTextPadding.right, m_rcItem.bottom - m_rcTextPadding.bottom};
}

DWORD CRichEditUI::EffectiveTextColor() const {
  if (!IsEnabled()) return m_pManager ? m_pManager->GetDefaultDisabledColor() : 0xFFA5A5A5;
  if (m_dwTextColor) return m_dwTextColor;
  return m_pManager ? m_pManager->GetDefaultFontColor() : 0xFF000000;
}

COLORREF CRichEditUI::ChildBackground() const {
  return detail::ToColorRef(m_dwBackColor ? m_dwBackColor : 0xFFFFFFFF);
}

void CRichEditUI::EnsureNativeWindow() {
  if (m_hWndRich || !m_pManager || !m_pManager->GetPaintWindow() || !RichEditClass()) return;
  DWORD style = WS_CHILD | ES_NOHIDESEL;
  if (m_bMultiLine) style |= ES_MULTILINE;
  if (m_bAutoVScroll) style |= ES_AUTOVSCROLL;
  if (m_bAutoHScroll || !m_bMultiLine) style |= ES_AUTOHSCROLL;
  if (m_bWantReturn) style |= ES_WANTRETURN;
  if (m_bReadOnly) style |= ES_READONLY;
  if (m_bVScrollBar) style |= WS_VSCROLL;
  if (m_bHScrollBar) style |= WS_HSCROLL;
  const RECT rc = TextRect();
  m_hWndRich = CreateWindowExW(0, RichEditClass(), L"", style, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top,
                               m_pManager->GetPaintWindow(), nullptr, CPaintManagerUI::GetInstance(), nullptr);
  if (!m_hWndRich) return;
  if (!m_host) m_host = std::make_unique<NativeHost>(*this);
  detail::AttachNativeEdit(m_hWndRich, m_host.get());
  ::SendMessageW(m_hWndRich, EM_EXLIMITTEXT, 0, m_uMaxChar ? m_uMaxChar : kDefaultMaxChar);
  ::SendMessageW(m_hWndRich, EM_SETEVENTMASK, 0, ENM_CHANGE);
  m_hAppliedFont = nullptr;
  m_binding.reset();
  WriteText(m_sText.str());
}

// A plain control's child is in rich-text mode all the same, since only there
// can a run take a face of its own (FontBinding.h); its text comes in by
// InsertText, and from the clipboard as text only.
void CRichEditUI::ApplyFont() {
  if (!m_hWndRich) return;
  const TFontInfo* font = CPaintManagerUI::ResolveFont(m_pManager, m_iFont);
  HFONT handle = font ? font->hFont : nullptr;
  if (handle == m_hAppliedFont && (m_bRich || m_binding)) return;
  m_hAppliedFont = handle;
  ::SendMessageW(m_hWndRich, WM_SETFONT, reinterpret_cast<WPARAM>(handle), TRUE);
  if (m_bRich) return;
  m_binding = std::make_unique<detail::CFontBinding>(handle);
  // The new font went to every run: the text is bound to it again.
  if (!m_bSettingText && GetWindowTextLengthW(m_hWndRich) > 0) {
    WriteText(FromNative(detail::NativeWindowText(m_hWndRich)));
  }
}

void CRichEditUI::ApplyFormat() {
  if (!m_hWndRich) return;
  ApplyFont();
  ::SendMessageW(m_hWndRich, EM_SETBKGNDCOLOR, 0, ChildBackground());
  CHARFORMAT2W format = {};
  format.cbSize = sizeof format;
  format.dwMask = CFM_COLOR;
  format.crTextColor = detail::ToColorRef(EffectiveTextColor());
  ::SendMessageW(m_hWndRich, EM_SETCHARFORMAT, SCF_ALL, reinterpret_cast<LPARAM>(&format));
  ::SendMessageW(m_hWndRich, EM_SETCHARFORMAT, SCF_DEFAULT, reinterpret_cast<LPARAM>(&format));
}

void CRichEditUI::DestroyNativeWindow() {
  if (!m_hWndRich) return;
  HWND child = m_hWndRich;
  m_sText = FromNative(detail::NativeWindowText(child));
  detail::DetachNativeEdit(child);
  m_hWndRich = nullptr;
  m_binding.reset();
  DestroyWindow(child);
}

void CRichEditUI::ReplaceNativeWindow() {
  HWND old = m_hWndRich;
  const bool focused = ::GetFocus() == old;
  detail::DetachNativeEdit(old);
  m_hWndRich = nullptr;
  m_binding.reset();
  // The new child, holding m_sText, takes the focus before the old one goes,
  // so that the focus never passes through the window.
  UpdateNativeWindow();
  if (focused && m_hWndRich) ::SetFocus(m_hWndRich);
  DestroyWindow(old);
}

void CRichEditUI::ReleaseIdleNativeWindow() {
  if (!DrawsItself() || !m_hWndRich || ::GetFocus() == m_hWndRich) return;
  DestroyNativeWindow();
  Invalidate();
}

void CRichEditUI::UpdateNativeWindow() {
  if (!m_pManager) return;
  const RECT rc = TextRect();
  const RECT visible = detail::VisibleNativeRect(this, rc);
  const bool show = IsVisible() && !IsRectEmpty(&visible);
  if (show && !DrawsItself()) EnsureNativeWindow();
  if (!m_hWndRich) return;
  ApplyFormat();
  EnableWindow(m_hWndRich, IsEnabled());
  m_bClipped = detail::PlaceNativeChild(m_hWndRich, rc, visible, show, m_bClipped);
}

void CRichEditUI::PropagateState() { UpdateNativeWindow(); }

void CRichEditUI::SetPos(RECT rc, bool bNeedInvalidate) {
  CControlUI::SetPos(rc, bNeedInvalidate);
  UpdateNativeWindow();
}

void CRichEditUI::SetManager(CPaintManagerUI* pManager, CControlUI* pParent) {
  if (m_pManager && m_pManager != pManager) DestroyNativeWindow();
  CControlUI::SetManager(pManager, pParent);
}

// ---- Input and painting ----------------------------------------------------------------------

void CRichEditUI::RaiseClick(POINT ptClient) {
  if (!m_pManager || !CanRaise()) return;
  TNotifyUI msg;
  msg.sType = L"richedit_click";
  msg.pSender = this;
  msg.dwTimestamp = GetTickCount();
  msg.ptMouse = ptClient;
  m_pManager->SendNotify(msg);
}

void CRichEditUI::DoEvent(TEventUI& event) {
  switch (event.Type) {
    case UIEVENT_SETFOCUS:
      CControlUI::DoEvent(event);
      if (m_hWndRich && ::GetFocus() != m_hWndRich) ::SetFocus(m_hWndRich);
      return;
    case UIEVENT_KEYDOWN: {
      if (event.chKey != VK_RETURN) return;
      const bool shift = GetKeyState(VK_SHIFT) < 0;
      // Enter that the window passed on: the window's main action, else
      // "return"; unless Enter is a new line here.
      if (!m_bWantReturn && !shift && GetKeyState(VK_CONTROL) >= 0) {
        if (!m_pManager) return;
        m_pManager->MarkKeyHandled();
        if (!m_pManager->PressDefaultButton()) Notify(L"return");
      } else if (shift && m_bMultiLine && !m_bReadOnly && m_hWndRich) {
        // A plain line break; the child itself would insert a soft break
        // that reads back as something else.
        if (m_pManager) m_pManager->MarkKeyHandled();
        ::SendMessageW(m_hWndRich, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(L"\r\n"));
      }
      return;
    }
    case UIEVENT_BUTTONDOWN:
    case UIEVENT_DBLCLICK:
      if (!IsEnabled()) return;
      // A read-only text gets its child for the selection that starts here.
      if (DrawsItself()) {
        EnsureNativeWindow();
        UpdateNativeWindow();
      }
      if (m_hWndRich) {
        ::SetFocus(m_hWndRich);
        POINT pt = event.ptMouse;
        MapWindowPoints(::GetParent(m_hWndRich), m_hWndRich, &pt, 1);
        ::SendMessageW(m_hWndRich, event.Type == UIEVENT_DBLCLICK ? WM_LBUTTONDBLCLK : WM_LBUTTONDOWN, MK_LBUTTON,
                       MAKELPARAM(pt.x, pt.y));
      }
      return;
    case UIEVENT_RBUTTONUP:
      if (PtInRect(&m_rcItem, event.ptMouse)) RaiseClick(event.ptMouse);
      return;
    case UIEVENT_RBUTTONDOWN:
    case UIEVENT_BUTTONUP:
    case UIEVENT_MOUSEMOVE:
      return;
    case UIEVENT_SETCURSOR:
      ::SetCursor(LoadCursorW(nullptr, IDC_IBEAM));
      return;
    default:
      CControlUI::DoEvent(event);
      return;
  }
}

void CRichEditUI::PaintTip(HDC hDC, const RECT& rc) const {
  if (m_sTipValue.IsEmpty()) return;
  const UINT style = m_bMultiLine ? (DT_WORDBREAK | DT_TOP | DT_LEFT) : (DT_SINGLELINE | DT_VCENTER | DT_LEFT);
  detail::DrawText(hDC, m_pManager, rc, m_sTipValue, m_dwTipValueColor, m_iFont, style);
}

void CRichEditUI::PaintText(HDC hDC) {
  // While the child shows, it draws the text itself.
  if (m_hWndRich && (GetWindowLongW(m_hWndRich, GWL_STYLE) & WS_VISIBLE)) return;
  const RECT rc = TextRect();
  if (m_sText.IsEmpty()) {
    PaintTip(hDC, rc);
    return;
  }
  detail::DrawText(hDC, m_pManager, rc, m_sText, EffectiveTextColor(), m_iFont, GetDrawnTextStyle());
}

UINT CRichEditUI::GetDrawnTextStyle() const {
  return m_bMultiLine ? (DT_WORDBREAK | DT_EDITCONTROL | DT_TOP | DT_LEFT) : (DT_SINGLELINE | DT_VCENTER | DT_LEFT);
}

void CRichEditUI::SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue) {
  using namespace detail;
  const std::wstring name = pstrName ? pstrName : L"";
  int number;
  DWORD color;
  RECT rc;
  bool flag;
  if (name == L"font") {
    if (ParseInt(pstrValue, &number)) SetFont(number);
  } else if (name == L"textcolor") {
    if (ParseColor(pstrValue, &color)) SetTextColor(color);
  } else if (name == L"textpadding") {
    if (ParseRect(pstrValue, &rc)) SetTextPadding(rc);
  } else if (name == L"readonly") {
    if (ParseBool(pstrValue, &flag)) SetReadOnly(flag);
  } else if (name == L"multiline") {
    if (ParseBool(pstrValue, &flag)) SetMultiLine(flag);
  } else if (name == L"rich") {
    if (ParseBool(pstrValue, &flag)) SetRich(flag);
  } else if (name == L"wantreturn") {
    if (ParseBool(pstrValue, &flag)) SetWantReturn(flag);
  } else if (name == L"wanttab") {
    if (ParseBool(pstrValue, &flag)) SetWantTab(flag);
  } else if (name == L"autovscroll") {
    if (ParseBool(pstrValue, &flag)) SetAutoVScroll(flag);
  } else if (name == L"autohscroll") {
    if (ParseBool(pstrValue, &flag)) SetAutoHScroll(flag);
  } else if (name == L"vscrollbar") {
    if (ParseBool(pstrValue, &flag)) m_bVScrollBar = flag;
  } else if (name == L"hscrollbar") {
    if (ParseBool(pstrValue, &flag)) m_bHScrollBar = flag;
  } else if (name == L"menu") {
    // Accepted: a right click always raises "richedit_click".
  } else if (name == L"maxchar") {
    if (ParseInt(pstrValue, &number) && number >= 0) SetMaxChar(static_cast<UINT>(number));
  } else if (name == L"tipvalue") {
    SetTipValue(pstrValue);
  } else if (name == L"tipvaluecolor") {
    if (ParseColor(pstrValue, &color)) SetTipValueColor(color);
  } else {
    CControlUI::SetAttribute(pstrName, pstrValue);
  }
}

}  // namespace DuiLib
