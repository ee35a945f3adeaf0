#pragma once

// How the message view lays items out: which builder shows a content type,
// which controls show a text, how tall items are, and when the view offers
// older messages. Heights of texts are the framework's estimates at the
// width of the item's content column, measured again when the view's width
// changes (cards: at kTextWidth); the caller measures, these functions add up.

#include <cstddef>
#include <cstdint>
#include <string>

namespace messageview {

struct EmojiSplit;

// Messages read from the cache per page, and the newest time stamp asked for
// (the largest 32-bit value, passed as a 64-bit number).
constexpr int kMessagePageSize = 20;
constexpr int64_t kNewestTimestamp = 2147483647;

constexpr int kTextWidth = 570;
constexpr int kTextAvailableHeight = 9999;

// The fixed texts of the view.
constexpr wchar_t kLoadMoreText[] = L"查看更多消息";
constexpr wchar_t kUnsupportedText[] = L"[请在Web上或者手机上查看此消息]";

// The builder of each content type.
enum class MessageBuilder { kText, kNotice, kImage, kFile, kSnippet, kMail, kComment, kAttachment, kUnsupported };
[[nodiscard]] MessageBuilder BuilderForContentType(int content_type);
// Calls the builder of the message's content type on `builders`, which has
// one member per builder: the view fills its pages through it, and the main
// window shows each new message through its own builders. Exactly one runs.
template <class Builders, class Message>
void RouteToBuilder(Builders& builders, const Message& message) {
  switch (BuilderForContentType(message.content_type())) {
    case MessageBuilder::kText: return builders.AddTextMessage(message);
    case MessageBuilder::kNotice: return builders.AddNoticeMessage(message);
    case MessageBuilder::kImage: return builders.AddImageMessage(message);
    case MessageBuilder::kFile: return builders.AddFileMessage(message);
    case MessageBuilder::kSnippet: return builders.AddSnippetMessage(message);
    case MessageBuilder::kMail: return builders.AddMailMessage(message);
    case MessageBuilder::kComment: return builders.AddCommentMessage(message);
    case MessageBuilder::kAttachment: return builders.AddAttachmentMessage(message);
    case MessageBuilder::kUnsupported: return builders.AddUnsupportedMessage(message);
  }
}

// A full page may hide older messages, so exactly `pages` full pages get the
// "load more" button; fewer messages mean the start of the conversation.
[[nodiscard]] bool NeedsLoadMoreButton(size_t received, int pages);

// How a text (a message's, or a card's) is shown:
// - kEmojiRow: at least one short-code match; one row of part controls;
// - kSelectableText: a message without any span, in a read-only rich edit
//   (given the plain text, which holds no markup);
// - kMarkupText: one markup label, links clickable.
// A card's text is never selectable, so it is kMarkupText where a message's
// would be kSelectableText.
enum class TextLayout { kEmojiRow, kSelectableText, kMarkupText };
enum class TextPlace { kMessage, kCard };
[[nodiscard]] TextLayout ChooseTextLayout(const EmojiSplit& split, bool has_spans, TextPlace place);
// Whether the text holds characters beyond the first 65,536 (emoji) or of
// the right-to-left scripts (Hebrew, Arabic and their neighbours), whose
// letters may join: the selectable rich edit under Wine draws those as
// boxes or unjoined, where the markup label shapes them, so such a message
// takes the label.
[[nodiscard]] bool NeedsShapedText(const std::wstring& text);

// A text message: an emoji row is the tail's height + 36, or 56 without a
// tail; a single text is its height + 30.
[[nodiscard]] int EmojiRowItemHeight(bool has_tail, int tail_height);
[[nodiscard]] int SingleTextItemHeight(int text_height);
// An emoji row inside a card is as tall as its tallest control.
[[nodiscard]] int EmojiRowTextHeight(bool has_tail, int tail_height, int tallest_part_height);

// The other kinds, from their measured texts.
[[nodiscard]] int ImageItemHeight(int title_height, int thumbnail_height);
[[nodiscard]] int FileItemHeight(int title_height);  // files and snippets: an 80-pixel icon
// Mail notices and service shares: a heading, then a barred text.
[[nodiscard]] int BarredItemHeight(int heading_height, int body_height);

}  // namespace messageview
