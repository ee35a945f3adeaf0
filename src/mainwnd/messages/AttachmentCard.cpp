#include "mainwnd/messages/AttachmentCard.h"

#include <algorithm>
#include <sstream>

#include "app/text/TextHelpers.h"
#include "mainwnd/messages/MessageMarkup.h"
#include "mireloom/Message.h"

namespace messageview {

namespace {

constexpr char kDefaultCardColor[] = "#a5d8f5";
constexpr int kFullFieldWidth = 570;
constexpr int kHalfFieldWidth = 285;
constexpr int kCardItemExtra = 50;

}  // namespace

uint32_t ParseHexColor(const std::string& text) {
  std::istringstream stream(text);
  uint32_t value = 0;
  stream >> std::hex >> value;
  // A number followed by anything but blanks is no colour either.
  if (stream.fail() || !(stream >> std::ws).eof()) return 0;
  return value;
}

uint32_t CardBarColor(const std::string& color) {
  const std::string text = color.empty() ? kDefaultCardColor : color;
  // The first character (the "#") becomes an opaque alpha.
  return ParseHexColor("0xFF" + text.substr(1));
}

std::string CardTitlePrefix(int content_type) {
  switch (content_type) {
    case mireloom::Message::kTaskCard: return "tasks_";
    case mireloom::Message::kCalendarCard: return "calendar/events_";
    case mireloom::Message::kDriveCard: return "drive/files_";
    case mireloom::Message::kReportCard: return "report_";
    case mireloom::Message::kPhoneCard: return "phone_";
    case mireloom::Message::kCrmCard: return "crm_";
    case mireloom::Message::kApprovalCard: return "approval_";
    default: return {};
  }
}

CardTexts DescribeCard(const mireloom::Attachment* attachment, int content_type) {
  CardTexts card;
  card.bar_color = CardBarColor(attachment ? attachment->color() : std::string());
  if (!attachment) return card;
  card.pretext = FormatMessageText(attachment->pretext());
  if (!attachment->title().empty()) {
    card.title = MakeLinkMarkup(attachment->title_link(), attachment->title(), kLinkAddress);
    card.title_name = Utf8ToWide(CardTitlePrefix(content_type) + attachment->title_link());
  }
  if (!attachment->author_name().empty()) {
    card.author = MakeLinkMarkup(attachment->author_link(), attachment->author_name(), kLinkAddress);
  }
  if (!attachment->text().empty()) card.text = FormatMessageText(attachment->text());
  card.fields = attachment->fields();
  return card;
}

std::vector<FieldPair> PairFields(const std::vector<mireloom::Attachment::Field>& fields) {
  std::vector<FieldPair> pairs;
  for (size_t i = 0; i < fields.size(); i += 2) {
    FieldPair pair;
    pair.first = i;
    if (i + 1 < fields.size()) pair.second = i + 1;
    pair.side_by_side = fields[i].is_short;
    pairs.push_back(pair);
  }
  return pairs;
}

FieldTexts DescribeField(const mireloom::Attachment::Field& field) {
  return FieldTexts{EscapeText(Utf8ToWide(field.title)), FormatMessageText(field.value),
                    field.is_short ? kHalfFieldWidth : kFullFieldWidth};
}

int FieldPairHeight(const FieldPair& pair, int first_height, int second_height) {
  const int second = pair.second ? second_height : 0;
  return pair.side_by_side ? std::max(first_height, second) : first_height + second;
}

CardHeights CardHeightsOf(int pretext, int title, int author, int text, int fields) {
  CardHeights heights;
  heights.bar = title + author + text + fields;
  heights.item = pretext + kCardItemExtra + heights.bar;
  return heights;
}

}  // namespace messageview
