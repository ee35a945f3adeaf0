#pragma once

// Text put into a rich edit child as runs, in one operation however long the
// text is.
//
// Wine's rich edit wraps a paragraph by measuring and shaping the rest of the
// run it breaks, once for every line, so a run as long as the text (100 KB of
// plain words pasted, all in one face) wraps in time that grows with the
// square of its length; and every single insert wraps the whole paragraph
// again, so a text put in run by run (a face for each emoji) does as well.
// Here the whole text goes in as one rich-text stream, and no run is longer
// than kLongestRun: neighbouring runs alternate between the automatic and an
// explicit background of the child's own colour, so they look the same and
// are never merged into one.

#include <windows.h>

#include <string>
#include <vector>

namespace DuiLib::detail {

// Units of text: short enough that wrapping a line of them costs little.
constexpr size_t kLongestRun = 256;

struct TextRun {
  size_t start = 0;
  size_t length = 0;
  // The face the run is drawn in; null for the face the selection types in.
  const wchar_t* face = nullptr;
};

// Cuts every run longer than kLongestRun into pieces, never inside a
// surrogate pair, before a character that shapes the one before it, or
// between the halves of a "\r\n".
[[nodiscard]] std::vector<TextRun> BoundRuns(const std::wstring& text, const std::vector<TextRun>& runs);

// The runs as a rich-text stream: the faces in its font table (they must be
// ASCII names), the text escaped, line breaks as paragraphs.
[[nodiscard]] std::string RunsAsRichText(const std::wstring& text, const std::vector<TextRun>& runs,
                                         COLORREF background);

// Puts the runs in place of the child's selection with EM_STREAMIN, the
// caret after them; false when the child took none of it. Without `canUndo`
// the child's undo history is emptied afterwards.
bool StreamRuns(HWND child, const std::wstring& text, const std::vector<TextRun>& runs, COLORREF background,
                bool canUndo);

}  // namespace DuiLib::detail
