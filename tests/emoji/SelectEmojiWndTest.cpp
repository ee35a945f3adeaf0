// The emoji picker over the real main window: zhou signed in, lin's
// conversation open, the picker opened by the emoji button and driven by clicks.

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "app/frame/WindowManager.h"
#include "app/text/TextHelpers.h"
#include "duilib/testing.h"
#include "emoji/EmojiTables.h"
#include "mainwnd/MainWndFixture.h"
#include "mainwnd/MainWndMessages.h"
#include "mainwnd/MessageViewReading.h"

namespace emoji_test {
namespace {

using namespace DuiLib;
using mainwnd_test::MainWindowTest;
using mireloomwnd::WindowManager;
using mireloomwnd::WindowSlot;
using test_support::FindOwnWindow;
using test_support::StepRunner;

HWND Picker() { return FindOwnWindow(L"SelectEmojiWnd", L"发送表情"); }

CControlUI* InPicker(const std::wstring& name) {
  CPaintManagerUI* manager = Picker() ? Testing::ManagerOf(Picker()) : nullptr;
  return manager ? manager->FindControl(name.c_str()) : nullptr;
}

CContainerUI* Face() {
  CControlUI* face = InPicker(L"emoji_face");
  return face ? static_cast<CContainerUI*>(face->GetInterface(L"Container")) : nullptr;
}

std::wstring ButtonName(uint32_t codePoint) { return std::to_wstring(codePoint); }

std::wstring ImageOf(CControlUI* control) {
  auto* button = control ? static_cast<CButtonUI*>(control->GetInterface(L"Button")) : nullptr;
  return button ? button->GetNormalImage().str() : L"<no button>";
}

RECT OnScreen(HWND window, RECT rect) {
  MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

// Scrolls the grid until the emoji's row is at its top (or the grid at its
// end), then clicks the emoji through hit testing as a user would.
bool ClickEmoji(uint32_t codePoint) {
  CControlUI* button = InPicker(ButtonName(codePoint));
  CContainerUI* face = Face();
  if (!button || !face) return false;
  SIZE scroll = face->GetScrollPos();
  scroll.cy += button->GetPos().top - face->GetPos().top;
  face->SetScrollPos(scroll);
  return Testing::Click(Picker(), ButtonName(codePoint).c_str());
}

class SelectEmojiWndTest : public MainWindowTest {
 protected:
  // The picker is opened once the start-up chain has ended: its last step
  // selects the open conversation again, which focuses the chat input.
  StepRunner& OpenLinsConversation(StepRunner& script) {
    return script.WaitFor("the start-up chain", [this] { return m_synced.Count() > 0; })
        .Do("open lin's conversation", [] { ASSERT_TRUE(Testing::Click(MainWindow(), L"imItem_im-zhou-lin")); })
        .WaitFor("lin's conversation", [] { return Text(L"title_label") == L"林晓"; });
  }
  // Puts the text into the chat input and opens the picker; the steps after
  // this one run inside the picker's loop.
  static StepRunner& OpenPicker(StepRunner& script, const std::wstring& input = L"") {
    return script
        .Do("open the picker",
            [input] {
              mireloomwnd::ChatInputEdit->SetText(input.c_str());
              ASSERT_TRUE(Testing::Click(MainWindow(), L"emoji_btn"));
            })
        .WaitFor("the picker", [] { return Picker() != nullptr; });
  }
  static StepRunner& WaitForPickerGone(StepRunner& script) {
    return script.WaitFor("the picker gone", [] {
      return !Picker() && !WindowManager::GetInstance()->Get(WindowSlot::SelectEmojiWnd);
    });
  }

  mainwnd_test::PostedMessageCounter m_synced{mireloomwnd::WM_SYNC_FINISHED};
};

TEST_F(SelectEmojiWndTest, ShowsEveryEmojiInRowsOfTwentyRightAboveTheButton) {
  StepRunner script;
  OpenPicker(OpenLinsConversation(script)).Do("check the grid and its place, then close", [this] {
    CContainerUI* face = Face();
    ASSERT_NE(face, nullptr);
    ASSERT_EQ(face->GetCount(), 42);
    int buttons = 0;
    for (int row = 0; row < face->GetCount(); ++row) {
      auto* cells = static_cast<CContainerUI*>(face->GetItemAt(row)->GetInterface(L"Container"));
      ASSERT_NE(cells, nullptr);
      EXPECT_EQ(cells->GetCount(), row < 41 ? 20 : 4) << "row " << row;
      for (int i = 0; i < cells->GetCount(); ++i, ++buttons) {
        const std::wstring file = L"../Mireloom/skin/" + ImageOf(cells->GetItemAt(i));
        EXPECT_NE(GetFileAttributesW(file.c_str()), INVALID_FILE_ATTRIBUTES) << file;
      }
    }
    EXPECT_EQ(buttons, 824);
    EXPECT_EQ(ImageOf(InPicker(L"128516")), L"emoji/emoji_1f604.png");
    EXPECT_EQ(ImageOf(InPicker(ButtonName(0x1f320))), L"emoji/emoji_1f303.png") << "1f320 shows the picture of 1f303";
    EXPECT_EQ(ImageOf(InPicker(ButtonName(0xa9))), L"emoji/emoji_00a9.png");

    const RECT button = OnScreen(MainWindow(), Control(L"emoji_btn")->GetPos());
    RECT picker = {};
    GetWindowRect(Picker(), &picker);
    EXPECT_EQ(picker.bottom, button.top) << "the picker stands on the button";
    EXPECT_EQ(picker.left, button.left - 216);
    EXPECT_EQ(picker.right - picker.left, 432);
    EXPECT_EQ(picker.bottom - picker.top, 236);
    Testing::SaveWindowPng(Picker(), (m_program.StartFolder() + L"select_emoji.png").c_str());
    WindowManager::GetInstance()->CloseSelectEmojiWnd();
  });
  WaitForPickerGone(script).Do("close", [] { CloseMainWindow(); });
  RunMainWindow(script);
}

TEST_F(SelectEmojiWndTest, APickAppendsTheInsertedShortCodeAtTheEndOfTheInput) {
  struct Pick {
    uint32_t codePoint;
    const wchar_t* before;
    const wchar_t* after;
  };
  // The short code in key order wins where an emoji has several; three emoji have none.
  const std::vector<Pick> picks = {{0x1f604, L"hello", L"hello:smile:"}, {0x1f44d, L"ok ", L"ok :thumbsup:"},
                                   {0x1f4a9, L"", L":shit:"},            {0x1f320, L"夜空", L"夜空"},
                                   {0x1f508, L"", L""},                  {0x1f68b, L"tram", L"tram"}};
  StepRunner script;
  OpenLinsConversation(script);
  for (const Pick& pick : picks) {
    OpenPicker(script, pick.before).Do("pick", [&] { ASSERT_TRUE(ClickEmoji(pick.codePoint)); });
    WaitForPickerGone(script).Do("check", [&] {
      EXPECT_EQ(Text(L"chat_input"), pick.after) << std::hex << pick.codePoint;
    });
  }
  script.Do("close", [] { CloseMainWindow(); });
  RunMainWindow(script);
}

TEST_F(SelectEmojiWndTest, TheGridIsOneTabStopWalkedWithTheArrowsAndEnterPicks) {
  // Row 1, column 1 of the grid of twenty to a row.
  const uint32_t secondRowSecond = EmojiList[21].first;
  StepRunner script;
  OpenPicker(OpenLinsConversation(script), L"a").Do("walk and pick", [&] {
    for (UINT key : {VK_TAB, VK_DOWN, VK_RIGHT}) Testing::PressKey(Picker(), key);
    CControlUI* focused = Testing::ManagerOf(Picker())->GetFocus();
    EXPECT_EQ(focused ? focused->GetName().str() : L"<none>", ButtonName(secondRowSecond));
    Testing::PressKey(Picker(), VK_RETURN);
  });
  WaitForPickerGone(script).Do("check and close", [&] {
    EXPECT_EQ(Text(L"chat_input"), L"a" + Utf8ToWide(EmojiInsertedShortcode(secondRowSecond)));
    CloseMainWindow();
  });
  RunMainWindow(script);
}

// The input has the keyboard back after a pick, its caret at the end, so
// that Enter where the keyboard is sends what was picked.
TEST_F(SelectEmojiWndTest, APickedEmojiSentWithEnterShowsAsItsPictureInTheNewMessage) {
  StepRunner script;
  size_t picturesBefore = 0;
  OpenPicker(OpenLinsConversation(script), L"好")
      .Do("pick", [&] {
        const std::vector<std::wstring> pictures = mainwnd_test::ViewPictures();
        picturesBefore = std::count(pictures.begin(), pictures.end(), L"emoji/emoji_1f604.png");
        ASSERT_TRUE(ClickEmoji(0x1f604));
      });
  WaitForPickerGone(script)
      .Do("press Enter where the keyboard is", [] {
        auto* input = static_cast<CRichEditUI*>(Control(L"chat_input"));
        ASSERT_NE(input, nullptr);
        ASSERT_EQ(GetFocus(), input->GetNativeWindow()) << "the input has the focus";
        long start = -1, end = -1;
        input->GetSel(start, end);
        EXPECT_EQ(start, end);
        EXPECT_EQ(end, input->GetText().GetLength()) << "the caret at the end";
        Testing::PressKey(GetFocus(), VK_RETURN);
      })
      .WaitFor("the picture in the view", [&] {
        const std::vector<std::wstring> pictures = mainwnd_test::ViewPictures();
        return static_cast<size_t>(std::count(pictures.begin(), pictures.end(), L"emoji/emoji_1f604.png")) >
               picturesBefore;
      })
      .WaitFor("the view at its end", [] {
        DuiLib::CListUI* view = mainwnd_test::MessageView();
        return view && view->GetScrollPos().cy == view->GetScrollRange().cy;
      })
      .Do("check and close", [this] {
        EXPECT_EQ(Text(L"chat_input"), L"");
        Testing::SaveWindowPng(MainWindow(), (m_program.StartFolder() + L"emoji_sent.png").c_str());
        CloseMainWindow();
      });
  RunMainWindow(script);
}

TEST_F(SelectEmojiWndTest, LosingTheFocusClosesItAndASecondShowKeepsTheOpenOne) {
  StepRunner script;
  OpenPicker(OpenLinsConversation(script), L"hello")
      .Do("show again, then activate the main window", [] {
        DuiLib::CWindowWnd* open = WindowManager::GetInstance()->Get(WindowSlot::SelectEmojiWnd);
        WindowManager::GetInstance()->ShowSelectEmojiWnd("im-zhou-he", 0, 0);
        EXPECT_EQ(WindowManager::GetInstance()->Get(WindowSlot::SelectEmojiWnd), open);
        EXPECT_EQ(open->GetHWND(), Picker());
        SetActiveWindow(MainWindow());
      });
  WaitForPickerGone(script).Do("check and close", [] {
    EXPECT_EQ(Text(L"chat_input"), L"hello");
    CloseMainWindow();
  });
  RunMainWindow(script);
}

TEST_F(SelectEmojiWndTest, APickAfterTheMainWindowEndedAppendsNothing) {
  const size_t controlsAtStart = Testing::LiveControlCount();
  StepRunner script;
  HWND main = nullptr;
  OpenPicker(OpenLinsConversation(script), L"hello")
      // Signing out starts so; the team window it opens next would take the
      // focus, and the picker would close before a click could reach it.
      .Do("close every window as signing out does", [&] {
        main = MainWindow();
        WindowManager::GetInstance()->CloseAll();
      })
      .WaitFor("the main window gone", [&] { return !IsWindow(main); })
      .Do("pick", [] {
        EXPECT_EQ(mireloomwnd::ChatInputEdit, nullptr);
        ASSERT_NE(Picker(), nullptr) << "closing every window leaves the picker open";
        ASSERT_TRUE(ClickEmoji(0x1f604));
      });
  WaitForPickerGone(script);
  RunMainWindow(script);
  EXPECT_EQ(Testing::LiveControlCount(), controlsAtStart) << "the picker and the main window freed every control";
}

}  // namespace
}  // namespace emoji_test
