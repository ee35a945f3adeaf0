#include "mainwnd/messages/MessageMarkup.h"

#include <memory>
#include <vector>

#include "app/text/TextHelpers.h"
#include "duilib/Utils.h"
#include "mireloom/MessageFormatter.h"

namespace messageview {

namespace {

const char* KindWord(int kind) {
  switch (kind) {
    case kLinkAddress: return "link";
    case kLinkUser: return "user";
    case kLinkChannel: return "channel";
    case kLinkCommand: return "command";
    default: return nullptr;
  }
}

std::wstring LinkOf(const char* kind, const std::string& value, const std::wstring& display_markup) {
  return L"{a x=|" + Utf8ToWide(kind) + L"|" + Utf8ToWide(SafeLinkValue(value)) + L"|}" + display_markup + L"{/a}";
}

// The value a span links to, by its checking type.
const std::string& SpanValue(const mireloom::MessageCheckingResult& span) {
  switch (span.checking_type()) {
    case mireloom::MessageCheckingResult::kUserMention: return span.GetUid();
    case mireloom::MessageCheckingResult::kChannelMention: return span.GetChannelId();
    case mireloom::MessageCheckingResult::kCommand: return span.ExtractDisplayString();
    default: return span.GetLink();
  }
}

// The text while spans are put in: runs still as the sender wrote them and
// runs already placed (spans). A span is only searched for in the former,
// so a later span never lands inside an earlier one.
struct Segment {
  bool placed = false;  // a span, shown by its markup
  std::string raw;      // the sender's text not yet placed
  std::wstring markup;  // the markup of a placed span
  std::string display;  // what that span shows
};

// Replaces the first occurrence of `formatted` not yet placed.
// False when there is none: the span cannot be placed and is skipped.
bool PlaceSpan(std::vector<Segment>& segments, const std::string& formatted, std::wstring markup,
               const std::string& display) {
  if (formatted.empty()) return false;
  for (size_t i = 0; i < segments.size(); ++i) {
    if (segments[i].placed) continue;
    const size_t at = segments[i].raw.find(formatted);
    if (at == std::string::npos) continue;
    Segment before{false, segments[i].raw.substr(0, at), {}, {}};
    Segment span{true, {}, std::move(markup), display};
    Segment after{false, segments[i].raw.substr(at + formatted.size()), {}, {}};
    segments[i] = std::move(before);
    segments.insert(segments.begin() + static_cast<std::ptrdiff_t>(i) + 1, {std::move(span), std::move(after)});
    return true;
  }
  return false;
}

}  // namespace

std::wstring EscapeText(const std::wstring& text) {
  return DuiLib::EscapeMarkup(text.c_str()).GetData();
}

std::string SafeLinkValue(const std::string& value) {
  std::string safe;
  safe.reserve(value.size());
  for (char c : value) {
    if (c == '|') {
      safe += "%7C";
    } else if (c == '{') {
      safe += "%7B";
    } else if (c == '}') {
      safe += "%7D";
    } else {
      safe += c;
    }
  }
  return safe;
}

std::wstring MakeLinkMarkup(const std::string& value, const std::string& text, int kind) {
  const char* word = KindWord(kind);
  return word ? LinkOf(word, value, EscapeText(Utf8ToWide(text))) : std::wstring();
}

FormattedText FormatText(const std::string& text) {
  return FormatSpans(text, mireloom::MessageFormatter::SharedFormatter()->ReadFormattedMessage(text));
}

FormattedText FormatSpans(const std::string& text,
                          const std::vector<std::unique_ptr<mireloom::MessageCheckingResult>>& spans) {
  std::vector<Segment> segments{Segment{false, text, {}, {}}};
  for (const auto& span : spans) {
    const int kind = span->checking_type();
    const std::string& formatted = span->formatted_str();
    if (KindWord(kind)) {
      const std::string& display = span->ExtractDisplayString();
      PlaceSpan(segments, formatted, MakeLinkMarkup(SpanValue(*span), display, kind), display);
    } else {
      // Code spans and the like stay as written, but are taken out of the
      // search so that a later span is not found inside them.
      PlaceSpan(segments, formatted, EscapeText(Utf8ToWide(formatted)), formatted);
    }
  }
  FormattedText result;
  result.has_spans = !spans.empty();
  for (const Segment& segment : segments) {
    if (segment.placed) {
      result.markup += segment.markup;
      result.plain += Utf8ToWide(segment.display);
    } else {
      const std::wstring wide = Utf8ToWide(segment.raw);
      result.markup += EscapeText(wide);
      result.plain += wide;
    }
  }
  return result;
}

std::wstring FormatMessageText(const std::string& text, std::wstring* plain) {
  FormattedText formatted = FormatText(text);
  if (plain) *plain = std::move(formatted.plain);
  return std::move(formatted.markup);
}

int ReadMessageLink(const std::wstring& link_text, std::wstring* value) {
  const std::vector<std::string> parts = SplitString(WideToUtf8(link_text), "|");
  // "x=", the kind and the value; anything shorter names no link.
  if (parts.size() < 3) {
    if (value) value->clear();
    return kLinkOther;
  }
  if (value) *value = Utf8ToWide(parts[2]);
  for (int kind : {kLinkAddress, kLinkUser, kLinkChannel, kLinkCommand}) {
    if (parts[1] == KindWord(kind)) return kind;
  }
  return kLinkOther;
}

}  // namespace messageview
