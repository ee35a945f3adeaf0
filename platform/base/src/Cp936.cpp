#include "Cp936.h"

#include <windows.h>

namespace quennet::detail {

bool Cp936ToWide(const std::string& text, std::wstring* out) {
  out->clear();
  if (text.empty()) return false;
  const int length = static_cast<int>(text.size());
  const int needed = MultiByteToWideChar(936, MB_ERR_INVALID_CHARS, text.data(), length, nullptr, 0);
  if (needed <= 0) return false;
  out->resize(static_cast<size_t>(needed));
  MultiByteToWideChar(936, MB_ERR_INVALID_CHARS, text.data(), length, out->data(), needed);
  // An embedded NUL would silently shorten the path the Win32 calls see.
  return out->find(L'\0') == std::wstring::npos;
}

}  // namespace quennet::detail
