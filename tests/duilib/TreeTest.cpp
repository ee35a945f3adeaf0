// Trees: the flat display order, expanding and collapsing by the folder
// button and by double-click, the parts of a row and their lazy creation,
// nodes added before and after the tree, removal, indent and defaults.

#include <gtest/gtest.h>

#include "TestWindow.h"
#include "WindowFixture.h"

namespace duilib_test {
namespace {

using namespace DuiLib;
using Testing::NotifyRecorder;
using Lines = std::vector<std::wstring>;

const wchar_t kTree[] = LR"(<VerticalLayout><TreeView name="tree" itemheight="30">
    <TreeNode name="group" itemtext="频道" visiblefolderbtn="true" expanded="true">
      <TreeNode name="g1"/><TreeNode name="g2"/>
    </TreeNode>
    <TreeNode name="robot" itemtext="机器人" visiblefolderbtn="true">
      <TreeNode name="r1"><TreeNode name="r1a"/></TreeNode>
    </TreeNode>
    <TreeNode name="A_node" itemtext="A" expanded="true"><TreeNode name="a1"/></TreeNode>
  </TreeView></VerticalLayout>)";

Lines FlatNames(CTreeViewUI* tree) {
  Lines names;
  for (int i = 0; i < tree->GetCount(); ++i) {
    CControlUI* item = tree->GetItemAt(i);
    names.push_back(item->GetName().str() + (item->IsVisible() ? L"" : L"(hidden)"));
  }
  return names;
}

CTreeNodeUI* Node(TestWindow& window, LPCTSTR name) { return window.FindAs<CTreeNodeUI>(name, L"TreeNode"); }

using TreeTest = WindowTest;

TEST_F(TreeTest, NodesFollowTheirParentInDisplayOrderAndCollapsedOnesAreHiddenButCounted) {
  TestWindow window(Skin(kTree));
  HWND hwnd = window.CreatePopup();
  auto* tree = window.FindAs<CTreeViewUI>(L"tree", L"TreeView");
  EXPECT_EQ(FlatNames(tree), (Lines{L"group", L"g1", L"g2", L"robot", L"r1(hidden)", L"r1a(hidden)", L"A_node", L"a1"}));
  EXPECT_EQ(Node(window, L"r1a")->GetParentNode(), Node(window, L"r1"));
  EXPECT_EQ(Node(window, L"r1a")->GetLevel(), 2);
  EXPECT_EQ(Node(window, L"group")->GetCountChild(), 2);
  EXPECT_EQ(Node(window, L"group")->GetItemText(), L"频道");
  EXPECT_TRUE(IsRectEmpty(&Node(window, L"r1")->GetPos())) << "a collapsed child takes no room";

  NotifyRecorder recorder(hwnd);
  ASSERT_TRUE(Testing::Click(hwnd, L"A_node"));
  EXPECT_EQ(recorder.Summary(), (Lines{L"setfocus:tree", L"itemselect:tree", L"itemclick:A_node"}));
  EXPECT_EQ(recorder.Records()[1].wParam, 6u) << "the index is in the flat order, hidden nodes included";
  EXPECT_EQ(tree->GetItemAt(tree->GetCurSel()), Node(window, L"A_node"));
  Testing::PressKey(hwnd, VK_UP);
  EXPECT_EQ(tree->GetItemAt(tree->GetCurSel()), Node(window, L"robot")) << "keys skip collapsed nodes";
}

TEST_F(TreeTest, TheFolderButtonTogglesAndItsHandlerSeesTheNewStateAndMayAddChildren) {
  TestWindow window(Skin(kTree));
  std::vector<bool> expandedAtNotice;
  window.onNotify = [&](TestWindow& self, TNotifyUI& msg) {
    if (msg.sType != L"selectchanged") return false;
    // As the organisation tree does: the folder's grandparent is the node.
    auto* node = static_cast<CTreeNodeUI*>(msg.pSender->GetParent()->GetParent()->GetInterface(L"TreeNode"));
    expandedAtNotice.push_back(node && node->IsExpanded());
    if (node && node->IsExpanded() && node->GetCountChild() == 1) {
      auto* added = new CTreeNodeUI;
      added->SetName(L"filled");
      node->AddChildNode(added);
    }
    return false;
  };
  HWND hwnd = window.CreatePopup();
  auto* tree = window.FindAs<CTreeViewUI>(L"tree", L"TreeView");
  CTreeNodeUI* robot = Node(window, L"robot");
  CCheckBoxUI* folder = robot->GetFolderButton();
  EXPECT_EQ(folder->GetParent(), robot->GetTreeNodeHorizontal());
  EXPECT_EQ(robot->GetTreeNodeHorizontal()->GetParent(), robot);
  folder->SetName(L"robot_folder");
  NotifyRecorder recorder(hwnd);

  ASSERT_TRUE(Testing::Click(hwnd, L"robot_folder"));
  EXPECT_EQ(recorder.Summary(), (Lines{L"setfocus:tree", L"selectchanged:robot_folder", L"click:robot_folder"}));
  EXPECT_EQ(expandedAtNotice, (std::vector<bool>{true}));
  EXPECT_TRUE(folder->IsSelected());
  EXPECT_EQ(FlatNames(tree), (Lines{L"group", L"g1", L"g2", L"robot", L"r1", L"r1a(hidden)", L"filled", L"A_node", L"a1"}))
      << "r1 stays collapsed, so its own child stays hidden";

  ASSERT_TRUE(Testing::Click(hwnd, L"robot_folder"));
  EXPECT_FALSE(robot->IsExpanded());
  EXPECT_EQ(FlatNames(tree), (Lines{L"group", L"g1", L"g2", L"robot", L"r1(hidden)", L"r1a(hidden)", L"filled(hidden)",
                                    L"A_node", L"a1"}));
  EXPECT_EQ(tree->GetCurSel(), -1) << "a click on the folder does not select the row";
}

TEST_F(TreeTest, ADoubleClickOnTheRowTogglesThroughTheFolderOrDirectly) {
  TestWindow window(Skin(kTree));
  HWND hwnd = window.CreatePopup();
  NotifyRecorder recorder(hwnd);
  ASSERT_TRUE(Testing::DoubleClick(hwnd, L"robot"));
  EXPECT_TRUE(Node(window, L"robot")->IsExpanded());
  EXPECT_EQ(recorder.Count(L"selectchanged"), 1u) << "a toggle by the user, like a folder click";
  ASSERT_TRUE(Testing::DoubleClick(hwnd, L"A_node"));
  EXPECT_FALSE(Node(window, L"A_node")->IsExpanded()) << "no folder: toggled directly";
  EXPECT_FALSE(Node(window, L"a1")->IsVisible());
}

TEST_F(TreeTest, RowPartsAreCreatedOnlyWhenShownOrSetAndKeepTheirOrder) {
  const size_t before = Testing::LiveControlCount();
  std::vector<CTreeNodeUI*> nodes;
  for (int i = 0; i < 100; ++i) {
    auto* node = new CTreeNodeUI;
    auto* row = new CHorizontalLayoutUI;
    row->Add(new CButtonUI);
    row->Add(new CLabelUI);
    node->Add(row);
    nodes.push_back(node);
  }
  EXPECT_EQ(Testing::LiveControlCount() - before, 100u * 5) << "node, its row and the client's three controls";
  CTreeNodeUI* node = nodes.front();
  CHorizontalLayoutUI* row = node->GetTreeNodeHorizontal();
  ASSERT_EQ(row->GetCount(), 1);
  node->SetItemText(L"名字");
  node->SetVisibleCheckBtn(true);
  node->SetVisibleFolderBtn(true);
  auto* added = new CLabelUI;
  node->AddAt(added, 0);
  ASSERT_EQ(row->GetCount(), 5);
  EXPECT_EQ(row->GetItemAt(0), node->GetFolderButton());
  EXPECT_EQ(row->GetItemAt(1), node->GetCheckBox());
  EXPECT_EQ(row->GetItemAt(2)->GetText(), L"名字");
  EXPECT_FALSE(row->GetItemAt(2)->IsMouseEnabled()) << "clicks on the text select the node";
  EXPECT_EQ(row->GetItemAt(3), added) << "the client's controls come after the node's own parts";
  for (CTreeNodeUI* n : nodes) delete n;
  EXPECT_EQ(Testing::LiveControlCount(), before);
}

TEST_F(TreeTest, ChildrenAddedBeforeTheTreeWaitAndRemovalTakesDescendantsAlong) {
  TestWindow window(Skin(LR"(<VerticalLayout><TreeView name="tree" indent="10" visiblefolderbtn="true"/></VerticalLayout>)"));
  HWND hwnd = window.CreatePopup();
  auto* tree = window.FindAs<CTreeViewUI>(L"tree", L"TreeView");
  const size_t before = Testing::LiveControlCount();
  auto* top = new CTreeNodeUI;
  top->SetName(L"top");
  auto* child = new CTreeNodeUI(top);  // the constructor's parent takes it
  child->SetName(L"child");
  auto* grandchild = new CTreeNodeUI;
  grandchild->SetName(L"grandchild");
  child->AddChildNode(grandchild);
  auto* plain = new CTreeNodeUI;
  plain->SetName(L"plain");
  plain->SetVisibleFolderBtn(false);
  EXPECT_FALSE(top->AddChildNode(top)) << "no cycles";
  EXPECT_FALSE(grandchild->AddChildNode(top));
  ASSERT_TRUE(tree->Add(top));
  ASSERT_TRUE(tree->Add(plain));
  EXPECT_FALSE(tree->Add(child)) << "a node that has a parent is not a top-level node";
  EXPECT_EQ(FlatNames(tree), (Lines{L"top", L"child(hidden)", L"grandchild(hidden)", L"plain"}));
  EXPECT_EQ(window.Find(L"grandchild"), grandchild) << "found once in the tree";
  EXPECT_TRUE(top->GetVisibleFolderBtn()) << "the tree's default";
  EXPECT_FALSE(plain->GetVisibleFolderBtn()) << "a node's own choice wins";
  CControlUI* indent = grandchild->GetTreeNodeHorizontal()->GetItemAt(0);
  EXPECT_EQ(indent->GetFixedWidth(), 20) << "two levels of 10";

  top->SetExpanded(true);
  child->SetExpanded(true);
  child->SetVisible(false);
  EXPECT_FALSE(grandchild->IsVisible()) << "a hidden node hides its descendants";
  child->SetVisible(true);
  EXPECT_TRUE(grandchild->IsVisible());

  tree->SelectItem(2);
  NotifyRecorder recorder(hwnd);
  EXPECT_TRUE(top->RemoveAt(child));
  EXPECT_EQ(FlatNames(tree), (Lines{L"top", L"plain"}));
  EXPECT_EQ(tree->GetCurSel(), -1);
  EXPECT_EQ(top->GetCountChild(), 0);
  EXPECT_EQ(window.Find(L"grandchild"), nullptr);
  tree->Remove(top);
  tree->RemoveAt(0);
  EXPECT_EQ(tree->GetCount(), 0);
  EXPECT_EQ(Testing::LiveControlCount(), before);
  EXPECT_TRUE(recorder.Records().empty());
}

}  // namespace
}  // namespace duilib_test
