#include "MarkupLayout.h"

#include <usp10.h>

#include <algorithm>

#include "duilib/PaintManager.h"
#include "FontPool.h"
#include "quennet/WinHandles.h"
#include "Render.h"
#include "TextUnits.h"

namespace DuiLib::detail {

namespace {

constexpr wchar_t kEllipsis[] = L"\u2026";

bool IsCjk(wchar_t c) {
  return (c >= 0x2E80 && c <= 0x9FFF) || (c >= 0xAC00 && c <= 0xD7AF) || (c >= 0xF900 && c <= 0xFAFF) ||
         (c >= 0xFE30 && c <= 0xFE4F) || (c >= 0xFF00 && c <= 0xFFEF);
}
bool IsSpace(wchar_t c) { return c == L' ' || c == L'\t'; }

// Characters that stand alone for wrapping: CJK and surrogate pairs (emoji).
size_t UnitEnd(const std::wstring& s, size_t i) {
  if (IsHighSurrogate(s[i]) && i + 1 < s.size() && IsLowSurrogate(s[i + 1])) return i + 2;
  return i + 1;
}
bool StandsAlone(const std::wstring& s, size_t i) { return IsCjk(s[i]) || IsHighSurrogate(s[i]); }
bool IsSupplementary(const std::wstring& s, size_t i) {
  return IsHighSurrogate(s[i]) && i + 1 < s.size() && IsLowSurrogate(s[i + 1]);
}

// Scripts whose letters join or run right to left (Arabic, Hebrew...).
bool IsComplex(const wchar_t* text, int length) {
  return length > 0 && ScriptIsComplex(text, length, SIC_COMPLEX) == S_OK;
}

// Uniscribe shapes a text and finds fonts for the scripts the DC's font
// lacks; GDI's plain text output draws such letters unjoined and in
// typing order. Also the only way to draw characters beyond the first
// plane, in a font that has them, under Wine.
class ShapedText final {
 public:
  ShapedText(HDC dc, const wchar_t* text, int length) {
    if (length <= 0) return;
    ScriptStringAnalyse(dc, text, length, length * 3 / 2 + 16, -1, SSA_GLYPHS | SSA_FALLBACK, 0, nullptr, nullptr,
                        nullptr, nullptr, nullptr, &m_analysis);
  }
  ~ShapedText() {
    if (m_analysis) ScriptStringFree(&m_analysis);
  }
  ShapedText(const ShapedText&) = delete;
  ShapedText& operator=(const ShapedText&) = delete;

  [[nodiscard]] int Width() const {
    const SIZE* size = m_analysis ? ScriptString_pSize(m_analysis) : nullptr;
    return size ? static_cast<int>(size->cx) : 0;
  }
  void Draw(int x, int y, const RECT& clip) const {
    if (m_analysis) ScriptStringOut(m_analysis, x, y, ETO_CLIPPED, &clip, 0, 0, FALSE);
  }

 private:
  SCRIPT_STRING_ANALYSIS m_analysis = nullptr;
};

// Cumulative advance of each character of a text in the DC's font.
std::vector<int> Extents(HDC dc, const wchar_t* text, int length) {
  std::vector<int> extents(static_cast<size_t>(std::max(length, 0)));
  if (length <= 0) return extents;
  SIZE size;
  if (!GetTextExtentExPointW(dc, text, length, 0, nullptr, extents.data(), &size)) {
    for (int i = 0; i < length; ++i) extents[static_cast<size_t>(i)] = (i + 1) * 8;
  }
  return extents;
}

}  // namespace

// One build of a layout: walks the runs, breaks lines and places fragments.
class MarkupLayout::Builder final {
 public:
  Builder(MarkupLayout& layout, const MarkupDocument& doc, CPaintManagerUI* manager, int baseFont, int width,
          UINT style)
      : m_layout(layout),
        m_doc(doc),
        m_manager(manager),
        m_baseFont(baseFont),
        m_width(width),
        m_singleLine((style & DT_SINGLELINE) != 0),
        m_wrap(width > 0 && (style & DT_WORDBREAK) && !(style & DT_SINGLELINE)) {}

