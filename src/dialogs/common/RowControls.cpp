#include "dialogs/common/RowControls.h"

#include "app/text/StringTable.h"
#include "app/text/TextHelpers.h"
#include "app/ui/MemberAvatar.h"
#include "mireloom/User.h"

namespace mireloomwnd {

using namespace DuiLib;

namespace {

constexpr int kIconSize = 16;
constexpr int kRowFont = 0;
constexpr DWORD kFrameColor = 0xFFBAB8B9;
constexpr DWORD kFrameBackground = 0xFFFFFFFF;
// Keyboard users see where the focus is.
constexpr DWORD kFocusFrameColor = 0xFF3FD1BE;
constexpr DWORD kNameColor = 0xFF000000;
constexpr DWORD kDetailColor = 0xFFB2B2B2;
constexpr DWORD kActionColor = 0xFF4BBCB7;
constexpr int kFramedHeight = 25;
// Between a frame and the text or icon inside it.
constexpr int kFrameTextGap = 5;
// Between an icon inside a frame and the text after it.
constexpr int kIconTextGap = 4;
// Room for "Message" and its frame's gaps in every language.
constexpr int kMessagesButtonWidth = 66;
// Under the avatar, seen only while its default face loads.
constexpr DWORD kAvatarPlaceholder = 0xFFE9ECEF;

void SetAvatarLook(CButtonUI& avatar, int size, RECT padding, int round) {
  avatar.SetFixedHeight(size);
  avatar.SetFixedWidth(size);
  avatar.SetBorderRound({round, round});
  avatar.SetPadding(padding);
  avatar.SetBkColor(kAvatarPlaceholder);
}

}  // namespace

CButtonUI* NewAvatarButton(int size, RECT padding, int round) {
  auto* avatar = new CButtonUI;
  SetAvatarLook(*avatar, size, padding, round);
  return avatar;
}

CButtonUI* NewRowAvatar(int size, RECT padding, int round, std::function<void(CButtonUI&)> lookUp) {
  auto* avatar = new CMemberAvatarUI([lookUp = std::move(lookUp)](CMemberAvatarUI& shown) { lookUp(shown); });
  SetAvatarLook(*avatar, size, padding, round);
  return avatar;
}

CLabelUI* NewRowLabel(const std::wstring& text, DWORD textColor, int font) {
  auto* label = new CLabelUI;
  label->SetTextColor(textColor);
  label->SetFont(font);
  label->SetText(text.c_str());
  // A long name shows what fits and leaves the row's buttons their room.
  label->SetTextStyle(label->GetTextStyle() | DT_END_ELLIPSIS);
  return label;
}

CVerticalLayoutUI* NewUserNameBox(const mireloom::User& user) {
  auto* names = new CVerticalLayoutUI;
  names->SetFixedHeight(40);
  names->SetPadding({10, 6, 0, 0});
  names->Add(NewRowLabel(Utf8ToWide(user.display_name()), 0xFF000000, kRowFont));
  CLabelUI* userName = NewRowLabel(L"@" + Utf8ToWide(user.username()), 0xFF627180, kRowFont);
  userName->SetPadding({0, -5, 0, 0});
  names->Add(userName);
  return names;
}

CButtonUI* NewRowIcon(const wchar_t* image, RECT padding, const std::wstring& name) {
  auto* icon = new CButtonUI;
  icon->SetPadding(padding);
  icon->SetFixedHeight(kIconSize);
  icon->SetFixedWidth(kIconSize);
  icon->SetNormalImage(image);
  icon->SetName(name.c_str());
  return icon;
}

CButtonUI* NewRowTextButton(const std::wstring& text, DWORD textColor, SIZE size, RECT padding,
                            const std::wstring& name) {
  auto* button = new CButtonUI;
  button->SetAttribute(L"align", L"left");
  button->SetAttribute(L"valign", L"vcenter");
  button->SetText(text.c_str());
  button->SetTextColor(textColor);
  button->SetFixedWidth(size.cx);
  button->SetFixedHeight(size.cy);
  button->SetPadding(padding);
  button->SetFont(kRowFont);
  button->SetName(name.c_str());
  return button;
}

CHorizontalLayoutUI* NewOpenImActions(const std::wstring& name, int iconLeft) {
  auto* actions = new CHorizontalLayoutUI;
  actions->SetFixedWidth(iconLeft + kIconSize + kMessagesButtonWidth);
  actions->SetFixedHeight(50);
  actions->Add(NewRowIcon(L"session/send_new_im.png", {iconLeft, 17, 0, 0}, name));
  CButtonUI* messages =
      NewRowTextButton(LocalizedText("Messages"), 0xFF5CBCB8, {kMessagesButtonWidth, 25}, {0, 13, 0, 0}, name);
  messages->SetKeyboardEnabled(true);  // Tab reaches it, Space or Enter opens the conversation
  messages->SetFocusBorderColor(kFocusFrameColor);
  messages->SetBorderRound({4, 4});
  // The text keeps clear of the focus frame, in every language.
  messages->SetTextPadding({kFrameTextGap, 0, kFrameTextGap, 0});
  actions->Add(messages);
  return actions;
}

void FrameRowButton(CButtonUI& button) {
  button.SetBorderRound({2, 2});
  button.SetBorderColor(kFrameColor);
  button.SetFocusBorderColor(kFocusFrameColor);
  button.SetBkColor(kFrameBackground);
  button.SetTextPadding({6, 0, 0, 0});  // the text keeps clear of the frame
}

CVerticalLayoutUI* NewTwoLineTexts(const std::wstring& name, const std::wstring& detail, int height) {
  auto* texts = new CVerticalLayoutUI;
  texts->SetFixedHeight(height);
  CLabelUI* nameLabel = NewRowLabel(name, kNameColor, 1);
  nameLabel->SetTextPadding({10, 6, 0, 0});
  CLabelUI* detailLabel = NewRowLabel(detail, kDetailColor, 0);
  detailLabel->SetTextPadding({10, 3, 0, 0});
  texts->Add(nameLabel);
  texts->Add(detailLabel);
  return texts;
}

void AddFramedAction(CContainerUI& row, const std::wstring& text, int width, const std::wstring& name) {
  row.Add(NewRowIcon(L"SysBtn/join_group.png", {0, 18, 0, 0}, name));
  // The frame reaches back over the icon, so that the icon stands inside its
  // button; the row keeps its width and the text its room.
  const int reach = kIconSize + kFrameTextGap;
  CButtonUI* action = NewRowTextButton(text, kActionColor, {width + reach, kFramedHeight}, {-reach, 14, 0, 0}, name);
  FrameRowButton(*action);
  action->SetBkColor(0);  // the icon, drawn first, shows through
  action->SetTextPadding({reach + kIconTextGap, 0, 0, 0});
  action->SetKeyboardEnabled(true);  // Tab reaches it, Space or Enter acts
  row.Add(action);
}

void AddFramedTag(CContainerUI& row, int width, const std::wstring& name) {
  CButtonUI* tag =
      NewRowTextButton(LocalizedText("MemberInGroup"), kDetailColor, {width, kFramedHeight}, {0, 13, 0, 0}, name);
  FrameRowButton(*tag);
  tag->SetMouseEnabled(false);
  row.Add(tag);
}

CListContainerElementUI* NewListRow(int height, CContainerUI* box) {
  auto* row = new CListContainerElementUI;
  row->SetFixedHeight(height);
  box->SetFixedHeight(height);
  row->Add(box);
  return row;
}

}  // namespace mireloomwnd
