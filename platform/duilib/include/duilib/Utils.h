#pragma once

#include <windows.h>

#include <string>

#include "duilib/DuiString.h"

namespace DuiLib {

// Doubles "{" and "}" so that raw text shows literally inside markup.
CDuiString EscapeMarkup(LPCTSTR raw);
// The same, appending `length` characters of `raw` to `markup`.
void AppendEscapedMarkup(std::wstring& markup, const wchar_t* raw, size_t length);

// The pixel size of an image file (PNG, JPEG, BMP, GIF, sniffed by content),
// read from its header: nothing is decoded. False when the file cannot be
// read or is none of those.
bool GetImageFileSize(LPCTSTR path, SIZE* out);

}  // namespace DuiLib
