// Lifetime of controls and window objects: removal during dispatch, windows
// destroyed inside their own handlers, and the clean-up at the last message.

#include <gtest/gtest.h>

#include "TestWindow.h"
#include "WindowFixture.h"

namespace duilib_test {
namespace {

using namespace DuiLib;
using Lines = std::vector<std::wstring>;

const wchar_t kRows[] = LR"(<VerticalLayout name="list">
    <Button name="load_more" height="30"/>
    <Button name="row" height="30"/>
    <Button name="row" height="30"/>
  </VerticalLayout>)";

using LifetimeTest = WindowTest;

TEST_F(LifetimeTest, RemoveAllInsideTheSendersOwnClick) {
  const size_t baseline = Testing::LiveControlCount();
  TestWindow window(Skin(kRows));
  CControlUI* removedSender = nullptr;
  std::wstring nameAfterRemoval;
  bool aliveAfterRemoval = true;
  window.onNotify = [&](TestWindow& self, TNotifyUI& msg) {
    if (msg.sType == L"click" && msg.pSender->GetName() == L"load_more") {
      removedSender = msg.pSender;
      self.FindAs<CContainerUI>(L"list", L"Container")->RemoveAll();
      // The sender is detached but still readable until the dispatch ends.
      nameAfterRemoval = msg.pSender->GetName().str();
      aliveAfterRemoval = self.Manager().IsControlAlive(msg.pSender);
    }
    return false;  // the base Notify reads pSender too
  };
  HWND hwnd = window.CreatePopup();
  ASSERT_TRUE(Testing::Click(hwnd, L"load_more"));
  EXPECT_EQ(nameAfterRemoval, L"load_more");
  EXPECT_FALSE(aliveAfterRemoval);
  EXPECT_EQ(window.Find(L"load_more"), nullptr);
  EXPECT_EQ(window.Find(L"row"), nullptr);
  EXPECT_EQ(window.Manager().GetPressedControl(), nullptr);
  EXPECT_EQ(window.Manager().GetHotControl(), nullptr) << "the manager keeps no reference to removed controls";
  EXPECT_FALSE(window.Manager().IsControlAlive(removedSender));
  DestroyWindow(hwnd);
  EXPECT_EQ(Testing::LiveControlCount(), baseline);
}

TEST_F(LifetimeTest, DuplicateNamesRenamesAndRemovedControlsInFindControl) {
  TestWindow window(Skin(kRows));
  HWND hwnd = window.CreatePopup();
  ASSERT_NE(hwnd, nullptr);
  auto* list = window.FindAs<CContainerUI>(L"list", L"Container");
  CControlUI* first = list->GetItemAt(1);
  CControlUI* second = list->GetItemAt(2);
  EXPECT_EQ(window.Find(L"row"), first) << "the earliest added of a name";
  list->Remove(first);
  EXPECT_EQ(window.Find(L"row"), second);
  second->SetName(L"renamed");
  EXPECT_EQ(window.Find(L"row"), nullptr);
  EXPECT_EQ(window.Find(L"renamed"), second);

  auto* deep = new CHorizontalLayoutUI;
  auto* badge = new CLabelUI;
  badge->SetName(L"u1_num_unread_id");
  deep->Add(badge);
  list->Add(deep);
  EXPECT_EQ(window.Find(L"u1_num_unread_id"), badge) << "controls added from code at any depth";
  EXPECT_TRUE(window.Manager().IsControlAlive(badge));
  list->Remove(deep);
  EXPECT_FALSE(window.Manager().IsControlAlive(badge));
  EXPECT_EQ(window.Find(L"u1_num_unread_id"), nullptr);
  EXPECT_FALSE(list->Add(nullptr));
}

TEST_F(LifetimeTest, AWindowDestroyedInsideItsOwnNotify) {
  const size_t baseline = Testing::LiveControlCount();
  TestWindow window(Skin(kRows));
  std::wstring senderName;
  window.onNotify = [&](TestWindow& self, TNotifyUI& msg) {
    if (msg.sType != L"click") return false;
    DestroyWindow(self.GetHWND());
    EXPECT_EQ(self.finalCount, 1);
    EXPECT_EQ(self.GetHWND(), nullptr);
    EXPECT_EQ(self.Find(L"row"), nullptr);
    // Calls on the destroyed window are harmless.
    self.Close();
    self.ShowWindow(false);
    self.CenterWindow();
    EXPECT_EQ(self.HandleMessage(WM_USER + 5, 0, 0), 0);
    self.Manager().SendNotify(msg.pSender, L"late");
    senderName = msg.pSender->GetName().str();
    return false;  // and the base Notify still reads the sender
  };
  HWND hwnd = window.CreatePopup();
  Testing::Click(hwnd, L"load_more");
  EXPECT_FALSE(IsWindow(hwnd));
  EXPECT_EQ(senderName, L"load_more");
  EXPECT_EQ(window.finalCount, 1);
  EXPECT_EQ(Testing::LiveControlCount(), baseline) << "pinned controls are freed when the dispatch ends";
}

TEST_F(LifetimeTest, AFinalMessageWithoutTheBaseLeaksNothing) {
  const size_t baseline = Testing::LiveControlCount();
  {
    TestWindow window(Skin(kRows));
    window.onFinal = [](TestWindow&) {};  // the client's override skips the base
    HWND hwnd = window.CreatePopup();
    EXPECT_GT(Testing::LiveControlCount(), baseline);
    DestroyWindow(hwnd);
    EXPECT_EQ(window.finalCount, 1);
    EXPECT_EQ(Testing::LiveControlCount(), baseline);
  }
  EXPECT_EQ(Testing::LiveControlCount(), baseline);
}

TEST_F(LifetimeTest, AWindowObjectDestroyedFirstTakesItsWindowAlong) {
  HWND hwnd = nullptr;
  int finals = 0;
  {
    TestWindow window(Skin(kRows));
    window.onFinal = [&finals](TestWindow&) { ++finals; };
    hwnd = window.CreatePopup();
    ASSERT_TRUE(IsWindow(hwnd));
  }
  EXPECT_FALSE(IsWindow(hwnd));
  EXPECT_EQ(finals, 0) << "no message reaches a dead object";
  EXPECT_EQ(CWindowWnd::FromHandle(hwnd), nullptr);
}

// A popup that deletes itself after its final message, like the menus.
class SelfDeletingWindow : public TestWindow {
 public:
  SelfDeletingWindow(std::wstring skin, bool* deleted) : TestWindow(std::move(skin)), m_deleted(deleted) {
    SetAutoDelete();
  }
  ~SelfDeletingWindow() override { *m_deleted = true; }

