#pragma once

#include <windows.h>

#include "duilib/DuiString.h"

namespace DuiLib {

// Doubles "{" and "}" so that raw text shows literally inside markup.
CDuiString EscapeMarkup(LPCTSTR raw);

// The pixel size of an image file (PNG, JPEG, BMP, GIF, ICO, sniffed by
// content). False when the file cannot be read or decoded.
bool GetImageFileSize(LPCTSTR path, SIZE* out);

}  // namespace DuiLib
