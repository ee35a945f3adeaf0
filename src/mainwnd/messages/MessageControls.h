#pragma once

// The controls message items are built of: texts measured in the window's
// fonts, rows, columns, colour bars and the row of an emoji split. Each is
// added to its parent at once, so that it measures with the parent's
// manager and belongs to the parent from the start.

#include <windows.h>

#include <functional>
#include <string>

#include "duilib/UIlib.h"
#include "mainwnd/messages/MessageLayout.h"

namespace messageview {
struct EmojiSplit;
}

namespace mireloomwnd::messagecontrols {

// Fonts of the window's skin.
constexpr int kLinkFont = 1;
constexpr int kSenderFont = 4;
constexpr int kMessageFont = 5;
constexpr DWORD kMessageTextColor = 0xFF262626;
// Every text of a message item starts this far in from its column.
constexpr RECT kTextPadding = {14, 0, 0, 0};
// Every item starts with the sender's avatar; the content column beside it
// takes the rest of the width the view gives the item.
constexpr int kAvatarSide = 36;
constexpr RECT kAvatarPadding = {26, 6, 0, 0};
constexpr int kAvatarColumnWidth = kAvatarPadding.left + kAvatarSide + kAvatarPadding.right;

// A text of thousands of lines makes an item far taller than the
// framework's default limit of 9999 pixels, so the item and every control
// that holds its texts may grow as tall as the text is.
void LetGrowTall(DuiLib::CControlUI* control);
// Makes the item as tall as `heightAt` says for the width of its content
// column: the view's width now, and again whenever that width changes.
void FollowViewWidth(DuiLib::CListContainerElementUI* item, std::function<int(int columnWidth)> heightAt);

// A message's markup in the message font and colour.
DuiLib::CTextUI* AddPartText(DuiLib::CContainerUI* row, const std::wstring& text);
// A wrapping text; with markup its links are clickable.
DuiLib::CTextUI* AddText(DuiLib::CContainerUI* parent, int font, const std::wstring& text, RECT textPadding,
                         bool markup = true);
// The height the control takes at the view's text width (or `width`).
[[nodiscard]] int EstimatedHeight(DuiLib::CControlUI* control, int width = messageview::kTextWidth);

DuiLib::CHorizontalLayoutUI* AddRow(DuiLib::CContainerUI* parent);
DuiLib::CVerticalLayoutUI* AddColumn(DuiLib::CContainerUI* parent);
// The coloured bar at the left of a card or a quoted text.
DuiLib::CButtonUI* AddBar(DuiLib::CContainerUI* parent, int width, DWORD color, RECT padding);

// A text beside a narrow coloured bar of the text's height, as shares and
// mail notices quote what they hold. An empty text adds no text and hides
// the bar: a bar of height 0 would fill its row.
struct QuotedText {
  DuiLib::CButtonUI* bar = nullptr;
  DuiLib::CTextUI* text = nullptr;  // null for an empty text
};
QuotedText AddQuotedText(DuiLib::CContainerUI* parent, DWORD barColor, const std::wstring& text);
// The quoted text's height in a column of this width (0 without a text);
// its bar is made as tall.
int FitQuotedText(const QuotedText& quote, int columnWidth);

// Items of one text, and of a heading over a quoted text, follow the view's
// width with the heights of their kinds.
void FollowText(DuiLib::CListContainerElementUI* item, DuiLib::CTextUI* text);
void FollowBarredText(DuiLib::CListContainerElementUI* item, DuiLib::CTextUI* heading, const QuotedText& quote);

// The parts of an emoji split in one row, left to right, and the tail after
// them: pictures for the emoji, texts for the rest.
struct EmojiRowSize {
  DuiLib::CHorizontalLayoutUI* row = nullptr;
  int tail_height = 0;   // at the view's text width; 0 without a tail
  int tallest_part = 0;  // the tallest of the parts before the tail
  DuiLib::CTextUI* tail = nullptr;
  int parts_width = 0;  // what the parts before the tail take of the row
};
EmojiRowSize AddEmojiRow(DuiLib::CContainerUI* parent, const messageview::EmojiSplit& split);
// The tail's height in a row of this width; 0 without a tail.
[[nodiscard]] int EmojiTailHeight(const EmojiRowSize& size, int rowWidth);

}  // namespace mireloomwnd::messagecontrols
