#include "duilib/Utils.h"

#include "ImageCache.h"

namespace DuiLib {

CDuiString EscapeMarkup(LPCTSTR raw) {
  if (!raw) return CDuiString();
  std::wstring out;
  AppendEscapedMarkup(out, raw, wcslen(raw));
  return CDuiString(std::move(out));
}

void AppendEscapedMarkup(std::wstring& markup, const wchar_t* raw, size_t length) {
  for (size_t i = 0; i < length; ++i) {
    markup += raw[i];
    if (raw[i] == L'{' || raw[i] == L'}') markup += raw[i];
  }
}

bool GetImageFileSize(LPCTSTR path, SIZE* out) {
  if (!path || !out) return false;
  return detail::ReadImageFileSize(path, out);
}

}  // namespace DuiLib
