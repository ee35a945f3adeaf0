#include "mainwnd/messages/EmojiSplit.h"

#include <regex>

#include "emoji/EmojiTables.h"

namespace messageview {

namespace {

const std::wregex& ShortcodePattern() {
  static const std::wregex pattern(L":[a-z0-9_+-]+:", std::regex::ECMAScript | std::regex::optimize);
  return pattern;
}

// Whether the position lies inside the argument of a "{a " tag, which ends at
// its first "}". Link arguments hold no "}" of their own (values are encoded).
bool InsideLinkArgument(const std::wstring& markup, size_t at) {
  const size_t open = markup.rfind(L"{a ", at);
  if (open == std::wstring::npos) return false;
  // Braces pair up as escapes from the left: "{{a " is a brace and text.
  size_t braces = 1;
  while (braces <= open && markup[open - braces] == L'{') ++braces;
  if (braces % 2 == 0) return false;
  const size_t close = markup.find(L'}', open);
  return close == std::wstring::npos || close > at;
}

}  // namespace

EmojiSplit SplitEmoji(const std::wstring& markup) {
  EmojiSplit split;
  size_t rest = 0;  // where the text not yet handed out starts
  const auto end = std::wsregex_iterator();
  for (auto match = std::wsregex_iterator(markup.begin(), markup.end(), ShortcodePattern()); match != end; ++match) {
    const size_t at = static_cast<size_t>(match->position());
    if (InsideLinkArgument(markup, at)) continue;
    if (at > rest) split.parts.push_back(EmojiPart{markup.substr(rest, at - rest), {}});
    const std::wstring token = match->str();
    split.parts.push_back(EmojiPart{token, EmojiImageNameOf(token)});
    rest = at + token.size();
  }
  split.tail = markup.substr(rest);
  return split;
}

}  // namespace messageview
