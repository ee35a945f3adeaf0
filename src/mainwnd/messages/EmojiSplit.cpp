#include "mainwnd/messages/EmojiSplit.h"

#include "emoji/EmojiTables.h"

namespace messageview {

namespace {

// The characters of a short code between its colons.
bool IsShortcodeChar(wchar_t c) {
  return (c >= L'a' && c <= L'z') || (c >= L'0' && c <= L'9') || c == L'_' || c == L'+' || c == L'-';
}

// The end of a short code that starts with the colon at `colon` (one past its
// closing colon), or npos when none starts there.
size_t ShortcodeEnd(const std::wstring& markup, size_t colon) {
  size_t at = colon + 1;
  while (at < markup.size() && IsShortcodeChar(markup[at])) ++at;
  if (at == colon + 1 || at >= markup.size() || markup[at] != L':') return std::wstring::npos;
  return at + 1;
}

// Where the markup after `at` goes on when a tag or an escape starts there:
// past a doubled brace (an escaped one) or past a link's "{a ...}" argument,
// whose address may hold colons of its own; `at` + 1 otherwise.
size_t SkipMarkup(const std::wstring& markup, size_t at) {
  if (markup.compare(at, 2, L"{{") == 0) return at + 2;
  if (markup.compare(at, 3, L"{a ") != 0) return at + 1;
  const size_t close = markup.find(L'}', at);
  return close == std::wstring::npos ? markup.size() : close + 1;
}

}  // namespace

// One pass from left to right: every character is looked at a bounded number
// of times, whatever the markup holds (a regular expression here recursed
// once per character and overflowed the stack on a long message).
EmojiSplit SplitEmoji(const std::wstring& markup) {
  EmojiSplit split;
  size_t rest = 0;  // where the text not yet handed out starts
  size_t at = 0;
  while (at < markup.size()) {
    if (markup[at] == L'{') {
      at = SkipMarkup(markup, at);
      continue;
    }
    const size_t end = markup[at] == L':' ? ShortcodeEnd(markup, at) : std::wstring::npos;
    if (end == std::wstring::npos) {
      ++at;
      continue;
    }
    if (at > rest) split.parts.push_back(EmojiPart{markup.substr(rest, at - rest), {}});
    std::wstring token = markup.substr(at, end - at);
    std::wstring image = EmojiImageNameOf(token);
    split.parts.push_back(EmojiPart{std::move(token), std::move(image)});
    rest = at = end;
  }
  split.tail = markup.substr(rest);
  return split;
}

}  // namespace messageview
