#pragma once

// The text markup of labels with "showhtml": links, colours, line breaks,
// optional styling and escapes. Parsing never fails: whatever is not a valid
// tag is text, so markup cut anywhere still shows.

#include <windows.h>

#include <string>
#include <vector>

#include "duilib/DuiString.h"

namespace DuiLib::detail {

// The control's own font, as opposed to a font index set with {f N}.
constexpr int kInheritFont = -0x10000;

struct MarkupStyle {
  DWORD color = 0;  // 0: the control's text colour
  // The colour was set inside the link the run belongs to; a colour set
  // outside a link does not recolour the link.
  bool colorInsideLink = false;
  int font = kInheritFont;
  bool bold = false;
  bool italic = false;
  bool underline = false;
  int link = -1;  // index of the link, -1 outside links
};

struct MarkupRun {
  enum class Kind { Text, LineBreak, Space };
  Kind kind = Kind::Text;
  std::wstring text;  // Text runs only
  int space = 0;      // Space runs: pixels
  MarkupStyle style;
};

struct MarkupDocument {
  std::vector<MarkupRun> runs;
  // Unescaped content of each link, in text order.
  std::vector<CDuiString> links;
  // The text without tags, line breaks as "\n".
  std::wstring plain;
};

[[nodiscard]] MarkupDocument ParseMarkup(const std::wstring& text);

}  // namespace DuiLib::detail
