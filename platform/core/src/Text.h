#pragma once

// Text and path conversions of the core library. Paths handed in by the client
// are multibyte text of code page 936; the core works with wide paths only.

#include <string>

namespace mireloom::detail {

std::wstring Cp936ToWide(const std::string& text);
std::string WideToUtf8(const std::wstring& text);
std::wstring Utf8ToWide(const std::string& text);

// Joins a folder (with or without a trailing separator) and a relative name
// with one "\".
std::wstring JoinPath(const std::wstring& folder, const std::wstring& name);
// Creates every missing level of the folder; true when it exists afterwards.
bool MakeFolders(const std::wstring& folder);

// The first `count` characters (not bytes) of UTF-8 text.
std::string Utf8Prefix(const std::string& text, size_t count);
// ASCII lower case.
std::string AsciiLower(std::string text);

}  // namespace mireloom::detail
