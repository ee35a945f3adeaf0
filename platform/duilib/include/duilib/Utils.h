#pragma once

#include <windows.h>

#include "duilib/DuiString.h"

namespace DuiLib {

// Doubles "{" and "}" so that raw text shows literally inside markup.
CDuiString EscapeMarkup(LPCTSTR raw);

// The pixel size of an image file (PNG, JPEG, BMP, GIF, sniffed by content),
// read from its header: nothing is decoded. False when the file cannot be
// read or is none of those.
bool GetImageFileSize(LPCTSTR path, SIZE* out);

}  // namespace DuiLib
