#pragma once

// Text handed across the browser layer: UTF-16, built from wide text or from
// UTF-8.

#include <string>

class CefString final {
 public:
  CefString() = default;
  CefString(const wchar_t* text) : m_text(text ? text : L"") {}
  CefString(std::wstring text) : m_text(std::move(text)) {}
  CefString(const char* utf8) { FromString(utf8 ? std::string(utf8) : std::string()); }
  CefString(const std::string& utf8) { FromString(utf8); }

  [[nodiscard]] const std::wstring& ToWString() const { return m_text; }
  [[nodiscard]] std::string ToString() const;
  void FromWString(const std::wstring& text) { m_text = text; }
  void FromString(const std::string& utf8);

  [[nodiscard]] const wchar_t* c_str() const { return m_text.c_str(); }
  [[nodiscard]] size_t length() const { return m_text.length(); }
  [[nodiscard]] bool empty() const { return m_text.empty(); }

  friend bool operator==(const CefString& a, const CefString& b) { return a.m_text == b.m_text; }
  friend bool operator!=(const CefString& a, const CefString& b) { return a.m_text != b.m_text; }
  friend bool operator<(const CefString& a, const CefString& b) { return a.m_text < b.m_text; }

 private:
  std::wstring m_text;
};
