#include "Markup.h"

#include <algorithm>
#include <cwchar>

namespace DuiLib::detail {

namespace {

// Tags other than links hold a few characters; a "{" without a "}" this close
// is text, which keeps the parser linear on text full of braces.
constexpr size_t kMaxShortTag = 40;
constexpr int kMaxSpace = 4096;
constexpr size_t kNone = static_cast<size_t>(-1);

bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t'; }

std::wstring Unescape(const std::wstring& raw) {
  std::wstring out;
  out.reserve(raw.size());
  for (size_t i = 0; i < raw.size(); ++i) {
    out += raw[i];
    if ((raw[i] == L'{' || raw[i] == L'}') && i + 1 < raw.size() && raw[i + 1] == raw[i]) ++i;
  }
  return out;
}

bool ParseHexColor(const std::wstring& text, DWORD* out) {
  size_t begin = 0, end = text.size();
  while (begin < end && IsBlank(text[begin])) ++begin;
  while (end > begin && IsBlank(text[end - 1])) --end;
  if (end - begin != 7 && end - begin != 9) return false;
  if (text[begin] != L'#') return false;
  DWORD value = 0;
  for (size_t i = begin + 1; i < end; ++i) {
    const wchar_t c = text[i];
    DWORD digit;
    if (c >= L'0' && c <= L'9') {
      digit = static_cast<DWORD>(c - L'0');
    } else if (c >= L'a' && c <= L'f') {
      digit = static_cast<DWORD>(c - L'a' + 10);
    } else if (c >= L'A' && c <= L'F') {
      digit = static_cast<DWORD>(c - L'A' + 10);
    } else {
      return false;
    }
    value = (value << 4) | digit;
  }
  *out = (end - begin == 7) ? (0xFF000000 | value) : value;
  return true;
}

bool ParseNumber(const std::wstring& text, int* out) {
  size_t i = 0;
  while (i < text.size() && IsBlank(text[i])) ++i;
  const size_t digits = i;
  long long value = 0;
  while (i < text.size() && text[i] >= L'0' && text[i] <= L'9') {
    value = value * 10 + (text[i] - L'0');
    if (value > 1000000) return false;
    ++i;
  }
  if (i == digits) return false;
  while (i < text.size() && IsBlank(text[i])) ++i;
  if (i != text.size()) return false;
  *out = static_cast<int>(value);
  return true;
}

// A closing tag: "/" + name, then only blanks.
bool IsCloser(const std::wstring& body, wchar_t name) {
  if (body.size() < 2 || body[0] != L'/' || body[1] != name) return false;
  for (size_t i = 2; i < body.size(); ++i) {
    if (!IsBlank(body[i])) return false;
  }
  return true;
}

class Parser final {
 public:
  explicit Parser(const std::wstring& text) : m_text(text) {}

  MarkupDocument Run() {
    const size_t n = m_text.size();
    size_t i = 0;
    while (i < n) {
      const wchar_t c = m_text[i];
      if (c == L'{') {
        if (i + 1 < n && m_text[i + 1] == L'{') {
          m_pending += L'{';
          i += 2;
          continue;
        }
        const size_t after = TryTag(i);
        if (after != kNone) {
          i = after;
          continue;
        }
        m_pending += L'{';
        ++i;
      } else if (c == L'}') {
        // "}}" is an escape; a stray "}" is shown as it is.
        m_pending += L'}';
        i += (i + 1 < n && m_text[i + 1] == L'}') ? 2 : 1;
      } else if (c == L'\r' || c == L'\n') {
        i += (c == L'\r' && i + 1 < n && m_text[i + 1] == L'\n') ? 2 : 1;
        AddBreak();
      } else {
        m_pending += c;
        ++i;
      }
    }
    Flush();
    return std::move(m_doc);
  }

 private:
  struct ColorEntry {
    DWORD color;
    int link;  // the link open when the colour was set
  };

  MarkupStyle Current() const {
    MarkupStyle style;
    if (!m_colors.empty()) {
      style.color = m_colors.back().color;
      style.colorInsideLink = m_link >= 0 && m_colors.back().link == m_link;
    }
    if (!m_fonts.empty()) style.font = m_fonts.back();
    style.bold = m_bold > 0;
    style.italic = m_italic > 0;
    style.underline = m_underline > 0;
    style.link = m_link;
    return style;
  }

  void Flush() {
    if (m_pending.empty()) return;
    MarkupRun run;
    run.text = std::move(m_pending);
    run.style = Current();
    m_doc.plain += run.text;
    m_doc.runs.push_back(std::move(run));
    m_pending.clear();
  }

