// The contacts panel, signed in as zhou on the demo team: the tree by letter,
// the organisation tree, the member card, the channel's tiles and the call
// button's animation.

#include <windows.h>

#include <algorithm>

#include "app/text/TextHelpers.h"
#include "app/ui/ColorText.h"
#include "duilib/testing.h"
#include "mainwnd/contacts/ContactsPanel.h"
#include "mainwnd/MainWndMessages.h"
#include "MainWndFixture.h"
#include "mireloom/ChannelManager.h"

namespace mainwnd_test {
namespace {

using namespace DuiLib;
namespace core = mireloom::testing;

CTreeViewUI* Tree(const wchar_t* name) {
  CControlUI* control = MainWindowTest::Control(name);
  return control ? static_cast<CTreeViewUI*>(control->GetInterface(L"TreeView")) : nullptr;
}

CTreeNodeUI* NodeAt(CTreeViewUI* tree, int index) {
  CControlUI* item = tree ? tree->GetItemAt(index) : nullptr;
  return item ? static_cast<CTreeNodeUI*>(item->GetInterface(L"TreeNode")) : nullptr;
}

// The tree's nodes whose user data is the id, in display order.
std::vector<CTreeNodeUI*> NodesOf(const wchar_t* treeName, const std::wstring& id) {
  std::vector<CTreeNodeUI*> nodes;
  CTreeViewUI* tree = Tree(treeName);
  for (int i = 0; tree && i < tree->GetCount(); ++i) {
    if (CTreeNodeUI* node = NodeAt(tree, i); node && node->GetUserData() == id.c_str()) nodes.push_back(node);
  }
  return nodes;
}

CTreeNodeUI* NodeOf(const wchar_t* treeName, const std::wstring& id) {
  const auto nodes = NodesOf(treeName, id);
  return nodes.empty() ? nullptr : nodes.front();
}

std::wstring ParentNameOf(CTreeNodeUI* node) {
  return node && node->GetParentNode() ? std::wstring(node->GetParentNode()->GetName().GetData()) : L"<none>";
}

std::vector<std::wstring> ChildIds(CTreeNodeUI* node) {
  std::vector<std::wstring> ids;
  for (int i = 0; node && i < node->GetCountChild(); ++i) ids.emplace_back(node->GetChildNode(i)->GetUserData().GetData());
  return ids;
}

// Selects the node as the keyboard or a click does: the tree raises "itemselect".
void Select(const wchar_t* treeName, const std::wstring& id) {
  CTreeViewUI* tree = Tree(treeName);
  ASSERT_NE(tree, nullptr);
  CTreeNodeUI* node = NodeOf(treeName, id);
  ASSERT_NE(node, nullptr) << id.c_str();
  tree->SelectItem(tree->GetItemIndex(node), false);
}

// Toggles the node's folder button as a click on it does.
void ToggleFolder(CTreeNodeUI* node) {
  ASSERT_NE(node, nullptr);
  CCheckBoxUI* folder = node->GetFolderButton();
  folder->Selected(!folder->IsSelected(), true);
}

// The picture of a node's row: the first control of the row it was given.
CButtonUI* PictureOf(CTreeNodeUI* node) {
  CHorizontalLayoutUI* parts = node ? node->GetTreeNodeHorizontal() : nullptr;
  CControlUI* last = parts && parts->GetCount() > 0 ? parts->GetItemAt(parts->GetCount() - 1) : nullptr;
  auto* row = last ? static_cast<CContainerUI*>(last->GetInterface(L"Container")) : nullptr;
  CControlUI* first = row && row->GetCount() > 0 ? row->GetItemAt(0) : nullptr;
  return first ? static_cast<CButtonUI*>(first->GetInterface(L"Button")) : nullptr;
}

CButtonUI* Button(const wchar_t* name) {
  CControlUI* control = MainWindowTest::Control(name);
  return control ? static_cast<CButtonUI*>(control->GetInterface(L"Button")) : nullptr;
}

// The tick the timer would deliver; the test's ticks are the only ones.
void Tick() { SendMessageW(MainWindowTest::MainWindow(), WM_TIMER, mireloomwnd::kCallAnimationTimer, 0); }

class MainWndContactsTest : public MainWindowTest {
 protected:
  void SetUp() override {
    MainWindowTest::SetUp();
    // Each window builds its trees once; this process has seen other windows.
    mireloomwnd::ContactsTreeBuildCount = 0;
    mireloomwnd::OrganizationTreeBuildCount = 0;
    mireloomwnd::CallAnimationTicks = 0;
  }
};

TEST_F(MainWndContactsTest, TheTreeByLetterFilesEachMemberOnceAndIsBuiltOncePerWindow) {
  StepRunner script;
  WaitForFilledList(script).Do("open the contacts", [] {
    ASSERT_TRUE(Testing::Click(MainWindow(), L"contacts_btn"));
    EXPECT_EQ(mireloomwnd::ContactsTreeBuildCount, 1);
    EXPECT_TRUE(IsShown(L"contacts_layout"));
    EXPECT_FALSE(IsShown(L"sessionList"));
    EXPECT_EQ(ParentNameOf(NodeOf(L"contacts_tree", L"usr-an")), L"A_node");
    EXPECT_EQ(ParentNameOf(NodeOf(L"contacts_tree", L"usr-zhou")), L"Z_node") << "the user like any other";
    // A digit, an upper-case letter or no pinyin; a member who left.
    for (const wchar_t* hidden : {L"usr-agent", L"usr-zed", L"usr-wuming", L"usr-he"}) {
      EXPECT_EQ(NodeOf(L"contacts_tree", hidden), nullptr) << hidden;
    }
    for (const wchar_t* robot : {L"usr-bot", L"usr-notice"}) {
      const auto nodes = NodesOf(L"contacts_tree", robot);
      ASSERT_EQ(nodes.size(), 1u) << robot;
      EXPECT_EQ(ParentNameOf(nodes.front()), L"robot");
    }
    EXPECT_TRUE(Tree(L"contacts_tree")->IsVisible());
    EXPECT_TRUE(IsShown(L"A_node"));
    // Y would hold the robot, H the member who left: both are empty.
    for (const wchar_t* empty : {L"Y_node", L"H_node", L"D_node"}) EXPECT_FALSE(IsShown(empty)) << empty;

    const auto channels = mireloom::ChannelManager::DefaultManager();
    for (const auto& [id, image] : {std::pair{"chn-history", L"SysBtn/public_group.png"},
                                    std::pair{"chn-core", L"SysBtn/private_group.png"}}) {
      CTreeNodeUI* node = NodeOf(L"contacts_tree", Utf8ToWide(id));
      ASSERT_NE(node, nullptr) << id;
      EXPECT_EQ(ParentNameOf(node), L"group");
      CButtonUI* icon = PictureOf(node);
      ASSERT_NE(icon, nullptr);
      EXPECT_EQ(icon->GetNormalImage(), image);
      const auto channel = channels->FetchChannelFromCacheByChannelId(id);
      ASSERT_NE(channel, nullptr);
      EXPECT_EQ(icon->GetBkColor(), ParseChannelColor(channel->HexColor()).value_or(0)) << id;
    }
    const int nodes = Tree(L"contacts_tree")->GetCount();
    ASSERT_TRUE(Testing::Click(MainWindow(), L"chat_btn"));
    ASSERT_TRUE(Testing::Click(MainWindow(), L"contacts_btn"));
    EXPECT_EQ(mireloomwnd::ContactsTreeBuildCount, 1);
    EXPECT_EQ(Tree(L"contacts_tree")->GetCount(), nodes) << "opened twice, built once";
    mireloomwnd::ContactsTreeBuildCount = 0;
    ASSERT_TRUE(Testing::Click(MainWindow(), L"contacts_btn"));
    EXPECT_EQ(mireloomwnd::ContactsTreeBuildCount, 1) << "built again after the reset";
    CloseMainWindow();
  });
  RunMainWindow(script);
}


std::wstring ItemTextOf(const wchar_t* treeName, const std::wstring& id) {
  CTreeNodeUI* node = NodeOf(treeName, id);
  return node ? std::wstring(node->GetItemText().GetData()) : L"<missing>";
}

TEST_F(MainWndContactsTest, TheOrganisationTreeOpensGroupByGroup) {
  StepRunner before;
  WaitForFilledList(before).Do("the organisation first", [] {
    // Before the tree by letter took the robots out of the team's list.
    ASSERT_TRUE(Testing::RaiseNotify(MainWindow(), L"contacts_by_organization_btn", L"click"));
    EXPECT_EQ(mireloomwnd::OrganizationTreeBuildCount, 1);
    auto* root = static_cast<CTreeNodeUI*>(Control(L"team_name_node")->GetInterface(L"TreeNode"));
    EXPECT_EQ(std::wstring(root->GetItemText().GetData()), L"示例团队(18)");
    const auto ids = ChildIds(root);
    const auto firstGroup = std::find_if(ids.begin(), ids.end(), [](const auto& id) { return id.rfind(L"grp-", 0) == 0; });
    ASSERT_NE(firstGroup, ids.end());
    EXPECT_NE(firstGroup, ids.begin()) << "members without a group come first";
    EXPECT_TRUE(std::all_of(firstGroup, ids.end(), [](const auto& id) { return id.rfind(L"grp-", 0) == 0; }));
    EXPECT_TRUE(std::find(ids.begin(), firstGroup, L"usr-xu") != firstGroup);

    CTreeNodeUI* rd = NodeOf(L"organization_tree", L"grp-rd");
    ToggleFolder(rd);
    const auto children = ChildIds(rd);
    ASSERT_EQ(children.size(), 4u);
    EXPECT_EQ(children.front(), L"usr-chen") << "members, then sub-groups";
    EXPECT_TRUE(std::all_of(children.begin() + 1, children.end(), [](const auto& id) { return id.rfind(L"grp-", 0) == 0; }));
    ToggleFolder(rd);
    ToggleFolder(rd);
    EXPECT_EQ(ChildIds(rd), children) << "a second expansion adds nothing";
    ToggleFolder(NodeOf(L"organization_tree", L"grp-qa"));
    EXPECT_EQ(ChildIds(NodeOf(L"organization_tree", L"grp-qa")), (std::vector<std::wstring>{L"usr-sun", L"usr-bot"}));
    CloseMainWindow();
  });
  RunMainWindow(before);

  mireloomwnd::OrganizationTreeBuildCount = 0;
  mireloomwnd::ContactsTreeBuildCount = 0;
  StepRunner after;
  WaitForFilledList(after).Do("the organisation after the letters", [] {
    ASSERT_TRUE(Testing::Click(MainWindow(), L"contacts_btn"));
    ASSERT_TRUE(Testing::Click(MainWindow(), L"contacts_by_organization_btn"));
    EXPECT_TRUE(IsShown(L"organization_tree"));
    EXPECT_FALSE(IsShown(L"contacts_tree"));
    EXPECT_EQ(Button(L"contacts_by_organization_btn")->GetNormalImage(), L"session/contact_organization_push.png");
    EXPECT_EQ(Control(L"contacts_by_organization_btn_color")->GetBkColor(), 0xFF4BBCB7u);
    auto* root = static_cast<CTreeNodeUI*>(Control(L"team_name_node")->GetInterface(L"TreeNode"));
    EXPECT_EQ(std::wstring(root->GetItemText().GetData()), L"示例团队(16)") << "robots no longer counted";
    ToggleFolder(NodeOf(L"organization_tree", L"grp-rd"));
    ToggleFolder(NodeOf(L"organization_tree", L"grp-qa"));
    EXPECT_EQ(ItemTextOf(L"organization_tree", L"grp-qa"), L"测试组(2)") << "the robot still counts";
    EXPECT_EQ(ChildIds(NodeOf(L"organization_tree", L"grp-qa")), std::vector<std::wstring>{L"usr-sun"});
    // A member chosen in the organisation tree shows their card.
    Select(L"organization_tree", L"usr-sun");
    EXPECT_EQ(Text(L"display_name_label"), L"孙雨");
    ASSERT_TRUE(Testing::Click(MainWindow(), L"contacts_by_letter_btn"));
    EXPECT_TRUE(IsShown(L"contacts_tree"));
    EXPECT_EQ(Control(L"contacts_by_organization_btn_color")->GetBkColor(), 0xFFD9DFE8u);
    CloseMainWindow();
  });
  RunMainWindow(after);
}

TEST_F(MainWndContactsTest, TheCardFollowsWhoIsSelectedAndTheChannelShowsItsTiles) {
  StepRunner script;
  WaitForFilledList(script).Do("cards", [] {
    ASSERT_TRUE(Testing::Click(MainWindow(), L"contacts_btn"));
    EXPECT_FALSE(IsShown(L"member_details_v_layout")) << "no empty card before a choice";
    Select(L"contacts_tree", L"usr-zhou");
    EXPECT_TRUE(IsShown(L"edit_my_information_layout")) << "the own card";
    EXPECT_FALSE(IsShown(L"contacts_send_message"));
    EXPECT_FALSE(IsShown(L"contacts_make_call"));

    Select(L"contacts_tree", L"usr-zhao");
    EXPECT_EQ(Text(L"user_name_label"), L"@zhao");
    EXPECT_FALSE(IsShown(L"edit_my_information_layout"));
    EXPECT_TRUE(IsShown(L"contacts_make_call"));
    EXPECT_FALSE(Button(L"contacts_make_call")->IsMouseEnabled()) << "no phone, no call";
    EXPECT_TRUE(Button(L"contacts_send_message")->IsMouseEnabled());
    EXPECT_EQ(std::wstring(Button(L"contacts_send_message")->GetUserData().GetData()), L"usr-zhao");
    EXPECT_EQ(Text(L"job_title_label"), L"Position   {c #262626}市场经理{/c }");

    Select(L"contacts_tree", L"usr-bot");
    for (const wchar_t* line : {L"phone_number_label", L"email_label", L"department_label", L"job_title_label"}) {
      EXPECT_EQ(Text(line), L"") << line;
    }
    EXPECT_FALSE(Button(L"contacts_make_call")->IsMouseEnabled());
    EXPECT_EQ(std::wstring(Button(L"contacts_send_message")->GetUserData().GetData()), L"usr-bot");

    Select(L"contacts_tree", L"chn-history");
    EXPECT_TRUE(IsShown(L"group_members_v_layout"));
    EXPECT_FALSE(IsShown(L"member_details_v_layout"));
    EXPECT_EQ(Text(L"gourp_details_title"), L"历史");
    auto* tiles = static_cast<CContainerUI*>(Control(L"group_members_tile_layout")->GetInterface(L"Container"));
    EXPECT_EQ(tiles->GetCount(), 5);
    Select(L"contacts_tree", L"chn-fe");
    EXPECT_EQ(tiles->GetCount(), 4) << "the grid is emptied first";
    EXPECT_EQ(std::wstring(Control(L"send_group_message")->GetUserData().GetData()), L"chn-fe");
    CloseMainWindow();
  });
  RunMainWindow(script);
}

TEST_F(MainWndContactsTest, TheCallAnimationStepsThenRestoresWhatTheShownCardNeeds) {
  const std::vector<std::wstring> first = {L"Calling.", L"Calling..", L"Calling...", L"Calling.",
                                           L"Calling..", L"Calling...", L"Calling."};
  StepRunner script;
  WaitForFilledList(script).Do("call lin twice", [&] {
    ASSERT_TRUE(Testing::Click(MainWindow(), L"contacts_btn"));
    Select(L"contacts_tree", L"usr-lin");
    CButtonUI* call = Button(L"contacts_make_call");
    ASSERT_TRUE(call->IsMouseEnabled());
    for (int animation = 0; animation < 2; ++animation) {
      ASSERT_TRUE(Testing::Click(MainWindow(), L"contacts_make_call"));
      // The test's ticks are the only ones.
      KillTimer(MainWindow(), mireloomwnd::kCallAnimationTimer);
      EXPECT_EQ(Text(L"contacts_make_call"), L"Calling...");
      EXPECT_FALSE(call->IsMouseEnabled());
      EXPECT_EQ(call->GetBkColor(), 0xFFFFFFFFu);
      const size_t steps = animation == 0 ? first.size() : first.size() - 1;
      for (size_t step = 0; step < steps; ++step) {
        Tick();
        EXPECT_EQ(Text(L"contacts_make_call"), first[step]) << "animation " << animation << " step " << step;
      }
      // The second time, zhao's card is shown by the end: no phone, no call.
      if (animation == 1) Select(L"contacts_tree", L"usr-zhao");
      Tick();
      EXPECT_EQ(Text(L"contacts_make_call"), L"Call");
      EXPECT_EQ(call->GetBkColor(), 0xFF4BBCB7u);
      EXPECT_EQ(call->IsMouseEnabled(), animation == 0);
    }
    ASSERT_TRUE(core::WaitIdle());
    const auto calls = core::ServiceCalls();
    EXPECT_EQ(std::count_if(calls.begin(), calls.end(), [](const core::PhoneCall& placed) {
                return placed.callees == std::vector<std::string>{"usr-lin"};
              }),
              2);
    CloseMainWindow();
  });
  RunMainWindow(script);
}

}  // namespace
}  // namespace mainwnd_test
