// The details of chn-files' entities: the picture with three comments (one
// by a member who left), posting with its read-back, a failed post, the
// download through the redirect, and the copy menu of a snippet's preview.

#include <gtest/gtest.h>

#include "duilib/testing.h"
#include "files/FilesMessages.h"
#include "FilesWindowTest.h"

namespace {

using namespace DuiLib;
using namespace files_test;

class FileDetailsWndTest : public FilesWindowTest {
 protected:
  void OpenDetails(const std::string& entityId, const std::function<void(HWND)>& script) {
    OpenAndRun(
        WindowSlot::FileDetailsWnd, L"FileDetailsWnd",
        [&] { WindowManager::GetInstance()->ShowFileDetailsWnd(entityId, 600, 40, 680); }, script);
  }
  // Waits until the entity has filled the panel.
  static bool WaitForEntity(HWND window) {
    return WaitFor([&] { return !TextOf(window, L"file_size_label").empty(); });
  }
  static CListUI* Comments(HWND window) { return ControlAs<CListUI>(window, L"comment_list", L"List"); }
  static CControlUI* Child(CControlUI* control, int index) {
    auto* container = control ? static_cast<CContainerUI*>(control->GetInterface(L"Container")) : nullptr;
    return container ? container->GetItemAt(index) : nullptr;
  }
  // A comment row: its layout holds the avatar, then the heading above the text.
  static CControlUI* RowPart(HWND window, int row, int part) {
    CControlUI* layout = Child(Comments(window)->GetItemAt(row), 0);
    return part == 0 ? Child(layout, 0) : Child(Child(layout, 1), part - 1);
  }
  static std::wstring RowText(HWND window, int row, int part) {
    CControlUI* control = RowPart(window, row, part);
    return control ? control->GetText().GetData() : L"<none>";
  }
  static std::wstring AvatarOf(HWND window, int row) {
    auto* avatar = static_cast<CButtonUI*>(RowPart(window, row, 0)->GetInterface(L"Button"));
    return avatar->GetNormalImage().GetData();
  }
  static void TypeComment(HWND window, const wchar_t* text) {
    ASSERT_TRUE(Testing::TypeText(window, L"comment_edit", text));
  }
};

TEST_F(FileDetailsWndTest, APictureWithItsCommentsAndAMemberWhoLeft) {
  OpenDetails("ent-img-wide", [&](HWND window) {
    ASSERT_TRUE(WaitForEntity(window));
    EXPECT_EQ(TextOf(window, L"file_name_label"), L"截图.png");
    EXPECT_EQ(TextOf(window, L"author_label"), L"周一鸣");
    EXPECT_EQ(TextOf(window, L"file_size_label"), L"12.0KB    PNG");
    EXPECT_TRUE(Control(window, L"download_btn")->IsVisible());
    EXPECT_EQ(TextOf(window, L"comment_number_label"), L"3");
    ASSERT_EQ(Comments(window)->GetCount(), 3);
    EXPECT_EQ(RowText(window, 0, 1).substr(0, 5), L"周一鸣  ");
    EXPECT_EQ(RowText(window, 2, 1).substr(0, 2), L"  ") << "the member who left has no name";
    EXPECT_EQ(RowText(window, 2, 2), L"同意。");
    EXPECT_EQ(AvatarOf(window, 2), L"") << "and no avatar";
    EXPECT_TRUE(WaitFor([&] { return !AvatarOf(window, 1).empty(); })) << "lin's avatar arrives";

    auto* preview = ControlAs<CContainerUI>(window, L"entity_preview_layout", L"Container");
    CControlUI* thumbnail = preview->GetItemAt(preview->GetCount() - 1);
    EXPECT_EQ(thumbnail->GetFixedWidth(), 300);
    EXPECT_EQ(thumbnail->GetFixedHeight(), 75);
    EXPECT_EQ(thumbnail->GetPadding().top, 51);
    WaitFor([&] { return !static_cast<CButtonUI*>(thumbnail->GetInterface(L"Button"))->GetNormalImage().IsEmpty(); });
    Screenshot(window, L"file_details_image");
  });
}

TEST_F(FileDetailsWndTest, APostIsReadBackAndItsRowShowsTheTextThatWasPosted) {
  mt::Script("CommentManager::PostComment").Hold();
  OpenDetails("ent-img-wide", [&](HWND window) {
    ASSERT_TRUE(WaitForEntity(window));
    TypeComment(window, L"看起来不错 {ok} <b>");
    ASSERT_TRUE(Testing::Click(window, L"send_comment_btn"));
    const int post = mt::WaitForHeld("CommentManager::PostComment");
    ASSERT_NE(post, 0);
    EXPECT_EQ(TextOf(window, L"comment_edit"), L"");
    TypeComment(window, L"next");  // typed while the post is on its way
    ASSERT_TRUE(mt::Release(post));
    ASSERT_TRUE(WaitFor([&] { return Comments(window)->GetCount() == 4; }));
    EXPECT_EQ(RowText(window, 3, 2), L"看起来不错 {ok} <b>");
    EXPECT_EQ(RowText(window, 3, 1).substr(0, 5), L"周一鸣  ");
    EXPECT_EQ(TextOf(window, L"comment_edit"), L"next");
    EXPECT_EQ(TextOf(window, L"comment_number_label"), L"4");
    Screenshot(window, L"file_details_posted");
  });
  const auto comments = mt::ServiceComments("ent-img-wide");
  ASSERT_EQ(comments.size(), 4u);
  EXPECT_EQ(comments.back().content, "看起来不错 {ok} <b>");
  EXPECT_EQ(comments.back().creator_uid, "usr-zhou");
}

TEST_F(FileDetailsWndTest, AFailedPostPutsTheTextBack) {
  mt::Script("CommentManager::PostComment").Fail(500);
  OpenDetails("ent-minutes", [&](HWND window) {
    ASSERT_TRUE(WaitForEntity(window));
    TypeComment(window, L"第三条也要跟进");
    ASSERT_TRUE(Testing::Click(window, L"send_comment_btn"));
    EXPECT_TRUE(WaitFor([&] { return TextOf(window, L"comment_edit") == L"第三条也要跟进"; }));
    EXPECT_EQ(Comments(window)->GetCount(), 1);
    EXPECT_EQ(TextOf(window, L"comment_number_label"), L"1");
  });
  EXPECT_EQ(mt::ServiceComments("ent-minutes").size(), 1u);
}

TEST_F(FileDetailsWndTest, DownloadOpensWhereTheFilesAddressLeads) {
  mt::Script("EntityManager::GetEntityById").Hold();
  OpenDetails("ent-file-pdf", [&](HWND window) {
    const int entity = mt::WaitForHeld("EntityManager::GetEntityById");
    Testing::RaiseNotify(window, L"download_btn", L"click");  // before the entity: no address yet
    ASSERT_TRUE(mt::Release(entity));
    ASSERT_TRUE(WaitForEntity(window));
    EXPECT_EQ(TextOf(window, L"file_size_label"), L"240.0KB    PDF");
    ASSERT_TRUE(Testing::Click(window, L"download_btn"));
    ASSERT_TRUE(WaitFor([&] { return m_platform.Count(PlatformCall::ShellOpen) == 1; }));
  });
  const std::wstring opened = m_platform.CallsOf(PlatformCall::ShellOpen)[0].text;
  EXPECT_EQ(opened.rfind(L"https://files.corvanel.test/", 0), 0u) << opened.c_str();
  EXPECT_EQ(opened.substr(opened.size() - 4), L".pdf");
  int redirects = 0;
  for (const auto& request : mt::HttpRequests()) {
    if (request.url == "https://files.corvanel.test/entities/ent-file-pdf/from-s3?team_id=team-demo") ++redirects;
  }
  EXPECT_EQ(redirects, 1) << "one download, asked for once the entity had arrived";
}

TEST_F(FileDetailsWndTest, TheSnippetPreviewCopiesOnlyWhenTheCopyItemIsChosen) {
  OpenDetails("ent-snip-cpp", [&](HWND window) {
    ASSERT_TRUE(WaitForEntity(window));
    EXPECT_EQ(TextOf(window, L"file_size_label"), L"79Bytes    cpp");
    auto* preview = ControlAs<CRichEditUI>(window, L"snippet_doc_richedit", L"RichEdit");
    ASSERT_TRUE(preview->IsVisible());
    EXPECT_NE(std::wstring(preview->GetText().GetData()).find(L"int main()"), std::wstring::npos);
    Screenshot(window, L"file_details_snippet");

    SetClipboard(window, L"before");
    ASSERT_TRUE(Testing::Click(window, L"snippet_doc_richedit"));  // the selection starts here
    preview->SetSel(0, -1);
    m_platform.SetMenuCommand(0);  // dismissed
    ASSERT_TRUE(Testing::RightClick(window, L"snippet_doc_richedit"));
    EXPECT_EQ(ClipboardText(window), L"before");
    m_platform.SetMenuCommand(mireloomwnd::kCopyMenuCommand);
    ASSERT_TRUE(Testing::RightClick(window, L"snippet_doc_richedit"));
    EXPECT_NE(ClipboardText(window).find(L"int main()"), std::wstring::npos);
    EXPECT_EQ(m_platform.Count(PlatformCall::TrackPopupMenu), 2u);
    EXPECT_EQ(m_platform.CallsOf(PlatformCall::TrackPopupMenu)[0].flags & TPM_RETURNCMD, UINT(TPM_RETURNCMD));
  });
}

TEST_F(FileDetailsWndTest, AnEntityArrivingAfterThePanelClosedIsDropped) {
  mt::Script("EntityManager::GetEntityById").Hold();
  int held = 0;
  OpenDetails("ent-img-wide", [&](HWND) { held = mt::WaitForHeld("EntityManager::GetEntityById"); });
  ASSERT_TRUE(mt::Release(held));
  mt::WaitIdle();
  Testing::PumpPending();
}

}  // namespace
