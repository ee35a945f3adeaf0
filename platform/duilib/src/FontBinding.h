#pragma once

// A plain-text rich edit draws every character in the control's one font, and
// a rich edit that does not bind fonts itself draws a character that font
// lacks (an emoji, Hebrew or Arabic in a Chinese face) as a box. Text goes into
// the child in runs instead, each in a face that has its characters: the
// control's own wherever it can, otherwise Windows' emoji face for emoji and
// symbols, or its interface face for other scripts. A text of several runs
// goes in as one stream (RichTextRuns.h).

#include <windows.h>

#include <string>
#include <vector>

#include "RichTextRuns.h"

namespace DuiLib::detail {

class CFontBinding final {
 public:
  // Binds against `font`, the face the child was given with WM_SETFONT.
  explicit CFontBinding(HFONT font);
  CFontBinding(const CFontBinding&) = delete;
  CFontBinding& operator=(const CFontBinding&) = delete;

  // Puts `text` in place of the child's selection, run by run; `background`
  // is the colour the child fills behind its text.
  void Insert(HWND child, const std::wstring& text, bool canUndo, COLORREF background) const;
  // Before the child takes a typed character: the face that character needs
  // becomes the one typing uses. The second half of a pair follows the first.
  void PrepareTyping(HWND child, UINT32 character) const;

 private:
  // The text's runs by face, in text order.
  [[nodiscard]] std::vector<TextRun> Runs(const std::wstring& text) const;
  // The font's glyph for each character, 0xFFFF where it has none.
  [[nodiscard]] std::vector<WORD> Glyphs(const std::wstring& text) const;
  // The face for the character at `at`, and how many units take it with it.
  [[nodiscard]] const wchar_t* FaceFor(const std::wstring& text, const std::vector<WORD>& glyphs, size_t at,
                                       size_t* length) const;
  void SetTypingFace(HWND child, const wchar_t* face) const;

  HFONT m_font;
  LOGFONTW m_base = {};
};

}  // namespace DuiLib::detail
