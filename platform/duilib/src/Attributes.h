#pragma once

// The value grammar of skins and attribute lists. Every parser reports
// failure instead of guessing, so a bad value leaves the attribute as it was.

#include <windows.h>

#include <string>
#include <utility>
#include <vector>

namespace DuiLib::detail {

bool ParseBool(const wchar_t* text, bool* out);
bool ParseInt(const wchar_t* text, int* out);
// "l,t,r,b" with optional spaces.
bool ParseRect(const wchar_t* text, RECT* out);
// "w,h".
bool ParseSize(const wchar_t* text, SIZE* out);
// "#AARRGGBB", "#RRGGBB" (alpha FF) or "0xAARRGGBB".
bool ParseColor(const wchar_t* text, DWORD* out);

// name="v" or name='v' pairs separated by any whitespace. Parsing stops at
// the first malformed pair; the pairs before it are kept.
std::vector<std::pair<std::wstring, std::wstring>> ParseAttributeList(const wchar_t* text);

// An image value: a plain path, or file='p' [source='l,t,r,b']
// [dest='l,t,r,b'] [corner='l,t,r,b'] [fade='0..255'].
struct ImageSpec {
  std::wstring file;
  RECT source = {0, 0, 0, 0};  // all zero: the whole image
  RECT dest = {0, 0, 0, 0};    // all zero: the whole control; else relative to its top left
  RECT corner = {0, 0, 0, 0};  // nine-slice margins
  BYTE fade = 255;
};
bool ParseImageSpec(const wchar_t* text, ImageSpec* out);

}  // namespace DuiLib::detail
