// Rich edits: Enter as "return" or as a line break, Shift+Enter, AppendText
// and line breaks, "richedit_click" that keeps the selection for Copy, the
// read-only texts that hold a child only while selected, the tip, Tab,
// characters the font lacks, and a long paste.

#include <gtest/gtest.h>
#include <richedit.h>

#include "support/Clipboard.h"
#include "TestWindow.h"
#include "WindowFixture.h"

namespace duilib_test {
namespace {

using namespace DuiLib;
using test_support::ClipboardText;
using test_support::PutOnClipboard;
using Testing::NotifyRecorder;
using Lines = std::vector<std::wstring>;

const wchar_t kInputs[] = LR"(<VerticalLayout>
    <RichEdit name="chat_input" height="80" multiline="true" wantreturn="false" tipvalue="说点什么 Say something" textpadding="4,4,4,4"/>
    <RichEdit name="topic_edit" height="60" multiline="true" wantreturn="true"/>
    <RichEdit name="tabbed" height="40" wanttab="true"/>
    <Button name="btn" height="30" keyboard="true"/>
  </VerticalLayout>)";

using RichEditTest = WindowTest;

TEST_F(RichEditTest, EnterGivesReturnShiftEnterABreakAndWantReturnAlwaysABreak) {
  TestWindow window(Skin(kInputs));
  bool consumeShiftEnter = false;
  window.onMessage = [&](TestWindow&, UINT msg, WPARAM w, LPARAM, bool& handled) -> LRESULT {
    handled = msg == WM_KEYDOWN && w == VK_RETURN && consumeShiftEnter && GetKeyState(VK_SHIFT) < 0;
    return 0;
  };
  HWND hwnd = window.CreatePopup();
  auto* input = window.FindAs<CRichEditUI>(L"chat_input", L"RichEdit");
  ASSERT_TRUE(Testing::TypeText(hwnd, L"chat_input", L"你好"));
  HWND child = input->GetNativeWindow();
  ASSERT_NE(child, nullptr);
  NotifyRecorder recorder(hwnd);
  Testing::PressKey(child, VK_RETURN);
  EXPECT_EQ(recorder.Summary(), (Lines{L"return:chat_input"}));
  EXPECT_EQ(input->GetText(), L"你好") << "no line break, and nothing else";

  recorder.Clear();
  Testing::PressKey(child, VK_RETURN, true);
  EXPECT_EQ(input->GetText().str(), L"你好\n");
  EXPECT_EQ(recorder.Summary(), (Lines{L"textchanged:chat_input"})) << "typing, not \"return\"";

  recorder.Clear();
  consumeShiftEnter = true;
  Testing::PressKey(child, VK_RETURN, true);
  EXPECT_EQ(input->GetText().str(), L"你好\n") << "consumed by the window: nothing reaches the edit";
  EXPECT_TRUE(recorder.Records().empty());

  ASSERT_TRUE(Testing::TypeText(hwnd, L"topic_edit", L"ab"));
  auto* topic = window.FindAs<CRichEditUI>(L"topic_edit", L"RichEdit");
  recorder.Clear();
  Testing::PressKey(topic->GetNativeWindow(), VK_RETURN);
  EXPECT_EQ(topic->GetText().str(), L"ab\n");
  EXPECT_EQ(recorder.Count(L"return"), 0u);
}

TEST_F(RichEditTest, SetTextAndAppendTextTakeBothBreakFormsAndAppendAtTheEndSilently) {
  TestWindow window(Skin(kInputs));
  HWND hwnd = window.CreatePopup();
  NotifyRecorder recorder(hwnd);
  auto* input = window.FindAs<CRichEditUI>(L"chat_input", L"RichEdit");
  input->SetText(L"一\n二\r\nthree");
  EXPECT_EQ(input->GetText(), L"一\n二\nthree");
  input->SetSel(0, 0);
  const long length = input->AppendText(L":smile:");
  EXPECT_EQ(input->GetText(), L"一\n二\nthree:smile:") << "at the end, wherever the caret was";
  EXPECT_EQ(length, input->GetText().GetLength());
  long start = -1, end = -1;
  input->GetSel(start, end);
  EXPECT_EQ(start, end);
  EXPECT_EQ(end, static_cast<long>(SendMessageW(input->GetNativeWindow(), WM_GETTEXTLENGTH, 0, 0)) - 2)
      << "the caret moved to the end (the child counts each break as two)";
  input->AppendText(L"\nnext");
  EXPECT_EQ(input->GetText(), L"一\n二\nthree:smile:\nnext");
  EXPECT_TRUE(recorder.Records().empty()) << "no textchanged from code";
  EXPECT_EQ(SendMessageW(input->GetNativeWindow(), EM_GETLIMITTEXT, 0, 0), 1000000);
}

TEST_F(RichEditTest, ARightClickRaisesRichEditClickAndKeepsTheSelectionForCopy) {
  TestWindow window(Skin(kInputs));
  std::wstring copied;
  POINT clickedAt = {};
  window.onNotify = [&](TestWindow& self, TNotifyUI& msg) {
    if (msg.sType == L"richedit_click") {
      clickedAt = msg.ptMouse;
      PutOnClipboard(L"old");
      static_cast<CRichEditUI*>(msg.pSender->GetInterface(L"RichEdit"))->Copy();
      copied = ClipboardText();
    }
    return false;
  };
  HWND hwnd = window.CreatePopup();
  NotifyRecorder recorder(hwnd);
  auto* topic = window.FindAs<CRichEditUI>(L"topic_edit", L"RichEdit");
  topic->SetText(L"copy 这段 text");
  HWND child = topic->GetNativeWindow();
  topic->SetSel(5, 7);
  // Real input goes to the child, which covers the control.
  SendMessageW(child, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(10, 10));
  SendMessageW(child, WM_RBUTTONUP, 0, MAKELPARAM(10, 10));
  EXPECT_EQ(recorder.Summary(), (Lines{L"setfocus:topic_edit", L"richedit_click:topic_edit"}));
  EXPECT_EQ(copied, L"这段");
  POINT expected = {10, 10};
  MapWindowPoints(child, hwnd, &expected, 1);
  EXPECT_EQ(clickedAt.x, expected.x);
  EXPECT_EQ(clickedAt.y, expected.y) << "the point is in the window's client coordinates";
  long start = 0, end = 0;
  topic->GetSel(start, end);
  EXPECT_EQ(start, 5);
  EXPECT_EQ(end, 7);

  topic->SetSel(3, 3);
  SendMessageW(child, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(child), -1);
  EXPECT_EQ(recorder.Count(L"richedit_click"), 2u) << "the context-menu key";
  EXPECT_EQ(copied, L"old") << "Copy without a selection copies nothing";
}

TEST_F(RichEditTest, ReadOnlyTextsDrawThemselvesAndHoldAChildOnlyWhileSelected) {
  std::wstring rows;
  for (int i = 0; i < 40; ++i) {
    rows += L"<RichEdit name=\"text" + std::to_wstring(i) + L"\" height=\"30\" readonly=\"true\" rich=\"false\" "
            L"multiline=\"true\" text=\"只读消息 read-only message " + std::to_wstring(i) + L"\"/>";
  }
  TestWindow window(Skin(L"<VerticalLayout><Button name=\"btn\" height=\"30\" keyboard=\"true\"/><List name=\"chat_display\">" +
                         rows + L"</List></VerticalLayout>", L"size=\"400,300\""));
  window.onNotify = [](TestWindow& self, TNotifyUI& msg) {
    if (msg.sType == L"richedit_click") static_cast<CRichEditUI*>(msg.pSender->GetInterface(L"RichEdit"))->Copy();
    return false;
  };
  HWND hwnd = window.CreatePopup();
  auto children = [hwnd] {
    int count = 0;
    for (HWND child = GetWindow(hwnd, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) ++count;
    return count;
  };
  Testing::PumpPending();
  EXPECT_EQ(children(), 0) << "forty texts, no native window";
  auto* text = window.FindAs<CRichEditUI>(L"text2", L"RichEdit");
  HBITMAP shot = Testing::RenderWindow(hwnd);
  const RECT rc = text->GetPos();
  int inked = 0;
  for (int x = rc.left; x < rc.left + 120; ++x) {
    for (int y = rc.top; y < rc.bottom; ++y) inked += Testing::PixelAt(shot, x, y) != 0xFFFFFF;
  }
  DeleteObject(shot);
  EXPECT_GT(inked, 20) << "the text is drawn without a child";

  ASSERT_TRUE(Testing::Click(hwnd, L"text2"));
  ASSERT_NE(text->GetNativeWindow(), nullptr);
  EXPECT_EQ(children(), 1);
  text->SetSel(0, 4);
  PutOnClipboard(L"old");
  ASSERT_TRUE(Testing::RightClick(hwnd, L"text2"));
  EXPECT_EQ(ClipboardText(), L"只读消息");
  EXPECT_EQ(text->GetText(), L"只读消息 read-only message 2");

  ASSERT_TRUE(Testing::Click(hwnd, L"btn"));
  Testing::PumpPending();
  EXPECT_EQ(text->GetNativeWindow(), nullptr) << "released when the focus went elsewhere";
  EXPECT_EQ(children(), 0);
  EXPECT_EQ(text->GetText(), L"只读消息 read-only message 2");
}

// The face of each character in the child: "f" the control's own font, "s"
// the interface face, "e" the emoji face, "?" any other.
std::wstring Faces(HWND child, const std::wstring& fontFace) {
  std::wstring faces;
  const auto length = static_cast<long>(SendMessageW(child, WM_GETTEXTLENGTH, 0, 0));
  for (long at = 0; at < length; ++at) {
    SendMessageW(child, EM_SETSEL, at, at + 1);
    CHARFORMAT2W format = {};
    format.cbSize = sizeof format;
    SendMessageW(child, EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format));
    const std::wstring face = format.szFaceName;
    faces += face == fontFace ? L'f' : face == L"Segoe UI" ? L's' : face == L"Segoe UI Emoji" ? L'e' : L'?';
  }
  return faces;
}

TEST_F(RichEditTest, CharactersTheFontLacksAreDrawnInAFaceThatHasThemHoweverTheyComeIn) {
  TestWindow window(Skin(kInputs));
  HWND hwnd = window.CreatePopup();
  auto* input = window.FindAs<CRichEditUI>(L"chat_input", L"RichEdit");
  // Latin, Hebrew, an emoji beyond the first plane, a heart symbol, Chinese.
  const std::wstring text = L"a \u05E2\u05D1 \U0001F600\u2764b\u6F22";
  const std::wstring expected = L"ffssfeeeff";

  ASSERT_TRUE(Testing::TypeText(hwnd, L"chat_input", text.c_str()));
  HWND child = input->GetNativeWindow();
  CHARFORMAT2W first = {};
  first.cbSize = sizeof first;
  SendMessageW(child, EM_SETSEL, 0, 1);
  SendMessageW(child, EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&first));
  const std::wstring fontFace = first.szFaceName;
  ASSERT_NE(fontFace, L"Segoe UI");
  EXPECT_EQ(input->GetText().str(), text);
  EXPECT_EQ(Faces(child, fontFace), expected) << "typed";

