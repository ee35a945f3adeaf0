// The contacts tree by letter: the channels, the robots and the members under
// the letter of their pinyin, built once per window on first use. Also the
// avatars of the panel and the member row that both trees share.

#include "mainwnd/contacts/ContactsPanel.h"

#include <algorithm>

#include "app/text/StringTable.h"
#include "app/text/TextHelpers.h"
#include "app/ui/CachedImage.h"
#include "app/ui/ColorText.h"
#include "app/ui/LazyRow.h"
#include "app/ui/MemberAvatar.h"
#include "mainwnd/contacts/ContactsLogic.h"
#include "mainwnd/MainWndMessages.h"
#include "mireloom/ChannelManager.h"
#include "mireloom/UserManager.h"

namespace mireloomwnd {

using namespace DuiLib;

int ContactsTreeBuildCount = 0;
int OrganizationTreeBuildCount = 0;

namespace {

constexpr int kRowHeight = 44;
constexpr int kRowWidth = 210;
constexpr int kPictureSize = 28;
constexpr SIZE kPictureRound = {6, 6};
constexpr int kNameFont = 2;
constexpr int kNameEndMargin = 8;
constexpr DWORD kNameColor = 0xFF232A32;
constexpr DWORD kLetterTextColor = 0xFF627180;
constexpr int kTreeAvatarSize = 40;
constexpr int kContactsPictureLeft = 14;

const MemberRowStyle kContactsRow = {kContactsPictureLeft, {6, 0, 0, 0}, true};

CTreeNodeUI* MakeNode() {
  auto* node = new CTreeNodeUI;
  node->SetFixedHeight(kRowHeight);
  return node;
}

CHorizontalLayoutUI* MakeRowLayout(bool fixed) {
  auto* row = new CHorizontalLayoutUI;
  if (fixed) {
    row->SetFixedHeight(kRowHeight);
    row->SetFixedWidth(kRowWidth);
  }
  return row;
}

void StylePicture(CButtonUI& picture, int left) {
  picture.SetFixedWidth(kPictureSize);
  picture.SetFixedHeight(kPictureSize);
  picture.SetPadding({left, 8, 0, 0});
  picture.SetBorderRound(kPictureRound);
}

// The member's picture of the size under the cache key its mark gives; none
// without a picture or for a marked key too short to keep anything.
AvatarPicture MarkedAvatarPicture(const std::string& headerUri, int size, char mark) {
  AvatarPicture picture = MemberAvatarPicture(headerUri, size);
  const std::optional<std::string> key = AvatarCacheKey(picture.cacheKey, mark);
  if (!key) return {};
  picture.cacheKey = *key;
  return picture;
}

// A member's node in either tree, its row made when first shown.
class CLazyTreeNodeUI final : public CLazyRow<CTreeNodeUI, CLazyTreeNodeUI> {
 public:
  using CLazyRow::CLazyRow;
};

// The contacts tree's rows name their entry in a label; the organisation
// tree's in a text. Either takes the rest of its row, which a long name
// needs, and ends with an ellipsis where the row ends.
CLabelUI* MakeName(const std::wstring& text, const RECT& padding, bool label) {
  CLabelUI* name = label ? new CLabelUI : new CTextUI;
  name->SetText(text.c_str());
  name->SetFont(kNameFont);
  name->SetTextColor(kNameColor);
  name->SetPadding(padding);
  name->SetTextPadding({0, 0, kNameEndMargin, 0});
  if (label) {
    name->SetAttribute(L"align", L"left");
    name->SetAttribute(L"endellipsis", L"true");
  } else {
    // One line from the top, as the row's padding places it.
    name->SetTextStyle(DT_LEFT | DT_TOP | DT_SINGLELINE | DT_END_ELLIPSIS);
  }
  return name;
}

}  // namespace

CContactsPanel::Users& CContactsPanel::LoadedTeamUsers() const {
  if (!m_teamUsersLoaded) {
    m_teamUsers = mireloom::UserManager::DefaultManager()->FetchUsersExceptStateFromCache(mireloom::User::kDisabled);
    m_teamUsersLoaded = true;
  }
  return m_teamUsers;
}

void CContactsPanel::BuildContactsTree() {
  ++ContactsTreeBuildCount;
  CTreeNodeUI* group = FindTreeNode(L"group");
  if (group) {
    group->SetItemText(LocalizedText("GroupNode").c_str());
    group->SetVisibleFolderBtn(true);
  }
  CTreeNodeUI* robot = FindTreeNode(L"robot");
  if (robot) {
    robot->SetItemText(LocalizedText("RobotNode").c_str());
    robot->SetVisibleFolderBtn(true);
  }
  // The window is invalidated once for all rows.
  const CInvalidationHold invalidation(m_paintManager);
  AddContactChannels(group);
  Users& members = LoadedTeamUsers();
  std::sort(members.begin(), members.end(), &CompareUsersByPinyin);
  MoveRobotsOutOfTeam();
  // A node the skin lacks gets no rows: they would have no place.
  if (robot) {
    for (const auto& user : m_robots) robot->Add(MakeMemberNode(*user, kContactsRow));
  }
  AddLetterGroups();
}

void CContactsPanel::AddContactChannels(CTreeNodeUI* group) {
  const mireloom::ChannelManager* channels = mireloom::ChannelManager::DefaultManager();
  for (const ContactChannelRead& read : kContactChannelReads) {
    for (auto& channel : channels->FetchChannelsFromCache(read.visibility, read.first, read.second)) {
      m_contactChannels.push_back(std::move(channel));
    }
  }
  if (!group) return;
  for (const auto& channel : m_contactChannels) {
    CTreeNodeUI* node = MakeNode();
    node->SetVisibleFolderBtn(false);
    node->SetVisibleCheckBtn(false);
    CHorizontalLayoutUI* row = MakeRowLayout(true);
    auto* picture = new CButtonUI;
    StylePicture(*picture, kContactsPictureLeft);
    // A colour that is no "#RRGGBB" (an empty one too) gives no background.
    if (const std::optional<DWORD> color = ParseChannelColor(channel->HexColor())) picture->SetBkColor(*color);
    picture->SetNormalImage(channel->visibility() == mireloom::Channel::kPublic ? L"SysBtn/public_group.png"
                                                                               : L"SysBtn/private_group.png");
    const std::wstring name = Utf8ToWide(channel->channel_name());
    CLabelUI* label = MakeName(name, kContactsRow.namePadding, true);
    label->SetToolTip(name.c_str());
    row->Add(picture);
    row->Add(label);
    node->Add(row);
    node->SetUserData(Utf8ToWide(channel->channel_id()).c_str());
    group->Add(node);
  }
}

void CContactsPanel::MoveRobotsOutOfTeam() {
  // From here on the team's list holds no robot; the organisation tree and
  // the member card read it so.
  Users& members = LoadedTeamUsers();
  for (auto user = members.begin(); user != members.end();) {
    if ((*user)->IsBot()) {
      m_robots.push_back(std::move(*user));
      user = members.erase(user);
    } else {
      ++user;
    }
  }
}

void CContactsPanel::AddLetterGroups() {
  const Users& team = LoadedTeamUsers();
  for (char letter = 'a'; letter <= 'z'; ++letter) {
    // A member whose pinyin starts otherwise (a digit, an upper-case letter,
    // nothing) is in no group and not shown.
    const LetterGroup members = FindLetterGroup(team, letter);
    CTreeNodeUI* node = FindTreeNode(LetterNodeName(letter).c_str());
    if (!node) continue;
    if (members.empty()) {
      node->SetVisible(false);
      continue;
    }
    node->SetItemTextColor(kLetterTextColor);
    for (size_t i = members.first; i < members.last; ++i) node->Add(MakeMemberNode(*team[i], kContactsRow));
  }
}

CTreeNodeUI* CContactsPanel::MakeMemberNode(const mireloom::User& user, const MemberRowStyle& style) {
  // The row's controls wait for its first display: a team of thousands
  // makes only the nodes, and the rows of those in view.
  auto* node = new CLazyTreeNodeUI(
      [this, style, name = Utf8ToWide(user.display_name()), headerUri = user.header_uri()](CLazyTreeNodeUI& shown) {
        CHorizontalLayoutUI* row = MakeRowLayout(style.fixedRow);
        CMemberAvatarUI* avatar = MakeAvatar(headerUri, kTreeAvatarSize, 0);
        StylePicture(*avatar, style.avatarLeft);
        row->Add(avatar);
        row->Add(MakeName(name, style.namePadding, style.fixedRow));
        shown.Add(row);
      });
  node->SetFixedHeight(kRowHeight);
  node->SetUserData(Utf8ToWide(user.uid()).c_str());
  return node;
}

CTreeNodeUI* CContactsPanel::FindTreeNode(const wchar_t* name) {
  CControlUI* control = m_paintManager.FindControl(name);
  return control ? static_cast<CTreeNodeUI*>(control->GetInterface(L"TreeNode")) : nullptr;
}

void CContactsPanel::LoadAvatar(CButtonUI* button, const mireloom::User& user, int size, char mark) {
  ShowAvatar(button, MarkedAvatarPicture(user.header_uri(), size, mark));
}

CMemberAvatarUI* CContactsPanel::MakeAvatar(const std::string& headerUri, int size, char mark) {
  auto* avatar = new CMemberAvatarUI(
      [this, headerUri, size, mark](CMemberAvatarUI& shown) { ShowAvatar(&shown, MarkedAvatarPicture(headerUri, size, mark)); });
  avatar->SetMouseEnabled(false);
  return avatar;
}

void CContactsPanel::ShowAvatar(CButtonUI* button, const AvatarPicture& picture) {
  if (!button) return;
  button->SetMouseEnabled(false);
  const HWND window = m_window.GetHWND();
  std::weak_ptr<void> alive = button->GetLifetimeToken();
  ShowMemberAvatar(button, picture, [window, button, alive](const std::string& localPath) {
    OnTreeAvatarDownloaded(window, button, alive, localPath);
  });
}

void CContactsPanel::OnTreeAvatarDownloaded(HWND window, CButtonUI* button, std::weak_ptr<void> buttonAlive,
                                     const std::string& localPath) {
  // A tree rebuilt since the download began has freed the button: the token
  // has expired and the handler leaves it alone.
  SendDownloadedImage(window, WM_AVATAR_DOWNLOADED, button, std::move(buttonAlive), {}, localPath);
}

}  // namespace mireloomwnd
