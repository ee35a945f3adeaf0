#include "LongTextSpan.h"

#include <algorithm>

#include "NativeEdit.h"
#include "TextUnits.h"

namespace DuiLib::detail {

namespace {

constexpr UINT kNoLimit = 0x7FFFFFFE;
// Pixels a part may take: half of what 16 bits hold, so that the offset of
// the caret from the part's start never comes near the limit.
constexpr int kPartPixels = 16000;
constexpr size_t kMinCapacity = 256;
constexpr size_t kMaxCapacity = 4096;

bool IsKeyDown(int key) { return GetKeyState(key) < 0; }

void PutOnClipboard(HWND owner, const std::wstring& text) {
  HGLOBAL data = GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(wchar_t));
  if (!data) return;
  if (void* chars = GlobalLock(data)) {
    memcpy(chars, text.c_str(), (text.size() + 1) * sizeof(wchar_t));
    GlobalUnlock(data);
  }
  if (!OpenClipboard(owner)) {
    GlobalFree(data);
    return;
  }
  EmptyClipboard();
  // The clipboard owns the memory once it took it.
  if (!SetClipboardData(CF_UNICODETEXT, data)) GlobalFree(data);
  CloseClipboard();
}

}  // namespace

CLongTextSpan::CLongTextSpan(HWND hChild, std::function<void()> onUserChange)
    : m_hChild(hChild), m_onUserChange(std::move(onUserChange)), m_limit(kNoLimit) {}

LRESULT CLongTextSpan::Native(UINT uMsg, WPARAM wParam, LPARAM lParam) const {
  return CallNativeDefault(m_hChild, uMsg, wParam, lParam);
}

std::wstring CLongTextSpan::ChildText() const {
  const auto length = static_cast<size_t>(std::max<LRESULT>(Native(WM_GETTEXTLENGTH), 0));
  std::wstring text(length + 1, L'\0');
  text.resize(static_cast<size_t>(
      std::max<LRESULT>(Native(WM_GETTEXT, length + 1, reinterpret_cast<LPARAM>(text.data())), 0)));
  return text;
}

size_t CLongTextSpan::Capacity() {
  auto font = reinterpret_cast<HFONT>(Native(WM_GETFONT));
  if (m_capacity && font == m_measuredFont) return m_capacity;
  int widest = 16;
  if (HDC dc = GetDC(m_hChild)) {
    HGDIOBJ old = font ? SelectObject(dc, font) : nullptr;
    TEXTMETRICW metrics = {};
    if (GetTextMetricsW(dc, &metrics)) widest = std::max<int>({metrics.tmMaxCharWidth, metrics.tmAveCharWidth, 1});
    if (old) SelectObject(dc, old);
    ReleaseDC(m_hChild, dc);
  }
  m_measuredFont = font;
  m_capacity = std::clamp<size_t>(static_cast<size_t>(kPartPixels / widest), kMinCapacity, kMaxCapacity);
  return m_capacity;
}

bool CLongTextSpan::IsWide() const {
  const size_t end = m_start + m_length;
  return m_anchor < m_start || m_anchor > end || m_caret < m_start || m_caret > end;
}

bool CLongTextSpan::IsReadOnly() const { return GetWindowLongW(m_hChild, GWL_STYLE) & ES_READONLY; }

bool CLongTextSpan::IsPassword() const { return Native(EM_GETPASSWORDCHAR) != 0; }

// ---- Messages ----

bool CLongTextSpan::OnMessage(UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lRes) {
  if (m_writing) return false;
  if (uMsg == EM_LIMITTEXT) {
    m_limit = wParam ? static_cast<UINT>(std::min<WPARAM>(wParam, kNoLimit)) : kNoLimit;
    if (!m_active) return false;
    ApplyLimit();
    lRes = 0;
    return true;
  }
  if (uMsg == WM_UNDO || uMsg == EM_UNDO || uMsg == EM_CANUNDO) return OnUndo(uMsg, lRes);
  if (!m_active) {
    // A text too long for the child comes here before the child takes it.
    if (uMsg == WM_SETTEXT && lParam && wcslen(reinterpret_cast<LPCWSTR>(lParam)) > Capacity()) {
      SetWholeText(reinterpret_cast<LPCWSTR>(lParam));
      lRes = TRUE;
      return true;
    }
    return false;
  }
  lRes = 0;
  switch (uMsg) {
    case WM_KEYDOWN:
      return OnKeyDown(wParam);
    case WM_CHAR:
      return OnChar(static_cast<wchar_t>(wParam));
    case WM_COPY:
    case WM_CUT:
    case WM_CLEAR:
    case WM_PASTE:
      return OnClipboardMessage(uMsg);
    case WM_IME_STARTCOMPOSITION:
    case WM_IME_COMPOSITION:
    case WM_IME_CHAR:
      // The composition replaces the whole selection, not the part the child holds.
      if (IsWide() && HasSelection() && !IsReadOnly()) ReplaceSelection(L"");
      return false;
    default:
      return OnTextMessage(uMsg, wParam, lParam, lRes);
  }
}

