// The items of the session list and their unread marks: a channel item shows
// a dot by the unread record's second number, an IM item a red count.

#include "mainwnd/sessions/SessionList.h"

#include "app/storage/CachedFilesSnapshot.h"
#include "app/text/ServiceConstants.h"
#include "app/text/TextHelpers.h"
#include "app/ui/CachedImage.h"
#include "app/ui/ColorText.h"
#include "app/ui/MemberAvatar.h"
#include "mainwnd/MainWndMessages.h"
#include "mainwnd/sessions/BadgeTexts.h"
#include "mainwnd/sessions/LazyListItem.h"
#include "mainwnd/sessions/SessionItemNames.h"
#include "mireloom/ChatManager.h"
#include "mireloom/IM.h"
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

template <class Button>
Button* StyleIcon(Button* icon) {
  icon->SetFixedWidth(kIconSize);
  icon->SetFixedHeight(kIconSize);
  icon->SetPadding({14, 8, 0, 0});
  icon->SetMouseEnabled(false);
  return icon;
}

CButtonUI* MakeIcon() { return StyleIcon(new CButtonUI); }

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

void CSessionList::Build() {
  if (!m_list) return;
  m_list->RemoveAll();
  const std::string query = SearchQuery();
  if (query.empty()) {
    m_rows = Rows::Sessions;
    return AddSessionItems(m_entries);
  }
  // A rebuild keeps to the query the box shows, as typing it did.
  FilterSessions(" ");
  FilterSessions(query);
  m_rows = Rows::SearchedSessions;
  AddSessionItems(m_filteredSessions);
}

void CSessionList::AddSessionItems(const SessionEntries& entries) {
  if (!m_list) return;
  const CachedFilesSnapshot cachedFiles;
  for (const auto& entry : entries) InsertItem(*entry, -1);
}

bool CSessionList::InsertItem(const SessionEntry& entry, int index) {
  if (!m_list) return false;
  const std::string id = entry.id();
  bool added = false;
  if (const auto channel = m_channelsById.find(id); channel != m_channelsById.end()) {
    AddChannelItem(*channel->second, index);
    added = true;
  }
  const auto im = m_imsById.find(id);
  if (im == m_imsById.end()) return added;
  return AddImItem(id, *im->second, index < 0 ? -1 : index + (added ? 1 : 0)) || added;
}

void CSessionList::AddItem(CControlUI* item, int index) {
  if (index < 0) {
    m_list->Add(item);
  } else {
    m_list->AddAt(item, index);
  }
}

void CSessionList::AddChannelItem(const mireloom::Channel& channel, int index) {
  const std::string& id = channel.channel_id();
  const std::wstring itemName = Utf8ToWide(SessionItemName(kSessionChannel, id));
  AddItem(CreateChannelItem(Utf8ToWide(channel.channel_name()), itemName, channel.visibility(), channel.HexColor()),
          index);
  UpdateUnread({kSessionChannel, id}, mireloom::ChatManager::DefaultManager()->NumUnreadInChannelFromMemCache(id));
}

bool CSessionList::AddImItem(const std::string& itemId, const mireloom::IM& im, int index) {
  // An IM whose partner is not cached gets no item.
  if (!mireloom::UserManager::DefaultManager()->FetchUserFromCacheByUid(im.to_uid())) return false;
  // Its controls are made when it first comes into view, as a team's list
  // may run to thousands; the builder holds only the list.
  const std::wstring itemName = Utf8ToWide(SessionItemName(kSessionIm, itemId));
  AddItem(FrameItem(new CLazyListItemUI([this](CLazyListItemUI& item) { FillImItem(item); }), itemName), index);
  return true;
}

void CSessionList::FillImItem(CLazyListItemUI& item) {
  const std::wstring itemName = item.GetName().GetData();
  const std::string id = WideToUtf8(itemName).substr(SessionItemName(kSessionIm, "").size());
  const auto im = m_imsById.find(id);
  // A partner gone from the cache since the list was built leaves an empty row.
  const std::unique_ptr<mireloom::User> partner =
      im == m_imsById.end() ? nullptr : mireloom::UserManager::DefaultManager()->FetchUserFromCacheByUid(im->second->to_uid());
  if (!partner) return;
  item.Add(CreateImItemRow(Utf8ToWide(partner->display_name()), ItemAvatarName(*partner), itemName));
  UpdateUnread({kSessionIm, id}, mireloom::ChatManager::DefaultManager()->NumUnreadInChannelFromMemCache(id));
}

