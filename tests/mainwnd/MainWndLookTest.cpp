// The window's layout at its sizes: pictures for people to look at, and the
// header's buttons, whose minimise and maximise float over each view, kept
// apart from the close button and inside the window.

#include <mutex>

#include "app/text/TextHelpers.h"
#include "duilib/testing.h"
#include "MainWndFixture.h"
#include "mireloom/ChannelManager.h"

namespace mainwnd_test {
namespace {

using namespace DuiLib;

RECT PosOf(const wchar_t* name) { return MainWindowTest::Control(name)->GetPos(); }

bool Overlap(const RECT& a, const RECT& b) {
  RECT both = {};
  return IntersectRect(&both, &a, &b) != FALSE;
}

class MainWndLookTest : public MainWindowTest {
 protected:
  void CheckHeaderAndSave(const wchar_t* picture) {
    CPaintManagerUI* manager = Testing::ManagerOf(MainWindow());
    manager->UpdateLayout();
    RECT client = {};
    GetClientRect(MainWindow(), &client);
    const RECT close = PosOf(L"customCloseBtn");
    const RECT window = PosOf(IsZoomed(MainWindow()) ? L"restorebtn" : L"maxbtn");
    EXPECT_EQ(close.right, client.right - 8) << picture;
    EXPECT_FALSE(Overlap(close, window)) << picture;
    EXPECT_FALSE(Overlap(PosOf(L"leave_btn"), PosOf(L"minbtn"))) << picture;
    EXPECT_LT(PosOf(L"title_label").right, PosOf(L"members_btn").left) << picture;
    EXPECT_LE(PosOf(L"title_label").right, PosOf(L"drop_down_btn").left) << picture;
    EXPECT_LE(PosOf(L"drop_down_btn").right, PosOf(L"members_btn").left) << picture;
    EXPECT_TRUE(Testing::SaveWindowPng(MainWindow(), (m_program.StartFolder() + picture).c_str()));
  }
};

TEST_F(MainWndLookTest, AtItsSizes) {
  StepRunner script;
  WaitForFilledList(script).Do("look and close", [this] {
    ASSERT_TRUE(Testing::Click(MainWindow(), L"imItem_im-zhou-notice"));
    CheckHeaderAndSave(L"main-window.png");
    const SIZE minimum = Testing::ManagerOf(MainWindow())->GetMinInfo();
    SetWindowPos(MainWindow(), nullptr, 0, 0, minimum.cx, minimum.cy, SWP_NOMOVE | SWP_NOZORDER);
    CheckHeaderAndSave(L"main-window-smallest.png");
    ShowWindow(MainWindow(), SW_MAXIMIZE);
    CheckHeaderAndSave(L"main-window-maximised.png");
    CloseMainWindow();
  });
  RunMainWindow(script);
}

// A name as long as the create dialog lets anyone type.
TEST_F(MainWndLookTest, ALongChannelNameEndsWithAnEllipsisAndTheHeaderKeepsItsTools) {
  std::wstring name;
  for (int i = 0; name.size() < 500; ++i) name += L"很长的频道名称" + std::to_wstring(i);
  std::mutex mutex;
  std::string created;
  mireloom::ChannelManager::DefaultManager()->CreateChannel(
      WideToUtf8(name), "", mireloom::Channel::kPublic, {}, mireloom::kPreferredColorFirst,
      [&](bool ok, const std::string&, std::unique_ptr<mireloom::Channel> channel) {
        const std::lock_guard<std::mutex> lock(mutex);
        if (ok && channel) created = channel->channel_id();
      });
  ASSERT_TRUE(mireloom::testing::WaitIdle());
  const std::string id = [&] {
    const std::lock_guard<std::mutex> lock(mutex);
    return created;
  }();
  ASSERT_FALSE(id.empty());
  StepRunner script;
  WaitForFilledList(script).Do("look and close", [this, &id, &name] {
    Main()->RefreshAndSelectSession(id, true);
    ASSERT_EQ(Text(L"title_label"), L"#" + name);
    CheckHeaderAndSave(L"main-window-long-name.png");
    const SIZE minimum = Testing::ManagerOf(MainWindow())->GetMinInfo();
    SetWindowPos(MainWindow(), nullptr, 0, 0, minimum.cx, minimum.cy, SWP_NOMOVE | SWP_NOZORDER);
    CheckHeaderAndSave(L"main-window-long-name-smallest.png");
    CloseMainWindow();
  });
  RunMainWindow(script);
}

}  // namespace
}  // namespace mainwnd_test
