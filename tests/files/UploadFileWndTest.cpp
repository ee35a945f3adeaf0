// The upload dialog: a picture's preview and the typed name sent with the
// sniffed type, another file's icon and the generic type, both ways of
// closing without sending, and a file that went away.

#include <gtest/gtest.h>

#include "app/text/TextHelpers.h"
#include "app/ui/BusyButton.h"
#include "duilib/testing.h"
#include "FilesWindowTest.h"
#include "support/TempFolder.h"
#include "TestPictures.h"

namespace {

using namespace DuiLib;
using namespace files_test;

class UploadFileWndTest : public FilesWindowTest {
 protected:
  void OpenUpload(const std::wstring& path, const std::function<void(HWND)>& script) {
    OpenAndRun(
        WindowSlot::UploadFileWnd, L"UploadFileWnd",
        [&] { WindowManager::GetInstance()->ShowUploadFileWnd("chn-files", WideToAnsi(path), 1); }, script);
  }
  static void Retype(HWND window, const wchar_t* text) {
    ControlAs<CEditUI>(window, L"file_name_edit", L"Edit")->SetText(L"");
    ASSERT_TRUE(Testing::TypeText(window, L"file_name_edit", text));
  }
  static bool Uploaded(size_t count) {
    return WaitFor([&] { return mt::ServiceUploads().size() == count; });
  }

  test_support::TempFolder m_folder;
};

TEST_F(UploadFileWndTest, APictureIsPreviewedAndSentUnderTheTypedName) {
  const std::wstring path = m_folder / L"预览图.png";
  ASSERT_TRUE(files_test::WriteTestPicture(path, 800, 400, L"image/png"));
  m_platform.SetSniffedMimeType(L"image/png");
  OpenUpload(path, [&](HWND window) {
    EXPECT_EQ(TextOf(window, L"file_name_edit"), L"预览图.png");
    auto* preview = ControlAs<CButtonUI>(window, L"preview_file", L"Button");
    EXPECT_EQ(preview->GetFixedWidth(), 160);
    EXPECT_EQ(preview->GetFixedHeight(), 80);
    EXPECT_EQ(preview->GetPadding().left, 152);
    EXPECT_EQ(preview->GetPadding().top, 45);
    EXPECT_EQ(std::wstring(preview->GetNormalImage().GetData()), path);
    Screenshot(window, L"upload_picture");
    Retype(window, L"季度图表.png");
    ASSERT_TRUE(Testing::Click(window, L"upload_btn"));
    EXPECT_TRUE(WaitFor([&] { return WindowOf(L"UploadFileWnd") == nullptr; })) << "closes at once";
  });
  ASSERT_TRUE(Uploaded(1));
  const auto upload = mt::ServiceUploads()[0];
  EXPECT_EQ(upload.name, "季度图表.png");
  EXPECT_EQ(upload.mime, "image/png");
  EXPECT_EQ(upload.conversation_id, "chn-files");
  EXPECT_EQ(upload.bytes, test_support::ReadFileBytes(path));
  ASSERT_EQ(m_platform.Count(PlatformCall::SniffMimeType), 1u);
  EXPECT_EQ(m_platform.CallsOf(PlatformCall::SniffMimeType)[0].count, 260u) << "the first 260 bytes";
}

// Until the upload is done the upload button has the busy look of the
// sign-in buttons, and no way of closing the window works: Cancel and the
// close button are off, Esc and Alt+F4 do nothing. A success closes the
// window, a failure says so and leaves the window ready again.
TEST_F(UploadFileWndTest, TheWindowIsBusyUntilTheUploadIsDone) {
  const std::wstring path = m_folder / L"report.pdf";
  ASSERT_TRUE(test_support::WriteFileBytes(path, "%PDF-1.4 report"));
  mt::Script("ChatManager::SendFileMessage").Hold().Fail(500).Times(1);
  OpenUpload(path, [&](HWND window) {
    auto* upload = ControlAs<CButtonUI>(window, L"upload_btn", L"Button");
    for (const bool succeeds : {false, true}) {
      ASSERT_TRUE(Testing::Click(window, L"upload_btn"));
      const int held = mt::WaitForHeld("ChatManager::SendFileMessage");
      ASSERT_NE(held, 0);
      EXPECT_EQ(TextOf(window, L"upload_btn"), L"Uploading...");
      EXPECT_EQ(upload->GetBkColor(), mireloomwnd::kBusyBkColor);
      EXPECT_EQ(upload->GetTextColor(), mireloomwnd::kBusyTextColor);
      EXPECT_FALSE(upload->IsMouseEnabled());
      EXPECT_FALSE(upload->IsHot()) << "the hot look of the click hides the busy one";
      EXPECT_FALSE(ControlAs<CButtonUI>(window, L"cancel_btn", L"Button")->IsEnabled());
      EXPECT_FALSE(ControlAs<CButtonUI>(window, L"close_btn", L"Button")->IsEnabled());
      Testing::PressKey(window, VK_ESCAPE);
      ::SendMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0);
      Testing::PumpPending();
      ASSERT_TRUE(IsWindow(window)) << "closed before the outcome";
      EXPECT_TRUE(WaitFor([&] { return TextOf(window, L"upload_btn") == L"Uploading."; })) << "the dots step";
      Screenshot(window, L"upload_busy");
      ASSERT_TRUE(mt::Release(held));
      if (succeeds) break;
      EXPECT_TRUE(WaitFor([&] { return m_platform.Count(PlatformCall::MessageBox) == 1; })) << "the failure is told";
      EXPECT_EQ(m_platform.CallsOf(PlatformCall::MessageBox)[0].text, L"The file could not be uploaded.");
      EXPECT_EQ(TextOf(window, L"upload_btn"), L"Upload");
      EXPECT_TRUE(upload->IsMouseEnabled());
      EXPECT_TRUE(ControlAs<CButtonUI>(window, L"cancel_btn", L"Button")->IsEnabled());
      EXPECT_TRUE(ControlAs<CButtonUI>(window, L"close_btn", L"Button")->IsEnabled());
      mt::Script("ChatManager::SendFileMessage").Hold();  // the next try is held too, and goes through
    }
    EXPECT_TRUE(WaitFor([&] { return WindowOf(L"UploadFileWnd") == nullptr; })) << "closes once the upload is done";
  });
  EXPECT_TRUE(Uploaded(1));
}

