// Single-line edits holding a long run of text with no break: what is drawn
// follows the caret, and every edit reaches the whole text.

#include <gtest/gtest.h>

#include "support/Clipboard.h"
#include "TestWindow.h"
#include "WindowFixture.h"

namespace duilib_test {
namespace {

using namespace DuiLib;
using test_support::ClipboardText;
using test_support::PutOnClipboard;

const wchar_t kFields[] = LR"(<VerticalLayout inset="10,10,10,10">
    <Edit name="plain" height="30"/>
    <Edit name="secret" height="30" password="true"/>
  </VerticalLayout>)";

std::wstring LetterRun(int length, wchar_t first = L'a') {
  std::wstring text;
  for (int i = 0; i < length; ++i) text += static_cast<wchar_t>(first + i % 26);
  return text;
}

// Dark pixels of the field as drawn, in columns [from, to) of the child.
int InkBetween(HWND window, CEditUI* edit, int from, int to) {
  HBITMAP shot = Testing::RenderWindow(window);
  RECT rc;
  GetWindowRect(edit->GetNativeWindow(), &rc);
  MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&rc), 2);
  int ink = 0;
  for (int x = rc.left + std::max(from, 0); x < rc.left + to && x < rc.right; ++x) {
    for (int y = rc.top; y < rc.bottom; ++y) ink += (Testing::PixelAt(shot, x, y) & 0xFF) < 0x80;
  }
  DeleteObject(shot);
  return ink;
}

int CaretX() {
  POINT caret = {-1, -1};
  GetCaretPos(&caret);
  return caret.x;
}

using LongTextEditTest = WindowTest;

TEST_F(LongTextEditTest, ALongRunIsDrawnAtTheCaretAndClearedTextStartsAtTheLeftAgain) {
  TestWindow window(Skin(kFields));
  HWND hwnd = window.CreatePopup();
  for (const wchar_t* name : {L"plain", L"secret"}) {
    SCOPED_TRACE(name);
    auto* edit = window.FindAs<CEditUI>(name, L"Edit");
    const std::wstring run = LetterRun(5000);
    edit->SetText(run.c_str());
    edit->SetFocus();
    HWND child = edit->GetNativeWindow();
    ASSERT_EQ(GetFocus(), child);
    RECT client;
    GetClientRect(child, &client);

    Testing::PressKey(child, VK_END);
    ASSERT_TRUE(Testing::TypeText(hwnd, name, L"Z"));
    EXPECT_EQ(edit->GetText().str(), run + L"Z");
    const int caret = CaretX();
    EXPECT_GT(caret, 0);
    EXPECT_LE(caret, client.right) << "the caret is in view";
    EXPECT_GT(InkBetween(hwnd, edit, caret - 40, caret), 20) << "the text ends at the caret";
    EXPECT_EQ(InkBetween(hwnd, edit, caret + 3, client.right), 0) << "nothing after the end";

    Testing::PressKey(child, VK_HOME);
    EXPECT_LE(CaretX(), 1);
    EXPECT_GT(InkBetween(hwnd, edit, 0, 40), 20) << "the start of the text is back in view";

    Testing::PressKey(child, 'A', /*shift=*/false, /*ctrl=*/true);
    Testing::PressKey(child, VK_BACK);
    EXPECT_EQ(edit->GetText(), L"");
    ASSERT_TRUE(Testing::TypeText(hwnd, name, L"ab"));
    EXPECT_GT(InkBetween(hwnd, edit, 0, 30), 10) << "short text at the left edge";
    EXPECT_EQ(InkBetween(hwnd, edit, 40, client.right), 0);
  }
}

TEST_F(LongTextEditTest, EveryEditOfALongRunReachesTheWholeText) {
  TestWindow window(Skin(kFields));
  HWND hwnd = window.CreatePopup();
  Testing::NotifyRecorder recorder(hwnd);
  auto* edit = window.FindAs<CEditUI>(L"plain", L"Edit");
  const std::wstring run = LetterRun(5000);
  edit->SetText(run.c_str());
  edit->SetFocus();
  HWND child = edit->GetNativeWindow();
  auto text = [&] { return edit->GetText().str(); };

  edit->SetSel(2500, 2500);
  ASSERT_TRUE(Testing::TypeText(hwnd, L"plain", L"X"));
  EXPECT_EQ(text(), run.substr(0, 2500) + L"X" + run.substr(2500));
  Testing::PressKey(child, VK_BACK);
  EXPECT_EQ(text(), run);

  Testing::PressKey(child, VK_END, /*shift=*/true);
  DWORD from = 0, to = 0;
  SendMessageW(child, EM_GETSEL, reinterpret_cast<WPARAM>(&from), reinterpret_cast<LPARAM>(&to));
  EXPECT_EQ(from, 2500u);
  EXPECT_EQ(to, 5000u);
  Testing::PressKey(child, 'C', /*shift=*/false, /*ctrl=*/true);
  EXPECT_EQ(ClipboardText(), run.substr(2500)) << "the whole selection, not the part the child holds";
  Testing::PressKey(child, VK_DELETE);
  EXPECT_EQ(text(), run.substr(0, 2500));
  Testing::PressKey(child, 'Z', /*shift=*/false, /*ctrl=*/true);
  EXPECT_EQ(text(), run) << "undone";

  recorder.Clear();
  Testing::PressKey(child, 'A', /*shift=*/false, /*ctrl=*/true);
  ASSERT_TRUE(Testing::TypeText(hwnd, L"plain", L"q"));
  EXPECT_EQ(text(), L"q");
  EXPECT_EQ(recorder.Count(L"textchanged"), 1u);

  PutOnClipboard(run + L"\r\nsecond line");
  Testing::PressKey(child, 'V', /*shift=*/false, /*ctrl=*/true);
  EXPECT_EQ(text(), L"q" + run) << "one line is pasted";
  edit->SetMaxChar(5003);
  ASSERT_TRUE(Testing::TypeText(hwnd, L"plain", L"123"));
  EXPECT_EQ(text(), L"q" + run + L"12") << "the limit counts the whole text";

  auto* secret = window.FindAs<CEditUI>(L"secret", L"Edit");
  secret->SetText(run.c_str());
  secret->SetFocus();
  PutOnClipboard(L"before");
  Testing::PressKey(secret->GetNativeWindow(), 'A', /*shift=*/false, /*ctrl=*/true);
  Testing::PressKey(secret->GetNativeWindow(), 'C', /*shift=*/false, /*ctrl=*/true);
  Testing::PressKey(secret->GetNativeWindow(), VK_DELETE, /*shift=*/true);
  EXPECT_EQ(ClipboardText(), L"before") << "a password never reaches the clipboard";
  EXPECT_EQ(secret->GetText().str(), run);
}

}  // namespace
}  // namespace duilib_test