  input->SetText(text.c_str());
  EXPECT_EQ(Faces(child, fontFace), expected) << "set by code";

  input->SetText(L"");
  PutOnClipboard(text);
  Testing::PressKey(child, 'V', false, true);
  EXPECT_EQ(input->GetText().str(), text);
  EXPECT_EQ(Faces(child, fontFace), expected) << "pasted";

  SendMessageW(child, EM_SETSEL, 7, 7);
  ASSERT_TRUE(Testing::TypeText(hwnd, L"chat_input", L"c"));
  EXPECT_EQ(Faces(child, fontFace), L"ffssfeefeff") << "typed after an emoji: in the font again";
}

// Whether the character at `at` lies on the child's automatic background.
bool OnAutomaticBackground(HWND child, long at) {
  SendMessageW(child, EM_SETSEL, at, at + 1);
  CHARFORMAT2W format = {};
  format.cbSize = sizeof format;
  SendMessageW(child, EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format));
  return (format.dwEffects & CFE_AUTOBACKCOLOR) != 0;
}

TEST_F(RichEditTest, ALongPasteGoesInWholeAsOneChangeAndInShortRuns) {
  TestWindow window(Skin(kInputs));
  HWND hwnd = window.CreatePopup();
  auto* input = window.FindAs<CRichEditUI>(L"chat_input", L"RichEdit");
  ASSERT_TRUE(Testing::TypeText(hwnd, L"chat_input", L">"));
  HWND child = input->GetNativeWindow();
  // Plain words, then characters the stream escapes, tabs, emoji sequences
  // in another face (a pair, a joiner, a pair) and line breaks.
  std::wstring pasted, expected = L">";
  for (int i = 0; pasted.size() < 5000; ++i) {
    const bool words = pasted.size() < 1200 || i % 9;
    pasted += words ? L"abc " : L"{\\} \t\U0001F469\u200D\U0001F4BB\r\n";
    expected += words ? L"abc " : L"{\\} \t\U0001F469\u200D\U0001F4BB\n";
  }
  PutOnClipboard(pasted);
  NotifyRecorder recorder(hwnd);
  Testing::PressKey(child, 'V', false, true);
  EXPECT_EQ(input->GetText().str(), expected);
  EXPECT_EQ(recorder.Count(L"textchanged"), 1u) << "one change, not one for each face";
  // The joined emoji in the emoji face (the last half of a run reads back
  // mixed with what follows it).
  EXPECT_EQ(Faces(child, L"").substr(expected.find(L'\U0001F469'), 4), L"eeee");

  // Wine's rich edit wraps a line in time that grows with the length of the
  // run it breaks, so no run may be long: within every 257 characters the
  // background changes from automatic to explicit or back.
  const long words = static_cast<long>(expected.find(L'{'));
  for (long from = 1; from + 257 <= words; from += 257) {
    bool changes = false;
    for (long at = from + 1; at < from + 257 && !changes; ++at) {
      changes = OnAutomaticBackground(child, at) != OnAutomaticBackground(child, at - 1);
    }
    EXPECT_TRUE(changes) << "one run from " << from;
  }
  SendMessageW(child, EM_SETSEL, -1, -1);
  SendMessageW(child, WM_UNDO, 0, 0);
  EXPECT_EQ(input->GetText(), L">") << "the paste is undone whole";

  // Cleared as a send clears it: the input keeps the keyboard.
  Testing::PressKey(child, 'V', false, true);
  input->SetText(L"");
  EXPECT_EQ(input->GetText(), L"");
  EXPECT_EQ(GetFocus(), input->GetNativeWindow());
  ASSERT_TRUE(Testing::TypeText(hwnd, L"chat_input", L"next"));
  EXPECT_EQ(input->GetText(), L"next");
}

