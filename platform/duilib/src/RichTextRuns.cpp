#include "RichTextRuns.h"

#include <richedit.h>

#include <cstdint>
#include <cwchar>

#include "TextUnits.h"

namespace DuiLib::detail {

namespace {

// Whether a run may end before the character at `at`.
bool CanCutBefore(const std::wstring& text, size_t at) {
  const wchar_t c = text[at];
  const bool joins = c == 0x200D || (c >= 0xFE00 && c <= 0xFE0F);
  return !IsLowSurrogate(c) && !joins && !(c == L'\n' && text[at - 1] == L'\r');
}

std::string ColorEntry(COLORREF color) {
  return "\\red" + std::to_string(GetRValue(color)) + "\\green" + std::to_string(GetGValue(color)) + "\\blue" +
         std::to_string(GetBValue(color)) + ";";
}

// The faces of the runs, each once, in the order they first occur.
std::vector<const wchar_t*> FacesOf(const std::vector<TextRun>& runs) {
  std::vector<const wchar_t*> faces;
  for (const TextRun& run : runs) {
    if (!run.face) continue;
    bool known = false;
    for (const wchar_t* face : faces) known = known || wcscmp(face, run.face) == 0;
    if (!known) faces.push_back(run.face);
  }
  return faces;
}

// Faces are numbered from 1: the stream's default font, 0, names no face,
// so that text without a face of its own keeps the one it is typed in.
size_t FaceNumber(const std::vector<const wchar_t*>& faces, const wchar_t* face) {
  for (size_t i = 0; i < faces.size(); ++i) {
    if (wcscmp(faces[i], face) == 0) return i + 1;
  }
  return 0;
}

void AppendEscaped(std::string& rtf, const std::wstring& text, size_t from, size_t to) {
  for (size_t i = from; i < to; ++i) {
    const wchar_t c = text[i];
    if (c == L'\r' || c == L'\n') {
      if (c == L'\r' && i + 1 < to && text[i + 1] == L'\n') ++i;
      rtf += "\\par ";
    } else if (c == L'\t') {
      rtf += "\\tab ";
    } else if (c == L'\\' || c == L'{' || c == L'}') {
      rtf += '\\';
      rtf += static_cast<char>(c);
    } else if (c >= 0x20 && c < 0x7F) {
      rtf += static_cast<char>(c);
    } else if (c != 0) {
      // Signed 16 bits, as the format has it; the space ends the number.
      rtf += "\\u" + std::to_string(static_cast<int16_t>(c)) + " ";
    }
  }
}

struct StreamSource {
  const std::string& data;
  size_t read = 0;
};

DWORD CALLBACK ReadStream(DWORD_PTR cookie, LPBYTE buffer, LONG wanted, LONG* given) {
  auto* source = reinterpret_cast<StreamSource*>(cookie);
  const size_t count = std::min(static_cast<size_t>(wanted), source->data.size() - source->read);
  memcpy(buffer, source->data.data() + source->read, count);
  source->read += count;
  *given = static_cast<LONG>(count);
  return 0;
}

}  // namespace

std::vector<TextRun> BoundRuns(const std::wstring& text, const std::vector<TextRun>& runs) {
  std::vector<TextRun> bounded;
  for (const TextRun& run : runs) {
    size_t start = run.start;
    const size_t end = run.start + run.length;
    while (end - start > kLongestRun) {
      size_t cut = start + kLongestRun;
      while (cut < end && !CanCutBefore(text, cut)) ++cut;
      if (cut == end) break;
      bounded.push_back(TextRun{start, cut - start, run.face});
      start = cut;
    }
    bounded.push_back(TextRun{start, end - start, run.face});
  }
  return bounded;
}

std::string RunsAsRichText(const std::wstring& text, const std::vector<TextRun>& runs, COLORREF background) {
  const std::vector<const wchar_t*> faces = FacesOf(runs);
  std::string rtf = "{\\rtf1\\ansi\\deff0\\uc0{\\fonttbl";
  for (size_t i = 0; i < faces.size(); ++i) {
    rtf += "{\\f" + std::to_string(i + 1) + "\\fnil\\fcharset1 ";
    for (const wchar_t* c = faces[i]; *c; ++c) rtf += static_cast<char>(*c);
    rtf += ";}";
  }
  rtf += "}{\\colortbl;" + ColorEntry(background) + "}";
  rtf.reserve(rtf.size() + text.size() + runs.size() * 24);
  for (size_t i = 0; i < runs.size(); ++i) {
    rtf += i % 2 ? "{\\highlight1 " : "{\\highlight0 ";
    if (runs[i].face) rtf += "\\f" + std::to_string(FaceNumber(faces, runs[i].face)) + " ";
    AppendEscaped(rtf, text, runs[i].start, runs[i].start + runs[i].length);
    rtf += "}";
  }
  rtf += "}";
  return rtf;
}

bool StreamRuns(HWND child, const std::wstring& text, const std::vector<TextRun>& runs, COLORREF background,
                bool canUndo) {
  const std::string rtf = RunsAsRichText(text, runs, background);
  StreamSource source{rtf};
  EDITSTREAM stream = {reinterpret_cast<DWORD_PTR>(&source), 0, ReadStream};
  const LRESULT taken = ::SendMessageW(child, EM_STREAMIN, SF_RTF | SFF_SELECTION, reinterpret_cast<LPARAM>(&stream));
  if (!canUndo) ::SendMessageW(child, EM_EMPTYUNDOBUFFER, 0, 0);
  return taken > 0 || text.empty();
}

}  // namespace DuiLib::detail
