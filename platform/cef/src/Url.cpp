#include "Url.h"

namespace cef_internal {

std::wstring AsciiLower(std::wstring text) {
  for (wchar_t& c : text) {
    if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c - L'A' + L'a');
  }
  return text;
}

WebAddress ParseWebAddress(const std::wstring& url) {
  WebAddress address;
  const size_t scheme_end = url.find(L"://");
  if (scheme_end == std::wstring::npos) return address;
  const std::wstring scheme = AsciiLower(url.substr(0, scheme_end));
  if (scheme != L"http" && scheme != L"https") return address;

  const size_t authority_start = scheme_end + 3;
  const size_t authority_end = url.find_first_of(L"/?#", authority_start);
  std::wstring authority = url.substr(authority_start, authority_end == std::wstring::npos
                                                           ? std::wstring::npos
                                                           : authority_end - authority_start);
  const size_t at = authority.rfind(L'@');
  if (at != std::wstring::npos) authority.erase(0, at + 1);
  const size_t colon = authority.find(L':');
  if (colon != std::wstring::npos) authority.erase(colon);
  if (authority.empty()) return address;

  address.secure = scheme == L"https";
  address.host = AsciiLower(authority);
  if (authority_end != std::wstring::npos && url[authority_end] == L'/') {
    const size_t path_end = url.find_first_of(L"?#", authority_end);
    address.path = url.substr(authority_end, path_end == std::wstring::npos ? std::wstring::npos
                                                                            : path_end - authority_end);
  }
  address.valid = true;
  return address;
}

}  // namespace cef_internal