bool CLongTextSpan::OnTextMessage(UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lRes) {
  switch (uMsg) {
    case WM_GETTEXTLENGTH:
      lRes = static_cast<LRESULT>(m_text.size());
      return true;
    case WM_GETTEXT: {
      if (!wParam || !lParam) return true;
      const size_t copied = std::min<size_t>(wParam - 1, m_text.size());
      auto* buffer = reinterpret_cast<wchar_t*>(lParam);
      std::copy_n(m_text.data(), copied, buffer);
      buffer[copied] = L'\0';
      lRes = static_cast<LRESULT>(copied);
      return true;
    }
    case WM_SETTEXT:
      SetWholeText(lParam ? reinterpret_cast<LPCWSTR>(lParam) : L"");
      lRes = TRUE;
      return true;
    case EM_GETSEL: {
      SyncSelection();
      const auto from = static_cast<DWORD>(std::min(m_anchor, m_caret));
      const auto to = static_cast<DWORD>(std::max(m_anchor, m_caret));
      if (wParam) *reinterpret_cast<DWORD*>(wParam) = from;
      if (lParam) *reinterpret_cast<DWORD*>(lParam) = to;
      lRes = to > 0xFFFF ? -1 : static_cast<LRESULT>(MAKELONG(from, to));
      return true;
    }
    case EM_SETSEL: {
      const auto from = static_cast<int>(wParam);
      if (from == -1) {
        m_anchor = m_caret;
      } else {
        m_anchor = std::min(static_cast<size_t>(static_cast<UINT>(from)), m_text.size());
        m_caret = std::min(static_cast<size_t>(static_cast<UINT>(lParam)), m_text.size());
      }
      Place();
      lRes = 1;
      return true;
    }
    case EM_REPLACESEL:
      SyncSelection();
      ReplaceSelection(lParam ? reinterpret_cast<LPCWSTR>(lParam) : L"");
      lRes = 1;
      return true;
    case EM_GETLIMITTEXT:
      lRes = m_limit;
      return true;
    default:
      return false;
  }
}

bool CLongTextSpan::OnKeyDown(WPARAM key) {
  if (IsKeyDown(VK_MENU)) return false;
  const bool shift = IsKeyDown(VK_SHIFT);
  const bool ctrl = IsKeyDown(VK_CONTROL);
  SyncSelection();
  switch (key) {
    case VK_HOME:
    case VK_END:
      m_caret = key == VK_HOME ? 0 : m_text.size();
      if (!shift) m_anchor = m_caret;
      Place();
      return true;
    case VK_LEFT:
    case VK_RIGHT:
      if (IsWide() && shift && !ctrl) {
        const bool left = key == VK_LEFT;
        if (left && m_caret > 0) m_caret -= (m_caret > 1 && IsLowSurrogate(m_text[m_caret - 1])) ? 2 : 1;
        if (!left && m_caret < m_text.size()) m_caret += (m_caret + 1 < m_text.size() && IsLowSurrogate(m_text[m_caret + 1])) ? 2 : 1;
        Place();
        return true;
      }
      // Without Shift the child moves from the caret, as it does with its own selection.
      if (IsWide() && !shift) m_anchor = m_caret;
      PlaceIfNearAnEnd();
      return false;
    case VK_DELETE:
      if (IsReadOnly() || (shift && ctrl)) return false;
      if (IsWide() && HasSelection()) {
        if (shift) OnClipboardMessage(WM_CUT);
        else ReplaceSelection(L"");
        return true;
      }
      if (ctrl && !shift && !HasSelection()) {
        // Deletes to the end of the line, which lies beyond the child's part.
        m_anchor = m_text.size();
        ReplaceSelection(L"");
        return true;
      }
      PlaceIfNearAnEnd();
      return false;
    case VK_INSERT:
      if (shift) return OnClipboardMessage(WM_PASTE);
      if (ctrl) return OnClipboardMessage(WM_COPY);
      return false;
    default:
      PlaceIfNearAnEnd();
      return false;
  }
}

