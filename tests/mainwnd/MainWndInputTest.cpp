// Keys, the tray icon's clicks and dropped files.

#include <shlobj.h>

#include "app/frame/WindowManager.h"
#include "app/storage/Settings.h"
#include "duilib/testing.h"
#include "mainwnd/MainWndMessages.h"
#include "MainWndFixture.h"
#include "mireloom/ChatManager.h"
#include "quennet/testing.h"
#include "support/TempFolder.h"

namespace mainwnd_test {
namespace {

using namespace DuiLib;
namespace core = mireloom::testing;

void ClickTray(UINT mouseMessage) { SendMessageW(MainWindowTest::MainWindow(), mireloomwnd::WM_TRAY_NOTIFY, 0, mouseMessage); }

// A drop of these paths, as the shell hands it to the window.
void DropFiles(const std::vector<std::wstring>& paths) {
  std::wstring list;
  for (const auto& path : paths) list += path + L'\0';
  list += L'\0';
  HGLOBAL memory = GlobalAlloc(GHND, sizeof(DROPFILES) + list.size() * sizeof(wchar_t));
  auto* drop = static_cast<DROPFILES*>(GlobalLock(memory));
  drop->pFiles = sizeof(DROPFILES);
  drop->fWide = TRUE;
  memcpy(reinterpret_cast<char*>(drop) + sizeof(DROPFILES), list.data(), list.size() * sizeof(wchar_t));
  GlobalUnlock(memory);
  // The window's handler finishes the drop, which frees the memory.
  SendMessageW(MainWindowTest::MainWindow(), WM_DROPFILES, reinterpret_cast<WPARAM>(memory), 0);
}

// Whether `upper` lies above `lower` in the windows' z-order.
bool IsAbove(HWND upper, HWND lower) {
  for (HWND next = GetWindow(upper, GW_HWNDNEXT); next; next = GetWindow(next, GW_HWNDNEXT)) {
    if (next == lower) return true;
  }
  return false;
}

bool IsInFront(HWND dialog) {
  return dialog && GetForegroundWindow() == dialog && IsAbove(dialog, MainWindowTest::MainWindow());
}

class MainWndInputTest : public MainWindowTest {};

TEST_F(MainWndInputTest, EscHidesToTheTrayWhoseClickRestoresAndOpensTheUnreadConversation) {
  std::string unread;
  StepRunner script;
  WaitForFilledList(script)
      .WaitFor("the unread counts", [&] {
        unread = mireloom::ChatManager::DefaultManager()->FirstChannelHasUnreadMessage();
        return !unread.empty();
      })
      .Do("Esc", [] { Testing::PressKey(MainWindow(), VK_ESCAPE); })
      .WaitFor("hidden", [] { return !IsWindowVisible(MainWindow()); })
      .Do("click the tray icon", [] { ClickTray(WM_LBUTTONDOWN); })
      .WaitFor("restored", [] { return IsWindowVisible(MainWindow()) != FALSE; })
      .Do("check and close", [&] {
        EXPECT_TRUE(IsWindowVisible(MainWindow()));
        EXPECT_FALSE(IsZoomed(MainWindow()));
        const int selected = SessionList()->GetCurSel();
        ASSERT_GE(selected, 0) << "the conversation with unread messages is opened";
        const std::wstring item = SessionList()->GetItemAt(selected)->GetName().GetData();
        EXPECT_NE(item.find(std::wstring(unread.begin(), unread.end())), std::wstring::npos) << item;
        EXPECT_EQ(Text(L"title_label"), TitleOf(item));
        EXPECT_EQ(Text(L"team_name_label"), L"Messages");
        CloseMainWindow();
      });
  RunMainWindow(script);
}

TEST_F(MainWndInputTest, ExitInTheTrayMenuQuits) {
  quennet::ScopedLogCapture log;
  m_platform.SetMenuCommand(mireloomwnd::kTrayExitCommand);
  StepRunner script;
  script.Do("hide, then exit from the tray", [] {
    Testing::PressKey(MainWindow(), VK_ESCAPE);
    ClickTray(WM_RBUTTONUP);
  });
  RunMainWindow(script);
  // Hidden as it was, its placement was still stored, and no icon is left.
  WINDOWPLACEMENT placement = {sizeof placement};
  EXPECT_TRUE(settings::LoadWindowPlacement(&placement));
  const auto tray = TrayCalls();
  ASSERT_FALSE(tray.empty());
  EXPECT_EQ(tray.back().message, static_cast<DWORD>(NIM_DELETE));
  EXPECT_EQ(m_platform.CallsOf(PlatformCall::TrackPopupMenu).size(), 1u);
}

TEST_F(MainWndInputTest, TrayClicksWithADialogOpenBringTheDialogToTheFront) {
  StepRunner script;
  WaitForFilledList(script)
      .Do("open a dialog", [] { ASSERT_TRUE(Testing::Click(MainWindow(), L"open_im_btn")); })
      .WaitFor("it runs over the disabled window", [] {
        return IsInFront(test_support::FindOwnWindow(L"OpenImWnd")) && !IsWindowEnabled(MainWindow());
      })
      .Do("the tray's menu, dismissed", [] { ClickTray(WM_RBUTTONUP); })
      .Do("the dialog is in front", [] { EXPECT_TRUE(IsInFront(test_support::FindOwnWindow(L"OpenImWnd"))); })
      .Do("hide the window, then click the tray icon", [] {
        ShowWindow(MainWindow(), SW_HIDE);
        ClickTray(WM_LBUTTONDOWN);
      })
      .WaitFor("restored", [] { return IsWindowVisible(MainWindow()) != FALSE; })
      .Do("the window is back, the dialog in front", [] {
        EXPECT_TRUE(IsWindowVisible(MainWindow()));
        const HWND dialog = test_support::FindOwnWindow(L"OpenImWnd");
        EXPECT_TRUE(IsInFront(dialog));
        ASSERT_TRUE(Testing::Click(dialog, L"closeBtn"));
      })
      .WaitFor("closed", [] { return !test_support::FindOwnWindow(L"OpenImWnd"); })
      .Do("close", [] { CloseMainWindow(); });
  RunMainWindow(script);
  EXPECT_EQ(m_platform.CallsOf(PlatformCall::TrackPopupMenu).size(), 1u);
}

// Wherever the caret stood, the break goes at the end and the caret after
// it, so that typing goes on on a second line.
TEST_F(MainWndInputTest, ShiftEnterEndsTheInputWithALineBreakAndEnterQueuedForTheInputSendsIt) {
  StepRunner script;
  WaitForFilledList(script)
      .Do("type, then Shift+Enter", [] {
          ASSERT_TRUE(Testing::Click(MainWindow(), L"channelItem_chn-general"));
          ASSERT_TRUE(Testing::TypeText(MainWindow(), L"chat_input", L"第一行"));
          auto* input = static_cast<CRichEditUI*>(Control(L"chat_input"));
          input->SetSel(0, 0);
          Testing::PressKey(input->GetNativeWindow(), VK_RETURN, /*shift=*/true);
        })
      .WaitFor("the line break", [] { return Text(L"chat_input") == L"第一行\n"; })
      .Do("type on, check and close", [] {
        ASSERT_TRUE(Testing::TypeText(MainWindow(), L"chat_input", L"第二行"));
        EXPECT_EQ(Text(L"chat_input"), L"第一行\n第二行");
        HWND input = static_cast<CRichEditUI*>(Control(L"chat_input"))->GetNativeWindow();
        EXPECT_EQ(SendMessageW(input, EM_GETLINECOUNT, 0, 0), 2) << "shown on two lines";
        // An Enter typed into the input before the window lost the focus is
        // still the input's: it sends, and adds no line break.
        Testing::ManagerOf(MainWindow())->SetFocus(nullptr);
        Testing::PressKey(input, VK_RETURN);
      })
      .WaitFor("sent", [] {
        const auto messages = core::ServiceMessages("chn-general");
        return !messages.empty() && messages.back().content == "第一行\n第二行";
      })
      .Do("check and close", [] {
        EXPECT_EQ(Text(L"chat_input"), L"");
        CloseMainWindow();
      });
  RunMainWindow(script);
}

TEST_F(MainWndInputTest, ADroppedPictureIsUploadedToTheOpenConversation) {
  test_support::TempFolder folder;
  const std::wstring picture = folder / L"截图.png";
  // A 1 x 1 picture in PNG.
  static const char kPng[] = "\x89\x50\x4e\x47\x0d\x0a\x1a\x0a\x00\x00\x00\x0d\x49\x48\x44\x52\x00\x00\x00\x01\x00\x00\x00\x01\x08\x02\x00\x00\x00\x90\x77\x53\xde\x00\x00\x00\x0c\x49\x44\x41\x54\x78\x9c\x63\x70\x98\xf0\x00\x00\x02\xc4\x01\xb1\x70\x4d\xdf\xe1\x00\x00\x00\x00\x49\x45\x4e\x44\xae\x42\x60\x82";
  ASSERT_TRUE(test_support::WriteFileBytes(picture, std::string(kPng, sizeof kPng - 1)));
  m_platform.SetSniffedMimeType(L"image/png");
  StepRunner script;
  WaitForFilledList(script)
      .Do("open lin's conversation and drop", [&] {
        ASSERT_TRUE(Testing::Click(MainWindow(), L"imItem_im-zhou-lin"));
        DropFiles({picture});
      })
      .WaitFor("the upload window", [] { return FindOwnWindow(L"UploadFileWnd") != nullptr; })
      .Do("send", [] { ASSERT_TRUE(Testing::Click(FindOwnWindow(L"UploadFileWnd"), L"upload_btn")); })
      .WaitFor("the upload", [] { return !core::ServiceUploads().empty(); })
      .Do("done", [] { CloseMainWindow(); });
  RunMainWindow(script);
  const auto upload = core::ServiceUploads().back();
  EXPECT_EQ(upload.name, "截图.png");
  EXPECT_EQ(upload.mime, "image/png");
  EXPECT_EQ(upload.conversation_id, "im-zhou-lin");
  EXPECT_EQ(upload.bytes.size(), 69);
}

TEST_F(MainWndInputTest, OnlyASingleDroppedFileGoesOn) {
  test_support::TempFolder folder;
  const std::wstring first = folder / L"一.txt";
  const std::wstring second = folder / L"二.txt";
  ASSERT_TRUE(test_support::WriteFileBytes(first, "1"));
  ASSERT_TRUE(test_support::WriteFileBytes(second, "2"));
  const std::wstring outside936 = folder / L"한글.txt";
  ASSERT_TRUE(test_support::WriteFileBytes(outside936, "3"));
  quennet::ScopedLogCapture log;
  StepRunner script;
  script.Do("drop", [&] {
    DropFiles({first, second});
    DropFiles({folder.Path()});
    DropFiles({outside936});
    EXPECT_EQ(FindOwnWindow(L"UploadFileWnd"), nullptr);
    // One file opens the upload window, whose loop runs the rest.
    DropFiles({first});
  })
      .WaitFor("the upload window", [] { return FindOwnWindow(L"UploadFileWnd") != nullptr; })
      .Do("close", [] {
        EXPECT_EQ(test_support::TextIn(L"UploadFileWnd", L"file_name_edit"), L"一.txt");
        mireloomwnd::WindowManager::GetInstance()->CloseUploadFileWnd();
      })
      .WaitFor("closed", [] { return FindOwnWindow(L"UploadFileWnd") == nullptr; })
      .Do("done", [] { CloseMainWindow(); });
  RunMainWindow(script);
  const auto boxes = m_platform.CallsOf(PlatformCall::MessageBox);
  ASSERT_EQ(boxes.size(), 2u) << "two files, then a folder";
  EXPECT_EQ(boxes[0].text, L"Drop one file at a time; folders cannot be sent.");
  EXPECT_EQ(boxes[0].caption, L"Notice");
  EXPECT_EQ(boxes[0].owner, nullptr);
  // A path that code page 936 cannot hold is refused without a box.
  EXPECT_TRUE(log.Contains("Dropped file refused: its path does not fit code page 936"));
}

}  // namespace
}  // namespace mainwnd_test
