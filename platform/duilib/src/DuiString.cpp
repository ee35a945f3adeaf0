#include "duilib/DuiString.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cwctype>
#include <vector>

namespace DuiLib {

namespace {

// Longest result of Format; longer results are cut.
constexpr size_t kMaxFormatLength = 1 << 20;

}  // namespace

CDuiString::CDuiString(LPCTSTR text, int length) {
  if (!text) return;
  if (length < 0) {
    m_text = text;
  } else {
    m_text.assign(text, wcsnlen(text, static_cast<size_t>(length)));
  }
}

CDuiString& CDuiString::operator=(LPCTSTR text) {
  if (text) {
    m_text = text;
  } else {
    m_text.clear();
  }
  return *this;
}

TCHAR CDuiString::GetAt(int index) const {
  if (index < 0 || index >= GetLength()) return 0;
  return m_text[static_cast<size_t>(index)];
}

CDuiString& CDuiString::operator+=(const CDuiString& other) {
  m_text += other.m_text;
  return *this;
}

CDuiString& CDuiString::operator+=(LPCTSTR text) {
  if (text) m_text += text;
  return *this;
}

CDuiString& CDuiString::operator+=(TCHAR ch) {
  m_text += ch;
  return *this;
}

int CDuiString::Compare(LPCTSTR text) const { return m_text.compare(text ? text : L""); }

int CDuiString::CompareNoCase(LPCTSTR text) const {
  const int result = CompareStringOrdinal(m_text.c_str(), -1, text ? text : L"", -1, TRUE);
  return result == CSTR_LESS_THAN ? -1 : result == CSTR_GREATER_THAN ? 1 : 0;
}

int CDuiString::Find(LPCTSTR text, int start) const {
  if (!text || start < 0 || start > GetLength()) return -1;
  const size_t pos = m_text.find(text, static_cast<size_t>(start));
  return pos == std::wstring::npos ? -1 : static_cast<int>(pos);
}

int CDuiString::Find(TCHAR ch, int start) const {
  if (start < 0 || start > GetLength()) return -1;
  const size_t pos = m_text.find(ch, static_cast<size_t>(start));
  return pos == std::wstring::npos ? -1 : static_cast<int>(pos);
}

int CDuiString::ReverseFind(TCHAR ch) const {
  const size_t pos = m_text.rfind(ch);
  return pos == std::wstring::npos ? -1 : static_cast<int>(pos);
}

CDuiString CDuiString::Left(int count) const {
  count = std::clamp(count, 0, GetLength());
  return CDuiString(m_text.substr(0, static_cast<size_t>(count)));
}

CDuiString CDuiString::Mid(int pos, int count) const {
  pos = std::clamp(pos, 0, GetLength());
  if (count < 0 || count > GetLength() - pos) count = GetLength() - pos;
  return CDuiString(m_text.substr(static_cast<size_t>(pos), static_cast<size_t>(count)));
}

CDuiString CDuiString::Right(int count) const {
  count = std::clamp(count, 0, GetLength());
  return CDuiString(m_text.substr(m_text.size() - static_cast<size_t>(count)));
}

int CDuiString::Replace(LPCTSTR from, LPCTSTR to) {
  if (!from || !*from) return 0;
  const std::wstring needle(from);
  const std::wstring replacement(to ? to : L"");
  int count = 0;
  size_t pos = 0;
  while ((pos = m_text.find(needle, pos)) != std::wstring::npos) {
    m_text.replace(pos, needle.size(), replacement);
    pos += replacement.size();
    ++count;
  }
  return count;
}

CDuiString& CDuiString::MakeLower() {
  if (!m_text.empty()) CharLowerBuffW(m_text.data(), static_cast<DWORD>(m_text.size()));
  return *this;
}

CDuiString& CDuiString::MakeUpper() {
  if (!m_text.empty()) CharUpperBuffW(m_text.data(), static_cast<DWORD>(m_text.size()));
  return *this;
}

int CDuiString::Format(LPCTSTR format, ...) {
  m_text.clear();
  if (!format) return 0;
  // _vsnwprintf keeps the Windows meaning of "%s" in wide formats (a wide
  // string), which is what every caller writes.
  std::vector<wchar_t> buffer(256);
  for (;;) {
    va_list args;
    va_start(args, format);
    const int written = _vsnwprintf(buffer.data(), buffer.size(), format, args);
    va_end(args);
    if (written >= 0 && static_cast<size_t>(written) < buffer.size()) {
      m_text.assign(buffer.data(), static_cast<size_t>(written));
      break;
    }
    if (buffer.size() >= kMaxFormatLength) {
      m_text.assign(buffer.data(), buffer.size());
      break;
    }
    buffer.resize(std::min(buffer.size() * 4, kMaxFormatLength));
  }
  return GetLength();
}

CDuiString operator+(const CDuiString& left, const CDuiString& right) { return CDuiString(left.str() + right.str()); }
CDuiString operator+(const CDuiString& left, LPCTSTR right) {
  CDuiString result(left);
  result += right;
  return result;
}
CDuiString operator+(LPCTSTR left, const CDuiString& right) {
  CDuiString result(left);
  result += right;
  return result;
}

bool operator==(const CDuiString& left, const CDuiString& right) { return left.str() == right.str(); }
bool operator==(const CDuiString& left, LPCTSTR right) { return left.Compare(right) == 0; }
bool operator==(LPCTSTR left, const CDuiString& right) { return right.Compare(left) == 0; }
bool operator!=(const CDuiString& left, const CDuiString& right) { return !(left == right); }
bool operator!=(const CDuiString& left, LPCTSTR right) { return !(left == right); }
bool operator!=(LPCTSTR left, const CDuiString& right) { return !(left == right); }
bool operator<(const CDuiString& left, const CDuiString& right) { return left.str() < right.str(); }
bool operator<(const CDuiString& left, LPCTSTR right) { return left.Compare(right) < 0; }

}  // namespace DuiLib
