// What the main window does as it opens: the fetch chain, the first picture
// of unread messages, and what it leaves behind when it ends.

#include <algorithm>

#include "app/storage/SkinPaths.h"
#include "app/storage/UserFolders.h"
#include "app/text/TextHelpers.h"
#include "app/ui/CachedPictureRepair.h"
#include "duilib/ImageFiles.h"
#include "duilib/testing.h"
#include "mainwnd/MainWndMessages.h"
#include "MainWndFixture.h"
#include "quennet/testing.h"
#include "support/TempFolder.h"

namespace mainwnd_test {
namespace {

using namespace DuiLib;
namespace core = mireloom::testing;

class MainWndStartTest : public MainWindowTest {};

TEST_F(MainWndStartTest, TheFetchChainRunsInOrderAndEndsInOneSyncMessage) {
  quennet::ScopedLogCapture log;
  core::ClearCallLog();
  PostedMessageCounter syncs(mireloomwnd::WM_SYNC_FINISHED);
  StepRunner script;
  script.WaitFor("the sync", [&syncs] { return syncs.Count() > 0; })
      .WaitFor("the core is done", [] { return core::WaitIdle(0); })
      .Do("check and close", [&] {
        const auto channels = CallPosition("ChannelManager::GetChannels");
        const auto ims = CallPosition("IMManager::GetIMs");
        const auto recent = CallPosition("ChatManager::SyncRecentMessagesWithServer");
        const auto unread = CallPosition("ChatManager::GetNumUnreadFromServer");
        ASSERT_GE(channels, 0);
        EXPECT_LT(channels, ims);
        EXPECT_LT(ims, recent);
        EXPECT_LT(recent, unread);
        // The rebuilt list holds what the chain brought into the cache.
        EXPECT_FALSE(SessionItemNames().empty());
        CloseMainWindow();
      });
  RunMainWindow(script);
  EXPECT_EQ(syncs.Count(), 1);
  const auto entries = log.Entries();
  std::vector<std::string> chain;
  for (const auto& entry : entries) {
    for (const char* line : {"updating channels", "updating IMs", "syncing recent messages", "get num unread messages"}) {
      if (entry.text == line) chain.push_back(line);
    }
  }
  EXPECT_EQ(chain, (std::vector<std::string>{"updating channels", "updating IMs", "syncing recent messages",
                                             "get num unread messages"}));
}

TEST_F(MainWndStartTest, AFailedStepEndsTheChainSilently) {
  quennet::ScopedLogCapture log;
  core::Script("ChannelManager::GetChannels").Fail(-1);
  PostedMessageCounter syncs(mireloomwnd::WM_SYNC_FINISHED);
  StepRunner script;
  script.WaitFor("the failed fetch", [] { return CallPosition("ChannelManager::GetChannels") >= 0; })
      .WaitFor("the core is done", [] { return core::WaitIdle(0); })
      .Do("close", [] {
        // Whatever the completion still had to bring over has run by now.
        Testing::PumpPending();
        CloseMainWindow();
      });
  RunMainWindow(script);
  EXPECT_TRUE(log.Contains("updating channels"));
  EXPECT_FALSE(log.Contains("updating IMs"));
  EXPECT_EQ(syncs.Count(), 0);
}

TEST_F(MainWndStartTest, UnreadAtStartPlaysTheSoundOnceAndBlinksThoughTheWindowIsShown) {
  // An earlier session left zhou's unread counts in the cache.
  ASSERT_TRUE(core::FetchMainWindowData());
  StepRunner script;
  auto blinked = [this] {
    // A dark phase (no picture) after the window was shown.
    const auto calls = TrayCalls();
    return std::any_of(calls.begin(), calls.end(), [](const CRecordingPlatform::Call& call) {
      return call.message == NIM_MODIFY && call.icon == nullptr;
    });
  };
  script.WaitFor("the blink", blinked).Do("check and close", [this] {
    EXPECT_TRUE(IsWindowVisible(MainWindow()));
    const auto sounds = m_platform.CallsOf(PlatformCall::PlaySound);
    ASSERT_EQ(sounds.size(), 1u);
    EXPECT_EQ(sounds[0].text, mireloomwnd::MessageSoundPath());
    EXPECT_NE(sounds[0].flags & SND_ASYNC, 0u);
    const auto tray = TrayCalls();
    ASSERT_FALSE(tray.empty());
    EXPECT_EQ(tray.front().message, static_cast<DWORD>(NIM_ADD));
    EXPECT_EQ(tray.front().caption, L"Corvanel") << "the tip";
    EXPECT_NE(tray.front().icon, nullptr);
    CloseMainWindow();
  });
  RunMainWindow(script);
}

// The picture of the first button under the control that shows one from the
// download folder; "" when there is none.
std::wstring CachedPictureUnder(CControlUI* control) {
  if (!control) return L"";
  if (auto* button = static_cast<CButtonUI*>(control->GetInterface(L"Button"))) {
    const std::wstring image = button->GetNormalImage().str();
    if (image.rfind(AnsiToWide(GetDownloadTmpFolder()), 0) == 0) return image;
  }
  for (int i = 0; i < control->GetChildCount(); ++i) {
    const std::wstring found = CachedPictureUnder(control->GetChildAt(i));
    if (!found.empty()) return found;
  }
  return L"";
}

bool IsWholePicture(const std::wstring& path) {
  SIZE size = {};
  return DuiLib::GetImageFileSize(path.c_str(), &size);
}

std::vector<std::wstring> CachedFiles() {
  const std::wstring folder = AnsiToWide(GetDownloadTmpFolder());
  std::vector<std::wstring> files;
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW((folder + L"*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return files;
  do {
    if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) files.push_back(folder + found.cFileName);
  } while (FindNextFileW(search, &found));
  FindClose(search);
  return files;
}

// Damaged pictures of the cache (garbage, empty, oversized) are deleted and
// fetched again as they come into view; a file is repaired once a run.
TEST_F(MainWndStartTest, DamagedCachedPicturesAreFetchedAgainOnceARun) {
  InstallCachedPictureRepair();
  std::wstring ownAvatar;
  StepRunner first;
  first.WaitFor("my avatar cached", [&ownAvatar] {
    ownAvatar = CachedPictureUnder(Control(L"personal_menu_btn"));
    return !ownAvatar.empty() && IsWholePicture(ownAvatar);
  }).Do("close", [] { CloseMainWindow(); });
  RunMainWindow(first);
  // Garbage and empty files by turns; the own avatar larger than any picture
  // the service serves.
  int turn = 0;
  for (const std::wstring& file : CachedFiles()) {
    const std::string bytes = file == ownAvatar ? std::string(kLargestServedPicture + 1, 'x')
                              : turn++ % 2 ? std::string()
                                           : std::string(3000, 'z');
    ASSERT_TRUE(test_support::WriteFileBytes(file, bytes));
  }
  ASSERT_FALSE(IsWholePicture(ownAvatar));
  Testing::ClearImageCache();

  quennet::ScopedLogCapture log;
  StepRunner script;
  WaitForFilledList(script)
      .WaitFor("my avatar whole again", [&ownAvatar] { return CachedPictureUnder(Control(L"personal_menu_btn")) == ownAvatar && IsWholePicture(ownAvatar); })
      .WaitFor("the avatars of the first conversations whole again", [] {
        int shown = 0;
        for (int i = 0; i < 8 && i < SessionList()->GetCount(); ++i) {
          const std::wstring avatar = CachedPictureUnder(SessionList()->GetItemAt(i));
          if (avatar.empty()) continue;
          if (!IsWholePicture(avatar)) return false;
          ++shown;
        }
        return shown > 0;
      })
      .Do("check and close", [&ownAvatar] {
        EXPECT_FALSE(RepairCachedPicture(ownAvatar)) << "once a run";
        CloseMainWindow();
      });
  RunMainWindow(script);
  const std::string name = WideToUtf8(ownAvatar.substr(AnsiToWide(GetDownloadTmpFolder()).size()));
  EXPECT_TRUE(log.Contains("Cached picture " + name + " cannot be drawn: deleted and fetched again"));
  DuiLib::SetImageFailureListener({});
  DuiLib::SetLargestImageFile(size_t{256} << 20);
  // What never came into view stays damaged: no later test meets it.
  for (const std::wstring& file : CachedFiles()) {
    if (!IsWholePicture(file)) DeleteFileW(file.c_str());
  }
}

}  // namespace
}  // namespace mainwnd_test
