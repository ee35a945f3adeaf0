#include "mainwnd/messages/MessageMarkup.h"

#include <cstring>
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

// A link's markup up to its display text, which the caller appends escaped
// and follows with kLinkClose.
void AppendLinkOpening(std::wstring& markup, const char* kind, const std::string& value) {
  markup += L"{a x=|";
  markup.append(kind, kind + strlen(kind));
  markup += L'|';
  const std::string safe = SafeLinkValue(value);
  AppendUtf8AsWide(markup, safe.data(), safe.size());
  markup += L"|}";
}
constexpr wchar_t kLinkClose[] = L"{/a}";

// The value a span links to, by its checking type.
const std::string& SpanValue(const mireloom::MessageCheckingResult& span) {
  switch (span.checking_type()) {
    case mireloom::MessageCheckingResult::kUserMention: return span.GetUid();
    case mireloom::MessageCheckingResult::kChannelMention: return span.GetChannelId();
    case mireloom::MessageCheckingResult::kCommand: return span.ExtractDisplayString();
    default: return span.GetLink();
  }
}

// The markup and plain text of a core text, built from left to right: the
// sender's text up to each span, then the span. Pieces are appended in place,
// so a text of tens of thousands of spans makes no temporary for each.
class SpanWriter final {
 public:
  explicit SpanWriter(const std::string& text) : m_text(text) {
    m_result.markup.reserve(text.size());
    m_result.plain.reserve(text.size());
  }

  // Puts the span in place of the first occurrence of its text behind the
  // spans placed so far; a span that does not occur there is skipped. Spans
  // come in text order, so no part of the text is searched twice.
  void Place(const mireloom::MessageCheckingResult& span) {
    const std::string& formatted = span.formatted_str();
    if (formatted.empty()) return;
    const size_t at = m_text.find(formatted, m_done);
    if (at == std::string::npos) return;
    AppendShown(m_text.data() + m_done, at - m_done);
    m_done = at + formatted.size();
    const char* kind = KindWord(span.checking_type());
    if (!kind) {
      // Code spans and the like stay as written.
      AppendShown(formatted.data(), formatted.size());
      return;
    }
    AppendLinkOpening(m_result.markup, kind, SpanValue(span));
    const std::string& display = span.ExtractDisplayString();
    AppendShown(display.data(), display.size());
    m_result.markup += kLinkClose;
  }

  FormattedText Finish(bool has_spans) {
    AppendShown(m_text.data() + m_done, m_text.size() - m_done);
    m_result.has_spans = has_spans;
    return std::move(m_result);
  }

 private:
  // Text shown as it is: into the plain text, and escaped into the markup.
  void AppendShown(const char* utf8, size_t length) {
    const size_t from = m_result.plain.size();
    AppendUtf8AsWide(m_result.plain, utf8, length);
    DuiLib::AppendEscapedMarkup(m_result.markup, m_result.plain.data() + from, m_result.plain.size() - from);
  }

  const std::string& m_text;
  size_t m_done = 0;  // the text before this is written
  FormattedText m_result;
};

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
  if (!word) return {};
  std::wstring markup;
  AppendLinkOpening(markup, word, value);
  markup += EscapeText(Utf8ToWide(text));
  markup += kLinkClose;
  return markup;
}

FormattedText FormatText(const std::string& text) {
  SpanWriter writer(text);
  bool has_spans = false;
  mireloom::MessageFormatter::SharedFormatter()->VisitFormattedMessage(
      text, [&](const mireloom::MessageCheckingResult& span) {
        has_spans = true;
        writer.Place(span);
      });
  return writer.Finish(has_spans);
}

FormattedText FormatSpans(const std::string& text,
                          const std::vector<std::unique_ptr<mireloom::MessageCheckingResult>>& spans) {
  SpanWriter writer(text);
  for (const auto& span : spans) writer.Place(*span);
  return writer.Finish(!spans.empty());
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
