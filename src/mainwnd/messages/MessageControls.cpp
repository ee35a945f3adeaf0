#include "mainwnd/messages/MessageControls.h"

#include <algorithm>
#include <utility>

#include "emoji/EmojiTables.h"
#include "mainwnd/messages/EmojiSplit.h"

namespace mireloomwnd::messagecontrols {

using namespace DuiLib;

namespace {

constexpr int kEmojiSide = 20;
constexpr SIZE kEmojiRound = {3, 3};
constexpr RECT kEmojiPadding = {14, 1, 0, 0};
constexpr int kQuoteBarWidth = 2;
constexpr RECT kQuoteBarPadding = {0, 5, 0, 0};
constexpr RECT kQuotedTextPadding = {10, 3, 0, 0};

CControlUI* AddEmojiPicture(CContainerUI* row, const std::wstring& imageName) {
  auto* picture = new CButtonUI;
  row->Add(picture);
  picture->SetNormalImage(EmojiImagePath(imageName).c_str());
  picture->SetBorderRound(kEmojiRound);
  picture->SetPadding(kEmojiPadding);
  picture->SetFixedWidth(kEmojiSide);
  picture->SetFixedHeight(kEmojiSide);
  picture->SetMouseEnabled(false);
  return picture;
}

}  // namespace

CTextUI* AddPartText(CContainerUI* row, const std::wstring& text) {
  CTextUI* part = AddText(row, kMessageFont, text, kTextPadding);
  part->SetTextColor(kMessageTextColor);
  return part;
}

void LetGrowTall(CControlUI* control) {
  // Far beyond any text a message can hold, and far from overflowing the
  // view's sums of heights.
  constexpr int kTallestItem = 1 << 26;
  control->SetMaxHeight(kTallestItem);
}

void FollowViewWidth(CListContainerElementUI* item, std::function<int(int columnWidth)> heightAt) {
  LetGrowTall(item);
  item->SetHeightRule(
      [heightAt = std::move(heightAt)](int width) { return heightAt(std::max(0, width - kAvatarColumnWidth)); });
}

CTextUI* AddText(CContainerUI* parent, int font, const std::wstring& text, RECT textPadding, bool markup) {
  auto* label = new CTextUI;
  parent->Add(label);
  LetGrowTall(label);
  label->SetFont(font);
  label->SetTextPadding(textPadding);
  label->SetShowHtml(markup);
  label->SetText(text.c_str());
  return label;
}

int EstimatedHeight(CControlUI* control, int width) {
  return control->EstimateSize({width, messageview::kTextAvailableHeight}).cy;
}

CHorizontalLayoutUI* AddRow(CContainerUI* parent) {
  auto* row = new CHorizontalLayoutUI;
  parent->Add(row);
  LetGrowTall(row);
  return row;
}

CVerticalLayoutUI* AddColumn(CContainerUI* parent) {
  auto* column = new CVerticalLayoutUI;
  parent->Add(column);
  LetGrowTall(column);
  return column;
}

CButtonUI* AddBar(CContainerUI* parent, int width, DWORD color, RECT padding) {
  auto* bar = new CButtonUI;
  parent->Add(bar);
  bar->SetFixedWidth(width);
  bar->SetPadding(padding);
  bar->SetBkColor(color);
  bar->SetMouseEnabled(false);
  return bar;
}

QuotedText AddQuotedText(CContainerUI* parent, DWORD barColor, const std::wstring& text) {
  CHorizontalLayoutUI* row = AddRow(parent);
  QuotedText quote;
  quote.bar = AddBar(row, kQuoteBarWidth, barColor, kQuoteBarPadding);
  CVerticalLayoutUI* column = AddColumn(row);
  if (!text.empty()) quote.text = AddText(column, kLinkFont, text, kQuotedTextPadding);
  quote.bar->SetVisible(quote.text != nullptr);
  return quote;
}

int FitQuotedText(const QuotedText& quote, int columnWidth) {
  const int height = quote.text ? EstimatedHeight(quote.text, columnWidth - kQuoteBarWidth) : 0;
  quote.bar->SetFixedHeight(height);
  return height;
}

void FollowText(CListContainerElementUI* item, CTextUI* text) {
  FollowViewWidth(item, [text](int width) { return messageview::SingleTextItemHeight(EstimatedHeight(text, width)); });
}

void FollowBarredText(CListContainerElementUI* item, CTextUI* heading, const QuotedText& quote) {
  FollowViewWidth(item, [heading, quote](int width) {
    return messageview::BarredItemHeight(EstimatedHeight(heading, width), FitQuotedText(quote, width));
  });
}

EmojiRowSize AddEmojiRow(CContainerUI* parent, const messageview::EmojiSplit& split) {
  CHorizontalLayoutUI* row = AddRow(parent);
  EmojiRowSize size;
  size.row = row;
  for (const messageview::EmojiPart& part : split.parts) {
    if (part.IsEmoji()) {
      size.tallest_part = std::max(size.tallest_part, EstimatedHeight(AddEmojiPicture(row, part.image_name)));
      continue;
    }
    // The texts between the pictures keep their own width: the row does not wrap.
    CTextUI* text = AddPartText(row, part.text);
    text->SetAutoCalcWidth(true);
    size.tallest_part = std::max(size.tallest_part, EstimatedHeight(text));
  }
  for (int i = 0; i < row->GetCount(); ++i) {
    CControlUI* part = row->GetItemAt(i);
    const RECT padding = part->GetPadding();
    size.parts_width += part->EstimateSize({0, 0}).cx + padding.left + padding.right;
  }
  if (split.HasTail()) {
    size.tail = AddPartText(row, split.tail);
    size.tail_height = EstimatedHeight(size.tail);
  }
  return size;
}

int EmojiTailHeight(const EmojiRowSize& size, int rowWidth) {
  return size.tail ? EstimatedHeight(size.tail, rowWidth - size.parts_width) : 0;
}

}  // namespace mireloomwnd::messagecontrols
