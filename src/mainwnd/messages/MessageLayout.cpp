#include "mainwnd/messages/MessageLayout.h"

#include <algorithm>

#include "mainwnd/messages/EmojiSplit.h"
#include "mireloom/Message.h"

namespace messageview {

namespace {

using mireloom::Message;

// What the sender line, margins and the icon add around the content.
constexpr int kTextItemExtra = 30;
constexpr int kEmojiRowExtra = 36;
constexpr int kLoneEmojiItemHeight = 56;
constexpr int kImageItemExtra = 36;
constexpr int kFileItemExtra = 110;
constexpr int kBarredItemExtra = 50;

}  // namespace

MessageBuilder BuilderForContentType(int content_type) {
  switch (content_type) {
    case Message::kText:
    case Message::kRobotText: return MessageBuilder::kText;
    case Message::kNotice: return MessageBuilder::kNotice;
    case Message::kImageShare: return MessageBuilder::kImage;
    case Message::kFileShare:
    case Message::kDocumentShare: return MessageBuilder::kFile;
    case Message::kSnippetShare: return MessageBuilder::kSnippet;
    case Message::kMailNotice: return MessageBuilder::kMail;
    case Message::kFileComment: return MessageBuilder::kComment;
    case Message::kServiceCard:
    case Message::kTaskCard:
    case Message::kCalendarCard:
    case Message::kDriveCard:
    case Message::kReportCard:
    case Message::kPhoneCard:
    case Message::kCrmCard:
    case Message::kApprovalCard: return MessageBuilder::kAttachment;
    default: return MessageBuilder::kUnsupported;
  }
}

bool NeedsLoadMoreButton(size_t received, int pages) {
  return pages > 0 && received == static_cast<size_t>(kMessagePageSize) * static_cast<size_t>(pages);
}

TextLayout ChooseTextLayout(const EmojiSplit& split, bool has_spans, TextPlace place) {
  if (split.HasMatch()) return TextLayout::kEmojiRow;
  if (place == TextPlace::kMessage && !has_spans) return TextLayout::kSelectableText;
  return TextLayout::kMarkupText;
}

bool NeedsShapedText(const std::wstring& text) {
  return std::any_of(text.begin(), text.end(), [](wchar_t c) {
    const bool rightToLeft = (c >= 0x0590 && c <= 0x08FF) || (c >= 0xFB1D && c <= 0xFDFF) || (c >= 0xFE70 && c <= 0xFEFF);
    const bool beyondFirstPlane = c >= 0xD800 && c <= 0xDBFF;
    return rightToLeft || beyondFirstPlane;
  });
}

int EmojiRowItemHeight(bool has_tail, int tail_height) {
  return has_tail ? tail_height + kEmojiRowExtra : kLoneEmojiItemHeight;
}

int SingleTextItemHeight(int text_height) { return text_height + kTextItemExtra; }

int EmojiRowTextHeight(bool has_tail, int tail_height, int tallest_part_height) {
  return std::max(has_tail ? tail_height : 0, tallest_part_height);
}

int ImageItemHeight(int title_height, int thumbnail_height) {
  return title_height + thumbnail_height + kImageItemExtra;
}

int FileItemHeight(int title_height) { return title_height + kFileItemExtra; }

int BarredItemHeight(int heading_height, int body_height) {
  return heading_height + kBarredItemExtra + body_height;
}

}  // namespace messageview