bool CLongTextSpan::OnChar(wchar_t ch) {
  SyncSelection();
  if (!IsWide() || !HasSelection()) {
    PlaceIfNearAnEnd();
    return false;
  }
  if (IsReadOnly()) return false;
  if (ch == VK_BACK && !IsKeyDown(VK_CONTROL)) {
    ReplaceSelection(L"");
    return true;
  }
  if (ch >= L' ' && ch != 127) {
    ReplaceSelection(std::wstring(1, ch));
    return true;
  }
  // Ctrl+C, Ctrl+V and the like come back as their clipboard messages.
  return false;
}

bool CLongTextSpan::OnClipboardMessage(UINT uMsg) {
  SyncSelection();
  if (uMsg == WM_PASTE) {
    if (!IsReadOnly()) ReplaceSelection(ClipboardText(m_hChild, true));
    return true;
  }
  if (!IsWide()) return false;
  // A password never reaches the clipboard.
  if (uMsg != WM_CLEAR && HasSelection() && !IsPassword()) CopySelection();
  if (uMsg != WM_COPY && !IsReadOnly() && (uMsg == WM_CLEAR || !IsPassword())) ReplaceSelection(L"");
  return true;
}

bool CLongTextSpan::OnUndo(UINT uMsg, LRESULT& lRes) {
  if (!m_hasUndo) return false;
  lRes = TRUE;
  if (uMsg == EM_CANUNDO || IsReadOnly()) return true;
  if (!m_active) {
    DWORD from = 0, to = 0;
    Native(EM_GETSEL, reinterpret_cast<WPARAM>(&from), reinterpret_cast<LPARAM>(&to));
    m_anchor = from;
    m_caret = to;
  }
  // As the child's own undo, a second Ctrl+Z takes the change back again.
  State current{m_active ? m_text : ChildText(), m_anchor, m_caret};
  State previous = std::move(m_undo);
  m_undo = std::move(current);
  if (previous.text.size() > Capacity()) {
    Activate(std::move(previous.text), previous.anchor, previous.caret);
  } else {
    m_text = std::move(previous.text);
    m_anchor = previous.anchor;
    m_caret = previous.caret;
    Deactivate();
  }
  if (m_onUserChange) m_onUserChange();
  return true;
}

void CLongTextSpan::OnMessageDone() {
  if (m_writing) return;
  if (!m_active) {
    // Typing or pasting made the child's text too long for it.
    if (!m_childChanged) return;
    m_childChanged = false;
    if (static_cast<size_t>(Native(WM_GETTEXTLENGTH)) <= Capacity()) return;
    DWORD from = 0, to = 0;
    Native(EM_GETSEL, reinterpret_cast<WPARAM>(&from), reinterpret_cast<LPARAM>(&to));
    Activate(ChildText(), from, to);
    return;
  }
  SyncSelection();
  if (m_text.size() <= Capacity() / 2) {
    Deactivate();
  } else if (m_length > Capacity()) {
    Place();
  } else {
    PlaceIfNearAnEnd();
  }
}

bool CLongTextSpan::OnChildChanged() {
  if (m_writing) return false;
  // The user changed the child's own text: its undo applies now, not ours.
  m_hasUndo = false;
  m_childChanged = true;
  if (m_active) {
    std::wstring part = ChildText();
    m_text.replace(m_start, m_length, part);
    m_length = part.size();
  }
  return true;
}

// ---- The child's part ----

void CLongTextSpan::Activate(std::wstring text, size_t anchor, size_t caret) {
  m_active = true;
  m_text = std::move(text);
  m_anchor = std::min(anchor, m_text.size());
  m_caret = std::min(caret, m_text.size());
  Place();
}

void CLongTextSpan::Deactivate() {
  m_active = false;
  m_start = 0;
  m_length = m_text.size();
  WriteChild(m_text);
  Native(EM_LIMITTEXT, m_limit);
  ApplySelection();
  m_text.clear();
  m_text.shrink_to_fit();
}

