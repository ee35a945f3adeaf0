// The real program's file roads: a picture picked in the system's open
// dialog from a folder of its own is sent, every window still opens after the
// dialog, and the image viewer shows the picture itself.

#include <windows.h>
#include <gdiplus.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "app/text/TextHelpers.h"
#include "files/TestPictures.h"
#include "ProgramRoad.h"
#include "support/TempFolder.h"

namespace e2e {
namespace {

// In the main window at its first size: channel 文件 (ninth in the list), the
// list's "join a channel" button, the user's avatar (which opens the personal
// menu) and the newest message's picture at the bottom of the message view.
constexpr int kFilesChannel = 8;
constexpr POINT kJoinChannelButton = {230, 113};
constexpr POINT kPersonalMenuButton = {34, 684};
constexpr POINT kNewestPicture = {475, 497};
// The join dialog's close button.
constexpr POINT kJoinDialogClose = {433, 26};
constexpr COLORREF kViewBackground = RGB(0xFF, 0xFF, 0xFF);

class FileRoadTest : public ProgramRoadTest {
 protected:
  // Writes an 800 x 600 picture of that name in a folder of its own, starts
  // the program signed in as zhou, opens channel 文件 and sends the picture
  // through the system's open dialog; waits until the view has shown it.
  void UploadPictureToFilesChannel(ProgramDriver& program, const wchar_t* name, const wchar_t* teamShot, HWND* main) {
    const std::wstring picture = WritePicture(name);
    ASSERT_FALSE(picture.empty());
    *main = StartSignedInAsZhou(program, teamShot);
    ASSERT_NE(*main, nullptr);
    const POINT channel = SessionItem(kFilesChannel);
    ProgramDriver::ClickAt(*main, channel.x, channel.y);
    ASSERT_TRUE(UploadThroughTheDialog(program, *main, picture));
    const std::string shared = "分享了图片: " + WideToUtf8(name);
    ASSERT_TRUE(WaitForLogLine(shared.c_str())) << "the upload was not shown";
  }

  // Picks the file in the system's open dialog and uploads it from the
  // upload window that opens.
  static testing::AssertionResult UploadThroughTheDialog(ProgramDriver& program, HWND main,
                                                         const std::wstring& file) {
    HWND upload = OpenUploadWindow(program, main, file);
    if (!upload) return testing::AssertionFailure() << "no upload window after the dialog";
    EXPECT_TRUE(SaveScreenshot(upload, Shot(L"16-upload-after-dialog.png")));
    ProgramDriver::ClickAt(upload, UploadWindowButton().x, UploadWindowButton().y);
    if (!program.WaitForWindowGone(L"UploadFileWnd")) return testing::AssertionFailure() << "the upload window stayed";
    return testing::AssertionSuccess();
  }

  // An 800 x 600 picture away from the program's folder.
  std::wstring WritePicture(const wchar_t* name) {
    Gdiplus::GdiplusStartupInput input;
    ULONG_PTR token = 0;
    Gdiplus::GdiplusStartup(&token, &input, nullptr);
    const std::wstring path = m_pictures / name;
    const bool written = files_test::WriteTestPicture(path, 800, 600, L"image/png");
    Gdiplus::GdiplusShutdown(token);
    return written ? path : std::wstring();
  }

  test_support::TempFolder m_pictures;
};

// A file dialog leaves the working directory wherever the user picked from;
// every window opened afterwards still finds its skin.
TEST_F(FileRoadTest, AFilePickedFromAnotherFolderIsSentAndEveryWindowStillOpensAfterTheDialog) {
  ProgramDriver program;
  HWND main = nullptr;
  ASSERT_NO_FATAL_FAILURE(UploadPictureToFilesChannel(program, L"风景.png", L"17-team.png", &main));

  ProgramDriver::ClickAt(main, kJoinChannelButton.x, kJoinChannelButton.y);
  HWND join = program.WaitForWindow(L"JoinChannelWnd", nullptr);
  ASSERT_NE(join, nullptr) << "no join dialog after the file dialog";
  EXPECT_TRUE(SaveScreenshot(join, Shot(L"18-join-after-dialog.png")));
  ProgramDriver::ClickAt(join, kJoinDialogClose.x, kJoinDialogClose.y);
  ASSERT_TRUE(program.WaitForWindowGone(L"JoinChannelWnd"));
  ProgramDriver::ClickAt(main, kPersonalMenuButton.x, kPersonalMenuButton.y);
  HWND menu = program.WaitForWindow(L"PersonalMenuWnd", nullptr);
  ASSERT_NE(menu, nullptr) << "no popup menu after the file dialog";
  EXPECT_TRUE(SaveScreenshot(main, Shot(L"19-menu-after-dialog.png")));
  // The menu goes when it loses the focus, as to a click elsewhere.
  PostMessageW(menu, WM_KILLFOCUS, 0, 0);
  ASSERT_TRUE(program.WaitForWindowGone(L"PersonalMenuWnd"));
  EXPECT_EQ(EventLog().find("Skin file missing"), std::string::npos);
  RECT client = {};
  GetClientRect(main, &client);
  ProgramDriver::ClickAt(main, client.right - 26, 28);
  ASSERT_EQ(program.WaitForExit(), 0);

  const auto stored = StoredMessages("chn-files");
  EXPECT_EQ(std::count_if(stored.begin(), stored.end(),
                          [](const mireloom::Message::Data& message) {
                            return message.uid == "usr-zhou" && message.content == "分享了图片: 风景.png";
                          }),
            1);
}

// The viewer opens with the thumbnail the view holds and then shows the
// picture itself, at its own size.
TEST_F(FileRoadTest, TheImageViewerShowsThePictureItselfAtItsOwnSize) {
  ProgramDriver program;
  HWND main = nullptr;
  ASSERT_NO_FATAL_FAILURE(UploadPictureToFilesChannel(program, L"照片.png", L"20-team.png", &main));
  // The view scrolls to the newest message, whose thumbnail then arrives.
  EXPECT_TRUE(WaitUntil([main] { return ScreenPixel(main, kNewestPicture) != kViewBackground; }, 10000));

  ProgramDriver::ClickAt(main, kNewestPicture.x, kNewestPicture.y);
  HWND viewer = program.WaitForWindow(L"ImageViewerWnd", nullptr);
  ASSERT_NE(viewer, nullptr) << "no viewer";
  const auto clientSize = [viewer] {
    RECT client = {};
    GetClientRect(viewer, &client);
    return std::make_pair(client.right - client.left, client.bottom - client.top);
  };
  WaitUntil([&] { return clientSize() == std::make_pair(800L, 600L); }, 10000);
  EXPECT_EQ(clientSize(), std::make_pair(800L, 600L)) << "the viewer kept the thumbnail";
  EXPECT_TRUE(SaveScreenshot(viewer, Shot(L"21-image-viewer.png")));
}

}  // namespace
}  // namespace e2e
