// The feedback window: what it sends, and when it sends nothing.

#include "app/frame/WindowManager.h"
#include "DialogFixture.h"
#include "duilib/testing.h"

namespace dialogs_test {
namespace {

using namespace DuiLib;
namespace mt = mireloom::testing;

class FeedbackWndTest : public DialogTest {
 protected:
  // Types the text, then clicks the button.
  static void Open(const wchar_t* text, const wchar_t* button, const std::function<void(HWND)>& before = {}) {
    Drive(L"FeedbackWnd", [] { mireloomwnd::WindowManager::GetInstance()->ShowFeedbackWnd(); }, [&](HWND window) {
      if (before) before(window);
      ASSERT_TRUE(Testing::TypeText(window, L"feedback_edit", text));
      Testing::Click(window, button);
    });
    Settle();
  }
};

TEST_F(FeedbackWndTest, AnEmptyTextIsRefusedAndCancelOrCloseSendNothing) {
  Open(L"想法", L"cancel_btn", [&](HWND window) {
    auto* box = static_cast<CRichEditUI*>(Find(window, L"feedback_edit")->GetInterface(L"RichEdit"));
    EXPECT_EQ(box->GetTipValue(), L"Tell us what you think, or what went wrong") << "in one language, the user's";
    Testing::Click(window, L"save_btn");
    EXPECT_TRUE(Find(window, L"feedback_edit")->IsFocused()) << "the box asks for a text";
    EXPECT_TRUE(IsWindow(window));
    SaveShot(window, L"feedback");
  });
  Open(L"想法", L"close_btn");
  EXPECT_TRUE(mt::ServiceFeedback().empty());
}

TEST_F(FeedbackWndTest, TheTextGoesAsTypedWithTheClientsRecord) {
  Open(L"  ", L"save_btn");
  Open(L"很好用，谢谢", L"save_btn");
  const auto stored = mt::ServiceFeedback();
  ASSERT_EQ(stored.size(), 2u);
  EXPECT_EQ(stored[0].description, "  ") << "blanks are a text";
  EXPECT_EQ(stored[1].description, "很好用，谢谢") << "as UTF-8";
  for (const auto& feedback : stored) {
    EXPECT_EQ(feedback.client_type, 14);
    EXPECT_EQ(feedback.client_version, "2.1.5");
    EXPECT_EQ(feedback.title, "Windows Feedback");
    EXPECT_EQ(feedback.web_api_version, "1");
  }
}

}  // namespace
}  // namespace dialogs_test
