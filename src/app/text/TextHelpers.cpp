#include "app/text/TextHelpers.h"

#include <windows.h>

#include "quennet/WinHandles.h"

namespace {

constexpr UINT kChineseCodePage = 936;

std::wstring MultiByteToWide(UINT code_page, const std::string& text, bool* lossy) {
  if (lossy) *lossy = false;
  if (text.empty()) return {};
  const int length = static_cast<int>(text.size());
  int needed = MultiByteToWideChar(code_page, MB_ERR_INVALID_CHARS, text.data(), length, nullptr, 0);
  DWORD flags = MB_ERR_INVALID_CHARS;
  if (needed <= 0) {
    // Invalid bytes: convert what can be converted, with replacements.
    if (lossy) *lossy = true;
    flags = 0;
    needed = MultiByteToWideChar(code_page, flags, text.data(), length, nullptr, 0);
    if (needed <= 0) return {};
  }
  std::wstring wide(static_cast<size_t>(needed), L'\0');
  MultiByteToWideChar(code_page, flags, text.data(), length, wide.data(), needed);
  // Text ends at an embedded NUL, as it would for a C string.
  const size_t nul = wide.find(L'\0');
  if (nul != std::wstring::npos) wide.resize(nul);
  return wide;
}

std::string WideToMultiByte(UINT code_page, const std::wstring& text, bool* lossy) {
  if (lossy) *lossy = false;
  if (text.empty()) return {};
  const int length = static_cast<int>(text.size());
  BOOL used_default = FALSE;
  BOOL* used_default_ptr = code_page == CP_UTF8 ? nullptr : &used_default;
  const int needed = WideCharToMultiByte(code_page, 0, text.data(), length, nullptr, 0, nullptr, used_default_ptr);
  if (needed <= 0) {
    if (lossy) *lossy = true;
    return {};
  }
  std::string narrow(static_cast<size_t>(needed), '\0');
  WideCharToMultiByte(code_page, 0, text.data(), length, narrow.data(), needed, nullptr, used_default_ptr);
  if (lossy) *lossy = used_default != FALSE;
  const size_t nul = narrow.find('\0');
  if (nul != std::string::npos) narrow.resize(nul);
  return narrow;
}

}  // namespace

std::string WideToUtf8(const wchar_t* text) { return text ? WideToUtf8(std::wstring(text)) : std::string(); }

std::string WideToUtf8(const std::wstring& text) { return WideToMultiByte(CP_UTF8, text, nullptr); }

std::wstring Utf8ToWide(const std::string& text) {
  if (text.empty()) return {};
  // Invalid UTF-8 is converted as the platform converts it, with replacements.
  const int length = static_cast<int>(text.size());
  const int needed = MultiByteToWideChar(CP_UTF8, 0, text.data(), length, nullptr, 0);
  if (needed <= 0) return {};
  std::wstring wide(static_cast<size_t>(needed), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text.data(), length, wide.data(), needed);
  const size_t nul = wide.find(L'\0');
  if (nul != std::wstring::npos) wide.resize(nul);
  return wide;
}

std::wstring AnsiToWide(const std::string& text, bool* lossy) {
  return MultiByteToWide(kChineseCodePage, text, lossy);
}

std::string WideToAnsi(const std::wstring& text, bool* lossy) {
  return WideToMultiByte(kChineseCodePage, text, lossy);
}

std::vector<std::string> SplitString(const std::string& text, const std::string& separator) {
  std::vector<std::string> pieces;
  if (separator.empty()) {
    if (!text.empty()) pieces.push_back(text);
    return pieces;
  }
  size_t start = 0;
  while (start < text.size()) {
    const size_t found = text.find(separator, start);
    const size_t end = found == std::string::npos ? text.size() : found;
    if (end > start) pieces.push_back(text.substr(start, end - start));
    if (found == std::string::npos) break;
    start = found + separator.size();
  }
  return pieces;
}

int GetTextWidth(const std::wstring& text) {
  if (text.empty()) return 0;
  quennet::WindowDc screen(nullptr);
  if (!screen) return 0;
  quennet::UniqueFont font(CreateFontW(27, 0, 0, 0, 0, FALSE, FALSE, FALSE, 0, 0, 0, 0, 0, nullptr));
  quennet::SelectGuard select(screen.get(), font.get());
  SIZE size = {};
  GetTextExtentPoint32W(screen.get(), text.c_str(), static_cast<int>(text.size()), &size);
  return size.cx;
}
