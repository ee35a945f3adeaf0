// What the main window does as it opens: the fetch chain, the first picture
// of unread messages, and what it leaves behind when it ends.

#include <algorithm>

#include "MainWndFixture.h"
#include "app/SkinPaths.h"
#include "duilib/testing.h"
#include "mainwnd/MainWndMessages.h"
#include "quennet/testing.h"

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
        CUiThread::RunPending();
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

}  // namespace
}  // namespace mainwnd_test
