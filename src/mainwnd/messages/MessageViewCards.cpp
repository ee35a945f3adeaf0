// The card a service message carries: a line above it, a coloured bar, the
// linked title and author, the text and the labelled fields, two at a time.

#include "mainwnd/messages/MessageView.h"

#include "mainwnd/messages/AttachmentCard.h"
#include "mainwnd/messages/EmojiSplit.h"
#include "mainwnd/messages/MessageControls.h"
#include "mainwnd/messages/MessageLayout.h"

namespace mireloomwnd {

using namespace DuiLib;
using namespace messagecontrols;

namespace {

constexpr RECT kPretextPadding = {14, 3, 0, 0};
constexpr RECT kBarPadding = {14, 5, 0, 0};
constexpr int kBarWidth = 4;
constexpr RECT kHeadingPadding = {5, 3, 0, 0};
constexpr RECT kCardTextPadding = {10, 3, 0, 0};
constexpr RECT kFieldLabelPadding = {10, 5, 0, 0};
constexpr RECT kFieldLabelMargin = {0, 5, 0, 0};
constexpr RECT kFieldValuePadding = {10, 3, 0, 0};
constexpr DWORD kFieldLabelColor = 0xFFB2B2B2;

// The card's text as a row of texts and pictures or as one label; its height.
int AddCardText(CContainerUI* card, const std::wstring& markup) {
  if (markup.empty()) return 0;
  const messageview::EmojiSplit split = messageview::SplitEmoji(markup);
  if (messageview::ChooseTextLayout(split, true, messageview::TextPlace::kCard) == messageview::TextLayout::kEmojiRow) {
    const EmojiRowSize size = AddEmojiRow(card, split);
    const int height = messageview::EmojiRowTextHeight(split.HasTail(), size.tail_height, size.tallest_part);
    // Fixed: the fields below it keep their place.
    size.row->SetFixedHeight(height);
    return height;
  }
  return EstimatedHeight(AddText(card, kLinkFont, markup, kCardTextPadding));
}

}  // namespace

void CMessageView::AddAttachmentMessage(const mireloom::Message& message) {
  const std::unique_ptr<mireloom::Attachment> attachment = message.GetAttachment();
  CListContainerElementUI* item = nullptr;
  CVerticalLayoutUI* column = AppendMessageItem(message, &item);
  if (!column) return;
  const messageview::CardTexts card = messageview::DescribeCard(attachment.get(), message.content_type());
  const int pretextHeight = EstimatedHeight(AddText(column, kMessageFont, card.pretext, kPretextPadding));
  CHorizontalLayoutUI* row = AddRow(column);
  CButtonUI* bar = AddBar(row, kBarWidth, card.bar_color, kBarPadding);
  CVerticalLayoutUI* cardColumn = AddColumn(row);

  int titleHeight = 0;
  if (!card.title.empty()) {
    CTextUI* title = AddText(cardColumn, kLinkFont, card.title, kHeadingPadding);
    // The name lets a click on a module's card open that module's page.
    title->SetName(card.title_name.c_str());
    title->SetUserData(card.title_name.c_str());
    titleHeight = EstimatedHeight(title);
  }
  const int authorHeight =
      card.author.empty() ? 0 : EstimatedHeight(AddText(cardColumn, kLinkFont, card.author, kHeadingPadding));
  const int textHeight = AddCardText(cardColumn, card.text);

  int fieldsHeight = 0;
  for (const messageview::FieldPair& pair : messageview::PairFields(card.fields)) {
    CContainerUI* pairBox = pair.side_by_side ? static_cast<CContainerUI*>(AddRow(cardColumn)) : AddColumn(cardColumn);
    CVerticalLayoutUI* first = AddColumn(pairBox);
    CVerticalLayoutUI* second = AddColumn(pairBox);
    int firstHeight = 0;
    int secondHeight = 0;
    AddAttachmentField(first, card.fields[pair.first], &firstHeight);
    if (pair.second) AddAttachmentField(second, card.fields[*pair.second], &secondHeight);
    const int pairHeight = messageview::FieldPairHeight(pair, firstHeight, secondHeight);
    fieldsHeight += pairHeight;
    // Fixed to what was measured, with the label's margin, so that stacked
    // halves do not share the box evenly.
    first->SetFixedHeight(firstHeight + kFieldLabelMargin.top);
    second->SetFixedHeight(secondHeight + kFieldLabelMargin.top);
    second->SetVisible(pair.second.has_value());
    pairBox->SetFixedHeight(
        messageview::FieldPairHeight(pair, firstHeight + kFieldLabelMargin.top, secondHeight + kFieldLabelMargin.top));
  }

  const messageview::CardHeights heights =
      messageview::CardHeightsOf(pretextHeight, titleHeight, authorHeight, textHeight, fieldsHeight);
  // A height of 0 would let the bar fill the row: an empty card has none.
  bar->SetFixedHeight(heights.bar);
  bar->SetVisible(heights.bar > 0);
  item->SetFixedHeight(heights.item);
}

void CMessageView::AddAttachmentField(CContainerUI* container, const mireloom::Attachment::Field& field,
                                      int* height) {
  const messageview::FieldTexts texts = messageview::DescribeField(field);
  CTextUI* label = AddText(container, kLinkFont, texts.label, kFieldLabelPadding);
  label->SetPadding(kFieldLabelMargin);
  label->SetTextColor(kFieldLabelColor);
  CTextUI* value = AddText(container, kLinkFont, texts.value, kFieldValuePadding);
  if (height) *height = EstimatedHeight(label, texts.width) + EstimatedHeight(value, texts.width);
}

}  // namespace mireloomwnd
