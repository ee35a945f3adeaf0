#pragma once

// UTF-16 units as the framework's text code meets them, and the face that
// draws what lies beyond the first 65,536 characters.

namespace DuiLib::detail {

inline bool IsHighSurrogate(wchar_t c) { return c >= 0xD800 && c <= 0xDBFF; }
inline bool IsLowSurrogate(wchar_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

// Emoji and symbols. Windows has the face; a Wine prefix maps it to an
// installed font.
inline constexpr wchar_t kEmojiFace[] = L"Segoe UI Emoji";

}  // namespace DuiLib::detail
