// The tray icon's pictures and balloon as the connection comes and goes, and
// the network check that reconnects.

#include <algorithm>

#include "duilib/testing.h"
#include "mainwnd/MainWndMessages.h"
#include "mainwnd/shell/TrayAttention.h"
#include "MainWndFixture.h"

namespace mainwnd_test {
namespace {

namespace core = mireloom::testing;

class MainWndAttentionTest : public MainWindowTest {
 protected:
  // The tray calls made after the first `from` ones.
  std::vector<CRecordingPlatform::Call> TrayCallsAfter(size_t from) const {
    auto calls = TrayCalls();
    calls.erase(calls.begin(), calls.begin() + static_cast<std::ptrdiff_t>(std::min(from, calls.size())));
    return calls;
  }
  HICON AppIcon() const { return TrayCalls().front().icon; }

  static void TickNetworkCheck() { SendMessageW(MainWindow(), WM_TIMER, mireloomwnd::kNetworkCheckTimer, 0); }

  static size_t ReconnectCount() {
    const auto log = core::CallLog();
    return static_cast<size_t>(std::count_if(log.begin(), log.end(), [](const core::CallRecord& record) {
      return record.kind == core::CallRecord::kCall && record.name == "Director::ConnectToIMServer";
    }));
  }
};

TEST_F(MainWndAttentionTest, ALostConnectionGreysTheIconAndSaysWhy) {
  size_t mark = 0;
  HICON grey = nullptr;
  StepRunner script;
  script.Do("interrupted", [&] {
          mark = TrayCalls().size();
          core::InjectConnectionState(mireloom::kInterrupted);
        })
      .WaitFor("the balloon", [&] { return TrayCallsAfter(mark).size() >= 2; })
      .Do("failed", [&] {
        const auto calls = TrayCallsAfter(mark);
        grey = calls[0].icon;
        EXPECT_NE(grey, nullptr);
        EXPECT_NE(grey, AppIcon());
        EXPECT_EQ(calls[1].flags, static_cast<UINT>(NIF_INFO));
        EXPECT_EQ(calls[1].title, L"与服务器连接中断");
        EXPECT_EQ(calls[1].text, L"与服务器连接中断，Corvanel正在尝试重新连接");
        mark = TrayCalls().size();
        core::InjectConnectionState(mireloom::kConnectionFailed);
      })
      .WaitFor("the second balloon", [&] { return TrayCallsAfter(mark).size() >= 2; })
      .Do("connected", [&] {
        const auto calls = TrayCallsAfter(mark);
        EXPECT_EQ(calls[0].icon, grey);
        EXPECT_EQ(calls[1].text, L"连接失败");
        mark = TrayCalls().size();
        core::InjectConnectionState(mireloom::kConnected);
      })
      .WaitFor("the state delivered", [] { return core::WaitIdle(0); })
      .Do("check and close", [&] {
        DuiLib::Testing::PumpPending();
        EXPECT_TRUE(TrayCallsAfter(mark).empty()) << "a good connection changes nothing";
        EXPECT_FALSE(mireloomwnd::NetworkOnline) << "the next check that finds the network reconnects";
        CloseMainWindow();
      });
  RunMainWindow(script);
}

TEST_F(MainWndAttentionTest, TheNetworkCheckReconnectsOnceTheNetworkIsBack) {
  size_t mark = 0;
  StepRunner script;
  script.Do("the network goes", [&] {
          TickNetworkCheck();
          EXPECT_EQ(TrayCalls().size(), 1u) << "online at start: the first check does nothing";
          m_platform.SetOnline(false);
          TickNetworkCheck();
          TickNetworkCheck();
          const auto calls = TrayCallsAfter(1);
          ASSERT_EQ(calls.size(), 1u);
          EXPECT_NE(calls[0].icon, AppIcon());
          core::ClearCallLog();
          mark = TrayCalls().size();
          m_platform.SetOnline(true);
          TickNetworkCheck();
          TickNetworkCheck();
        })
      .WaitFor("the reconnection", [] { return ReconnectCount() > 0; })
      .Do("check and close", [&] {
        EXPECT_EQ(ReconnectCount(), 1u);
        const auto calls = TrayCallsAfter(mark);
        ASSERT_EQ(calls.size(), 1u);
        EXPECT_EQ(calls[0].icon, AppIcon());
        EXPECT_EQ(calls[0].caption, L"Corvanel");
        CloseMainWindow();
      });
  RunMainWindow(script);
}

}  // namespace
}  // namespace mainwnd_test
