#pragma once

#include <string>

namespace cef_internal {

// The parts of an absolute http or https address that decide which cookies
// go with it.
struct WebAddress {
  bool valid = false;
  bool secure = false;    // https
  std::wstring host;      // lower case, without user info and port
  std::wstring path = L"/";
};

[[nodiscard]] WebAddress ParseWebAddress(const std::wstring& url);

// ASCII lower case; host names and schemes compare without case.
[[nodiscard]] std::wstring AsciiLower(std::wstring text);

}  // namespace cef_internal
