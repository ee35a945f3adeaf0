#include "FontBinding.h"

#include <richedit.h>

#include <cwchar>
#include <vector>

#include "RichTextRuns.h"
#include "TextUnits.h"

namespace DuiLib::detail {

namespace {

// Windows has the face; a Wine prefix maps it to an installed font.
constexpr wchar_t kScriptFace[] = L"Segoe UI";
constexpr WORD kMissingGlyph = 0xFFFF;

// Arrows, technical signs, dingbats and the other symbols emoji faces draw.
bool IsSymbol(wchar_t c) { return c >= 0x2190 && c <= 0x2BFF; }
// Variation selectors and the zero-width joiner shape the character before
// them, so they go in its face.
bool JoinsPrevious(wchar_t c) { return c == 0x200D || (c >= 0xFE00 && c <= 0xFE0F); }

}  // namespace

CFontBinding::CFontBinding(HFONT font) : m_font(font ? font : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT))) {
  GetObjectW(m_font, sizeof m_base, &m_base);
}

std::vector<WORD> CFontBinding::Glyphs(const std::wstring& text) const {
  std::vector<WORD> glyphs(text.size(), 0);
  HDC dc = CreateCompatibleDC(nullptr);
  if (!dc) return glyphs;
  // Selected only meanwhile: the font's owner may delete it at any time after.
  HGDIOBJ previous = SelectObject(dc, m_font);
  GetGlyphIndicesW(dc, text.c_str(), static_cast<int>(text.size()), glyphs.data(), GGI_MARK_NONEXISTING_GLYPHS);
  SelectObject(dc, previous);
  DeleteDC(dc);
  return glyphs;
}

const wchar_t* CFontBinding::FaceFor(const std::wstring& text, const std::vector<WORD>& glyphs, size_t at,
                                     size_t* length) const {
  *length = 1;
  const wchar_t c = text[at];
  if (IsHighSurrogate(c) && at + 1 < text.size() && IsLowSurrogate(text[at + 1])) {
    *length = 2;
    return kEmojiFace;
  }
  if (c < 0x80 || glyphs[at] != kMissingGlyph) return m_base.lfFaceName;
  return IsSymbol(c) ? kEmojiFace : kScriptFace;
}

void CFontBinding::SetTypingFace(HWND child, const wchar_t* face) const {
  CHARFORMAT2W format = {};
  format.cbSize = sizeof format;
  format.dwMask = CFM_FACE | CFM_CHARSET;
  ::SendMessageW(child, EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format));
  if (wcscmp(format.szFaceName, face) == 0) return;
  // A selection the text replaces goes first, or the face would be given to
  // the text about to go.
  CHARRANGE range = {0, 0};
  ::SendMessageW(child, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&range));
  if (range.cpMin != range.cpMax) ::SendMessageW(child, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(L""));
  format.dwMask = CFM_FACE | CFM_CHARSET;
  format.bCharSet = face == m_base.lfFaceName ? m_base.lfCharSet : DEFAULT_CHARSET;
  wcsncpy(format.szFaceName, face, LF_FACESIZE - 1);
  format.szFaceName[LF_FACESIZE - 1] = L'\0';
  ::SendMessageW(child, EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format));
}

std::vector<TextRun> CFontBinding::Runs(const std::wstring& text) const {
  const std::vector<WORD> glyphs = Glyphs(text);
  std::vector<TextRun> runs;
  const wchar_t* runFace = m_base.lfFaceName;
  size_t start = 0;
  for (size_t at = 0; at < text.size();) {
    size_t length = 1;
    const wchar_t* face = at > start && JoinsPrevious(text[at]) ? runFace : FaceFor(text, glyphs, at, &length);
    if (at > start && face != runFace) {
      runs.push_back(TextRun{start, at - start, runFace});
      start = at;
    }
    runFace = face;
    at += length;
  }
  if (start < text.size()) runs.push_back(TextRun{start, text.size() - start, runFace});
  return runs;
}

void CFontBinding::Insert(HWND child, const std::wstring& text, bool canUndo, COLORREF background) const {
  std::vector<TextRun> runs = BoundRuns(text, Runs(text));
  // A short text of one face goes in as typing does.
  if (runs.size() <= 1) {
    SetTypingFace(child, runs.empty() ? m_base.lfFaceName : runs.front().face);
    ::SendMessageW(child, EM_REPLACESEL, canUndo, reinterpret_cast<LPARAM>(text.c_str()));
    return;
  }
  // The stream's text without a face of its own takes the typing face.
  SetTypingFace(child, m_base.lfFaceName);
  for (TextRun& run : runs) {
    if (run.face == m_base.lfFaceName) run.face = nullptr;
  }
  if (StreamRuns(child, text, runs, background, canUndo)) return;
  // FIXME: a child that takes no stream gets the runs one by one, each of
  // which wraps the paragraph again.
  for (const TextRun& run : runs) {
    SetTypingFace(child, run.face ? run.face : m_base.lfFaceName);
    ::SendMessageW(child, EM_REPLACESEL, canUndo, reinterpret_cast<LPARAM>(text.substr(run.start, run.length).c_str()));
  }
}

void CFontBinding::PrepareTyping(HWND child, UINT32 character) const {
  if (character < 0x20) return;
  std::wstring typed;
  if (character > 0xFFFF) {
    typed = {static_cast<wchar_t>(0xD800 + ((character - 0x10000) >> 10)), static_cast<wchar_t>(0xDC00 + (character & 0x3FF))};
  } else {
    const wchar_t unit = static_cast<wchar_t>(character);
    if (IsLowSurrogate(unit) || JoinsPrevious(unit)) return;
    // Half of a pair: the face of the pair, which the second half follows.
    typed = IsHighSurrogate(unit) ? std::wstring{unit, static_cast<wchar_t>(0xDC00)} : std::wstring(1, unit);
  }
  size_t length = 0;
  SetTypingFace(child, FaceFor(typed, Glyphs(typed), 0, &length));
}

}  // namespace DuiLib::detail
