// The window manager's slots, with small test windows in place of the
// client's dialogs.

#include <gtest/gtest.h>

#include <functional>

#include "app/frame/WindowManager.h"
#include "AppWindowFixture.h"

namespace {

using namespace mireloomwnd;
using namespace DuiLib;

// What the probes of one test saw.
struct Journal {
  int constructed = 0;
  int finals = 0;
  std::vector<HWND> windows;
};
Journal g_journal;
// Runs inside the probe's modal loop, once it is running.
std::function<void(CWindowWnd&)> g_script;

// A managed window: clears its own slot from its final message and does
// nothing else there.
template <WindowSlot kSlot>
class Probe : public WindowImplBase {
 public:
  explicit Probe(std::wstring className = L"ProbeWnd", bool brokenSkin = false)
      : m_className(std::move(className)), m_brokenSkin(brokenSkin) {
    ++g_journal.constructed;
  }
  LPCTSTR GetWindowClassName() const override { return m_className.c_str(); }
  CDuiString GetSkinFolder() override { return L""; }
  CDuiString GetSkinFile() override {
    return m_brokenSkin ? L"no_such_probe.xml" : L"<Window><VerticalLayout bkcolor=\"#FFFFFFFF\"/></Window>";
  }
  void InitWindow() override {
    g_journal.windows.push_back(GetHWND());
    if (g_script) {
      auto script = std::move(g_script);
      g_script = nullptr;
      Testing::PostToLoop([this, script] { script(*this); });
    }
  }
  void OnFinalMessage(HWND) override {
    ++g_journal.finals;
    WindowManager::GetInstance()->Set(kSlot, nullptr, this);
  }

