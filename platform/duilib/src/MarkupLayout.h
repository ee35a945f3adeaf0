#pragma once

// Lays a parsed markup text out in lines: wrapping at spaces and between CJK
// characters (an over-long word breaks by character), alignment, and the
// ellipsis of a line that overflows. The result is drawn and hit-tested
// without being measured again.

#include <windows.h>

#include <memory>
#include <vector>

#include "Markup.h"

namespace DuiLib {
class CPaintManagerUI;
}

namespace DuiLib::detail {

struct SharedFont;

struct MarkupColors {
  DWORD text = 0;
  DWORD link = 0;
  DWORD linkHover = 0;
  // Everything in the text colour (a disabled control).
  bool uniform = false;
};

class MarkupLayout final {
 public:
  MarkupLayout() = default;
  ~MarkupLayout();
  MarkupLayout(const MarkupLayout&) = delete;
  MarkupLayout& operator=(const MarkupLayout&) = delete;

  // width <= 0: unbounded. style: the DT_* flags of the control.
  void Build(const MarkupDocument& doc, CPaintManagerUI* manager, int baseFont, int width, UINT style);
  // Whether the last build used these inputs.
  [[nodiscard]] bool Matches(int width, UINT style, HFONT baseFont, unsigned version) const;
  void SetKey(unsigned version) { m_version = version; }
  [[nodiscard]] SIZE GetSize() const { return m_size; }

  void Draw(HDC hDC, const MarkupDocument& doc, const RECT& rc, const MarkupColors& colors, int hotLink) const;
  // The link under a point of the rectangle the text is drawn in, or -1.
  [[nodiscard]] int LinkAt(const RECT& rc, POINT pt) const;
  // The box of the first piece of a link; false when it is not shown.
  bool LinkRect(const RECT& rc, int link, RECT* out) const;

 private:
  struct Fragment {
    int run;
    int start;
    int length;
    int x;
    int y;  // top of the glyph box
    int width;      // with the ellipsis
    int textWidth;  // without it
    int line;
    int link;
    HFONT font;
    int height;
    int ascent;
    bool ellipsis;
    bool shaped;  // drawn through Uniscribe
  };
  struct Line {
    int top;
    int height;
    int ascent;
    int width;
  };
  class Builder;
  friend class Builder;

  [[nodiscard]] POINT Origin(const RECT& rc) const;
  void ApplyEllipsis(const MarkupDocument& doc);

  std::vector<Fragment> m_fragments;
  std::vector<Line> m_lines;
  // Bold and italic variants of the control's fonts, held while used.
  std::vector<std::shared_ptr<SharedFont>> m_heldFonts;
  SIZE m_size = {0, 0};
  int m_width = -1;
  UINT m_style = 0;
  HFONT m_baseFont = nullptr;
  unsigned m_version = 0;
};

}  // namespace DuiLib::detail