 private:
  bool* m_deleted;
};

TEST_F(LifetimeTest, AutoDeleteWaitsForTheDispatchThatDestroyedTheWindow) {
  bool deleted = false;
  auto* menu = new SelfDeletingWindow(Skin(kRows), &deleted);
  bool deletedInsideNotify = true;
  menu->onNotify = [&](TestWindow& self, TNotifyUI& msg) {
    if (msg.sType == L"click") {
      DestroyWindow(self.GetHWND());
      deletedInsideNotify = deleted;
    }
    return false;
  };
  HWND hwnd = menu->CreatePopup();
  Testing::Click(hwnd, L"row");
  EXPECT_FALSE(deletedInsideNotify);
  EXPECT_TRUE(deleted);
}

TEST(ControlLifetimeTest, ContainersOwnTheirChildren) {
  const size_t baseline = Testing::LiveControlCount();
  {
    CVerticalLayoutUI list;
    for (int i = 0; i < 50; ++i) list.Add(new CButtonUI);
    EXPECT_EQ(Testing::LiveControlCount(), baseline + 51);
    EXPECT_TRUE(list.RemoveAt(49));
    EXPECT_FALSE(list.RemoveAt(49));
    EXPECT_TRUE(list.Remove(list.GetItemAt(0)));
    EXPECT_EQ(Testing::LiveControlCount(), baseline + 49);
  }
  EXPECT_EQ(Testing::LiveControlCount(), baseline);
}

TEST(ControlLifetimeTest, ATokenExpiresWithItsControlOnly) {
  CVerticalLayoutUI list;
  auto* removed = new CButtonUI;
  auto* kept = new CButtonUI;
  list.Add(removed);
  list.Add(kept);
  const std::weak_ptr<void> removedToken = removed->GetLifetimeToken();
  const std::weak_ptr<void> keptToken = kept->GetLifetimeToken();
  EXPECT_FALSE(removedToken.owner_before(removed->GetLifetimeToken()) ||
               removed->GetLifetimeToken().owner_before(removedToken))
      << "one token per control";
  list.Remove(removed);
  EXPECT_TRUE(removedToken.expired());
  EXPECT_FALSE(keptToken.expired());
}

}  // namespace
}  // namespace duilib_test