  void Run() {
    for (size_t i = 0; i < m_doc.runs.size(); ++i) {
      const MarkupRun& run = m_doc.runs[i];
      switch (run.kind) {
        case MarkupRun::Kind::Text:
          AddText(static_cast<int>(i), run);
          break;
        case MarkupRun::Kind::Space:
          AddSpace(run.space);
          break;
        case MarkupRun::Kind::LineBreak:
          if (!m_singleLine) EndLine(false);
          break;
      }
    }
    EndLine(false);
    PlaceLines();
  }

 private:
  struct FontUse {
    HFONT font;
    int height;
    int ascent;
  };
  struct FontKey {
    int index;
    bool bold;
    bool italic;
    bool supplementary;
    FontUse use;
  };

  // The font of a style; with `supplementary`, the same size and style in
  // the face that has the characters beyond the first plane.
  FontUse FontFor(const MarkupStyle& style, bool supplementary = false) {
    const int index = style.font == kInheritFont ? m_baseFont : style.font;
    for (const FontKey& key : m_fontMemo) {
      if (key.index == index && key.bold == style.bold && key.italic == style.italic &&
          key.supplementary == supplementary) {
        return key.use;
      }
    }
    const TFontInfo* info = CPaintManagerUI::ResolveFont(m_manager, index);
    FontUse use{static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT)), 16, 13};
    if (info) {
      use = FontUse{info->hFont, static_cast<int>(info->tm.tmHeight), static_cast<int>(info->tm.tmAscent)};
      const bool bold = info->bBold || style.bold;
      const bool italic = info->bItalic || style.italic;
      if (supplementary || bold != info->bBold || italic != info->bItalic) {
        // Uniscribe under Wine finds characters beyond the first plane in no
        // fallback or linked font, only in the selected one.
        const LPCTSTR face = supplementary ? kEmojiFace : info->sFontName.GetData();
        if (auto variant = AcquireFont(face, info->iSize, bold, info->bUnderline, italic)) {
          use = FontUse{variant->info.hFont, static_cast<int>(variant->info.tm.tmHeight),
                        static_cast<int>(variant->info.tm.tmAscent)};
          m_layout.m_heldFonts.push_back(std::move(variant));
        }
      }
    }
    m_fontMemo.push_back(FontKey{index, style.bold, style.italic, supplementary, use});
    return use;
  }

  void AddText(int runIndex, const MarkupRun& run) {
    const FontUse font = FontFor(run.style);
    HDC dc = MeasureDC();
    quennet::SelectGuard select(dc, font.font);
    const std::wstring& s = run.text;
    m_extents = Extents(dc, s.c_str(), static_cast<int>(s.size()));
    m_run = runIndex;
    m_font = font;
    m_link = run.style.link;
    size_t i = 0;
    while (i < s.size()) {
      size_t end;
      bool space = false;
      if (IsSpace(s[i])) {
        end = i + 1;
        space = true;
      } else if (IsSupplementary(s, i)) {
        end = UnitEnd(s, i);
        PlaceShaped(run, static_cast<int>(i), static_cast<int>(end), FontFor(run.style, true));
        i = end;
        continue;
      } else if (StandsAlone(s, i)) {
        end = UnitEnd(s, i);
      } else {
        end = i;
        while (end < s.size() && !IsSpace(s[end]) && !StandsAlone(s, end)) ++end;
        if (IsComplex(s.c_str() + i, static_cast<int>(end - i))) {
          PlaceShaped(run, static_cast<int>(i), static_cast<int>(end), m_font);
          i = end;
          continue;
        }
      }
      Place(static_cast<int>(i), static_cast<int>(end), space);
      i = end;
    }
  }

  // A word of a complex script, or a character beyond the first plane, in a
  // fragment of its own that Uniscribe shapes and measures in `font`; the
  // line goes on in the run's font.
  void PlaceShaped(const MarkupRun& run, int start, int end, const FontUse& font) {
    const FontUse base = m_font;
    HDC dc = MeasureDC();
    quennet::SelectGuard select(dc, font.font);
    const int width = ShapedText(dc, run.text.c_str() + start, end - start).Width();
    m_font = font;
    m_fixedWidth = width;
    if (m_wrap && m_x + width > m_width && (m_hasContent || m_x > 0)) EndLine(true);
    Append(start, end, width, false);
    m_layout.m_fragments.back().shaped = true;
    m_fixedWidth = -1;
    m_font = base;
  }

  [[nodiscard]] int Width(int start, int end) const {
    if (m_fixedWidth >= 0) return m_fixedWidth;
    if (end <= start) return 0;
    return m_extents[static_cast<size_t>(end - 1)] - (start > 0 ? m_extents[static_cast<size_t>(start - 1)] : 0);
  }

  void Place(int start, int end, bool space) {
    const int width = Width(start, end);
    if (!m_wrap) {
      Append(start, end, width, space);
      return;
    }
    if (space) {
      // A wrapped line does not start with the blank it wrapped at.
      if (!m_softLine || m_hasContent) Append(start, end, width, true);
      return;
    }
    if (m_x + width <= m_width) {
      Append(start, end, width, false);
      return;
    }
    if (m_hasContent || m_x > 0) EndLine(true);
    if (width <= m_width) {
      Append(start, end, width, false);
      return;
    }
    // An over-long word breaks by character.
    const std::wstring& s = m_doc.runs[static_cast<size_t>(m_run)].text;
    while (start < end) {
      int stop = static_cast<int>(UnitEnd(s, static_cast<size_t>(start)));
      while (stop < end) {
        const int next = static_cast<int>(UnitEnd(s, static_cast<size_t>(stop)));
        if (m_x + Width(start, next) > m_width) break;
        stop = next;
      }
      Append(start, stop, Width(start, stop), false);
      start = stop;
      if (start < end) EndLine(true);
    }
  }

  void AddSpace(int pixels) {
    if (m_wrap && m_softLine && !m_hasContent) return;
    m_x += pixels;
  }

  void Append(int start, int end, int width, bool space) {
    auto& fragments = m_layout.m_fragments;
    const int line = static_cast<int>(m_layout.m_lines.size());
    if (!fragments.empty()) {
      Fragment& last = fragments.back();
      if (last.run == m_run && last.line == line && last.font == m_font.font && m_fixedWidth < 0 &&
          last.start + last.length == start && last.x + last.width == m_x) {
        last.length = end - last.start;
        last.width = last.textWidth = Width(last.start, end);
        m_x = last.x + last.width;
        if (!space) Mark();
        return;
      }
    }
    fragments.push_back(Fragment{m_run, start, end - start, m_x, 0, width, width, line, m_link, m_font.font,
                                 m_font.height, m_font.ascent, false, false});
    m_x += width;
    if (!space) Mark();
  }

  void Mark() {
    m_hasContent = true;
    m_contentWidth = m_x;
  }

  void EndLine(bool soft) {
    m_layout.m_lines.push_back(Line{0, 0, 0, m_contentWidth});
    m_x = 0;
    m_contentWidth = 0;
    m_hasContent = false;
    m_softLine = soft;
  }

  void PlaceLines() {
    auto& lines = m_layout.m_lines;
    auto& fragments = m_layout.m_fragments;
    const FontUse base = FontFor(MarkupStyle{});
    for (Line& line : lines) {
      line.height = 0;
      line.ascent = 0;
    }
    for (const Fragment& f : fragments) {
      Line& line = lines[static_cast<size_t>(f.line)];
      line.ascent = std::max(line.ascent, f.ascent);
      line.height = std::max(line.height, f.height);
    }
    int top = 0;
    int widest = 0;
    for (Line& line : lines) {
      if (line.height == 0) {
        line.height = base.height;
        line.ascent = base.ascent;
      }
      line.top = top;
      top += line.height;
      widest = std::max(widest, line.width);
    }
    for (Fragment& f : fragments) {
      const Line& line = lines[static_cast<size_t>(f.line)];
      f.y = line.top + line.ascent - f.ascent;
    }
    m_layout.m_size = SIZE{widest, top};
  }

  MarkupLayout& m_layout;
  const MarkupDocument& m_doc;
  CPaintManagerUI* m_manager;
  int m_baseFont;
  int m_width;
  bool m_singleLine;
  bool m_wrap;
  std::vector<FontKey> m_fontMemo;
  // The text run being placed.
  std::vector<int> m_extents;
  int m_run = -1;
  int m_link = -1;
  FontUse m_font{};
  // The width of the fragment being placed when it is not measured in the
  // run's font; -1 otherwise.
  int m_fixedWidth = -1;
  // The line being filled.
  int m_x = 0;
  int m_contentWidth = 0;
  bool m_hasContent = false;
  bool m_softLine = false;
};

