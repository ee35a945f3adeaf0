#pragma once

// The framework's string: a value type over std::wstring with the members the
// windows use. Safe in containers and as a value across threads.

#include <windows.h>

#include <string>

namespace DuiLib {

class CDuiString final {
 public:
  CDuiString() = default;
  // A null text gives an empty string; a negative length takes the text up to its NUL.
  CDuiString(LPCTSTR text, int length = -1);
  CDuiString(const std::wstring& text) : m_text(text) {}
  CDuiString(std::wstring&& text) : m_text(std::move(text)) {}
  CDuiString(const CDuiString&) = default;
  CDuiString(CDuiString&&) noexcept = default;
  CDuiString& operator=(const CDuiString&) = default;
  CDuiString& operator=(CDuiString&&) noexcept = default;
  CDuiString& operator=(LPCTSTR text);

  operator LPCTSTR() const { return m_text.c_str(); }
  [[nodiscard]] LPCTSTR GetData() const { return m_text.c_str(); }
  [[nodiscard]] const std::wstring& str() const { return m_text; }
  [[nodiscard]] int GetLength() const { return static_cast<int>(m_text.size()); }
  [[nodiscard]] bool IsEmpty() const { return m_text.empty(); }
  void Empty() { m_text.clear(); }
  // The character at the index, or 0 outside the string.
  [[nodiscard]] TCHAR GetAt(int index) const;

  CDuiString& operator+=(const CDuiString& other);
  CDuiString& operator+=(LPCTSTR text);
  CDuiString& operator+=(TCHAR ch);

  [[nodiscard]] int Compare(LPCTSTR text) const;
  [[nodiscard]] int CompareNoCase(LPCTSTR text) const;

  // Index of the first occurrence at or after start, or -1.
  [[nodiscard]] int Find(LPCTSTR text, int start = 0) const;
  [[nodiscard]] int Find(TCHAR ch, int start = 0) const;
  [[nodiscard]] int ReverseFind(TCHAR ch) const;
  // Out-of-range arguments are clamped to the string.
  [[nodiscard]] CDuiString Left(int count) const;
  [[nodiscard]] CDuiString Mid(int pos, int count = -1) const;
  [[nodiscard]] CDuiString Right(int count) const;
  // Replaces every occurrence; returns how many were replaced.
  int Replace(LPCTSTR from, LPCTSTR to);
  CDuiString& MakeLower();
  CDuiString& MakeUpper();
  // printf-style with wide "%s"; the result is cut at a fixed bound rather than overflowing.
  int Format(LPCTSTR format, ...);

 private:
  std::wstring m_text;
};

CDuiString operator+(const CDuiString& left, const CDuiString& right);
CDuiString operator+(const CDuiString& left, LPCTSTR right);
CDuiString operator+(LPCTSTR left, const CDuiString& right);

bool operator==(const CDuiString& left, const CDuiString& right);
bool operator==(const CDuiString& left, LPCTSTR right);
bool operator==(LPCTSTR left, const CDuiString& right);
bool operator!=(const CDuiString& left, const CDuiString& right);
bool operator!=(const CDuiString& left, LPCTSTR right);
bool operator!=(LPCTSTR left, const CDuiString& right);
bool operator<(const CDuiString& left, const CDuiString& right);
bool operator<(const CDuiString& left, LPCTSTR right);

}  // namespace DuiLib
