// The buttons and menu commands of the main window that open dialogs, walked
// as zhou: each opens its dialog, side panels at the side-card place, and
// what a dialog joins, creates or opens comes back selected in the list.

#include "app/storage/Settings.h"
#include "app/text/StringTable.h"
#include "app/text/TextHelpers.h"
#include "duilib/testing.h"
#include "mainwnd/MainWndMessages.h"
#include "MainWndFixture.h"
#include "mireloom/ChannelManager.h"
#include "mireloom/IMManager.h"
#include "mireloom/Types.h"
#include "quennet/testing.h"
#include "quennet/WinHandles.h"
#include "support/TempFolder.h"

namespace mainwnd_test {
namespace {

using namespace DuiLib;
using test_support::ControlIn;
using test_support::TextIn;
namespace core = mireloom::testing;

std::wstring SelectedItem() {
  CListUI* list = MainWindowTest::SessionList();
  const int index = list ? list->GetCurSel() : -1;
  return index >= 0 ? std::wstring(list->GetItemAt(index)->GetName().GetData()) : std::wstring();
}

// The right-hand 320 pixels of the main window below its top 30.
bool IsAtSideCard(HWND panel) {
  RECT main = {};
  RECT placed = {};
  GetWindowRect(MainWindowTest::MainWindow(), &main);
  GetWindowRect(panel, &placed);
  return placed.left == main.right - 320 && placed.right == main.right && placed.top == main.top + 30 &&
         placed.bottom == main.bottom;
}

bool ClickIn(const wchar_t* windowClass, const wchar_t* name) {
  const HWND window = FindOwnWindow(windowClass);
  return window && Testing::Click(window, name);
}

std::function<bool()> Shows(const wchar_t* windowClass) {
  return [windowClass] { return FindOwnWindow(windowClass) != nullptr; };
}

std::function<bool()> Gone(const wchar_t* windowClass) {
  return [windowClass] { return FindOwnWindow(windowClass) == nullptr; };
}

// A popup menu's item, clicked: the dialog it opens runs inside the click.
StepRunner& ChooseFromMenu(StepRunner& script, const wchar_t* button, const wchar_t* menu, const wchar_t* item) {
  return script.Do("open the menu", [button] { ASSERT_TRUE(Testing::Click(MainWindowTest::MainWindow(), button)); })
      .WaitFor("the menu", Shows(menu))
      .Do("choose its item", [menu, item] { ASSERT_TRUE(ClickIn(menu, item)); });
}

StepRunner& ClickButton(StepRunner& script, const wchar_t* name) {
  return script.Do("click a button", [name] { ASSERT_TRUE(Testing::Click(MainWindowTest::MainWindow(), name)); });
}

bool IsChannelMember(const std::string& channelId, const std::string& uid) {
  const auto members = core::ServiceChannelMembers(channelId);
  return std::find(members.begin(), members.end(), uid) != members.end();
}

mireloom::User::Data GhostMember() {
  mireloom::User::Data ghost;
  ghost.uid = "usr-ghost";
  ghost.username = "ghost";
  ghost.display_name = "Ghost";
  return ghost;
}

class MainWndDialogRowsTest : public MainWindowTest {};

TEST_F(MainWndDialogRowsTest, TheChannelRowsOpenJoinAndCreateAndWhatTheyMakeIsSelected) {
  StepRunner script;
  ClickButton(WaitForFilledList(script), L"add_channel_btn")
      .WaitFor("the join dialog", Shows(L"JoinChannelWnd"))
      .Do("find chn-random and join it", [] {
        // Its row lies below the list's fold; the search brings it up.
        ASSERT_TRUE(Testing::TypeText(FindOwnWindow(L"JoinChannelWnd"), L"search", L"闲"));
        ASSERT_TRUE(ClickIn(L"JoinChannelWnd", L"ceid_chn-random"));
      })
      .WaitFor("chn-random selected", [] {
        return SelectedItem() == L"channelItem_chn-random" && Text(L"title_label") == L"#闲聊";
      });
  ClickButton(script, L"add_group_btn")
      .WaitFor("the join dialog for private channels", Shows(L"JoinChannelWnd"))
      .Do("nothing to join there", [] {
        EXPECT_EQ(TextIn(L"JoinChannelWnd", L"ceid_chn-ops"), L"Joined");
        ASSERT_TRUE(ClickIn(L"JoinChannelWnd", L"closeBtn"));
      })
      .WaitFor("closed", Gone(L"JoinChannelWnd"));
  ChooseFromMenu(script, L"im_or_channel_btn", L"ImOrChannelMenuWnd", L"menu_join_channel")
      .WaitFor("the join dialog again", Shows(L"JoinChannelWnd"))
      .Do("chn-random joined", [] {
        EXPECT_EQ(TextIn(L"JoinChannelWnd", L"ceid_chn-random"), L"Joined");
        // Still joinable: its first control of that name is the join icon, which has no text.
        EXPECT_EQ(TextIn(L"JoinChannelWnd", L"ceid_chn-ops"), L"");
        ASSERT_TRUE(ClickIn(L"JoinChannelWnd", L"closeBtn"));
      })
      .WaitFor("closed", Gone(L"JoinChannelWnd"));
  ChooseFromMenu(script, L"im_or_channel_btn", L"ImOrChannelMenuWnd", L"menu_create_group")
      .WaitFor("the create dialog", Shows(L"CreateChannelWnd"))
      .Do("create a private channel with a colour", [] {
        const HWND create = FindOwnWindow(L"CreateChannelWnd");
        ASSERT_TRUE(Testing::TypeText(create, L"name_edit", L"发布计划"));
        ASSERT_TRUE(Testing::Click(create, Utf8ToWide(mireloom::preferred_color_to_hex_string(
                                               mireloom::PreferredColor(3))).c_str()));
        auto* choice = static_cast<CComboUI*>(ControlIn(L"CreateChannelWnd", L"group_visual_range")->GetInterface(L"Combo"));
        choice->SelectItem(1, false);
        ASSERT_TRUE(Testing::Click(create, L"save_btn"));
      })
      .WaitFor("the new channel selected", [] { return Text(L"title_label") == L"#发布计划"; })
      .Do("check and close", [] {
        const std::wstring item = SelectedItem();
        ASSERT_EQ(item.rfind(L"channelItem_", 0), 0u);
        const auto created = core::ServiceChannel(WideToUtf8(item.substr(12)));
        ASSERT_TRUE(created);
        EXPECT_EQ(created->visibility, mireloom::Channel::kPrivate);
        EXPECT_EQ(created->preferred_color, 3);
        EXPECT_TRUE(IsChannelMember("chn-random", "usr-zhou"));
        CloseMainWindow();
      });
  RunMainWindow(script);
}

TEST_F(MainWndDialogRowsTest, AConversationOpenedFromTheDialogsIsSelected) {
  StepRunner script;
  ClickButton(WaitForFilledList(script), L"open_im_btn")
      .WaitFor("the conversation dialog", Shows(L"OpenImWnd"))
      .Do("olivia", [] { ASSERT_TRUE(ClickIn(L"OpenImWnd", L"ueid_usr-olivia")); })
      .WaitFor("olivia's conversation selected", [] { return Text(L"title_label") == L"Olivia Brandt"; });
  script.Do("a member only the cache knows", [] { core::PreloadUsers({GhostMember()}); });
  ChooseFromMenu(script, L"im_or_channel_btn", L"ImOrChannelMenuWnd", L"menu_open_im")
      .WaitFor("the conversation dialog again", Shows(L"OpenImWnd"))
      .Do("an answer without a conversation", [] {
        // A member the cache knows and the service does not: the scripted
        // success comes without a conversation.
        ASSERT_TRUE(Testing::TypeText(FindOwnWindow(L"OpenImWnd"), L"search", L"Ghost"));
        core::Script("IMManager::NewIM").Answer(200).Times(1);
        ASSERT_TRUE(ClickIn(L"OpenImWnd", L"ueid_usr-ghost"));
      })
      .WaitFor("closed", Gone(L"OpenImWnd"))
      .Do("nothing else selected", [] {
        EXPECT_EQ(Text(L"title_label"), L"Olivia Brandt");
        ASSERT_TRUE(Testing::Click(MainWindow(), L"channelItem_chn-general"));
      });
  ClickButton(script, L"members_btn")
      .WaitFor("chn-general's members", Shows(L"ViewGroupMembersWnd"))
      .Do("a conversation from there", [] {
        EXPECT_TRUE(IsAtSideCard(FindOwnWindow(L"ViewGroupMembersWnd")));
        ASSERT_TRUE(ClickIn(L"ViewGroupMembersWnd", L"ueid_usr-an"));
      })
      .WaitFor("an's conversation selected", [] { return Text(L"title_label") == L"安然"; })
      .Do("close", [] {
        EXPECT_EQ(FindOwnWindow(L"ViewGroupMembersWnd"), nullptr);
        CloseMainWindow();
      });
  RunMainWindow(script);
}

TEST_F(MainWndDialogRowsTest, TheMemberCallAndFeedbackRowsOpenTheirDialogs) {
  StepRunner script;
  WaitForFilledList(script).Do("chn-core", [] { ASSERT_TRUE(Testing::Click(MainWindow(), L"channelItem_chn-core")); });
  ClickButton(script, L"add_members_btn")
      .WaitFor("its add-members dialog", Shows(L"AddMembersWnd"))
      .Do("invite lin", [] { ASSERT_TRUE(ClickIn(L"AddMembersWnd", L"ueid_usr-lin")); })
      .WaitFor("lin in chn-core", [] { return IsChannelMember("chn-core", "usr-lin"); })
      .Do("close", [] { ASSERT_TRUE(ClickIn(L"AddMembersWnd", L"closeBtn")); })
      .WaitFor("closed", Gone(L"AddMembersWnd"));
  ChooseFromMenu(script, L"drop_down_btn", L"GroupDropDownMenuWnd", L"menu_add_group_members")
      .WaitFor("the same dialog from the channel menu", Shows(L"AddMembersWnd"))
      .Do("lin is a member now", [] {
        EXPECT_EQ(TextIn(L"AddMembersWnd", L"ueid_usr-lin"), L"Joined");
        ASSERT_TRUE(ClickIn(L"AddMembersWnd", L"closeBtn"));
      })
      .WaitFor("closed", Gone(L"AddMembersWnd"))
      .Do("lin's conversation", [] { ASSERT_TRUE(Testing::Click(MainWindow(), L"imItem_im-zhou-lin")); });
  ClickButton(script, L"members_btn")
      .WaitFor("lin's card", Shows(L"ViewImMemberWnd"))
      .Do("at the side", [] {
        EXPECT_TRUE(IsAtSideCard(FindOwnWindow(L"ViewImMemberWnd")));
        EXPECT_EQ(TextIn(L"ViewImMemberWnd", L"label_displayname"), L"林晓");
        ASSERT_TRUE(ClickIn(L"ViewImMemberWnd", L"close_btn"));
      })
      .WaitFor("closed", Gone(L"ViewImMemberWnd"));
  ChooseFromMenu(script, L"drop_down_btn", L"ImDropDownMenuWnd", L"menu_view_personal_information")
      .WaitFor("the card from the conversation menu", Shows(L"ViewImMemberWnd"))
      .Do("close it", [] {
        EXPECT_TRUE(IsAtSideCard(FindOwnWindow(L"ViewImMemberWnd")));
        ASSERT_TRUE(ClickIn(L"ViewImMemberWnd", L"close_btn"));
      })
      .WaitFor("closed", Gone(L"ViewImMemberWnd"));
  ClickButton(script, L"make_call_btn")
      .WaitFor("lin rings", [] { return !core::ServiceCalls().empty() && FindOwnWindow(L"TelephoneCallingWnd"); })
      .Do("hang up", [] { ASSERT_TRUE(ClickIn(L"TelephoneCallingWnd", L"delete_calling_btn")); })
      .WaitFor("hung up", Gone(L"TelephoneCallingWnd"))
      .Do("chn-general", [] {
        EXPECT_EQ(core::ServiceCalls()[0].callees, std::vector<std::string>{"usr-lin"});
        EXPECT_EQ(core::ServiceCalls()[0].state, "cancelled");
        ASSERT_TRUE(Testing::Click(MainWindow(), L"channelItem_chn-general"));
      });
  ClickButton(script, L"make_call_btn")
      .WaitFor("the group-call picker", Shows(L"SelectGroupCallMembersWnd"))
      .Do("pick two and call", [] {
        ASSERT_TRUE(ClickIn(L"SelectGroupCallMembersWnd", L"ueid_usr-lin"));
        ASSERT_TRUE(ClickIn(L"SelectGroupCallMembersWnd", L"ueid_usr-sun"));
        ASSERT_TRUE(ClickIn(L"SelectGroupCallMembersWnd", L"make_call_button"));
      })
      .WaitFor("the group call", [] { return core::ServiceCalls().size() == 2 && FindOwnWindow(L"GroupTelephoneCallingWnd"); })
      .Do("close it", [] {
        EXPECT_EQ(core::ServiceCalls()[1].requested, (std::vector<std::string>{"usr-zhou", "usr-lin", "usr-sun"}));
        ASSERT_TRUE(ClickIn(L"GroupTelephoneCallingWnd", L"closeBtn"));
      })
      .WaitFor("closed", Gone(L"GroupTelephoneCallingWnd"))
      .Do("the tray's feedback item", [this] {
        m_platform.SetMenuCommand(mireloomwnd::kTrayFeedbackCommand);
        PostMessageW(MainWindow(), mireloomwnd::WM_TRAY_NOTIFY, 0, WM_RBUTTONUP);
      })
      .WaitFor("the feedback window", Shows(L"FeedbackWnd"))
      .Do("send some", [] {
        ASSERT_TRUE(Testing::TypeText(FindOwnWindow(L"FeedbackWnd"), L"feedback_edit", L"托盘里的反馈"));
        ASSERT_TRUE(ClickIn(L"FeedbackWnd", L"save_btn"));
      })
      .WaitFor("it reached the service", [] { return !core::ServiceFeedback().empty(); })
      .Do("check and close", [] {
        EXPECT_EQ(core::ServiceFeedback()[0].description, "托盘里的反馈");
        CloseMainWindow();
      });
  RunMainWindow(script);
}

class MainWndLanguageRoundTripTest : public MainWindowTest {
 protected:
  void SetUp() override {
    MainWindowTest::SetUp();
    m_stored = settings::ReadInt(settings::kLanguageKey);
  }
  void TearDown() override {
    settings::WriteString(settings::kLanguageKey, std::to_wstring(m_stored));
    MainWindowTest::TearDown();
  }
  // Chooses the entry in the language window opened from the personal menu
  // and saves it; the main window comes back in that language.
  StepRunner& SwitchTo(StepRunner& script, int entry, const wchar_t* sendText, const wchar_t* picture) {
    ChooseFromMenu(script, L"personal_menu_btn", L"PersonalMenuWnd", L"menu_switch_language")
        .WaitFor("the language window", Shows(L"SwitchLanguageWnd"))
        .Do("choose and save", [this, entry] {
          m_before = MainWindow();
          auto* combo = static_cast<CComboUI*>(ControlIn(L"SwitchLanguageWnd", L"switch_language_combo")->GetInterface(L"Combo"));
          combo->SelectItem(entry, false);
          ASSERT_TRUE(ClickIn(L"SwitchLanguageWnd", L"save_btn"));
        })
        .WaitFor("the main window in the new language", [this, sendText] {
          return MainWindow() && MainWindow() != m_before && !IsWindow(m_before) && IsWindowVisible(MainWindow()) &&
                 Text(L"send_message_btn") == sendText;
        });
    return WaitForFilledList(script).Do("a picture", [this, picture] {
      Testing::PumpPending();
      EXPECT_TRUE(Testing::SaveWindowPng(MainWindow(), (m_program.StartFolder() + picture).c_str()));
    });
  }

