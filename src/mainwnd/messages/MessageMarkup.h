#pragma once

// Message texts in the window framework's label markup. A core text is in the
// service's formatted syntax, whose spans ("[url|text]", "[@uid|name]",
// "`code`", ...) the core's formatter finds; here it becomes markup in which
// links, mentions and commands are "{a}" links:
//   "{a x=|" + kind + "|" + value + "|}" + display text + "{/a}"
// Everything a sender wrote is escaped, so no text can forge markup, and
// escaped text looks exactly like the text itself.

#include <memory>
#include <string>
#include <vector>

namespace mireloom {
class MessageCheckingResult;
}

namespace messageview {

// Link kinds, as the link text names them ("link", "user", "channel",
// "command"); kOther is any link text that is none of them.
enum LinkKind : int { kLinkAddress = 0, kLinkUser = 1, kLinkChannel = 2, kLinkCommand = 3, kLinkOther = 6 };

// Text shown as it is inside markup ("{" and "}" doubled).
[[nodiscard]] std::wstring EscapeText(const std::wstring& text);
// A link value the click reader gets back whole: "|" (its separator), "{"
// and "}" are percent-encoded, which leaves addresses meaning the same.
[[nodiscard]] std::string SafeLinkValue(const std::string& value);

// The link of a value and a display text (both UTF-8) for kinds 0 to 3;
// "" for any other kind.
[[nodiscard]] std::wstring MakeLinkMarkup(const std::string& value, const std::string& text, int kind);

// A core text converted to markup. `plain` is the same text as it shows,
// without markup: the display texts in place of the spans, nothing escaped
// (what a plain rich edit shows). `has_spans` tells whether the formatter
// found any span at all, a code span included.
struct FormattedText {
  std::wstring markup;
  std::wstring plain;
  bool has_spans = false;
};
[[nodiscard]] FormattedText FormatText(const std::string& text);
// The same with the spans given, in text order. Each replaces the first
// occurrence of its text behind the span before it; one that does not occur
// there is skipped. Linear in the text's length.
[[nodiscard]] FormattedText FormatSpans(const std::string& text,
                                        const std::vector<std::unique_ptr<mireloom::MessageCheckingResult>>& spans);

// FormatText's markup, and its plain text when asked.
[[nodiscard]] std::wstring FormatMessageText(const std::string& text, std::wstring* plain = nullptr);

// Reads the text of a clicked link ("x=|kind|value|"): the kind, and its
// value when asked. A text without a kind and a value gives kLinkOther and
// an empty value.
[[nodiscard]] int ReadMessageLink(const std::wstring& link_text, std::wstring* value = nullptr);

}  // namespace messageview
