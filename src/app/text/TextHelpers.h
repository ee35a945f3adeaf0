#pragma once

// Conversions between the core library's UTF-8, the window framework's UTF-16
// and the multibyte text of code page 936 ("chs"), and small text helpers.
// None of them keeps state or touches the process locale.

#include <string>
#include <vector>

std::string WideToUtf8(const wchar_t* text);
std::string WideToUtf8(const std::wstring& text);
std::wstring Utf8ToWide(const std::string& text);

// Multibyte text of code page 936. With `lossy`, reports whether a character
// could not be converted; such characters become '?' (or U+FFFD) and the rest
// of the text is kept.
std::wstring AnsiToWide(const std::string& text, bool* lossy = nullptr);
std::string WideToAnsi(const std::wstring& text, bool* lossy = nullptr);

// The non-empty pieces between separators, the tail after the last one included.
// An empty separator gives the whole text as one piece (none for an empty text).
std::vector<std::string> SplitString(const std::string& text, const std::string& separator);

// Width in pixels of the text in the measuring font (height 27, default face).
int GetTextWidth(const std::wstring& text);
