// The organisation tree: the team at the root, its members without a group,
// then its departments, each filled with its members and sub-groups only when
// the user first opens it.

#include "mainwnd/contacts/ContactsPanel.h"

#include <algorithm>
#include <unordered_map>

#include "app/text/TextHelpers.h"
#include "mainwnd/contacts/ContactsLogic.h"
#include "mireloom/Director.h"
#include "mireloom/UsergroupManager.h"
#include "mireloom/UserManager.h"

namespace mireloomwnd {

using namespace DuiLib;

namespace {

constexpr DWORD kTopTextColor = 0xFF232A32;
constexpr int kGroupHeight = 36;
constexpr int kRootMemberLeft = 20;
constexpr int kGroupMemberLeft = 36;
constexpr RECT kMemberNamePadding = {10, 9, 0, 0};
constexpr RECT kSubGroupPadding = {20, 0, 0, 0};

// Each text is the whole attribute list, quotes included; the folder's two
// lists go in one after the other.
constexpr wchar_t kGroupItemAttributes[] = L"valign=\"vcenter\" font=\"2\" textpadding=\"4,0,0,0\"";
constexpr wchar_t kGroupFolderSelected[] =
    L"padding=\"0, 9, 0, 9\"  width=\"18\"  height=\"18\" selectedimage=\"SysBtn/treenode_unfold.png\"";
constexpr wchar_t kGroupFolderNormal[] =
    L"padding=\"0, 9, 0, 9\"  width=\"18\"  height=\"18\" normalimage=\"SysBtn/treenode_fold.png\"";

enum class GroupLevel { Top, Sub };

CTreeNodeUI* MakeGroupNode(const mireloom::Usergroup& group, GroupLevel level) {
  auto* node = new CTreeNodeUI;
  node->SetFixedHeight(kGroupHeight);
  // The count is the service's, not the nodes an expansion makes: members
  // left out of the team's list (disabled ones, robots) count there too.
  node->SetItemText(CountedNodeText(group.name(), static_cast<size_t>(std::max(0, group.num_users()))).c_str());
  if (level == GroupLevel::Top) {
    node->SetItemTextColor(kTopTextColor);
  } else {
    node->SetPadding(kSubGroupPadding);
  }
  node->SetAttribute(L"itemattr", kGroupItemAttributes);
  node->SetVisibleFolderBtn(true);
  node->SetAttribute(L"folderattr", kGroupFolderSelected);
  node->SetAttribute(L"folderattr", kGroupFolderNormal);
  node->SetUserData(Utf8ToWide(group.usergroup_id()).c_str());
  return node;
}

}  // namespace

void CContactsPanel::BuildOrganizationTree() {
  ++OrganizationTreeBuildCount;
  CTreeNodeUI* root = FindTreeNode(L"team_name_node");
  const mireloom::Director* director = mireloom::Director::DefaultDirector();
  const mireloom::Team* team = director ? director->current_team() : nullptr;
  // Without a team the root keeps the skin's text.
  if (root && team) {
    root->SetItemTextColor(kTopTextColor);
    root->SetItemText(CountedNodeText(team->team_name(), LoadedTeamUsers().size()).c_str());
    root->SetVisibleFolderBtn(true);
  }
  m_rootUsergroups = mireloom::UsergroupManager::DefaultManager()->FetchRootUsergroupsFromCache();
  // A root the skin lacks gets no rows: they would have no place.
  if (!root) return;
  const CInvalidationHold invalidation(m_paintManager);
  const MemberRowStyle style = {kRootMemberLeft, kMemberNamePadding, false};
  for (const auto& user : mireloom::UserManager::DefaultManager()->FetchUsersFromCacheWithoutUsergroup()) {
    root->Add(MakeMemberNode(*user, style));
  }
  for (const auto& group : m_rootUsergroups) root->AddChildNode(MakeGroupNode(*group, GroupLevel::Top));
}

void CContactsPanel::ExpandUsergroupNode(const std::string& usergroupId, CTreeNodeUI* node) {
  if (!node) return;
  const CInvalidationHold invalidation(m_paintManager);
  const MemberRowStyle style = {kGroupMemberLeft, kMemberNamePadding, false};
  const auto memberships =
      mireloom::MembershipManager::DefaultManager()->FetchMembershipsFromCache(usergroupId, mireloom::Membership::kAllTypes);
  // Looked up by uid once, not per membership: a department may hold
  // thousands of a team's thousands.
  std::unordered_map<std::string, const mireloom::User*> team;
  const Users& members = LoadedTeamUsers();
  for (auto user = members.rbegin(); user != members.rend(); ++user) team[(*user)->uid()] = user->get();
  for (const auto& membership : memberships) {
    // Not in the team's list (disabled, or a robot once the contacts tree
    // took them out): no node.
    const auto user = team.find(membership->uid());
    if (user != team.end()) node->AddChildNode(MakeMemberNode(*user->second, style));
  }
  for (const auto& group : mireloom::UsergroupManager::DefaultManager()->FetchUsergroupsFromCacheByParentId(usergroupId)) {
    node->AddChildNode(MakeGroupNode(*group, GroupLevel::Sub));
  }
}

}  // namespace mireloomwnd
