// The items of the session list and their unread marks: a channel item shows
// a dot by the unread record's second number, an IM item a red count.

#include <unordered_map>

#include "app/storage/CachedFilesSnapshot.h"
#include "app/text/ServiceConstants.h"
#include "app/text/TextHelpers.h"
#include "app/ui/CachedImage.h"
#include "app/ui/ColorText.h"
#include "mainwnd/MainWnd.h"
#include "mainwnd/MainWndMessages.h"
#include "mainwnd/sessions/BadgeTexts.h"
#include "mainwnd/sessions/LazyListItem.h"
#include "mainwnd/sessions/SessionItemNames.h"
#include "mireloom/ChatManager.h"
#include "mireloom/UserManager.h"

namespace mireloomwnd {

using namespace DuiLib;

namespace {

constexpr DWORD kNameColor = 0xFF232A32;
constexpr DWORD kBadgeColor = 0xFFF1867E;
constexpr DWORD kBadgeTextColor = 0xFFFFFFFF;
constexpr int kNameFont = 2;
constexpr int kBadgeFont = 0;
constexpr int kIconSize = 28;
constexpr int kDotSize = 16;
constexpr int kItemHeight = 44;
// What a 248-pixel column leaves a name beside the icon and the badge, with
// the list's scroll bar shown.
constexpr int kNameWidth = 136;
constexpr int kAvatarSize = 40;
constexpr SIZE kCachedAvatarRound = {3, 3};
constexpr SIZE kIconRound = {6, 6};

CButtonUI* MakeIcon() {
  auto* icon = new CButtonUI;
  icon->SetFixedWidth(kIconSize);
  icon->SetFixedHeight(kIconSize);
  icon->SetPadding({14, 8, 0, 0});
  icon->SetMouseEnabled(false);
  return icon;
}

CLabelUI* MakeNameLabel(const std::wstring& text, const std::wstring& itemName) {
  auto* label = new CLabelUI;
  label->SetFont(kNameFont);
  label->SetText(text.c_str());
  label->SetTextColor(kNameColor);
  label->SetFixedWidth(kNameWidth);
  label->SetTextStyle(label->GetTextStyle() | DT_END_ELLIPSIS);
  label->SetPadding({10, 0, 0, 0});
  label->SetName(SessionNameLabelId(itemName).c_str());
  return label;
}

template <class Item>
Item* FrameItem(Item* item, const std::wstring& itemName) {
  item->SetFixedHeight(kItemHeight);
  item->SetName(itemName.c_str());
  return item;
}

CHorizontalLayoutUI* MakeRow(CControlUI* icon, CControlUI* name, CControlUI* badge) {
  auto* row = new CHorizontalLayoutUI;
  row->Add(icon);
  row->Add(name);
  row->Add(badge);
  return row;
}

CListContainerElementUI* MakeItem(const std::wstring& itemName, CHorizontalLayoutUI* row) {
  CListContainerElementUI* item = FrameItem(new CListContainerElementUI, itemName);
  item->Add(row);
  return item;
}

std::string ItemAvatarName(const mireloom::User& user) {
  return mireloom::avatar_url(user.header_uri(), kAvatarSize, kAvatarSize, 1);
}

CLabelUI* LabelNamed(CPaintManagerUI& manager, const std::wstring& name) {
  CControlUI* control = manager.FindControl(name.c_str());
  return control ? static_cast<CLabelUI*>(control->GetInterface(L"Label")) : nullptr;
}

}  // namespace

void MainWnd::BuildSessionList() {
  ShowMessagesHeader();
  SetControlVisible(L"im_or_channel_btn", true);
  if (!m_sessionList) return;
  m_sessionList->RemoveAll();
  AddSearchedSessionItems();
}

void MainWnd::AddSessionItems(const SessionEntries& entries) {
  if (!m_sessionList) return;
  const CachedFilesSnapshot cachedFiles;
  // Looked up by id once, not per entry: a team may hold thousands.
  std::unordered_map<std::string, const mireloom::Channel*> channels;
  for (const auto& channel : m_channels) channels.emplace(channel->channel_id(), channel.get());
  std::unordered_map<std::string, const mireloom::IM*> ims;
  for (const auto& im : m_ims) ims.emplace(im->im_id(), im.get());
  const mireloom::UserManager* users = mireloom::UserManager::DefaultManager();
  for (const auto& entry : entries) {
    const std::string id = entry->id();
    if (const auto channel = channels.find(id); channel != channels.end()) AddChannelItem(*channel->second);
    const auto im = ims.find(id);
    if (im == ims.end()) continue;
    // An IM whose partner is not cached gets no item.
    if (const std::unique_ptr<mireloom::User> partner = users->FetchUserFromCacheByUid(im->second->to_uid())) {
      AddImItem(id, *partner);
    }
  }
}

void MainWnd::AddChannelItem(const mireloom::Channel& channel) {
  const std::string& id = channel.channel_id();
  const std::wstring itemName = Utf8ToWide(SessionItemName(kSessionChannel, id));
  m_sessionList->Add(
      CreateChannelItem(Utf8ToWide(channel.channel_name()), itemName, channel.visibility(), channel.HexColor()));
  UpdateSessionUnread({kSessionChannel, id}, mireloom::ChatManager::DefaultManager()->NumUnreadInChannelFromMemCache(id));
}

void MainWnd::AddImItem(const std::string& itemId, const mireloom::User& partner) {
  const std::wstring itemName = Utf8ToWide(SessionItemName(kSessionIm, itemId));
  m_sessionList->Add(CreateImItem(Utf8ToWide(partner.display_name()), ItemAvatarName(partner), itemName));
  UpdateSessionUnread({kSessionIm, itemId}, mireloom::ChatManager::DefaultManager()->NumUnreadInChannelFromMemCache(itemId));
}

CListContainerElementUI* MainWnd::CreateChannelItem(const std::wstring& name, const std::wstring& itemName,
                                                    mireloom::Channel::Visibility visibility,
                                                    const std::string& hexColor) {
  CButtonUI* icon = MakeIcon();
  icon->SetNormalImage(visibility == mireloom::Channel::kPrivate ? L"SysBtn/private_group.png"
                                                                 : L"SysBtn/public_group.png");
  // A colour that is no "#RRGGBB" leaves the icon without a background.
  if (const std::optional<DWORD> color = ParseChannelColor(hexColor)) icon->SetBkColor(*color);
  icon->SetBorderRound(kIconRound);

  auto* badge = new CButtonUI;
  // The dot carries the count as text too (the badge update writes it): as
  // tall as a one-to-one badge and as wide as its count, a circle for one
  // digit, so that the count reads at the list's size.
  badge->SetFixedHeight(kDotSize);
  badge->SetMinWidth(kDotSize);
  badge->SetAutoCalcWidth(true);
  badge->SetTextPadding({4, 0, 4, 0});
  badge->SetBkColor(kBadgeColor);
  badge->SetBorderRound({kDotSize, kDotSize});
  badge->SetFont(kBadgeFont);
  badge->SetTextColor(kBadgeTextColor);
  badge->SetTextStyle(DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  badge->SetPadding({12, 14, 0, 0});
  badge->SetVisible(false);
  badge->SetName(SessionUnreadLabelId(itemName).c_str());
  badge->SetMouseEnabled(false);
  return MakeItem(itemName, MakeRow(icon, MakeNameLabel(name, itemName), badge));
}

CListContainerElementUI* MainWnd::CreateImItem(const std::wstring& displayName, const std::string& avatarName,
                                               const std::wstring& itemName) {
  return MakeItem(itemName, CreateImItemRow(displayName, avatarName, itemName));
}

void MainWnd::AddImResultItem(const mireloom::User& user) {
  // The builder holds only the window, so that thousands of rows cost one
  // allocation each; the row reads its member from the cache when first seen.
  const std::wstring itemName = Utf8ToWide(SessionItemName(kSessionIm, user.uid()));
  m_sessionList->Add(FrameItem(new CLazyListItemUI([this](CLazyListItemUI& item) { FillImResultItem(item); }), itemName));
}

void MainWnd::FillImResultItem(CLazyListItemUI& item) {
  const std::wstring itemName = item.GetName().GetData();
  const std::string uid = WideToUtf8(itemName).substr(SessionItemName(kSessionIm, "").size());
  // A member gone from the team since the search leaves an empty row.
  const std::unique_ptr<mireloom::User> user = mireloom::UserManager::DefaultManager()->FetchUserFromCacheByUid(uid);
  if (!user) return;
  item.Add(CreateImItemRow(Utf8ToWide(user->display_name()), ItemAvatarName(*user), itemName));
  UpdateSessionUnread({kSessionIm, uid}, mireloom::ChatManager::DefaultManager()->NumUnreadInChannelFromMemCache(uid));
}

CHorizontalLayoutUI* MainWnd::CreateImItemRow(const std::wstring& displayName, const std::string& avatarName,
                                              const std::wstring& itemName) {
  CButtonUI* icon = MakeIcon();
  const CachedImageResult avatar =
      ShowCachedImage(GetHWND(), WM_AVATAR_DOWNLOADED, icon, AvatarBaseUrl + avatarName, avatarName);
  icon->SetBorderRound(avatar == CachedImageResult::Shown ? kCachedAvatarRound : kIconRound);

  auto* badge = new CButtonUI;
  StyleUnreadBadge(badge, 0, false);
  badge->SetPadding({8, 14, 0, 0});
  badge->SetName(SessionUnreadLabelId(itemName).c_str());
  return MakeRow(icon, MakeNameLabel(displayName, itemName), badge);
}

void MainWnd::UpdateSessionUnread(SessionKey key, mireloom::_NumUnread unread) {
  const std::wstring itemName = Utf8ToWide(SessionItemName(key.type, key.id));
  CControlUI* badge = m_PaintManager.FindControl(SessionUnreadLabelId(itemName).c_str());
  StyleUnreadBadge(badge, static_cast<int>(unread.num_unread), true);
  if (key.type != kSessionChannel) return;
  if (CLabelUI* name = LabelNamed(m_PaintManager, SessionNameLabelId(itemName))) {
    name->SetTextColor(kNameColor);
    if (badge) badge->SetVisible(ShowsChannelDot(unread));
  }
}

void MainWnd::SetUnreadBadge(CControlUI* badge, int count) {
  if (!badge) return;
  badge->SetVisible(count >= 1);
  if (const std::optional<std::wstring> text = UnreadBadgeText(count)) badge->SetText(text->c_str());
}

void MainWnd::StyleUnreadBadge(CControlUI* badge, int count, bool styled) {
  if (!badge) return;
  if (!styled) {
    if (auto* label = static_cast<CLabelUI*>(badge->GetInterface(L"Label"))) {
      label->SetFont(kBadgeFont);
      label->SetTextColor(kBadgeTextColor);
      label->SetTextStyle(DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    }
    badge->SetBkColor(kBadgeColor);
    badge->SetPadding({10, 10, 0, 0});
    badge->SetFixedWidth(24);
    badge->SetFixedHeight(16);
    badge->SetBorderRound({12, 12});
    badge->SetMouseEnabled(false);
  }
  badge->SetVisible(IsBadgeShown(count));
  if (const std::optional<std::wstring> text = UnreadBadgeText(count)) badge->SetText(text->c_str());
}

void MainWnd::HighlightSessionItem(SessionKey key) {
  const std::wstring itemName = Utf8ToWide(SessionItemName(key.type, key.id));
  if (CLabelUI* name = LabelNamed(m_PaintManager, SessionNameLabelId(itemName))) name->SetTextColor(kNameColor);
  StyleUnreadBadge(m_PaintManager.FindControl(SessionUnreadLabelId(itemName).c_str()), 0, true);
  if (!m_highlightedSession.id.empty()) {
    const std::wstring previous = Utf8ToWide(SessionItemName(m_highlightedSession.type, m_highlightedSession.id));
    if (CLabelUI* name = LabelNamed(m_PaintManager, SessionNameLabelId(previous))) name->SetTextColor(kNameColor);
  }
  m_highlightedSession = std::move(key);
}

}  // namespace mireloomwnd
