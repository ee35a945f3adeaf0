// The windows of the keyboard roads, each walked by the keyboard alone over
// the real main window: Tab goes round every stop in reading order, each
// showing its focus, and then the window's own keys do what a Windows user
// expects of them (drop-down boxes, menus, the sign-in windows' buttons).

#include <functional>
#include <string>
#include <vector>

#include "app/frame/WindowManager.h"
#include "app/ui/WindowConventions.h"
#include "duilib/testing.h"
#include "mainwnd/MainWndMessages.h"
#include "MainWndFixture.h"
#include "mireloom/Team.h"
#include "signin/LoginWnd.h"
#include "signin/SubdomainWnd.h"
#include "signin/UpdateWnd.h"

namespace mainwnd_test {
namespace {

using namespace DuiLib;
using mireloomwnd::WindowManager;
namespace core = mireloom::testing;

using Keys = std::function<void(HWND)>;

struct KeyboardWindow {
  const char* name;
  std::function<void()> open;  // opens it (a modal loop or a menu); null for the main window itself
  const wchar_t* windowClass;
  const wchar_t* firstFocus;           // where the keyboard is when it opens; null: not looked at
  std::vector<std::wstring> tabStops;  // Tab's round from its first stop; empty for a menu
  Keys keys;                           // its own keys; they end it, but the main window
};

CPaintManagerUI* ManagerOf(HWND window) { return Testing::ManagerOf(window); }

std::wstring FocusedName(HWND window) {
  CControlUI* focus = ManagerOf(window)->GetFocus();
  return focus ? focus->GetName().GetData() : L"<none>";
}

// Keys as the keyboard sends them: to the window that has the keyboard.
void Press(UINT key) { Testing::PressKey(GetFocus(), key); }

void PressAlt(UINT key) {
  const HWND target = GetFocus();
  ::PostMessageW(target, WM_SYSKEYDOWN, key, 1 | (1 << 29));
  ::PostMessageW(target, WM_SYSKEYUP, key, 1 | (1 << 29) | 0xC0000000);
  Testing::PumpPending();
}

void Type(wchar_t letter) {
  ::PostMessageW(GetFocus(), WM_CHAR, letter, 1);
  Testing::PumpPending();
}

void PressOn(HWND window, const wchar_t* control, UINT key) {
  ManagerOf(window)->FindControl(control)->SetFocus();
  Press(key);
}

// Tab's stops from the focus on, once round; each shows where the focus is.
std::vector<std::wstring> TabRound(HWND window) {
  std::vector<std::wstring> round;
  for (int press = 0; press < 60; ++press) {
    Press(VK_TAB);
    CControlUI* focus = ManagerOf(window)->GetFocus();
    if (!focus) break;
    const std::wstring name = focus->GetName().GetData();
    if (!round.empty() && name == round.front()) break;
    const bool field = focus->GetInterface(L"Edit") || focus->GetInterface(L"RichEdit");
    EXPECT_TRUE(field || focus->GetFocusBorderColor() != 0) << "no frame on " << std::string(name.begin(), name.end());
    round.push_back(name);
  }
  return round;
}

// The round as it goes from its first stop.
std::vector<std::wstring> FromFirst(std::vector<std::wstring> round, const std::wstring& first) {
  const auto at = std::find(round.begin(), round.end(), first);
  if (at != round.end()) std::rotate(round.begin(), at, round.end());
  return round;
}

// The menu's lit item, "" when none is.
std::wstring LitItem(HWND menu) {
  std::vector<CControlUI*> pending = {ManagerOf(menu)->GetRoot()};
  std::wstring lit;
  while (!pending.empty()) {
    CControlUI* control = pending.back();
    pending.pop_back();
    auto* item = static_cast<IListItemUI*>(control->GetInterface(L"ListItem"));
    if (item && item->IsSelected()) lit += control->GetName().GetData();
    for (int i = 0; i < control->GetChildCount(); ++i) pending.push_back(control->GetChildAt(i));
  }
  return lit;
}

// Opens a menu from its button by the keyboard.
std::function<void()> OpenMenuWith(const wchar_t* button) {
  return [button] { PressOn(MainWindowTest::MainWindow(), button, VK_SPACE); };
}

// Down and Up walk the usable items round; Esc, or Enter on the lit item,
// closes the menu and the main window has the keyboard again on its button.
Keys MenuKeys(const wchar_t* button, std::vector<std::wstring> usable, UINT closingKey = VK_ESCAPE) {
  return [=](HWND menu) {
    ASSERT_EQ(GetFocus(), menu) << "the menu has the keyboard";
    EXPECT_EQ(LitItem(menu), usable.front()) << "opened from the keyboard, the first usable item is lit";
    for (size_t step = 1; step <= usable.size(); ++step) {
      Testing::PressKey(menu, VK_DOWN);
      EXPECT_EQ(LitItem(menu), usable[step % usable.size()]) << "Down, " << step;
    }
    Testing::PressKey(menu, VK_UP);
    EXPECT_EQ(LitItem(menu), usable.back()) << "Up from the first goes round";
    Testing::PressKey(menu, closingKey);
    ASSERT_TRUE(Testing::PumpUntil([&] { return !IsWindow(menu); }, 5000));
    EXPECT_EQ(GetActiveWindow(), MainWindowTest::MainWindow());
    EXPECT_EQ(FocusedName(MainWindowTest::MainWindow()), button);
  };
}

// A drop-down box, closed and open: its choice as Windows' own changes it.
Keys ComboKeys(const wchar_t* name, wchar_t letter, int letterChoice) {
  return [=](HWND window) {
    auto* combo = static_cast<CComboUI*>(ManagerOf(window)->FindControl(name)->GetInterface(L"Combo"));
    combo->SelectItem(0);
    combo->SetFocus();
    Press(VK_DOWN);
    EXPECT_EQ(combo->GetCurSel(), 1) << "Down, closed";
    Press(VK_UP);
    EXPECT_EQ(combo->GetCurSel(), 0) << "Up, closed";
    Press(VK_F4);
    ASSERT_NE(combo->GetDropWindow(), nullptr) << "F4 opens";
    Press(VK_DOWN);
    EXPECT_EQ(combo->GetCurSel(), 0) << "open, Down only moves the highlight";
    Press(VK_RETURN);
    EXPECT_TRUE(Testing::PumpUntil([&] { return !combo->GetDropWindow(); }, 2000));
    EXPECT_EQ(combo->GetCurSel(), 1) << "Enter takes it";
    PressAlt(VK_DOWN);
    ASSERT_NE(combo->GetDropWindow(), nullptr) << "Alt+Down opens";
    Press(VK_UP);
    Press(VK_ESCAPE);
    EXPECT_TRUE(Testing::PumpUntil([&] { return !combo->GetDropWindow(); }, 2000));
    EXPECT_EQ(combo->GetCurSel(), 1) << "Esc leaves the choice";
    PressAlt(VK_DOWN);
    Press(VK_UP);
    PressAlt(VK_UP);
    EXPECT_TRUE(Testing::PumpUntil([&] { return !combo->GetDropWindow(); }, 2000));
    EXPECT_EQ(combo->GetCurSel(), 0) << "Alt+Up takes the highlighted entry";
    Type(letter);
    EXPECT_EQ(combo->GetCurSel(), letterChoice) << "a letter";
    Press(VK_ESCAPE);  // the dialog's close button
  };
}

// Whether an address ending so was opened in the user's browser.
bool OpenedAddress(const CRecordingPlatform& platform, const std::wstring& ending) {
  for (const auto& call : platform.CallsOf(PlatformCall::ShellOpen)) {
    if (call.text.size() >= ending.size() && call.text.substr(call.text.size() - ending.size()) == ending) return true;
  }
  return false;
}

bool Asked(const std::string& operation) { return MainWindowTest::CallPosition(operation) >= 0; }

template <class Window>
void RunSignInWindow(Window& window, const wchar_t* title, DWORD style) {
  ASSERT_NE(window.Create(nullptr, title, style, mireloomwnd::kWindowExStyle, CW_USEDEFAULT, CW_USEDEFAULT,
                          CW_USEDEFAULT, CW_USEDEFAULT),
            nullptr);
  window.CenterWindow();
  window.ShowModal();
}

class KeyboardRoadsTest : public MainWindowTest {
 protected:
  std::vector<KeyboardWindow> Windows() {
    const auto& platform = m_platform;
    return {
        {"main window", nullptr, L"MainWindow", nullptr,
         {L"team_menu_btn", L"chat_btn", L"contacts_btn", L"task_btn", L"calendar_btn", L"netdisc_btn",
          L"applications_btn", L"personal_menu_btn", L"im_or_channel_btn", L"search", L"add_channel_btn",
          L"add_group_btn", L"open_im_btn", L"sessionList", L"drop_down_btn", L"members_btn", L"add_members_btn",
          L"file_btn", L"make_call_btn", L"leave_btn", L"chat_display", L"emoji_btn", L"upload_btn", L"screenshot_btn",
          L"chat_input", L"send_message_btn"},
         [this](HWND main) {
           PressOn(main, L"contacts_btn", VK_SPACE);
           EXPECT_TRUE(IsShown(L"contacts_layout")) << "Space presses a side-bar button";
           PressOn(main, L"chat_btn", VK_RETURN);
           EXPECT_TRUE(IsShown(L"sessionList")) << "and Enter";
           // The tray's menu takes the keys through an owner in the front,
           // also while the window is hidden in the tray.
           Press(VK_ESCAPE);
           ASSERT_FALSE(IsWindowVisible(main));
           SendMessageW(main, mireloomwnd::WM_TRAY_NOTIFY, 0, WM_RBUTTONUP);
           const auto menus = [this] { return m_platform.CallsOf(PlatformCall::TrackPopupMenu); };
           ASSERT_TRUE(Testing::PumpUntil([&] { return !menus().empty(); }, 2000));
           EXPECT_TRUE(menus().back().ownerInFront);
           SendMessageW(main, mireloomwnd::WM_TRAY_NOTIFY, 0, WM_LBUTTONDOWN);
           ASSERT_TRUE(Testing::PumpUntil([main] { return IsWindowVisible(main) != FALSE; }, 2000));
           // Back from the tray the window may show another conversation.
           ASSERT_TRUE(Testing::Click(main, L"channelItem_chn-general"));
         }},
        {"channel menu", OpenMenuWith(L"drop_down_btn"), L"GroupDropDownMenuWnd", nullptr, {},
         MenuKeys(L"drop_down_btn", {L"menu_add_group_members"})},  // the general channel cannot be left
        {"new-chat menu", OpenMenuWith(L"im_or_channel_btn"), L"ImOrChannelMenuWnd", nullptr, {},
         MenuKeys(L"im_or_channel_btn", {L"menu_create_group", L"menu_join_channel", L"menu_open_im"})},
        {"team menu", OpenMenuWith(L"team_menu_btn"), L"TeamMenuWnd", nullptr, {},
         [&platform, menuKeys = MenuKeys(L"team_menu_btn",
                                         {L"menu_config_service", L"menu_invite_members", L"menu_homepage",
                                          L"menu_config_team"},
                                         VK_RETURN)](HWND menu) {
           menuKeys(menu);
           EXPECT_TRUE(OpenedAddress(platform, L"/admin/setting")) << "Enter chooses the lit item as a click does";
         }},
        {"personal menu", OpenMenuWith(L"personal_menu_btn"), L"PersonalMenuWnd", nullptr, {},
         MenuKeys(L"personal_menu_btn", {L"menu_account_config", L"menu_switch_language", L"menu_signout_team"})},
        {"create channel", [] { WindowManager::GetInstance()->ShowCreateChannelWnd(); }, L"CreateChannelWnd",
         nullptr, {},
         ComboKeys(L"group_visual_range", L'p', 1)},
        {"language", [] { WindowManager::GetInstance()->ShowSwitchLanguageWnd(); }, L"SwitchLanguageWnd", nullptr, {},
         ComboKeys(L"switch_language_combo", L'e', 2)},
        {"new-version notice",
         [] {
           mireloomwnd::UpdateWnd notice("notes", "https://download.corvanel.test/new");
           RunSignInWindow(notice, L"更新", mireloomwnd::kOverlappedStyle);
         },
         L"UpdateWnd", L"update_btn", {L"close_btn", L"cancel_btn", L"update_btn"},
         [&platform](HWND notice) {
           PressOn(notice, L"update_btn", VK_RETURN);
           EXPECT_TRUE(OpenedAddress(platform, L"/new")) << "Enter presses the main action";
           PressOn(notice, L"cancel_btn", VK_SPACE);
         }},
        {"log-in",
         [] {
           mireloomwnd::LoginWnd login;
           login.SetTeam(mireloom::Team("team-demo", "demo", "示例团队"));
           RunSignInWindow(login, L"登录", mireloomwnd::kDialogStyle);
         },
         L"LoginWindow", L"username_edit",
         {L"return_domain_btn", L"closebtn", L"username_edit", L"password_edit", L"login_btn", L"forgot_pwd_btn"},
         [&platform](HWND login) {
           core::ClearCallLog();
           PressOn(login, L"forgot_pwd_btn", VK_RETURN);
           EXPECT_TRUE(OpenedAddress(platform, L"/forgot"));
           EXPECT_FALSE(Asked("Auth::PostLoginRequest")) << "Enter on a focused link opens it and does not log in";
           PostMessageW(login, WM_CLOSE, 1, 0);
         }},
        // Last: its close button's road ends the program, every loop with it.
        {"team",
         [] {
           mireloomwnd::SubdomainWnd team;
           RunSignInWindow(team, L"登录团队", mireloomwnd::kDialogStyle);
         },
         L"SubdomainWnd", nullptr,
         {L"closebtn", L"subdomain_edit", L"continue_btn", L"create_team_btn", L"forgot_team_btn"},
         [&platform](HWND team) {
           core::ClearCallLog();
           PressOn(team, L"create_team_btn", VK_RETURN);
           EXPECT_TRUE(OpenedAddress(platform, L"/signup"));
           EXPECT_FALSE(Asked("WebApi::GetTeamLiteBySubdomain")) << "Enter on a focused link opens it";
           Testing::NotifyRecorder notifications(team);
           Press(VK_ESCAPE);
           const auto summary = notifications.Summary();
           EXPECT_NE(std::find(summary.begin(), summary.end(), L"click:closebtn"), summary.end());
         }},
    };
  }
};

TEST_F(KeyboardRoadsTest, EveryStopIsReachedAndShownAndEveryWindowTakesItsKeys) {
  const std::vector<KeyboardWindow> windows = Windows();
  StepRunner script;
  WaitForFilledList(script).Do("open the general channel", [] {
    ASSERT_TRUE(Testing::Click(MainWindow(), L"channelItem_chn-general"));
  });
  for (const KeyboardWindow& window : windows) {
    const std::string name = window.name;
    if (window.open) script.Do("open the " + name, window.open);
    script.WaitFor("the " + name, [&window] { return FindOwnWindow(window.windowClass) != nullptr; })
        .Do("keys in the " + name, [&window] {
          const HWND hwnd = FindOwnWindow(window.windowClass);
          if (window.firstFocus) {
            EXPECT_EQ(FocusedName(hwnd), window.firstFocus) << window.name;
          }
          if (!window.tabStops.empty()) {
            EXPECT_EQ(FromFirst(TabRound(hwnd), window.tabStops.front()), window.tabStops) << window.name;
          }
          window.keys(hwnd);
        });
    if (window.open) {
      script.WaitFor("the end of the " + name, [&window] { return !FindOwnWindow(window.windowClass); });
    }
  }
  RunMainWindow(script);
}

}  // namespace
}  // namespace mainwnd_test
