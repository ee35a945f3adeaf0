// Text messages: plain text in a selectable read-only rich edit, text with
// links as one markup label, text with emoji short codes as a row of texts
// and pictures. A service's share of a web page shows its address and
// summary instead.

#include "mainwnd/messages/MessageView.h"

#include "mainwnd/messages/EmojiSplit.h"
#include "mainwnd/messages/MessageControls.h"
#include "mainwnd/messages/MessageLayout.h"
#include "mainwnd/messages/MessageMarkup.h"
#include "mainwnd/messages/ShareTexts.h"
#include "mireloom/Entity.h"

namespace mireloomwnd {

using namespace DuiLib;
using namespace messagecontrols;

namespace {

constexpr RECT kShareTitlePadding = {5, 3, 0, 0};
constexpr DWORD kShareBarColor = 0xFFFDF0C3;

// The plain text, selectable; a hidden copy measures it. Returns the copy.
CTextUI* AddSelectableText(CContainerUI* column, const messageview::FormattedText& text) {
  auto* edit = new CRichEditUI;
  column->Add(edit);
  LetGrowTall(edit);
  edit->SetName(L"chat_display_richedit");
  for (const auto& [name, value] : {std::pair{L"readonly", L"true"}, std::pair{L"rich", L"false"},
                                    std::pair{L"multiline", L"true"}, std::pair{L"autovscroll", L"true"},
                                    std::pair{L"menu", L"true"}}) {
    edit->SetAttribute(name, value);
  }
  edit->SetTextPadding(kTextPadding);
  edit->SetEnabled(true);
  edit->SetFont(kMessageFont);
  edit->SetTextColor(kMessageTextColor);
  edit->SetText(text.plain.c_str());

  // The copy breaks its lines as the edit draws them while nobody selects in
  // it; measured as markup, a long text took other lines than it is shown in.
  CTextUI* measure = AddText(column, kMessageFont, text.plain, kTextPadding, /*markup=*/false);
  measure->SetTextStyle(edit->GetDrawnTextStyle());
  measure->SetTextColor(kMessageTextColor);
  measure->SetVisible(false);
  return measure;
}

}  // namespace

void CMessageView::AddTextMessage(const mireloom::Message& message) {
  if (message.sender_type() == mireloom::Message::kServiceShareSender) return AddServiceShare(message);
  CListContainerElementUI* item = nullptr;
  CVerticalLayoutUI* column = AppendMessageItem(message, &item);
  if (!column) return;
  const messageview::FormattedText text = messageview::FormatText(message.content());
  const messageview::EmojiSplit split = messageview::SplitEmoji(text.markup);
  const bool shaped = messageview::NeedsShapedText(text.plain);
  switch (messageview::ChooseTextLayout(split, text.has_spans || shaped, messageview::TextPlace::kMessage)) {
    case messageview::TextLayout::kSelectableText:
      FollowText(item, AddSelectableText(column, text));
      break;
    case messageview::TextLayout::kMarkupText:
      // A text that is a label only for its letters looks as a plain one.
      FollowText(item, text.has_spans ? AddText(column, kLinkFont, text.markup, kTextPadding)
                                      : AddPartText(column, text.markup));
      break;
    case messageview::TextLayout::kEmojiRow: {
      const EmojiRowSize size = AddEmojiRow(column, split);
      FollowViewWidth(item, [size, hasTail = split.HasTail()](int width) {
        return messageview::EmojiRowItemHeight(hasTail, EmojiTailHeight(size, width));
      });
      break;
    }
  }
}

void CMessageView::AddServiceShare(const mireloom::Message& message) {
  // A share that cannot be read still shows, with what it holds.
  mireloom::Entity entity;
  (void)entity.InitWithJsonOrDie(message.entity_json());
  CListContainerElementUI* item = nullptr;
  CVerticalLayoutUI* column = AppendMessageItem(message, &item);
  if (!column) return;
  CTextUI* title = AddText(column, kLinkFont, messageview::ServiceShareTitle(entity.public_url()), kShareTitlePadding);
  const std::wstring summary =
      entity.summary().empty() ? std::wstring() : messageview::FormatMessageText(entity.summary());
  FollowBarredText(item, title, AddQuotedText(column, kShareBarColor, summary));
}

}  // namespace mireloomwnd
