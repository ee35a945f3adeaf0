#include "mainwnd/MessageControls.h"

#include <algorithm>

#include "mainwnd/EmojiSplit.h"

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
  picture->SetNormalImage((L"emoji/" + imageName + L".png").c_str());
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

CTextUI* AddText(CContainerUI* parent, int font, const std::wstring& text, RECT textPadding, bool markup) {
  auto* label = new CTextUI;
  parent->Add(label);
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
  return row;
}

CVerticalLayoutUI* AddColumn(CContainerUI* parent) {
  auto* column = new CVerticalLayoutUI;
  parent->Add(column);
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

int AddQuotedText(CContainerUI* parent, DWORD barColor, const std::wstring& text) {
  CHorizontalLayoutUI* row = AddRow(parent);
  CButtonUI* bar = AddBar(row, kQuoteBarWidth, barColor, kQuoteBarPadding);
  CVerticalLayoutUI* quote = AddColumn(row);
  const int height = text.empty() ? 0 : EstimatedHeight(AddText(quote, kLinkFont, text, kQuotedTextPadding));
  bar->SetFixedHeight(height);
  bar->SetVisible(height > 0);
  return height;
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
  if (split.HasTail()) size.tail_height = EstimatedHeight(AddPartText(row, split.tail));
  return size;
}

}  // namespace mireloomwnd::messagecontrols
