// The real program's file roads: a picture picked in the system's open
// dialog from a folder of its own is sent, every window still opens after the
// dialog, the image viewer shows the picture itself unless it is too large to
// decode, and the upload window stays until its upload is done.

#include <windows.h>
#include <gdiplus.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "app/text/TextHelpers.h"
#include "files/TestPictures.h"
#include "ProgramRoad.h"
#include "support/BlankPng.h"
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
// The upload window's close button, and the edge of its upload button, white while busy.
constexpr POINT kUploadWindowClose = {487, 24};
constexpr POINT kUploadButtonEdge = {400, 405};
constexpr COLORREF kBusyButtonWhite = RGB(0xFF, 0xFF, 0xFF);

class FileRoadTest : public ProgramRoadTest {
 protected:
  // Writes an 800 x 600 picture of that name in a folder of its own, starts
  // the program signed in as zhou, opens channel 文件 and sends the picture
  // through the system's open dialog; waits until the view has shown it.
  void UploadPictureToFilesChannel(ProgramDriver& program, const wchar_t* name, const wchar_t* teamShot, HWND* main) {
    const std::wstring picture = WritePicture(name);
    ASSERT_FALSE(picture.empty());
    UploadToFilesChannel(program, picture, name, teamShot, main);
  }

  // The same for a picture already written.
  void UploadToFilesChannel(ProgramDriver& program, const std::wstring& picture, const wchar_t* name,
                            const wchar_t* teamShot, HWND* main) {
    HWND upload = OpenUploadInFilesChannel(program, picture, teamShot, main);
    ASSERT_NE(upload, nullptr) << "no upload window after the dialog";
    EXPECT_TRUE(SaveScreenshot(upload, Shot(L"16-upload-after-dialog.png")));
    ProgramDriver::ClickAt(upload, UploadWindowButton().x, UploadWindowButton().y);
    ASSERT_TRUE(program.WaitForWindowGone(L"UploadFileWnd")) << "the upload window stayed";
    const std::string shared = "分享了图片: " + WideToUtf8(name);
    ASSERT_TRUE(WaitForLogLine(shared.c_str())) << "the upload was not shown";
  }

  // Starts the program signed in as zhou, opens channel 文件 and picks the
  // file in the system's open dialog: the upload window, or null.
  HWND OpenUploadInFilesChannel(ProgramDriver& program, const std::wstring& file, const wchar_t* teamShot, HWND* main) {
    *main = StartSignedInAsZhou(program, teamShot);
    if (!*main) return nullptr;
    const POINT channel = SessionItem(kFilesChannel);
    ProgramDriver::ClickAt(*main, channel.x, channel.y);
    return OpenUploadWindow(program, *main, file);
  }

  // Clicks the newest message's picture once its thumbnail shows: the viewer, or null.
  static HWND OpenNewestPicture(ProgramDriver& program, HWND main) {
    // The view scrolls to the newest message, whose thumbnail then arrives.
    EXPECT_TRUE(WaitUntil([main] { return ScreenPixel(main, kNewestPicture) != kViewBackground; }, 10000));
    ProgramDriver::ClickAt(main, kNewestPicture.x, kNewestPicture.y);
    return program.WaitForWindow(L"ImageViewerWnd", nullptr);
  }
  static std::pair<LONG, LONG> ClientSize(HWND window) {
    RECT client = {};
    GetClientRect(window, &client);
    return std::make_pair(client.right - client.left, client.bottom - client.top);
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
  HWND viewer = OpenNewestPicture(program, main);
  ASSERT_NE(viewer, nullptr) << "no viewer";
  WaitUntil([&] { return ClientSize(viewer) == std::make_pair(800L, 600L); }, 10000);
  EXPECT_EQ(ClientSize(viewer), std::make_pair(800L, 600L)) << "the viewer kept the thumbnail";
  EXPECT_TRUE(SaveScreenshot(viewer, Shot(L"21-image-viewer.png")));
}

// A picture of 8000 x 8000 pixels in a file of a few hundred kilobytes: the
// viewer reads its size, keeps the thumbnail and says why; the program
// decodes none of its 256 MB of pixels, in the upload window either.
TEST_F(FileRoadTest, APictureAboveThePixelBudgetKeepsItsThumbnailInTheViewer) {
  constexpr double kMostGrowthMegabytes = 64;
  const std::wstring picture = m_pictures / L"巨图.png";
  ASSERT_TRUE(test_support::WriteBlankPng(picture, 8000, 8000));
  ProgramDriver program;
  HWND main = nullptr;
  ASSERT_NO_FATAL_FAILURE(UploadToFilesChannel(program, picture, L"巨图.png", L"22-team.png", &main));
  const double before = program.WorkingSetMegabytes();
  HWND viewer = OpenNewestPicture(program, main);
  ASSERT_NE(viewer, nullptr) << "no viewer";
  const auto opened = ClientSize(viewer);
  EXPECT_TRUE(WaitForLogLine("pixels, too large to decode: the thumbnail stays")) << "nothing said";
  EXPECT_EQ(ClientSize(viewer), opened) << "the viewer took the picture itself";
  EXPECT_LE(program.WorkingSetMegabytes() - before, kMostGrowthMegabytes) << "from " << before << " MB";
  EXPECT_TRUE(SaveScreenshot(viewer, Shot(L"23-image-viewer-too-large.png")));
}

// While a big file goes, neither the close button nor Esc closes the upload
// window: it closes when the upload is done, so that its outcome is seen.
TEST_F(FileRoadTest, TheUploadWindowStaysUntilItsUploadIsDone) {
  const test_support::BigFile file(L"big-upload.bin", 160);
  ASSERT_TRUE(file.Written());
  ProgramDriver program;
  HWND main = nullptr;
  HWND upload = OpenUploadInFilesChannel(program, file.Path(), L"24-team.png", &main);
  ASSERT_NE(upload, nullptr) << "no upload window";
  const char* shared = "分享了文件: big-upload.bin";
  ProgramDriver::ClickAt(upload, UploadWindowButton().x, UploadWindowButton().y);
  ASSERT_TRUE(WaitUntil([upload] { return ScreenPixel(upload, kUploadButtonEdge) == kBusyButtonWhite; }, 10000))
      << "the upload window never looked busy";
  ProgramDriver::ClickAt(upload, kUploadWindowClose.x, kUploadWindowClose.y);
  PostMessageW(upload, WM_KEYDOWN, VK_ESCAPE, 1);
  PostMessageW(upload, WM_KEYUP, VK_ESCAPE, 0xC0000001);
  // A window that obeyed would be gone at once, long before the file is.
  const bool closedAtOnce = WaitUntil([upload] { return !IsWindow(upload); }, 2000);
  EXPECT_TRUE(!closedAtOnce || EventLog().find(shared) != std::string::npos) << "closed while the file went";
  EXPECT_TRUE(SaveScreenshot(upload, Shot(L"25-upload-busy-after-close.png")));
  EXPECT_TRUE(WaitForLogLine(shared, 60000)) << "the upload never ended";
  EXPECT_EQ(EventLog().find("Upload of"), std::string::npos) << "the upload failed";
  EXPECT_TRUE(program.WaitForWindowGone(L"UploadFileWnd", 5000)) << "still open once the upload was done";
  CloseMainWindow(main);
  ASSERT_EQ(program.WaitForExit(), 0);
}

}  // namespace
}  // namespace e2e
