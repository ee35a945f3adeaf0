// The snippet viewer: main.cpp shown and copied through its menu; an entity
// the core cannot deliver leaves the text empty and the window open.

#include <gtest/gtest.h>

#include "duilib/testing.h"
#include "files/FilesMessages.h"
#include "FilesWindowTest.h"

namespace {

using namespace DuiLib;
using namespace files_test;

class ViewSnippetWndTest : public FilesWindowTest {
 protected:
  void OpenSnippet(const std::string& entityId, const std::function<void(HWND)>& script) {
    OpenAndRun(
        WindowSlot::ViewSnippetWnd, L"ViewSnippetWnd", [&] { WindowManager::GetInstance()->ShowViewSnippetWnd(entityId); },
        script);
  }
  static CRichEditUI* Text(HWND window) { return ControlAs<CRichEditUI>(window, L"snippet_richedit", L"RichEdit"); }
};

TEST_F(ViewSnippetWndTest, ShowsTheSnippetAndCopiesTheSelection) {
  OpenSnippet("ent-snip-cpp", [&](HWND window) {
    wchar_t title[32] = {};
    GetWindowTextW(window, title, 32);
    EXPECT_STREQ(title, L"代码片段");
    ASSERT_TRUE(WaitFor([&] { return !Text(window)->GetText().IsEmpty(); }));
    EXPECT_EQ(std::wstring(Text(window)->GetText().GetData()),
              L"#include <cstdio>\n\nint main() {\n  std::printf(\"hello %d\\n\", 42);\n  return 0;\n}\n");
    Screenshot(window, L"snippet_viewer");
    SetClipboard(window, L"before");
    ASSERT_TRUE(Testing::Click(window, L"snippet_richedit"));
    Text(window)->SetSel(0, -1);
    m_platform.SetMenuCommand(mireloomwnd::kCopyMenuCommand);
    ASSERT_TRUE(Testing::RightClick(window, L"snippet_richedit"));
    EXPECT_NE(ClipboardText(window).find(L"std::printf"), std::wstring::npos);
    ASSERT_TRUE(Testing::Click(window, L"closeBtn"));
    EXPECT_TRUE(WaitFor([&] { return WindowOf(L"ViewSnippetWnd") == nullptr; }));
  });
}

TEST_F(ViewSnippetWndTest, AnUnknownSnippetLeavesTheTextEmpty) {
  OpenSnippet("ent-nothing", [&](HWND window) {
    mt::WaitIdle();
    Testing::PumpPending();
    EXPECT_TRUE(Text(window)->GetText().IsEmpty());
    EXPECT_TRUE(IsWindow(window));
  });
}

}  // namespace
