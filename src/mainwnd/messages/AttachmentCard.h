#pragma once

// The card of a service message (task, event, file, report, call, customer,
// approval): its texts as markup, its colour, the name that makes its title
// open the module page, and how its fields pair up and add up in height.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "mireloom/Attachment.h"

namespace messageview {

// A colour text read as a hexadecimal number ("0x" accepted); 0 when it
// cannot be read.
[[nodiscard]] uint32_t ParseHexColor(const std::string& text);

// The bar's opaque colour: the card's "#RRGGBB", or "#a5d8f5" when it has none.
[[nodiscard]] uint32_t CardBarColor(const std::string& color);

// What the title's control name starts with, by content type ("tasks_" for
// tasks, "calendar/events_" for events, ...); "" for other cards.
[[nodiscard]] std::string CardTitlePrefix(int content_type);

// The card's texts as markup. Without an attachment every text is empty and
// the card shows as an empty line and an empty bar.
struct CardTexts {
  std::wstring pretext;
  uint32_t bar_color = 0;
  std::wstring title;       // a link to the title link; "" without a title
  std::wstring title_name;  // name and user data of the title control
  std::wstring author;      // a link to the author link; "" without an author
  std::wstring text;        // markup of the card's text, for the emoji split
  std::vector<mireloom::Attachment::Field> fields;
};
[[nodiscard]] CardTexts DescribeCard(const mireloom::Attachment* attachment, int content_type);

// Fields are shown two at a time; a pair is side by side when its first
// field is half width, else the two are stacked. Only the first one's flag
// decides.
struct FieldPair {
  size_t first = 0;
  std::optional<size_t> second;
  bool side_by_side = false;
};
[[nodiscard]] std::vector<FieldPair> PairFields(const std::vector<mireloom::Attachment::Field>& fields);
// A field's label (plain text, escaped) and value (formatted text) as markup,
// and the width both are measured at: half for a half-width field.
struct FieldTexts {
  std::wstring label;
  std::wstring value;
  int width = 0;
};
[[nodiscard]] FieldTexts DescribeField(const mireloom::Attachment::Field& field);
// A field is its label's and its value's height; a pair the taller of its two
// (side by side) or both (stacked); a missing second half is 0.
[[nodiscard]] int FieldPairHeight(const FieldPair& pair, int first_height, int second_height);

struct CardHeights {
  int bar = 0;
  int item = 0;
};
// From the measured heights of pretext, title, author, text and all field
// pairs (0 for what the card lacks).
[[nodiscard]] CardHeights CardHeightsOf(int pretext, int title, int author, int text, int fields);

}  // namespace messageview