TEST_F(RichEditTest, TheTipShowsWhileEmptyAndTabMovesOnUnlessWanted) {
  TestWindow window(Skin(kInputs));
  HWND hwnd = window.CreatePopup();
  auto* input = window.FindAs<CRichEditUI>(L"chat_input", L"RichEdit");
  input->SetTipValueColor(0xFFFF0000);
  auto redPixels = [&] {
    HBITMAP shot = Testing::RenderWindow(hwnd);
    const RECT rc = input->GetPos();
    int red = 0;
    for (int x = rc.left; x < rc.right; ++x) {
      for (int y = rc.top; y < rc.bottom; ++y) {
        const DWORD pixel = Testing::PixelAt(shot, x, y);
        red += (pixel >> 16) > 0xC0 && (pixel & 0xFFFF) < 0x6060;
      }
    }
    DeleteObject(shot);
    return red;
  };
  EXPECT_GT(redPixels(), 10) << "the tip";
  input->SetText(L"x");
  EXPECT_EQ(redPixels(), 0);
  EXPECT_EQ(input->GetTipValue(), L"说点什么 Say something");

  window.Find(L"chat_input")->SetFocus();
  Testing::PressKey(input->GetNativeWindow(), VK_TAB);
  EXPECT_EQ(window.Manager().GetFocus(), window.Find(L"topic_edit"));
  Testing::PressKey(window.FindAs<CRichEditUI>(L"topic_edit", L"RichEdit")->GetNativeWindow(), VK_TAB);
  EXPECT_EQ(window.Manager().GetFocus(), window.Find(L"btn")) << "a rich edit that wants Tab is no Tab stop";
  auto* tabbed = window.FindAs<CRichEditUI>(L"tabbed", L"RichEdit");
  tabbed->SetFocus();
  Testing::PressKey(tabbed->GetNativeWindow(), VK_TAB);
  EXPECT_EQ(window.Manager().GetFocus(), tabbed);
  EXPECT_EQ(tabbed->GetText(), L"\t");
}

}  // namespace
}  // namespace duilib_test