CListContainerElementUI* CSessionList::CreateChannelItem(const std::wstring& name, const std::wstring& itemName,
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

CListContainerElementUI* CSessionList::CreateImItem(const std::wstring& displayName, const std::string& avatarName,
                                               const std::wstring& itemName) {
  return MakeItem(itemName, CreateImItemRow(displayName, avatarName, itemName));
}

void CSessionList::AddImResultItem(const mireloom::User& user) {
  // The builder holds only the window, so that thousands of rows cost one
  // allocation each; the row reads its member from the cache when first seen.
  const std::wstring itemName = Utf8ToWide(SessionItemName(kSessionIm, user.uid()));
  m_list->Add(FrameItem(new CLazyListItemUI([this](CLazyListItemUI& item) { FillImResultItem(item); }), itemName));
}

void CSessionList::FillImResultItem(CLazyListItemUI& item) {
  const std::wstring itemName = item.GetName().GetData();
  const std::string uid = WideToUtf8(itemName).substr(SessionItemName(kSessionIm, "").size());
  // A member gone from the team since the search leaves an empty row.
  const std::unique_ptr<mireloom::User> user = mireloom::UserManager::DefaultManager()->FetchUserFromCacheByUid(uid);
  if (!user) return;
  item.Add(CreateImItemRow(Utf8ToWide(user->display_name()), ItemAvatarName(*user), itemName));
  UpdateUnread({kSessionIm, uid}, mireloom::ChatManager::DefaultManager()->NumUnreadInChannelFromMemCache(uid));
}

CHorizontalLayoutUI* CSessionList::CreateImItemRow(const std::wstring& displayName, const std::string& avatarName,
                                              const std::wstring& itemName) {
  // Looked up at once, for the round of a cached picture; again on a later
  // display when its download failed.
  auto* icon = StyleIcon(new CMemberAvatarUI(
      [window = m_window.GetHWND(), picture = MemberPictureNamed(avatarName)](CMemberAvatarUI& avatar) {
        ShowMemberAvatar(window, WM_AVATAR_DOWNLOADED, &avatar, picture);
      }));
  icon->LookUpNow();
  icon->SetBorderRound(icon->GetNormalImage().IsEmpty() ? kIconRound : kCachedAvatarRound);

  auto* badge = new CButtonUI;
  StyleUnreadBadge(badge, 0, false);
  badge->SetPadding({8, 14, 0, 0});
  badge->SetName(SessionUnreadLabelId(itemName).c_str());
  return MakeRow(icon, MakeNameLabel(displayName, itemName), badge);
}

void CSessionList::UpdateUnread(const SessionKey& key, mireloom::_NumUnread unread) {
  const std::wstring itemName = Utf8ToWide(SessionItemName(key.type, key.id));
  CControlUI* badge = m_paintManager.FindControl(SessionUnreadLabelId(itemName).c_str());
  StyleUnreadBadge(badge, static_cast<int>(unread.num_unread), true);
  if (key.type != kSessionChannel) return;
  if (CLabelUI* name = LabelNamed(m_paintManager, SessionNameLabelId(itemName))) {
    name->SetTextColor(kNameColor);
    if (badge) badge->SetVisible(ShowsChannelDot(unread));
  }
}

void CSessionList::SetUnreadBadge(CControlUI* badge, int count) {
  if (!badge) return;
  badge->SetVisible(count >= 1);
  if (const std::optional<std::wstring> text = UnreadBadgeText(count)) badge->SetText(text->c_str());
}

void CSessionList::StyleUnreadBadge(CControlUI* badge, int count, bool styled) {
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

void CSessionList::Highlight(SessionKey key) {
  const std::wstring itemName = Utf8ToWide(SessionItemName(key.type, key.id));
  if (CLabelUI* name = LabelNamed(m_paintManager, SessionNameLabelId(itemName))) name->SetTextColor(kNameColor);
  StyleUnreadBadge(m_paintManager.FindControl(SessionUnreadLabelId(itemName).c_str()), 0, true);
  if (!m_highlighted.id.empty()) {
    const std::wstring previous = Utf8ToWide(SessionItemName(m_highlighted.type, m_highlighted.id));
    if (CLabelUI* name = LabelNamed(m_paintManager, SessionNameLabelId(previous))) name->SetTextColor(kNameColor);
  }
  m_highlighted = std::move(key);
}

}  // namespace mireloomwnd
