#pragma once

// Drawing steps shared by the controls: colours (opaque with GDI, blended and
// rounded with GDI+), borders, images (AlphaBlend of decoded DIBs) and text
// (GDI, always DT_NOPREFIX).

#include <windows.h>

#include "duilib/Types.h"

namespace DuiLib {
class CPaintManagerUI;
}

namespace DuiLib::detail {

// Alpha 0 draws nothing, 1..254 blends, 255 is opaque.
void FillColor(HDC hDC, const RECT& rc, DWORD argb, SIZE round = {0, 0});
void DrawBorder(HDC hDC, const RECT& rc, int size, DWORD argb, SIZE round = {0, 0});

// Draws an image value in rcItem (or its dest part). False when nothing was
// drawn; a load failure sets slot.bFailed. For an animation, the frame of
// the moment is drawn and nextFrameIn receives the milliseconds until the
// next one (0 for still images).
bool DrawImage(HDC hDC, CPaintManagerUI* pManager, const RECT& rcItem, TImageSlot& slot, UINT* nextFrameIn = nullptr);

// Text in the rectangle with the font id and DT_* style; colour uses RGB only.
void DrawText(HDC hDC, CPaintManagerUI* pManager, const RECT& rc, LPCTSTR text, DWORD argb, int font, UINT style);
// Size of the text drawn with the style within a width (0: unbounded).
SIZE MeasureText(CPaintManagerUI* pManager, LPCTSTR text, int font, UINT style, int width);

// A GDI COLORREF from an ARGB value.
inline COLORREF ToColorRef(DWORD argb) { return RGB((argb >> 16) & 0xFF, (argb >> 8) & 0xFF, argb & 0xFF); }

}  // namespace DuiLib::detail
