#include "Text.h"

#include <windows.h>

namespace mireloom::detail {
namespace {

std::wstring MultiByteToWideText(UINT codePage, const std::string& text) {
  if (text.empty()) return {};
  const int needed = MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  if (needed <= 0) return {};
  std::wstring wide(static_cast<size_t>(needed), L'\0');
  MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), wide.data(), needed);
  return wide;
}

bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

}  // namespace

std::wstring Cp936ToWide(const std::string& text) { return MultiByteToWideText(936, text); }

std::wstring Utf8ToWide(const std::string& text) { return MultiByteToWideText(CP_UTF8, text); }

std::string WideToUtf8(const std::wstring& text) {
  if (text.empty()) return {};
  const int needed =
      WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
  if (needed <= 0) return {};
  std::string narrow(static_cast<size_t>(needed), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), narrow.data(), needed, nullptr,
                      nullptr);
  return narrow;
}

std::wstring JoinPath(const std::wstring& folder, const std::wstring& name) {
  std::wstring joined = folder;
  while (!joined.empty() && IsSeparator(joined.back())) joined.pop_back();
  if (!joined.empty()) joined += L'\\';
  return joined + name;
}

bool MakeFolders(const std::wstring& folder) {
  std::wstring normal;
  for (wchar_t c : folder) normal += c == L'/' ? L'\\' : c;
  while (normal.size() > 3 && normal.back() == L'\\') normal.pop_back();
  if (normal.empty()) return false;
  for (size_t at = normal.find(L'\\', 3); at != std::wstring::npos; at = normal.find(L'\\', at + 1)) {
    CreateDirectoryW(normal.substr(0, at).c_str(), nullptr);
  }
  CreateDirectoryW(normal.c_str(), nullptr);
  const DWORD attributes = GetFileAttributesW(normal.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::string Utf8Prefix(const std::string& text, size_t count) {
  size_t characters = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    const bool starts_character = (static_cast<unsigned char>(text[i]) & 0xC0) != 0x80;
    if (starts_character && characters++ == count) return text.substr(0, i);
  }
  return text;
}

std::string AsciiLower(std::string text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return text;
}

}  // namespace mireloom::detail