  int m_stored = 0;
  HWND m_before = nullptr;
};

TEST_F(MainWndLanguageRoundTripTest, ANewLanguageIsWrittenAndTheMainWindowComesBackInIt) {
  StepRunner script;
  WaitForFilledList(script);
  SwitchTo(script, 0, L"发送", L"main_window_simplified_chinese.png").Do("stored", [] {
    EXPECT_EQ(settings::ReadInt(settings::kLanguageKey), 1);
    EXPECT_EQ(Text(L"team_name_label"), L"消息");
  });
  SwitchTo(script, 1, L"傳送", L"main_window_traditional_chinese.png").Do("stored and close", [this] {
    EXPECT_EQ(settings::ReadInt(settings::kLanguageKey), 2);
    EXPECT_EQ(Text(L"team_name_label"), L"訊息");
    EXPECT_EQ(m_platform.Count(PlatformCall::MessageBox), 2u) << "each change was confirmed";
    CloseMainWindow();
  });
  RunMainWindow(script);
}

// A settings file that cannot be written: the window still comes back in
// the language chosen, the file keeps what it held, the failed write is
// logged and the user is told that the choice was not kept.
TEST_F(MainWndLanguageRoundTripTest, AReadOnlySettingsFileStillSwitchesAndSaysTheChoiceWasNotKept) {
  ASSERT_TRUE(settings::WriteString(settings::kLanguageKey, L"7"));
  const std::wstring file = settings::FilePath();
  // Held open by another program that lets others read it but not write it
  // (a read-only attribute does not stop the root user that runs the tests).
  const quennet::UniqueHandle holder(
      CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  ASSERT_NE(holder.get(), INVALID_HANDLE_VALUE);
  quennet::ScopedLogCapture log;
  StepRunner script;
  WaitForFilledList(script);
  SwitchTo(script, 1, L"傳送", L"main_window_language_not_kept.png").Do("check and close", [this, &file] {
    EXPECT_EQ(Text(L"team_name_label"), L"訊息");
    EXPECT_NE(test_support::ReadFileBytes(file).find("Language=7"), std::string::npos) << "the file kept what it held";
    const auto boxes = m_platform.CallsOf(PlatformCall::MessageBox);
    ASSERT_EQ(boxes.size(), 2u) << "the confirmation, then the choice not kept";
    EXPECT_EQ(boxes.back().text, L"The language could not be kept: the settings file cannot be written. "
                                 L"It is used until Corvanel closes.");
    CloseMainWindow();
  });
  RunMainWindow(script);
  EXPECT_TRUE(log.Contains("Cannot store the language 2: the settings file " + WideToUtf8(file) +
                           " cannot be written"));
}

}  // namespace
}  // namespace mainwnd_test
