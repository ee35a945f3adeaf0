#include <gtest/gtest.h>

#include "TestWindow.h"
#include "WindowFixture.h"

namespace duilib_test {
namespace {

using SmokeTest = WindowTest;

TEST_F(SmokeTest, WindowIsBuiltAndPainted) {
  TestWindow window(Skin(L"<VerticalLayout bkcolor=\"#FFF0F0F0\"><Button name=\"ok\" text=\"确定 OK\" height=\"40\" bkcolor=\"#FF2080FF\" textcolor=\"#FFFFFFFF\"/></VerticalLayout>"));
  ASSERT_NE(window.CreatePopup(), nullptr);
  EXPECT_EQ(window.initCount, 1);
  auto* ok = window.Find(L"ok");
  ASSERT_NE(ok, nullptr);
  DuiLib::Testing::PumpPending();
  EXPECT_EQ(ok->GetPos().bottom, 40);
  EXPECT_TRUE(DuiLib::Testing::SaveWindowPng(window, L"smoke.png"));
  EXPECT_TRUE(DuiLib::Testing::Click(window, L"ok"));
  EXPECT_EQ(window.clickCount, 1);
}

}  // namespace
}  // namespace duilib_test
