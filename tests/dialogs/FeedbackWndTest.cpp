// The feedback window: what it sends, and when it sends nothing.

#include "DialogFixture.h"
#include "app/WindowManager.h"
#include "duilib/testing.h"

namespace dialogs_test {
namespace {

using namespace DuiLib;
using mireloomwnd::WindowManager;
namespace mt = mireloom::testing;

constexpr wchar_t kWindow[] = L"FeedbackWnd";

class FeedbackWndTest : public DialogTest {
 protected:
  static void Open(const std::function<void(HWND)>& script) {
    Drive(kWindow, [] { WindowManager::GetInstance()->ShowFeedbackWnd(); }, script);
  }
  // Types the text and sends it; the window closes at once.
  static void Send(const wchar_t* text) {
    Open([&](HWND window) {
      ASSERT_TRUE(Testing::TypeText(window, L"feedback_edit", text));
      Testing::Click(window, L"save_btn");
    });
    Settle();
  }
};

TEST_F(FeedbackWndTest, AnEmptyTextIsRefusedAndCancelOrCloseSendNothing) {
  Open([&](HWND window) {
    EXPECT_FALSE(Find(window, L"feedback_edit")->IsFocused());
    Testing::Click(window, L"save_btn");
    EXPECT_TRUE(Find(window, L"feedback_edit")->IsFocused()) << "the box asks for a text";
    EXPECT_TRUE(IsWindow(window));
    ASSERT_TRUE(Testing::TypeText(window, L"feedback_edit", L"想法"));
    SaveShot(window, L"feedback");
    Testing::Click(window, L"cancel_btn");
  });
  Open([&](HWND window) {
    ASSERT_TRUE(Testing::TypeText(window, L"feedback_edit", L"想法"));
    Testing::Click(window, L"close_btn");
  });
  Settle();
  EXPECT_TRUE(mt::ServiceFeedback().empty());
}

TEST_F(FeedbackWndTest, TheTextGoesAsTypedWithTheClientsRecord) {
  Send(L"  ");
  Send(L"很好用，谢谢");
  const auto stored = mt::ServiceFeedback();
  ASSERT_EQ(stored.size(), 2u);
  EXPECT_EQ(stored[0].description, "  ") << "blanks are a text";
  EXPECT_EQ(stored[1].description, "很好用，谢谢") << "as UTF-8";
  for (const auto& feedback : stored) {
    EXPECT_EQ(feedback.client_type, 14);
    EXPECT_EQ(feedback.client_version, "2.1.5");
    EXPECT_EQ(feedback.title, "Windows Feedback");
    EXPECT_EQ(feedback.web_api_version, "1");
    EXPECT_EQ(feedback.uid, "usr-zhou");
  }
}

}  // namespace
}  // namespace dialogs_test
