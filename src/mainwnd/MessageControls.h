#pragma once

// The controls message items are built of: texts measured in the window's
// fonts, rows, columns, colour bars and the row of an emoji split. Each is
// added to its parent at once, so that it measures with the parent's
// manager and belongs to the parent from the start.

#include <windows.h>

#include <string>

#include "duilib/UIlib.h"
#include "mainwnd/MessageLayout.h"

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
// mail notices quote what they hold; the text's height. An empty text adds
// no text and hides the bar: a bar of height 0 would fill its row.
int AddQuotedText(DuiLib::CContainerUI* parent, DWORD barColor, const std::wstring& text);

// The parts of an emoji split in one row, left to right, and the tail after
// them: pictures for the emoji, texts for the rest.
struct EmojiRowSize {
  DuiLib::CHorizontalLayoutUI* row = nullptr;
  int tail_height = 0;   // 0 without a tail
  int tallest_part = 0;  // the tallest of the parts before the tail
};
EmojiRowSize AddEmojiRow(DuiLib::CContainerUI* parent, const messageview::EmojiSplit& split);

}  // namespace mireloomwnd::messagecontrols