  void AddBreak() {
    Flush();
    MarkupRun run;
    run.kind = MarkupRun::Kind::LineBreak;
    run.style = Current();
    m_doc.runs.push_back(std::move(run));
    m_doc.plain += L'\n';
  }

  void OpenLink(std::wstring content) {
    // Links do not nest: a new one closes the open one.
    Flush();
    m_link = static_cast<int>(m_doc.links.size());
    m_doc.links.emplace_back(std::move(content));
  }

  // Where the argument of a link starting at the position ends: at the first
  // group of "}" of odd length. Its first brace closes the argument and the
  // pairs after it are escapes of the text that follows, since arguments the
  // client writes end with "|" while a display text may start with "}".
  size_t CloseOfArgument(size_t from) {
    if (m_closeFrom.empty()) {
      const size_t n = m_text.size();
      m_closeFrom.assign(n + 1, kNone);
      size_t groupEnd = n;
      for (size_t i = n; i-- > 0;) {
        if (m_text[i] != L'}') {
          m_closeFrom[i] = m_closeFrom[i + 1];
          continue;
        }
        if (i + 1 >= n || m_text[i + 1] != L'}') groupEnd = i + 1;
        m_closeFrom[i] = ((groupEnd - i) % 2 == 1) ? i : m_closeFrom[groupEnd];
      }
    }
    return m_closeFrom[from];
  }

  // The position after a valid tag at i ("{" there), or kNone for text.
  size_t TryTag(size_t i) {
    const size_t n = m_text.size();
    if (i + 2 < n && m_text[i + 1] == L'a' && m_text[i + 2] == L' ') {
      const size_t close = CloseOfArgument(i + 3);
      if (close == kNone) return kNone;
      OpenLink(Unescape(m_text.substr(i + 3, close - (i + 3))));
      return close + 1;
    }
    size_t end = i + 1;
    while (end < n && end - i <= kMaxShortTag && m_text[end] != L'}' && m_text[end] != L'{') ++end;
    if (end >= n || m_text[end] != L'}') return kNone;
    return ApplyShortTag(m_text.substr(i + 1, end - i - 1)) ? end + 1 : kNone;
  }

  bool ApplyShortTag(const std::wstring& body) {
    DWORD color;
    int number;
    if (body == L"a") {
      OpenLink(std::wstring());
    } else if (IsCloser(body, L'a')) {
      // A stray closer is ignored.
      if (m_link >= 0) {
        Flush();
        m_link = -1;
      }
    } else if (body.size() > 2 && body[0] == L'c' && body[1] == L' ' && ParseHexColor(body.substr(2), &color)) {
      Flush();
      m_colors.push_back(ColorEntry{color, m_link});
    } else if (IsCloser(body, L'c')) {
      Flush();
      if (!m_colors.empty()) m_colors.pop_back();
    } else if (body.size() > 2 && body[0] == L'f' && body[1] == L' ' && ParseNumber(body.substr(2), &number)) {
      Flush();
      m_fonts.push_back(number);
    } else if (IsCloser(body, L'f')) {
      Flush();
      if (!m_fonts.empty()) m_fonts.pop_back();
    } else if (body.size() > 2 && body[0] == L'x' && body[1] == L' ' && ParseNumber(body.substr(2), &number)) {
      Flush();
      MarkupRun run;
      run.kind = MarkupRun::Kind::Space;
      run.space = std::min(number, kMaxSpace);
      run.style = Current();
      m_doc.runs.push_back(std::move(run));
    } else if (body == L"n") {
      AddBreak();
    } else if (body == L"b" || body == L"i" || body == L"u") {
      Flush();
      ++Counter(body[0]);
    } else if (IsCloser(body, L'b') || IsCloser(body, L'i') || IsCloser(body, L'u')) {
      Flush();
      int& counter = Counter(body[1]);
      if (counter > 0) --counter;
    } else {
      return false;
    }
    return true;
  }

  int& Counter(wchar_t name) { return name == L'b' ? m_bold : name == L'i' ? m_italic : m_underline; }

  const std::wstring& m_text;
  MarkupDocument m_doc;
  std::wstring m_pending;
  std::vector<ColorEntry> m_colors;
  std::vector<int> m_fonts;
  std::vector<size_t> m_closeFrom;
  int m_bold = 0;
  int m_italic = 0;
  int m_underline = 0;
  int m_link = -1;
};

}  // namespace

MarkupDocument ParseMarkup(const std::wstring& text) { return Parser(text).Run(); }

}  // namespace DuiLib::detail
