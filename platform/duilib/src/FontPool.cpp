#include "FontPool.h"

#include <map>
#include <string>
#include <tuple>

namespace DuiLib::detail {

namespace {

constexpr wchar_t kDefaultFace[] = L"微软雅黑";
constexpr int kDefaultSize = 13;

using FontKey = std::tuple<std::wstring, int, bool, bool, bool>;

std::map<FontKey, std::weak_ptr<SharedFont>>& Pool() {
  static auto* pool = new std::map<FontKey, std::weak_ptr<SharedFont>>;
  return *pool;
}

std::shared_ptr<SharedFont>& DefaultSlot() {
  static auto* slot = new std::shared_ptr<SharedFont>;
  return *slot;
}

}  // namespace

SharedFont::~SharedFont() {
  if (info.hFont) DeleteObject(info.hFont);
}

std::shared_ptr<SharedFont> AcquireFont(LPCTSTR face, int size, bool bold, bool underline, bool italic) {
  const std::wstring name = face && *face ? face : kDefaultFace;
  if (size <= 0) size = kDefaultSize;
  const FontKey key{name, size, bold, underline, italic};
  auto& pool = Pool();
  if (auto it = pool.find(key); it != pool.end()) {
    if (auto font = it->second.lock()) return font;
  }
  LOGFONTW lf = {};
  lf.lfHeight = -size;
  lf.lfWeight = bold ? FW_BOLD : FW_NORMAL;
  lf.lfUnderline = underline ? TRUE : FALSE;
  lf.lfItalic = italic ? TRUE : FALSE;
  lf.lfCharSet = DEFAULT_CHARSET;
  lf.lfQuality = CLEARTYPE_QUALITY;
  lstrcpynW(lf.lfFaceName, name.c_str(), LF_FACESIZE);
  HFONT handle = CreateFontIndirectW(&lf);
  if (!handle) return nullptr;
  auto font = std::make_shared<SharedFont>();
  font->info.hFont = handle;
  font->info.sFontName = name.c_str();
  font->info.iSize = size;
  font->info.bBold = bold;
  font->info.bUnderline = underline;
  font->info.bItalic = italic;
  HDC dc = MeasureDC();
  HGDIOBJ old = SelectObject(dc, handle);
  GetTextMetricsW(dc, &font->info.tm);
  SelectObject(dc, old);
  pool[key] = font;
  return font;
}

std::shared_ptr<SharedFont> ProcessDefaultFont() {
  auto& slot = DefaultSlot();
  if (!slot) slot = AcquireFont(kDefaultFace, kDefaultSize, false, false, false);
  return slot;
}

void SetProcessDefaultFont(std::shared_ptr<SharedFont> font) {
  if (font) DefaultSlot() = std::move(font);
}

HDC MeasureDC() {
  static HDC dc = CreateCompatibleDC(nullptr);
  return dc;
}

}  // namespace DuiLib::detail
