#pragma once

// Fonts are created once per (face, size, style) and shared by every window
// that uses them; the last user releases the GDI font.

#include <memory>

#include "duilib/Types.h"

namespace DuiLib::detail {

struct SharedFont {
  TFontInfo info;
  SharedFont() = default;
  SharedFont(const SharedFont&) = delete;
  SharedFont& operator=(const SharedFont&) = delete;
  ~SharedFont();
};

// NULL when the font cannot be created.
std::shared_ptr<SharedFont> AcquireFont(LPCTSTR face, int size, bool bold, bool underline, bool italic);

// The process-wide default font: for windows without their own default and
// for controls that are not attached to a window.
std::shared_ptr<SharedFont> ProcessDefaultFont();
void SetProcessDefaultFont(std::shared_ptr<SharedFont> font);

// A memory DC for measuring text on the user-interface thread.
HDC MeasureDC();

}  // namespace DuiLib::detail
