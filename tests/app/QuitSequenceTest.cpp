// The one quit sequence every exit point runs: the quit message first, so
// that the loops end once the browser layer has shut down, then the layer's
// shutdown, then its loop told to end.

#include <gtest/gtest.h>

#include "app/frame/QuitSequence.h"
#include "cef/cef_test.h"

namespace {

TEST(QuitSequenceTest, QuitMessageThenShutdownThenTheLayersLoop) {
  cef_test::ClearProcessCalls();
  RunQuitSequence();
  const auto calls = cef_test::ProcessCalls();
  ASSERT_EQ(calls.size(), 2u);
  EXPECT_EQ(calls[0].name, "cef_shutdown");
  EXPECT_TRUE(calls[0].quit_pending) << "the quit message comes first";
  EXPECT_EQ(calls[1].name, "cef_quit_message_loop");
  MSG msg;
  EXPECT_TRUE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(msg.wParam, 0u);
}

}  // namespace
