#include "Attributes.h"

#include <cwchar>
#include <cwctype>

namespace DuiLib::detail {

namespace {

const wchar_t* SkipSpaces(const wchar_t* p) {
  while (*p && iswspace(*p)) ++p;
  return p;
}

// Reads a decimal integer with optional sign and surrounding spaces.
bool ReadInt(const wchar_t*& p, long* out) {
  p = SkipSpaces(p);
  wchar_t* end = nullptr;
  const long value = wcstol(p, &end, 10);
  if (end == p) return false;
  *out = value;
  p = SkipSpaces(end);
  return true;
}

// Reads count integers separated by commas; nothing may follow.
bool ReadIntList(const wchar_t* text, long* values, int count) {
  if (!text) return false;
  const wchar_t* p = text;
  for (int i = 0; i < count; ++i) {
    if (!ReadInt(p, &values[i])) return false;
    if (i + 1 < count) {
      if (*p != L',') return false;
      ++p;
    }
  }
  return *SkipSpaces(p) == 0;
}

bool ParseHex(const wchar_t* begin, size_t length, DWORD* out) {
  DWORD value = 0;
  for (size_t i = 0; i < length; ++i) {
    const wchar_t c = begin[i];
    DWORD digit;
    if (c >= L'0' && c <= L'9') {
      digit = c - L'0';
    } else if (c >= L'a' && c <= L'f') {
      digit = c - L'a' + 10;
    } else if (c >= L'A' && c <= L'F') {
      digit = c - L'A' + 10;
    } else {
      return false;
    }
    value = (value << 4) | digit;
  }
  *out = value;
  return true;
}

}  // namespace

bool ParseBool(const wchar_t* text, bool* out) {
  if (!text) return false;
  if (wcscmp(text, L"true") == 0) {
    *out = true;
    return true;
  }
  if (wcscmp(text, L"false") == 0) {
    *out = false;
    return true;
  }
  return false;
}

bool ParseInt(const wchar_t* text, int* out) {
  long value = 0;
  if (!ReadIntList(text, &value, 1)) return false;
  *out = static_cast<int>(value);
  return true;
}

bool ParseRect(const wchar_t* text, RECT* out) {
  long v[4];
  if (!ReadIntList(text, v, 4)) return false;
  *out = RECT{v[0], v[1], v[2], v[3]};
  return true;
}

bool ParseSize(const wchar_t* text, SIZE* out) {
  long v[2];
  if (!ReadIntList(text, v, 2)) return false;
  *out = SIZE{v[0], v[1]};
  return true;
}

bool ParseColor(const wchar_t* text, DWORD* out) {
  if (!text) return false;
  const wchar_t* p = SkipSpaces(text);
  std::wstring digits;
  if (*p == L'#') {
    digits = p + 1;
  } else if (p[0] == L'0' && (p[1] == L'x' || p[1] == L'X')) {
    digits = p + 2;
  } else {
    return false;
  }
  while (!digits.empty() && iswspace(digits.back())) digits.pop_back();
  DWORD value = 0;
  if (digits.size() == 6) {
    if (!ParseHex(digits.data(), 6, &value)) return false;
    *out = 0xFF000000 | value;
    return true;
  }
  if (digits.size() == 8) {
    if (!ParseHex(digits.data(), 8, &value)) return false;
    *out = value;
    return true;
  }
  return false;
}

std::vector<std::pair<std::wstring, std::wstring>> ParseAttributeList(const wchar_t* text) {
  std::vector<std::pair<std::wstring, std::wstring>> pairs;
  if (!text) return pairs;
  const wchar_t* p = text;
  for (;;) {
    p = SkipSpaces(p);
    if (!*p) break;
    const wchar_t* name_begin = p;
    while (*p && *p != L'=' && !iswspace(*p)) ++p;
    std::wstring name(name_begin, p);
    p = SkipSpaces(p);
    if (name.empty() || *p != L'=') break;
    p = SkipSpaces(p + 1);
    const wchar_t quote = *p;
    if (quote != L'"' && quote != L'\'') break;
    const wchar_t* value_begin = ++p;
    while (*p && *p != quote) ++p;
    if (!*p) break;
    pairs.emplace_back(std::move(name), std::wstring(value_begin, p));
    ++p;
  }
  return pairs;
}

bool ParseImageSpec(const wchar_t* text, ImageSpec* out) {
  if (!text) return false;
  ImageSpec spec;
  const wchar_t* p = SkipSpaces(text);
  // A value with an '=' before any quote is the key='value' form.
  const wchar_t* eq = wcschr(p, L'=');
  const wchar_t* quote = wcspbrk(p, L"'\"");
  if (!eq || (quote && quote < eq)) {
    spec.file = p;
    while (!spec.file.empty() && iswspace(spec.file.back())) spec.file.pop_back();
  } else {
    for (const auto& [key, value] : ParseAttributeList(p)) {
      if (key == L"file" || key == L"res") {
        spec.file = value;
      } else if (key == L"source") {
        ParseRect(value.c_str(), &spec.source);
      } else if (key == L"dest") {
        ParseRect(value.c_str(), &spec.dest);
      } else if (key == L"corner") {
        ParseRect(value.c_str(), &spec.corner);
      } else if (key == L"fade") {
        int fade = 255;
        if (ParseInt(value.c_str(), &fade) && fade >= 0 && fade <= 255) spec.fade = static_cast<BYTE>(fade);
      }
    }
  }
  if (spec.file.empty()) return false;
  *out = std::move(spec);
  return true;
}

}  // namespace DuiLib::detail