MarkupLayout::~MarkupLayout() = default;

void MarkupLayout::Build(const MarkupDocument& doc, CPaintManagerUI* manager, int baseFont, int width, UINT style) {
  m_fragments.clear();
  m_lines.clear();
  m_heldFonts.clear();
  m_width = width;
  m_style = style;
  const TFontInfo* base = CPaintManagerUI::ResolveFont(manager, baseFont);
  m_baseFont = base ? base->hFont : nullptr;
  Builder(*this, doc, manager, baseFont, width, style).Run();
  if (width <= 0) return;
  const bool wraps = (style & DT_WORDBREAK) && !(style & DT_SINGLELINE);
  if ((style & DT_END_ELLIPSIS) && !wraps) {
    ApplyEllipsis(doc);
  }
  if (style & (DT_CENTER | DT_RIGHT)) {
    for (Fragment& f : m_fragments) {
      const int room = width - m_lines[static_cast<size_t>(f.line)].width;
      f.x += (style & DT_RIGHT) ? room : room / 2;
    }
  }
}

void MarkupLayout::ApplyEllipsis(const MarkupDocument& doc) {
  HDC dc = MeasureDC();
  std::vector<Fragment> kept;
  kept.reserve(m_fragments.size());
  size_t i = 0;
  while (i < m_fragments.size()) {
    const int line = m_fragments[i].line;
    size_t end = i;
    while (end < m_fragments.size() && m_fragments[end].line == line) ++end;
    if (m_lines[static_cast<size_t>(line)].width <= m_width) {
      kept.insert(kept.end(), m_fragments.begin() + static_cast<ptrdiff_t>(i), m_fragments.begin() + static_cast<ptrdiff_t>(end));
      i = end;
      continue;
    }
    // The fragment that crosses the edge is cut and ends with the ellipsis;
    // whatever follows it on the line is not shown.
    for (size_t k = i; k < end; ++k) {
      Fragment f = m_fragments[k];
      quennet::SelectGuard select(dc, f.font);
      SIZE ellipsis = {0, 0};
      GetTextExtentPoint32W(dc, kEllipsis, 1, &ellipsis);
      if (f.x + f.width + (k + 1 < end ? ellipsis.cx : 0) <= m_width && k + 1 < end) {
        kept.push_back(f);
        continue;
      }
      const std::wstring& text = doc.runs[static_cast<size_t>(f.run)].text;
      const std::vector<int> extents = Extents(dc, text.c_str() + f.start, f.length);
      int length = 0;
      // A shaped word is not cut: its letters' widths depend on each other.
      while (!f.shaped && length < f.length && f.x + extents[static_cast<size_t>(length)] + ellipsis.cx <= m_width) {
        ++length;
      }
      f.textWidth = length > 0 ? extents[static_cast<size_t>(length - 1)] : 0;
      f.length = length;
      f.width = f.textWidth + ellipsis.cx;
      f.ellipsis = true;
      kept.push_back(f);
      break;
    }
    Line& shown = m_lines[static_cast<size_t>(line)];
    shown.width = std::min(shown.width, m_width);
    i = end;
  }
  m_fragments.swap(kept);
  m_size.cx = std::min<LONG>(m_size.cx, m_width);
}

