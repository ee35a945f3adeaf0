#include "Render.h"

#include <memory>
#include <string>

#include "Attributes.h"
#include "duilib/PaintManager.h"
#include "FontPool.h"
#include "GdiPlus.h"
#include "ImageCache.h"
#include "MarkupLayout.h"
#include "PaintSupport.h"
#include "quennet/WinHandles.h"
#include "ScaledImage.h"

namespace DuiLib::detail {

// What a slot's value means for the manager that drew it.
struct ResolvedImageValue {
  ImageSpec spec;
  std::wstring path;
  const CPaintManagerUI* manager = nullptr;
  CDuiString resourcePath;
};

namespace {

// Wine's DrawText scans the rest of a paragraph for every line it wraps, so
// a paragraph of thousands of lines (a long message) costs the square of
// its length each time it is measured or painted. A wrapped text with a
// paragraph longer than this is laid out by the markup layout instead,
// which is linear, for measuring and painting alike.
constexpr size_t kLongestDrawnParagraph = 2048;

bool IsLongWrappedText(LPCTSTR text, UINT style) {
  if (!(style & DT_WORDBREAK) || (style & DT_SINGLELINE)) return false;
  size_t paragraph = 0;
  for (const wchar_t* c = text; *c; ++c) {
    paragraph = (*c == L'\r' || *c == L'\n') ? 0 : paragraph + 1;
    if (paragraph > kLongestDrawnParagraph) return true;
  }
  return false;
}

// The text as a document of plain runs: its paragraphs and line breaks.
MarkupDocument PlainDocument(LPCTSTR text) {
  MarkupDocument doc;
  const wchar_t* start = text;
  for (const wchar_t* c = text;; ++c) {
    if (*c && *c != L'\r' && *c != L'\n') continue;
    if (c > start) {
      MarkupRun run;
      run.text.assign(start, c);
      doc.plain += run.text;
      doc.runs.push_back(std::move(run));
    }
    if (!*c) break;
    if (*c == L'\r' && c[1] == L'\n') ++c;
    MarkupRun lineBreak;
    lineBreak.kind = MarkupRun::Kind::LineBreak;
    doc.runs.push_back(std::move(lineBreak));
    doc.plain += L'\n';
    start = c + 1;
  }
  return doc;
}


// The slot's parsed value and full path, made once per value and manager;
// null when the value names no file.
const ResolvedImageValue* ResolveSlot(TImageSlot& slot, const CPaintManagerUI* pManager) {
  const ResolvedImageValue* cached = slot.resolved.get();
  if (cached && cached->manager == pManager && (!pManager || cached->resourcePath == pManager->GetResourcePath())) {
    return cached;
  }
  auto resolved = std::make_shared<ResolvedImageValue>();
  if (!ParseImageSpec(slot.sValue, &resolved->spec)) return nullptr;
  resolved->manager = pManager;
  if (pManager) {
    resolved->path = pManager->ResolvePath(resolved->spec.file.c_str()).str();
    resolved->resourcePath = pManager->GetResourcePath();
  } else {
    resolved->path = resolved->spec.file;
  }
  slot.resolved = std::move(resolved);
  return slot.resolved.get();
}

// The DC the pictures are selected into to be drawn, one per thread:
// creating one for every picture cost more than drawing it under Wine.
HDC SourceDC() {
  thread_local const quennet::UniqueMemoryDc dc(CreateCompatibleDC(nullptr));
  return dc.get();
}

Gdiplus::Color ToGdiplus(DWORD argb) {
  return Gdiplus::Color(static_cast<BYTE>(argb >> 24), static_cast<BYTE>(argb >> 16), static_cast<BYTE>(argb >> 8),
                        static_cast<BYTE>(argb));
}

void AddRoundRect(Gdiplus::GraphicsPath& path, Gdiplus::RectF rc, float cx, float cy) {
  cx = std::min(cx, rc.Width);
  cy = std::min(cy, rc.Height);
  if (cx <= 0 || cy <= 0) {
    path.AddRectangle(rc);
    return;
  }
  // The straight edges are added explicitly: Wine's GDI+ drops some of the
  // lines it should insert between consecutive arcs.
  const float right = rc.X + rc.Width, bottom = rc.Y + rc.Height;
  path.AddArc(rc.X, rc.Y, cx, cy, 180, 90);
  path.AddLine(rc.X + cx / 2, rc.Y, right - cx / 2, rc.Y);
  path.AddArc(right - cx, rc.Y, cx, cy, 270, 90);
  path.AddLine(right, rc.Y + cy / 2, right, bottom - cy / 2);
  path.AddArc(right - cx, bottom - cy, cx, cy, 0, 90);
  path.AddLine(right - cx / 2, bottom, rc.X + cx / 2, bottom);
  path.AddArc(rc.X, bottom - cy, cx, cy, 90, 90);
  path.CloseFigure();
}

// AlphaBlend of part of a decoded image; opaque images use the cheaper StretchBlt.
// GdiAlphaBlend is what msimg32's AlphaBlend hands on to: called in gdi32
// itself, it spares the program loading one more library at start.
void BlitPart(HDC hDC, HDC src, const DecodedImage& image, const RECT& dest, const RECT& source, BYTE fade) {
  const int dw = dest.right - dest.left, dh = dest.bottom - dest.top;
  const int sw = source.right - source.left, sh = source.bottom - source.top;
  if (dw <= 0 || dh <= 0 || sw <= 0 || sh <= 0) return;
  if (!image.alpha && fade == 255) {
    SetStretchBltMode(hDC, HALFTONE);
    StretchBlt(hDC, dest.left, dest.top, dw, dh, src, source.left, source.top, sw, sh, SRCCOPY);
    return;
  }
  BLENDFUNCTION blend = {AC_SRC_OVER, 0, fade, AC_SRC_ALPHA};
  GdiAlphaBlend(hDC, dest.left, dest.top, dw, dh, src, source.left, source.top, sw, sh, blend);
}

// Nine-slice drawing: the corners keep their size, the edges and the centre stretch.
void BlitNineSlice(HDC hDC, HDC src, const DecodedImage& image, const RECT& dest, const RECT& source,
                   const RECT& corner, BYTE fade) {
  const LONG dx[4] = {dest.left, dest.left + corner.left, dest.right - corner.right, dest.right};
  const LONG dy[4] = {dest.top, dest.top + corner.top, dest.bottom - corner.bottom, dest.bottom};
  const LONG sx[4] = {source.left, source.left + corner.left, source.right - corner.right, source.right};
  const LONG sy[4] = {source.top, source.top + corner.top, source.bottom - corner.bottom, source.bottom};
  for (int row = 0; row < 3; ++row) {
    for (int col = 0; col < 3; ++col) {
      BlitPart(hDC, src, image, RECT{dx[col], dy[row], dx[col + 1], dy[row + 1]},
               RECT{sx[col], sy[row], sx[col + 1], sy[row + 1]}, fade);
    }
  }
}

}  // namespace

// Colours are painted with GDI: under Wine every GDI+ fill is rendered in
// software (about 0.13 ms each, against 2 us for a GDI region), and Wine's
// GDI+ does not anti-alias either, so the pictures are the same.
void FillColor(HDC hDC, const RECT& rc, DWORD argb, SIZE round) {
  const BYTE alpha = static_cast<BYTE>(argb >> 24);
  if (alpha == 0 || rc.right <= rc.left || rc.bottom <= rc.top) return;
  const bool rounded = round.cx > 0 && round.cy > 0;
  if (alpha == 255) {
    quennet::UniqueBrush brush(CreateSolidBrush(ToColorRef(argb)));
    if (!rounded) {
      FillRect(hDC, &rc, brush.get());
    } else {
      quennet::UniqueRegion region(CreateRoundRectRgn(rc.left, rc.top, rc.right + 1, rc.bottom + 1, round.cx, round.cy));
      FillRgn(hDC, region.get(), brush.get());
    }
    return;
  }
  // Blended: one premultiplied pixel stretched over the area.
  static HBITMAP pixelBitmap = nullptr;
  static DWORD* pixel = nullptr;
  if (!pixelBitmap) {
    void* bits = nullptr;
    pixelBitmap = quennet::CreateDib32(nullptr, 1, 1, &bits);
    pixel = static_cast<DWORD*>(bits);
    if (!pixelBitmap) return;
  }
  const DWORD premultiplied = (static_cast<DWORD>(alpha) << 24) | ((((argb >> 16) & 0xFF) * alpha / 255) << 16) |
                              ((((argb >> 8) & 0xFF) * alpha / 255) << 8) | ((argb & 0xFF) * alpha / 255);
  GdiFlush();
  *pixel = premultiplied;
  const int saved = SaveDC(hDC);
  if (rounded) {
    quennet::UniqueRegion region(CreateRoundRectRgn(rc.left, rc.top, rc.right + 1, rc.bottom + 1, round.cx, round.cy));
    ExtSelectClipRgn(hDC, region.get(), RGN_AND);
  }
  quennet::UniqueMemoryDc source(CreateCompatibleDC(hDC));
  quennet::SelectGuard select(source.get(), pixelBitmap);
  BLENDFUNCTION blend = {AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
  GdiAlphaBlend(hDC, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top, source.get(), 0, 0, 1, 1, blend);
  RestoreDC(hDC, saved);
}

void DrawBorder(HDC hDC, const RECT& rc, int size, DWORD argb, SIZE round) {
  const BYTE alpha = static_cast<BYTE>(argb >> 24);
  if (alpha == 0 || size <= 0 || rc.right <= rc.left || rc.bottom <= rc.top) return;
  const bool rounded = round.cx > 0 && round.cy > 0;
  if (alpha == 255) {
    quennet::UniqueBrush brush(CreateSolidBrush(ToColorRef(argb)));
    if (rounded) {
      // The inner edge of the region's outline, size pixels wide.
      quennet::UniqueRegion region(CreateRoundRectRgn(rc.left, rc.top, rc.right + 1, rc.bottom + 1, round.cx, round.cy));
      FrameRgn(hDC, region.get(), brush.get(), size, size);
      return;
    }
    // Four bands inside the rectangle: exact pixels.
    const RECT bands[4] = {{rc.left, rc.top, rc.right, rc.top + size},
                           {rc.left, rc.bottom - size, rc.right, rc.bottom},
                           {rc.left, rc.top + size, rc.left + size, rc.bottom - size},
                           {rc.right - size, rc.top + size, rc.right, rc.bottom - size}};
    for (const RECT& band : bands) {
      if (band.right > band.left && band.bottom > band.top) FillRect(hDC, &band, brush.get());
    }
    return;
  }
  StartGraphics();
  Gdiplus::Graphics graphics(hDC);
  graphics.SetSmoothingMode(Gdiplus::SmoothingModeAntiAlias);
  Gdiplus::Pen pen(ToGdiplus(argb), static_cast<float>(size));
  // Pixel centres are whole coordinates here: the pen runs through the
  // centres of the outermost pixels, so a 1 px border covers exactly the
  // rectangle's edge pixels. (Wine rounds half coordinates outward.)
  const float inset = (size - 1) / 2.0f;
  const Gdiplus::RectF box(rc.left + inset, rc.top + inset, rc.right - rc.left - size + 0.0f,
                           rc.bottom - rc.top - size + 0.0f);
  if (rounded) {
    Gdiplus::GraphicsPath path;
    AddRoundRect(path, box, static_cast<float>(round.cx), static_cast<float>(round.cy));
    graphics.DrawPath(&pen, &path);
  } else {
    graphics.DrawRectangle(&pen, box);
  }
}

bool DrawImage(HDC hDC, CPaintManagerUI* pManager, const RECT& rcItem, TImageSlot& slot, UINT* nextFrameIn) {
  if (slot.sValue.IsEmpty() || slot.bFailed) return false;
  const ResolvedImageValue* resolved = ResolveSlot(slot, pManager);
  if (!resolved) {
    slot.bFailed = true;
    return false;
  }
  const ImageSpec& spec = resolved->spec;
  auto image = LoadImageFile(resolved->path);
  if (!image) {
    slot.bFailed = true;
    return false;
  }
  RECT dest = rcItem;
  if (spec.dest.left || spec.dest.top || spec.dest.right || spec.dest.bottom) {
    dest = RECT{rcItem.left + spec.dest.left, rcItem.top + spec.dest.top, rcItem.left + spec.dest.right,
                rcItem.top + spec.dest.bottom};
  }
  RECT source = {0, 0, image->width, image->height};
  if (spec.source.left || spec.source.top || spec.source.right || spec.source.bottom) {
    source = RECT{std::max(0L, spec.source.left), std::max(0L, spec.source.top),
                  std::min<LONG>(image->width, spec.source.right), std::min<LONG>(image->height, spec.source.bottom)};
  }
  UINT remaining = 0;
  HBITMAP frame = image->FrameAt(GetTickCount64(), &remaining);
  if (nextFrameIn) *nextFrameIn = remaining;
  HDC src = SourceDC();
  if (!src) return false;
  quennet::SelectGuard select(src, frame);
  const RECT& c = spec.corner;
  if (c.left || c.top || c.right || c.bottom) {
    BlitNineSlice(hDC, src, *image, dest, source, c, spec.fade);
    return true;
  }
  const SIZE drawn = {dest.right - dest.left, dest.bottom - dest.top};
  if (HBITMAP scaled = ScaledCopy(*image, source, drawn)) {
    quennet::SelectGuard selectScaled(src, scaled);
    BlitPart(hDC, src, *image, dest, RECT{0, 0, drawn.cx, drawn.cy}, spec.fade);
    return true;
  }
  BlitPart(hDC, src, *image, dest, source, spec.fade);
  return true;
}

void DrawText(HDC hDC, CPaintManagerUI* pManager, const RECT& rc, LPCTSTR text, DWORD argb, int font, UINT style) {
  if (!text || !*text || rc.right <= rc.left || rc.bottom <= rc.top) return;
  const TFontInfo* info = CPaintManagerUI::ResolveFont(pManager, font);
  quennet::SelectGuard select(hDC, info ? info->hFont : nullptr);
  SetBkMode(hDC, TRANSPARENT);
  SetTextColor(hDC, ToColorRef(argb));
  if (IsLongWrappedText(text, style)) {
    const MarkupDocument doc = PlainDocument(text);
    MarkupLayout layout;
    layout.Build(doc, pManager, font, rc.right - rc.left, style);
    layout.Draw(hDC, doc, rc, MarkupColors{argb, argb, argb, true}, -1);
    return;
  }
  RECT box = rc;
  ::DrawTextW(hDC, text, -1, &box, style | DT_NOPREFIX);
}

SIZE MeasureText(CPaintManagerUI* pManager, LPCTSTR text, int font, UINT style, int width) {
  const TFontInfo* info = CPaintManagerUI::ResolveFont(pManager, font);
  HDC dc = MeasureDC();
  quennet::SelectGuard select(dc, info ? info->hFont : nullptr);
  const int lineHeight = info ? static_cast<int>(info->tm.tmHeight) : 16;
  if (!text || !*text) return SIZE{0, lineHeight};
  if (width > 0 && IsLongWrappedText(text, style)) {
    MarkupLayout layout;
    layout.Build(PlainDocument(text), pManager, font, width, style);
    const SIZE size = layout.GetSize();
    return SIZE{size.cx, std::max<LONG>(size.cy, lineHeight)};
  }
  RECT box = {0, 0, width > 0 ? width : 0x3FFFFFFF, 0};
  UINT flags = (style & ~(DT_VCENTER | DT_BOTTOM | DT_CENTER | DT_RIGHT)) | DT_CALCRECT | DT_NOPREFIX;
  if (width <= 0) flags &= ~DT_WORDBREAK;
  ::DrawTextW(dc, text, -1, &box, flags);
  return SIZE{box.right - box.left, std::max<LONG>(box.bottom - box.top, lineHeight)};
}

}  // namespace DuiLib::detail
