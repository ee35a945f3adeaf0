#include "duilib/Utils.h"

#include "ImageCache.h"

namespace DuiLib {

CDuiString EscapeMarkup(LPCTSTR raw) {
  std::wstring out;
  if (!raw) return CDuiString();
  for (const wchar_t* p = raw; *p; ++p) {
    out += *p;
    if (*p == L'{' || *p == L'}') out += *p;
  }
  return CDuiString(std::move(out));
}

bool GetImageFileSize(LPCTSTR path, SIZE* out) {
  if (!path || !out) return false;
  return detail::ReadImageFileSize(path, out);
}

}  // namespace DuiLib