 private:
  std::wstring m_className;
  bool m_brokenSkin;
};

using MainProbe = Probe<WindowSlot::MainWnd>;
using JoinProbe = Probe<WindowSlot::JoinChannelWnd>;
using FilesProbe = Probe<WindowSlot::ViewFilesWnd>;
using DetailsProbe = Probe<WindowSlot::FileDetailsWnd>;
using EmojiProbe = Probe<WindowSlot::SelectEmojiWnd>;

class WindowManagerTest : public AppWindowTest {
 protected:
  void SetUp() override {
    AppWindowTest::SetUp();
    g_journal = Journal{};
    g_script = nullptr;
  }
  void TearDown() override {
    for (int slot = 1; slot <= kSlotCount; ++slot) {
      EXPECT_EQ(manager->Get(static_cast<WindowSlot>(slot)), nullptr) << "slot " << slot << " left filled";
    }
    AppWindowTest::TearDown();
  }
  // Shows the main window and runs the script inside its loop.
  void WithMainWindow(std::function<void(CWindowWnd&)> script) {
    g_script = std::move(script);
    manager->Show<MainProbe>(WindowSlot::MainWnd, {}, L"MainWindow");
  }
  WindowManager* manager = WindowManager::GetInstance();
};

TEST_F(WindowManagerTest, ShowHoldsTheSlotWhileTheLoopRunsAndCloseEndsIt) {
  CWindowWnd* heldInside = nullptr;
  bool foundByTitle = false;
  WithMainWindow([&](CWindowWnd& self) {
    heldInside = manager->Get(WindowSlot::MainWnd);
    foundByTitle = FindWindowW(L"MainWindow", L"Corvanel") == self.GetHWND();
    manager->Close(WindowSlot::MainWnd);
    EXPECT_EQ(manager->Get(WindowSlot::MainWnd), nullptr) << "Close empties the slot at once";
  });
  EXPECT_NE(heldInside, nullptr);
  EXPECT_TRUE(foundByTitle);
  EXPECT_EQ(g_journal.finals, 1);
  EXPECT_EQ(GetWindowLongW(g_journal.windows[0], GWL_STYLE), 0) << "the window is gone";
}

TEST_F(WindowManagerTest, ARepeatedShowReturnsAtOnceWithoutASecondWindow) {
  WithMainWindow([&](CWindowWnd& mainWindow) {
    g_script = [&](CWindowWnd&) {
      manager->Show<JoinProbe>(WindowSlot::JoinChannelWnd, {});  // already open: returns at once
      EXPECT_EQ(g_journal.constructed, 2);
      manager->Close(WindowSlot::JoinChannelWnd);
      manager->Close(WindowSlot::MainWnd);
    };
    manager->Show<JoinProbe>(WindowSlot::JoinChannelWnd, {});
  });
  EXPECT_EQ(g_journal.constructed, 2);
  EXPECT_EQ(g_journal.finals, 2);
}

TEST_F(WindowManagerTest, CentredDialogsArePlacedOverTheMainWindowAndOwnedByIt) {
  HWND dialogOwner = nullptr;
  RECT dialogRect = {}, mainRect = {};
  WithMainWindow([&](CWindowWnd& mainWindow) {
    SetWindowPos(mainWindow.GetHWND(), nullptr, 100, 100, 600, 400, SWP_NOZORDER);
    GetWindowRect(mainWindow.GetHWND(), &mainRect);
    g_script = [&](CWindowWnd& dialog) {
      dialogOwner = GetWindow(dialog.GetHWND(), GW_OWNER);
      GetWindowRect(dialog.GetHWND(), &dialogRect);
      wchar_t title[32];
      GetWindowTextW(dialog.GetHWND(), title, 32);
      EXPECT_STREQ(title, L"更多频道");
      EXPECT_EQ(GetWindowLongW(dialog.GetHWND(), GWL_EXSTYLE) & WS_EX_WINDOWEDGE, WS_EX_WINDOWEDGE);
      EXPECT_FALSE(IsWindowEnabled(mainWindow.GetHWND())) << "modal over the main window";
      manager->CloseAll();
    };
    manager->Show<JoinProbe>(WindowSlot::JoinChannelWnd, {});
  });
  EXPECT_EQ(dialogOwner, g_journal.windows[0]);
  EXPECT_EQ((dialogRect.left + dialogRect.right) / 2, (mainRect.left + mainRect.right) / 2);
  EXPECT_EQ((dialogRect.top + dialogRect.bottom) / 2, (mainRect.top + mainRect.bottom) / 2);
}

TEST_F(WindowManagerTest, PlacedWindowsTakeTheirPositionAndFileDetailsBelongToTheFileList) {
  RECT files = {}, details = {}, emoji = {};
  HWND detailsOwner = nullptr, emojiOwner = reinterpret_cast<HWND>(1);
  HWND filesWindow = nullptr;
  WithMainWindow([&](CWindowWnd&) {
    g_script = [&](CWindowWnd& fileList) {
      filesWindow = fileList.GetHWND();
      GetWindowRect(filesWindow, &files);
      g_script = [&](CWindowWnd& fileDetails) {
        GetWindowRect(fileDetails.GetHWND(), &details);
        detailsOwner = GetWindow(fileDetails.GetHWND(), GW_OWNER);
        g_script = [&](CWindowWnd& picker) {
          GetWindowRect(picker.GetHWND(), &emoji);
          emojiOwner = GetWindow(picker.GetHWND(), GW_OWNER);
          manager->Close(WindowSlot::SelectEmojiWnd);
        };
        manager->Show<EmojiProbe>(WindowSlot::SelectEmojiWnd, Placement{30, 40});
        manager->Close(WindowSlot::FileDetailsWnd);
      };
      manager->Show<DetailsProbe>(WindowSlot::FileDetailsWnd, Placement{370, 60, 300});
      manager->Close(WindowSlot::ViewFilesWnd);
    };
    manager->Show<FilesProbe>(WindowSlot::ViewFilesWnd, Placement{50, 60, 300}, L"ViewFilesWnd");
    manager->Close(WindowSlot::MainWnd);
  });
  EXPECT_EQ(files.left, 50);
  EXPECT_EQ(files.top, 60);
  EXPECT_EQ(files.right - files.left, 320);
  EXPECT_EQ(files.bottom - files.top, 300);
  EXPECT_EQ(details.left, 370);
  EXPECT_EQ(detailsOwner, filesWindow);
  EXPECT_EQ(emojiOwner, nullptr) << "the picker has no owner";
  EXPECT_EQ(emoji.right - emoji.left, 432);
  EXPECT_EQ(emoji.bottom - emoji.top, 236);
}

TEST_F(WindowManagerTest, AWindowClosedByTheSystemFreesItsSlotForANewOne) {
  WithMainWindow([&](CWindowWnd&) {
    g_script = [](CWindowWnd& dialog) { DestroyWindow(dialog.GetHWND()); };
    manager->Show<JoinProbe>(WindowSlot::JoinChannelWnd, {});
    EXPECT_EQ(manager->Get(WindowSlot::JoinChannelWnd), nullptr);
    g_script = [&](CWindowWnd&) { manager->CloseAll(); };
    manager->Show<JoinProbe>(WindowSlot::JoinChannelWnd, {});
  });
  EXPECT_EQ(g_journal.constructed, 3);
}

TEST_F(WindowManagerTest, CloseAllLeavesTheFileListSlotAndTheMainWindowClearsItsOwn) {
  CWindowWnd* fileListAfterCloseAll = nullptr;
  WithMainWindow([&](CWindowWnd&) {
    g_script = [&](CWindowWnd&) {
      manager->CloseAll();
      fileListAfterCloseAll = manager->Get(WindowSlot::ViewFilesWnd);
      EXPECT_EQ(manager->Get(WindowSlot::MainWnd), nullptr);
    };
    manager->Show<FilesProbe>(WindowSlot::ViewFilesWnd, Placement{0, 0, 200}, L"ViewFilesWnd");
  });
  EXPECT_NE(fileListAfterCloseAll, nullptr) << "slots 7 to 20 are not touched";
  EXPECT_EQ(g_journal.finals, 2) << "the file list goes with its owner and clears its slot";
}

TEST_F(WindowManagerTest, TheOldMainWindowsLastMessageDoesNotClearItsSuccessor) {
  CWindowWnd* first = nullptr;
  CWindowWnd* heldWhileSecondRuns = nullptr;
  CWindowWnd* second = nullptr;
  WithMainWindow([&](CWindowWnd& old) {
    first = &old;
    // The language reload: close everything, then open a new main window
    // from inside the old one's handler.
    manager->CloseAll();
    g_script = [&](CWindowWnd& replacement) {
      second = &replacement;
      Testing::PostToLoop([&] {
        // By now the old window got its WM_CLOSE and its final message.
        heldWhileSecondRuns = manager->Get(WindowSlot::MainWnd);
        manager->Close(WindowSlot::MainWnd);
      });
    };
    manager->Show<MainProbe>(WindowSlot::MainWnd, {}, L"MainWindow");
  });
  ASSERT_NE(second, nullptr);
  EXPECT_NE(first, second);
  EXPECT_EQ(heldWhileSecondRuns, second);
  EXPECT_EQ(g_journal.finals, 2);
}

TEST_F(WindowManagerTest, AFailedCreateLeavesTheSlotEmpty) {
  manager->Show<JoinProbe>(WindowSlot::JoinChannelWnd, {}, L"ProbeWnd", /*brokenSkin=*/true);
  EXPECT_EQ(manager->Get(WindowSlot::JoinChannelWnd), nullptr);
  EXPECT_EQ(g_journal.finals, 1);
  manager->CloseViewMembersWnd();  // the never-filled slot: nothing happens
  EXPECT_EQ(manager->Get(WindowSlot::ViewMembersWnd), nullptr);
}

}  // namespace
