#include "cef/cef_string.h"

#include <windows.h>

std::string CefString::ToString() const {
  if (m_text.empty()) return {};
  const int size = WideCharToMultiByte(CP_UTF8, 0, m_text.data(), static_cast<int>(m_text.size()), nullptr, 0,
                                       nullptr, nullptr);
  std::string utf8(static_cast<size_t>(size > 0 ? size : 0), '\0');
  if (size > 0) {
    WideCharToMultiByte(CP_UTF8, 0, m_text.data(), static_cast<int>(m_text.size()), utf8.data(), size, nullptr,
                        nullptr);
  }
  return utf8;
}

void CefString::FromString(const std::string& utf8) {
  m_text.clear();
  if (utf8.empty()) return;
  const int size = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  if (size <= 0) return;
  m_text.resize(static_cast<size_t>(size));
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), m_text.data(), size);
}