void CLongTextSpan::Place() {
  const size_t capacity = Capacity();
  size_t start = 0;
  size_t end = m_text.size();
  if (end > capacity) {
    // Half of what the child can hold on either side of the caret: room to
    // type or move a while before the part must be placed again.
    const size_t half = capacity / 2;
    start = m_caret > half ? m_caret - half : 0;
    end = std::min(end, m_caret + half);
    // Never split a surrogate pair between the part and the rest.
    if (start > 0 && IsLowSurrogate(m_text[start])) --start;
    if (end < m_text.size() && IsLowSurrogate(m_text[end])) ++end;
  }
  m_start = start;
  m_length = end - start;
  WriteChild(m_text.substr(start, m_length));
  ApplyLimit();
  ApplySelection();
}

void CLongTextSpan::PlaceIfNearAnEnd() {
  const size_t margin = Capacity() / 4;
  const size_t end = m_start + m_length;
  const bool nearStart = m_start > 0 && m_caret < m_start + margin;
  const bool nearEnd = end < m_text.size() && m_caret + margin > end;
  if (nearStart || nearEnd) Place();
}

void CLongTextSpan::WriteChild(const std::wstring& text) {
  m_writing = true;
  Native(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
  m_writing = false;
}

void CLongTextSpan::ApplyLimit() {
  const size_t outside = m_text.size() - m_length;
  Native(EM_LIMITTEXT, m_limit > outside ? m_limit - outside : 1);
}

void CLongTextSpan::ApplySelection() {
  const size_t end = m_start + m_length;
  m_childFrom = static_cast<DWORD>(std::clamp(m_anchor, m_start, end) - m_start);
  m_childTo = static_cast<DWORD>(std::clamp(m_caret, m_start, end) - m_start);
  m_writing = true;
  Native(EM_SETSEL, m_childFrom, m_childTo);
  m_writing = false;
  if (m_childFrom > m_childTo) std::swap(m_childFrom, m_childTo);
}

// The child reports its selection in order; which end holds the caret
// follows from where the anchor was.
void CLongTextSpan::SyncSelection() {
  if (!m_active) return;
  DWORD from = 0, to = 0;
  Native(EM_GETSEL, reinterpret_cast<WPARAM>(&from), reinterpret_cast<LPARAM>(&to));
  if (from == m_childFrom && to == m_childTo) return;
  m_childFrom = from;
  m_childTo = to;
  const size_t low = m_start + from;
  const size_t high = m_start + to;
  const size_t anchorSeen = std::clamp(m_anchor, m_start, m_start + m_length);
  if (low == high && anchorSeen == low && anchorSeen != m_anchor) {
    m_caret = low;  // the caret came back to the end of the part, the anchor is beyond it
  } else if (low != high && anchorSeen == low) {
    m_caret = high;
  } else if (low != high && anchorSeen == high) {
    m_caret = low;
  } else {
    m_anchor = low;
    m_caret = high;
  }
}

// ---- Changes for the user ----

void CLongTextSpan::ReplaceSelection(const std::wstring& text) {
  const size_t from = std::min(m_anchor, m_caret);
  const size_t to = std::max(m_anchor, m_caret);
  const size_t kept = m_text.size() - (to - from);
  const size_t room = m_limit > kept ? m_limit - kept : 0;
  const std::wstring inserted = text.substr(0, std::min(text.size(), room));
  if (from == to && inserted.empty()) return;
  m_undo = State{m_text, m_anchor, m_caret};
  m_hasUndo = true;
  m_text.replace(from, to - from, inserted);
  m_anchor = m_caret = from + inserted.size();
  if (m_text.size() <= Capacity() / 2) Deactivate();
  else Place();
  if (m_onUserChange) m_onUserChange();
}

void CLongTextSpan::SetWholeText(std::wstring text) {
  m_hasUndo = false;
  // As the child does: the caret at the start, no selection.
  if (text.size() <= Capacity()) {
    m_text = std::move(text);
    m_anchor = m_caret = 0;
    Deactivate();
  } else {
    Activate(std::move(text), 0, 0);
  }
  Native(EM_EMPTYUNDOBUFFER);
  if (m_onUserChange) m_onUserChange();
}

void CLongTextSpan::CopySelection() const {
  const size_t from = std::min(m_anchor, m_caret);
  const size_t to = std::max(m_anchor, m_caret);
  PutOnClipboard(m_hChild, m_text.substr(from, to - from));
}

}  // namespace DuiLib::detail
