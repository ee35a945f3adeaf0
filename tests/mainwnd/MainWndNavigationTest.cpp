// Navigation, signed in as zhou: the left bar's views, the contacts panel's
// buttons, the search box and the team's pages opened in the user's browser.

#include <algorithm>
#include <functional>

#include "duilib/testing.h"
#include "mainwnd/contacts/ContactsPanel.h"
#include "mainwnd/MainWndMessages.h"
#include "mainwnd/sessions/SessionItemNames.h"
#include "MainWndFixture.h"

namespace mainwnd_test {
namespace {

using namespace DuiLib;

class MainWndNavigationTest : public MainWindowTest {
 protected:
  void SetUp() override {
    MainWindowTest::SetUp();
    mireloomwnd::ContactsTreeBuildCount = 0;
    mireloomwnd::OrganizationTreeBuildCount = 0;
  }
};

CButtonUI* Button(const wchar_t* name) {
  CControlUI* control = MainWindowTest::Control(name);
  return control ? static_cast<CButtonUI*>(control->GetInterface(L"Button")) : nullptr;
}

std::wstring ImageOf(const wchar_t* name) { return Button(name)->GetNormalImage().GetData(); }

std::wstring SelectedItemName() {
  CListUI* list = MainWindowTest::SessionList();
  CControlUI* item = list ? list->GetItemAt(list->GetCurSel()) : nullptr;
  return item ? std::wstring(item->GetName().GetData()) : L"<none>";
}

bool HasItem(const wchar_t* name) {
  const auto names = MainWindowTest::SessionItemNames();
  return std::find(names.begin(), names.end(), name) != names.end();
}

// Selects the node of the id in the contacts tree, as a click does.
void SelectContact(const wchar_t* id) {
  auto* tree = static_cast<CListUI*>(MainWindowTest::Control(L"contacts_tree")->GetInterface(L"List"));
  for (int i = 0; i < tree->GetCount(); ++i) {
    if (tree->GetItemAt(i)->GetUserData() == id) tree->SelectItem(i, false);
  }
}

void ClearSearch() {
  HWND edit = static_cast<CEditUI*>(MainWindowTest::Control(L"search")->GetInterface(L"Edit"))->GetNativeWindow();
  Testing::PressKey(edit, 'A', false, true);
  Testing::PressKey(edit, VK_BACK);
}

TEST_F(MainWndNavigationTest, TheLeftBarSwitchesBetweenConversationsAndContacts) {
  StepRunner script;
  WaitForFilledList(script).Do("switch", [] {
    ASSERT_TRUE(Testing::Click(MainWindow(), L"channelItem_chn-history"));
    ASSERT_TRUE(Testing::Click(MainWindow(), L"contacts_btn"));
    EXPECT_EQ(Text(L"team_name_label"), L"Contacts");
    EXPECT_EQ(ImageOf(L"contacts_btn"), L"session/contacts_push.png");
    EXPECT_EQ(ImageOf(L"chat_btn"), L"session/chat.png");
    EXPECT_FALSE(IsShown(L"im_or_channel_btn"));
    EXPECT_TRUE(IsShown(L"member_details"));
    EXPECT_FALSE(IsShown(L"chat_list_v_layout"));
    EXPECT_TRUE(SessionItemNames().empty());

    ASSERT_TRUE(Testing::Click(MainWindow(), L"chat_btn"));
    EXPECT_EQ(Text(L"team_name_label"), L"Messages");
    EXPECT_EQ(ImageOf(L"chat_btn"), L"session/chat_push.png");
    EXPECT_EQ(ImageOf(L"contacts_btn"), L"session/contacts.png");
    EXPECT_TRUE(IsShown(L"chat_list_v_layout"));
    EXPECT_FALSE(IsShown(L"contacts_layout"));
    EXPECT_EQ(SelectedItemName(), L"channelItem_chn-history") << "the open conversation is selected again";

    // From the member card back to a conversation: with a member, with a channel.
    ASSERT_TRUE(Testing::Click(MainWindow(), L"contacts_btn"));
    SelectContact(L"usr-lin");
    ASSERT_TRUE(Testing::Click(MainWindow(), L"contacts_send_message"));
    EXPECT_TRUE(IsShown(L"sessionList"));
    EXPECT_EQ(ImageOf(L"chat_btn"), L"session/chat_push.png");
  })
      .WaitFor("the conversation with lin", [] { return SelectedItemName() == L"imItem_im-zhou-lin"; })
      .Do("a channel's button", [] {
        ASSERT_TRUE(Testing::Click(MainWindow(), L"contacts_btn"));
        SelectContact(L"chn-fe");
        ASSERT_TRUE(Testing::Click(MainWindow(), L"send_group_message"));
        EXPECT_EQ(SelectedItemName(), L"channelItem_chn-fe");
        EXPECT_TRUE(IsShown(L"chat_list_v_layout"));
        // A click that no row takes still reaches the framework's own handling.
        ASSERT_TRUE(Testing::Click(MainWindow(), L"maxbtn"));
        EXPECT_TRUE(IsZoomed(MainWindow()));
        CloseMainWindow();
      });
  RunMainWindow(script);
}

TEST_F(MainWndNavigationTest, SearchFiltersConversationsOrMembersAndIgnoresItsHint) {
  StepRunner script;
  WaitForFilledList(script).Do("search", [] {
    const size_t all = SessionItemNames().size();
    ASSERT_TRUE(Testing::TypeText(MainWindow(), L"search", L"lin"));
    EXPECT_TRUE(HasItem(L"imItem_im-zhou-lin"));
    EXPECT_LT(SessionItemNames().size(), all);
    ClearSearch();
    EXPECT_EQ(SessionItemNames().size(), all) << "an empty search keeps every conversation";
    // An edit showing its hint's text is taken for one that shows the hint.
    ASSERT_TRUE(Testing::TypeText(MainWindow(), L"search", L"lin"));
    Control(L"search")->SetText(L"Search");
    ASSERT_TRUE(Testing::RaiseNotify(MainWindow(), L"search", L"textchanged"));
    EXPECT_TRUE(HasItem(L"imItem_im-zhou-lin")) << "the last search's result stays";
    EXPECT_LT(SessionItemNames().size(), all);
    ClearSearch();

    ASSERT_TRUE(Testing::Click(MainWindow(), L"contacts_btn"));
    ASSERT_TRUE(Testing::TypeText(MainWindow(), L"search", L"lin"));
    EXPECT_TRUE(IsShown(L"sessionList"));
    EXPECT_FALSE(IsShown(L"contacts_layout"));
    ASSERT_TRUE(HasItem(L"imItem_usr-lin"));
    ASSERT_TRUE(Testing::Click(MainWindow(), L"imItem_usr-lin"));
    EXPECT_EQ(Text(L"display_name_label"), L"林晓") << "a result opens the member's card";
    ClearSearch();
    EXPECT_FALSE(IsShown(L"sessionList"));
    EXPECT_TRUE(IsShown(L"contacts_layout"));
    CloseMainWindow();
  });
  RunMainWindow(script);
}

// The list shows what typing the box's text again would show.
void ExpectBoxAndListAgree() {
  const std::vector<std::wstring> shown = MainWindowTest::SessionItemNames();
  const bool panel = MainWindowTest::IsShown(L"contacts_layout");
  ASSERT_TRUE(Testing::RaiseNotify(MainWindowTest::MainWindow(), L"search", L"textchanged"));
  EXPECT_EQ(MainWindowTest::SessionItemNames(), shown);
  EXPECT_EQ(MainWindowTest::IsShown(L"contacts_layout"), panel);
}

// Whatever road leads to a list, the search box above it agrees with it: a
// view that shows another list starts with it empty, and a rebuild of the
// conversation list keeps to its query.
TEST_F(MainWndNavigationTest, TheSearchBoxAgreesWithTheListOnEveryRoad) {
  struct Road {
    const char* name;
    std::function<void()> walk;  // from the conversation view with the box empty
    const wchar_t* box;
  };
  auto search = [](const wchar_t* query) { ASSERT_TRUE(Testing::TypeText(MainWindow(), L"search", query)); };
  auto click = [](const wchar_t* name) { ASSERT_TRUE(Testing::Click(MainWindow(), name)); };
  const Road roads[] = {
      {"a contacts search, then Messages", [&] { click(L"contacts_btn"), search(L"qian"), click(L"chat_btn"); }, L""},
      {"a conversation search, then Contacts", [&] { search(L"lin"), click(L"contacts_btn"); }, L""},
      {"a channel found, then its card's message button",
       [&] { click(L"contacts_btn"), search(L"qian"), click(L"channelItem_chn-fe"), click(L"send_group_message"); },
       L""},
      {"a conversation search, then a message rebuilds the list",
       [&] { search(L"lin"), SendMessageW(MainWindow(), mireloomwnd::WM_REFRESH_SESSION_LIST, 0, 0); }, L"lin"},
      {"a conversation search, then a dialog opens a conversation",
       [&] {
         search(L"lin");
         Main()->RefreshAndSelectSession("chn-general", true);
         EXPECT_EQ(SelectedItemName(), L"channelItem_chn-general") << "shown and open";
       },
       L""},
  };
  StepRunner script;
  WaitForFilledList(script).Do("walk", [&] {
    for (const Road& road : roads) {
      SCOPED_TRACE(road.name);
      click(L"chat_btn");
      ASSERT_EQ(Text(L"search"), L"");
      road.walk();
      EXPECT_EQ(Text(L"search"), road.box);
      ExpectBoxAndListAgree();
    }
    CloseMainWindow();
  });
  RunMainWindow(script);
}

// A team too big for the list's view: the members the search finds get rows
// whose controls are made as the rows come into view.
class ManyMembersSearchTest : public MainWndNavigationTest {
 protected:
  void SetUp() override {
    mireloom::testing::GenerateTeam(kMembers, 0);
    MainWndNavigationTest::SetUp();
  }
  static constexpr int kMembers = 100;
};

TEST_F(ManyMembersSearchTest, ResultRowsAreMadeWhenTheyComeIntoView) {
  StepRunner script;
  WaitForFilledList(script).Do("search the generated members", [] {
    ASSERT_TRUE(Testing::Click(MainWindow(), L"contacts_btn"));
    ASSERT_TRUE(Testing::TypeText(MainWindow(), L"search", L"成员"));
    Testing::ManagerOf(MainWindow())->UpdateLayout();
    const std::vector<std::wstring> rows = SessionItemNames();
    ASSERT_EQ(rows.size(), static_cast<size_t>(kMembers));
    auto labelOf = [](const std::wstring& row) { return Control(mireloomwnd::SessionNameLabelId(row).c_str()); };
    ASSERT_NE(labelOf(rows.front()), nullptr);
    EXPECT_EQ(labelOf(rows.back()), nullptr) << "a row out of view holds no controls yet";

    ASSERT_TRUE(Testing::Click(MainWindow(), rows.front().c_str()));
    Testing::PressKey(MainWindow(), VK_END);
    Testing::ManagerOf(MainWindow())->UpdateLayout();
    CControlUI* last = labelOf(rows.back());
    ASSERT_NE(last, nullptr) << "the row scrolled into view is made";
    EXPECT_EQ(L"imItem_usr-gen" + last->GetText().str().substr(2), rows.back()) << "it shows its own member";
    EXPECT_NE(Control(mireloomwnd::SessionUnreadLabelId(rows.back()).c_str()), nullptr);
    EXPECT_EQ(Text(L"display_name_label"), last->GetText().GetData()) << "selecting it opens its card";
    CloseMainWindow();
  });
  RunMainWindow(script);
}

TEST_F(MainWndNavigationTest, TheTeamsPagesOpenUnderItsHostAndOnlyOrganisationFoldersExpand) {
  StepRunner script;
  WaitForFilledList(script).Do("profile and admin pages", [this] {
    ASSERT_TRUE(Testing::Click(MainWindow(), L"contacts_btn"));
    SelectContact(L"usr-zhou");
    ASSERT_TRUE(Testing::Click(MainWindow(), L"edit_my_information"));
    for (const wchar_t* item : {L"menu_config_service", L"menu_config_team", L"menu_invite_members", L"menu_homepage"}) {
      ASSERT_TRUE(Testing::Click(MainWindow(), L"team_menu_btn"));
      HWND menu = FindOwnWindow(L"TeamMenuWnd");
      ASSERT_NE(menu, nullptr);
      ASSERT_TRUE(Testing::Click(menu, item)) << item;
    }
    ASSERT_TRUE(Testing::Click(MainWindow(), L"personal_menu_btn"));
    ASSERT_TRUE(Testing::Click(FindOwnWindow(L"PersonalMenuWnd"), L"menu_account_config"));
    std::vector<std::wstring> opened;
    for (const auto& call : m_platform.CallsOf(PlatformCall::ShellOpen)) opened.push_back(call.text);
    EXPECT_EQ(opened, (std::vector<std::wstring>{L"https://demo.corvanel.test/console/account/profile",
                                                 L"https://demo.corvanel.test/admin/services",
                                                 L"https://demo.corvanel.test/admin/setting",
                                                 L"https://demo.corvanel.test/admin/members",
                                                 L"https://demo.corvanel.test/admin/dashboard",
                                                 L"https://demo.corvanel.test/admin/account/setting"}));

    // The tree by letter's own folders are no organisation groups.
    auto* group = static_cast<CTreeNodeUI*>(Control(L"group")->GetInterface(L"TreeNode"));
    const int children = group->GetCountChild();
    group->GetFolderButton()->Selected(!group->GetFolderButton()->IsSelected(), true);
    EXPECT_EQ(group->GetCountChild(), children);
    EXPECT_EQ(Text(L"display_name_label"), L"周一鸣") << "the card stays";
    CloseMainWindow();
  });
  RunMainWindow(script);
}

}  // namespace
}  // namespace mainwnd_test