bool MarkupLayout::Matches(int width, UINT style, HFONT baseFont, unsigned version) const {
  return m_width == width && m_style == style && m_baseFont == baseFont && m_version == version;
}

POINT MarkupLayout::Origin(const RECT& rc) const {
  LONG top = rc.top;
  if (m_style & DT_VCENTER) {
    top = rc.top + (rc.bottom - rc.top - m_size.cy) / 2;
  } else if (m_style & DT_BOTTOM) {
    top = rc.bottom - m_size.cy;
  }
  return POINT{rc.left, top};
}

void MarkupLayout::Draw(HDC hDC, const MarkupDocument& doc, const RECT& rc, const MarkupColors& colors,
                        int hotLink) const {
  if (m_fragments.empty()) return;
  const POINT origin = Origin(rc);
  // A text of thousands of lines is painted a screenful at a time.
  RECT clip = {};
  const bool clipped = GetClipBox(hDC, &clip) != ERROR;
  const int saved = SaveDC(hDC);
  SetBkMode(hDC, TRANSPARENT);
  for (const Fragment& f : m_fragments) {
    if (clipped && (origin.y + f.y >= clip.bottom || origin.y + f.y + f.height <= clip.top)) continue;
    const MarkupRun& run = doc.runs[static_cast<size_t>(f.run)];
    DWORD color = run.style.color ? run.style.color : colors.text;
    if (f.link >= 0 && !run.style.colorInsideLink) color = f.link == hotLink ? colors.linkHover : colors.link;
    if (colors.uniform) color = colors.text;
    const int x = origin.x + f.x;
    const int y = origin.y + f.y;
    SelectObject(hDC, f.font);
    ::SetTextColor(hDC, ToColorRef(color));
    if (f.length > 0 && f.shaped) {
      ShapedText(hDC, run.text.c_str() + f.start, f.length).Draw(x, y, rc);
    } else if (f.length > 0) {
      ExtTextOutW(hDC, x, y, ETO_CLIPPED, &rc, run.text.c_str() + f.start, static_cast<UINT>(f.length), nullptr);
    }
    if (f.ellipsis) ExtTextOutW(hDC, x + f.textWidth, y, ETO_CLIPPED, &rc, kEllipsis, 1, nullptr);
    if (run.style.underline || (f.link >= 0 && f.link == hotLink && !colors.uniform)) {
      RECT line = {x, y + f.ascent + 1, x + f.textWidth, y + f.ascent + 2};
      FillColor(hDC, line, 0xFF000000 | color);
    }
  }
  RestoreDC(hDC, saved);
}

int MarkupLayout::LinkAt(const RECT& rc, POINT pt) const {
  if (!PtInRect(&rc, pt)) return -1;
  const POINT origin = Origin(rc);
  for (const Fragment& f : m_fragments) {
    if (f.link < 0) continue;
    const Line& line = m_lines[static_cast<size_t>(f.line)];
    const RECT box = {origin.x + f.x, origin.y + line.top, origin.x + f.x + f.width, origin.y + line.top + line.height};
    if (PtInRect(&box, pt)) return f.link;
  }
  return -1;
}

bool MarkupLayout::LinkRect(const RECT& rc, int link, RECT* out) const {
  const POINT origin = Origin(rc);
  for (const Fragment& f : m_fragments) {
    if (f.link != link || f.width <= 0) continue;
    const Line& line = m_lines[static_cast<size_t>(f.line)];
    RECT box = {origin.x + f.x, origin.y + line.top, origin.x + f.x + f.width, origin.y + line.top + line.height};
    if (!IntersectRect(out, &box, &rc)) return false;
    return true;
  }
  return false;
}

}  // namespace DuiLib::detail
