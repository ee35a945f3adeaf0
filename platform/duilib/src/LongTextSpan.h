#pragma once

// A long text in a single-line native EDIT, held here and shown a part at a
// time. The EDIT keeps the drawing origin of its text in 16 bits, so once
// the text before the caret is wider than 32767 pixels (about 4,000
// characters) it draws nowhere and its scrolling goes wrong; and it measures
// its whole text again at every key. So while the text is longer than a part
// the child can measure, the child holds only the part around the caret: it
// is placed again whenever the caret nears one of its inner ends, and every
// read or change of the text or the selection, from code or from the user,
// is answered here for the whole text.

#include <windows.h>

#include <functional>
#include <string>

namespace DuiLib::detail {

class CLongTextSpan final {
 public:
  // `onUserChange` runs once for each change this class makes for the user.
  CLongTextSpan(HWND hChild, std::function<void()> onUserChange);
  CLongTextSpan(const CLongTextSpan&) = delete;
  CLongTextSpan& operator=(const CLongTextSpan&) = delete;

  // Before the child sees a message; true when it was answered here.
  bool OnMessage(UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lRes);
  // After the child handled a message from outside it.
  void OnMessageDone();
  // EN_CHANGE from the child; false when this class made the change itself.
  [[nodiscard]] bool OnChildChanged();

 private:
  struct State {
    std::wstring text;
    size_t anchor = 0;
    size_t caret = 0;
  };

  // The child's own answer, past the hosting.
  LRESULT Native(UINT uMsg, WPARAM wParam = 0, LPARAM lParam = 0) const;
  [[nodiscard]] std::wstring ChildText() const;
  [[nodiscard]] size_t Capacity();
  [[nodiscard]] bool IsWide() const;
  [[nodiscard]] bool HasSelection() const { return m_anchor != m_caret; }
  [[nodiscard]] bool IsReadOnly() const;
  [[nodiscard]] bool IsPassword() const;

  bool OnTextMessage(UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lRes);
  bool OnKeyDown(WPARAM key);
  bool OnChar(wchar_t ch);
  bool OnClipboardMessage(UINT uMsg);
  bool OnUndo(UINT uMsg, LRESULT& lRes);

  void Activate(std::wstring text, size_t anchor, size_t caret);
  void Deactivate();
  // Gives the child the part around the caret.
  void Place();
  void PlaceIfNearAnEnd();
  void WriteChild(const std::wstring& text);
  void ApplyLimit();
  void ApplySelection();
  void SyncSelection();

  // A change for the user: the selection replaced, within the limit.
  void ReplaceSelection(const std::wstring& text);
  void SetWholeText(std::wstring text);
  void CopySelection() const;

  HWND m_hChild;
  std::function<void()> m_onUserChange;
  bool m_active = false;
  bool m_writing = false;
  // The user changed the child's text since its last message was done.
  bool m_childChanged = false;
  // The whole text and its selection while active.
  std::wstring m_text;
  size_t m_anchor = 0;
  size_t m_caret = 0;
  // The child's part of the text and the selection it was last seen with.
  size_t m_start = 0;
  size_t m_length = 0;
  DWORD m_childFrom = 0;
  DWORD m_childTo = 0;
  UINT m_limit;
  HFONT m_measuredFont = nullptr;
  size_t m_capacity = 0;
  // The text before the last change made here, for Ctrl+Z.
  bool m_hasUndo = false;
  State m_undo;
};

}  // namespace DuiLib::detail