TEST_F(UploadFileWndTest, AnotherFileShowsTheDefaultIconAndGoesAsGenericData) {
  const std::wstring path = m_folder / L"data.qqq";
  ASSERT_TRUE(test_support::WriteFileBytes(path, "twelve bytes"));
  OpenUpload(path, [&](HWND window) {
    auto* preview = ControlAs<CButtonUI>(window, L"preview_file", L"Button");
    EXPECT_EQ(std::wstring(preview->GetNormalImage().GetData()), L"file_type/file_type_default.png");
    Screenshot(window, L"upload_file");
    ASSERT_TRUE(Testing::Click(window, L"upload_btn"));
  });
  ASSERT_TRUE(Uploaded(1));
  EXPECT_EQ(mt::ServiceUploads()[0].mime, "application/octet-stream") << "the sniff named no type";
  EXPECT_EQ(m_platform.CallsOf(PlatformCall::SniffMimeType)[0].count, 12u);
}

TEST_F(UploadFileWndTest, CancelAndCloseSendNothing) {
  const std::wstring path = m_folder / L"notes.txt";
  ASSERT_TRUE(test_support::WriteFileBytes(path, "notes"));
  OpenUpload(path, [&](HWND window) { ASSERT_TRUE(Testing::Click(window, L"cancel_btn")); });
  OpenUpload(path, [&](HWND window) { ASSERT_TRUE(Testing::Click(window, L"close_btn")); });
  mt::WaitIdle();
  EXPECT_TRUE(mt::ServiceUploads().empty());
  EXPECT_EQ(m_platform.Count(PlatformCall::SniffMimeType), 0u);
}

TEST_F(UploadFileWndTest, AFileThatWentAwayIsNotSent) {
  const std::wstring path = m_folder / L"gone.txt";
  ASSERT_TRUE(test_support::WriteFileBytes(path, "soon gone"));
  OpenUpload(path, [&](HWND window) {
    ASSERT_TRUE(DeleteFileW(path.c_str()));
    ASSERT_TRUE(Testing::Click(window, L"upload_btn"));
    EXPECT_TRUE(WaitFor([&] { return WindowOf(L"UploadFileWnd") == nullptr; })) << "closed as if cancelled";
  });
  mt::WaitIdle();
  EXPECT_TRUE(mt::ServiceUploads().empty());
  EXPECT_EQ(m_platform.Count(PlatformCall::SniffMimeType), 0u);
}

}  // namespace
