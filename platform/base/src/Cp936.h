#pragma once

#include <string>

// Narrow paths of the base library are multibyte text of code page 936. They are
// converted explicitly, never through the process code page or the C locale,
// which under Wine follow the environment and are shared by every thread.
namespace quennet::detail {

// False for bytes that are not valid code page 936, or an empty text.
[[nodiscard]] bool Cp936ToWide(const std::string& text, std::wstring* out);

}  // namespace quennet::detail
