// The image viewer over a generated picture: sized to it, zoomed in steps
// with a badge that goes away, turned, dragged (the window or the picture),
// maximised, and saved from where the picture's address leads.

#include <gtest/gtest.h>

#include "app/storage/CacheNames.h"
#include "app/storage/UserFolders.h"
#include "app/text/TextHelpers.h"
#include "duilib/testing.h"
#include "files/FileAddresses.h"
#include "files/viewer/ImageViewerWnd.h"
#include "files/viewer/SavedImageDownloads.h"
#include "files/viewer/UUCenterUI.h"
#include "FilesWindowTest.h"
#include "quennet/testing.h"
#include "support/BlankPng.h"
#include "support/TempFolder.h"
#include "TestPictures.h"

namespace {

using namespace DuiLib;
using namespace files_test;

LPARAM At(int x, int y) { return MAKELPARAM(x, y); }

class ImageViewerWndTest : public FilesWindowTest {
 protected:
  void SetUp() override {
    FilesWindowTest::SetUp();
    ASSERT_TRUE(files_test::WriteTestPicture(m_picture, 1000, 500, L"image/png"));
    // These tests look at their own picture: the service's stays out, and
    // the viewer keeps what it opened with.
    mt::HttpTransportFailure("https://files.corvanel.test/download/");
  }
  void TearDown() override {
    EXPECT_TRUE(files::WaitForSavedImageDownloads(10000));
    FilesWindowTest::TearDown();
  }

  void OpenViewer(const std::function<void(HWND)>& script) {
    const std::wstring address = Utf8ToWide(files::DownloadAddress("ent-img-large", "team-demo"));
    OpenAndRun(
        WindowSlot::ImageViewerWnd, L"ImageViewerWnd",
        [&] { WindowManager::GetInstance()->ShowImageViewerWnd(m_picture.c_str(), address.c_str(), L"a:b/c.png"); },
        [&](HWND window) {
          // The toolbar shows while the mouse is inside the window.
          ::SendMessageW(window, WM_MOUSEMOVE, 0, At(300, 200));
          script(window);
        });
  }
  static CUUCenterUI* Picture(HWND window) { return ControlAs<CUUCenterUI>(window, L"imgpanel", L"UUCenter"); }
  static std::string Rect(const RECT& r) {
    return std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) + "," +
           std::to_string(r.bottom);
  }
  static void Drag(HWND window, POINT from, POINT to) {
    ::SendMessageW(window, WM_MOUSEMOVE, 0, At(from.x, from.y));
    ::SendMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, At(from.x, from.y));
    ::SendMessageW(window, WM_MOUSEMOVE, MK_LBUTTON, At(to.x, to.y));
    ::SendMessageW(window, WM_LBUTTONUP, 0, At(to.x, to.y));
  }

  test_support::TempFolder m_folder;
  std::wstring m_picture = m_folder / L"图片.png";
};

TEST_F(ImageViewerWndTest, FitsThePictureZoomsInStepsAndTurns) {
  OpenViewer([&](HWND window) {
    RECT client;
    GetClientRect(window, &client);
    EXPECT_EQ(Rect(client), "0,0,1000,500") << "sized to the picture";
    EXPECT_EQ(Picture(window)->GetFitZoomPercent(), 100);
    std::vector<std::wstring> shown;
    for (int click = 0; click < 4; ++click) {
      ASSERT_TRUE(Testing::Click(window, L"amplifybtn"));
      shown.push_back(TextOf(window, L"numberlabel"));
    }
    EXPECT_EQ(shown, (std::vector<std::wstring>{L"105", L"107", L"118", L"120"}));
    const RECT zoomed = Picture(window)->GetDrawRect();
    EXPECT_EQ(zoomed.right - zoomed.left, 1200);
    EXPECT_EQ(zoomed.bottom - zoomed.top, 600);
    // About the centre; each release commits the drawn rectangle, whose rounding adds up.
    EXPECT_NEAR((zoomed.left + zoomed.right) / 2, 500, 4);
    EXPECT_NEAR((zoomed.top + zoomed.bottom) / 2, 250, 4);
    EXPECT_TRUE(Control(window, L"transfernumber")->IsVisible());
    Screenshot(window, L"image_viewer_zoomed");
    EXPECT_TRUE(WaitFor([&] { return !Control(window, L"transfernumber")->IsVisible(); })) << "the badge goes";

    ASSERT_TRUE(Testing::Click(window, L"rotationbtn"));
    EXPECT_EQ(Picture(window)->GetFitZoomPercent(), 50) << "500 x 1000 in 1000 x 500";
    EXPECT_EQ(Rect(Picture(window)->GetDrawRect()), "250,125,750,375");
    // Painted 250 x 500: the dark mark of the top-left quarter turned to the top right.
    HBITMAP painted = Testing::RenderWindow(window);
    EXPECT_EQ(Testing::PixelAt(painted, 578, 95), 0x1F2329u);
    EXPECT_NE(Testing::PixelAt(painted, 400, 95), 0x1F2329u);
    DeleteObject(painted);
    ASSERT_TRUE(Testing::Click(window, L"reducebtn"));
    EXPECT_EQ(TextOf(window, L"numberlabel"), L"45") << "the steps start again from the new fit";
    Screenshot(window, L"image_viewer_turned");
  });
}

TEST_F(ImageViewerWndTest, DraggingMovesTheWindowUntilThePictureIsLargerThanIt) {
  OpenViewer([&](HWND window) {
    RECT before, after;
    GetWindowRect(window, &before);
    Drag(window, {500, 250}, {530, 270});
    GetWindowRect(window, &after);
    EXPECT_EQ(after.left - before.left, 30);
    EXPECT_EQ(after.top - before.top, 20);

    ASSERT_TRUE(Testing::Click(window, L"amplifybtn"));  // 105%: larger than the window
    const RECT zoomed = Picture(window)->GetDrawRect();
    Drag(window, {500, 250}, {480, 240});
    GetWindowRect(window, &before);
    EXPECT_EQ(before.left, after.left) << "the window stays";
    const RECT dragged = Picture(window)->GetDrawRect();
    EXPECT_EQ(dragged.left - zoomed.left, -20) << "the picture follows the mouse";
    EXPECT_EQ(dragged.top - zoomed.top, -10);
    Drag(window, {500, 250}, {200, 100});
    EXPECT_EQ(Picture(window)->GetDrawRect().right, 1000) << "the right edge stays covered";
  });
}

TEST_F(ImageViewerWndTest, APictureThatCannotBeFetchedLeavesWhatItOpenedWithAndTheLogSaysWhy) {
  quennet::ScopedLogCapture log;
  OpenViewer([&](HWND window) {
    ASSERT_TRUE(WaitFor([&] {
      return log.Contains("The picture itself could not be fetched (the reply was 0): the thumbnail stays");
    }));
    Testing::PumpPending();
    EXPECT_EQ(Picture(window)->GetImageWidth(), 1000);
    EXPECT_EQ(Picture(window)->GetImageHeight(), 500);
  });
}

// The picture itself is a small file of about 2 GB of pixels: the viewer
// reads its size, keeps the thumbnail it opened with and says why.
TEST_F(ImageViewerWndTest, APictureAboveThePixelBudgetLeavesTheThumbnailAndSaysWhy) {
  m_picture = m_folder / L"预览.png";
  ASSERT_TRUE(files_test::WriteTestPicture(m_picture, 1000, 500, L"image/png"));
  // Where the fetch finds the picture itself: the cache, under the thumbnail's name.
  const std::wstring fetched = GetCachedFilePath("picture-" + WideToUtf8(L"预览.png"));
  ASSERT_TRUE(test_support::WriteBlankPng(fetched, 23000, 21500));
  OpenViewer([&](HWND window) {
    ASSERT_TRUE(WaitFor([&] {
      CControlUI* notice = Control(window, L"picture_notice_bar");
      return notice && notice->IsVisible();
    })) << "nothing said";
    EXPECT_EQ(TextOf(window, L"picture_notice"), L"This picture is too large to show here: its preview is shown instead.");
    EXPECT_EQ(Picture(window)->GetImageWidth(), 1000) << "the thumbnail stays";
    EXPECT_EQ(Picture(window)->GetImageHeight(), 500);
    Screenshot(window, L"image_viewer_too_large");
  });
  DeleteFileW(fetched.c_str());
}

TEST_F(ImageViewerWndTest, MaximisingSwapsTheSystemButtonsAndRefitsThePicture) {
  OpenViewer([&](HWND window) {
    ASSERT_TRUE(Testing::Click(window, L"maxbtn"));
    ASSERT_TRUE(WaitFor([&] { return IsZoomed(window) != FALSE; }));
    EXPECT_FALSE(Control(window, L"maxbtn")->IsVisible());
    EXPECT_TRUE(Control(window, L"restorebtn")->IsVisible());
    RECT client;
    GetClientRect(window, &client);
    EXPECT_EQ(Rect(Picture(window)->GetPos()), Rect(client));
    Screenshot(window, L"image_viewer_maximised");
    ASSERT_TRUE(WaitFor([&] { return Testing::Click(window, L"restorebtn"); }));
    ASSERT_TRUE(WaitFor([&] { return IsZoomed(window) == FALSE; }));
    EXPECT_TRUE(Control(window, L"maxbtn")->IsVisible());
    EXPECT_FALSE(Control(window, L"restorebtn")->IsVisible());
  });
}

// The chosen file is replaced only by a whole download, which goes beside
// it first: a failed one (a full disk) leaves the old file as it was.
TEST_F(ImageViewerWndTest, SavingOffersACleanNameAndReplacesTheFileOnlyWithAWholeDownload) {
  struct Case {
    bool succeeds;
    const char* written;
    const char* kept;
  };
  const Case cases[] = {{true, "the new picture", "the new picture"}, {false, "the new pi", "the old picture"}};
  const std::wstring target = m_folder / L"saved.jpg";
  OpenViewer([&](HWND window) {
    m_platform.SetSaveFileName(L"");  // cancelled first
    ASSERT_TRUE(Testing::Click(window, L"saveasbtn"));
    m_platform.SetSaveFileName(target);
    for (size_t i = 0; i < std::size(cases); ++i) {
      SCOPED_TRACE(cases[i].written);
      ASSERT_TRUE(test_support::WriteFileBytes(target, "the old picture"));
      m_platform.SetDownloadResult(cases[i].succeeds, cases[i].written);
      ASSERT_TRUE(Testing::Click(window, L"saveasbtn"));
      ASSERT_TRUE(WaitFor([&] { return m_platform.Count(PlatformCall::DownloadUrlToFile) == i + 1; }));
      ASSERT_TRUE(files::WaitForSavedImageDownloads(10000));
      EXPECT_EQ(test_support::ReadFileBytes(target), cases[i].kept);
      WIN32_FIND_DATAW found;
      const HANDLE left = FindFirstFileW((m_folder / L"*.part").c_str(), &found);
      EXPECT_EQ(left, INVALID_HANDLE_VALUE) << "left behind: " << WideToUtf8(found.cFileName);
      if (left != INVALID_HANDLE_VALUE) FindClose(left);
    }
  });
  const auto dialogs = m_platform.CallsOf(PlatformCall::SaveFileDialog);
  ASSERT_EQ(dialogs.size(), 3u);
  EXPECT_EQ(dialogs[1].caption, L"a-b-c.png");
  EXPECT_EQ(dialogs[1].flags, UINT(OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_EXPLORER | OFN_NOCHANGEDIR));
  EXPECT_EQ(dialogs[1].folder, GetPicturesFolder());
  EXPECT_FALSE(dialogs[1].folder.empty());
  const auto download = m_platform.CallsOf(PlatformCall::DownloadUrlToFile)[0];
  EXPECT_EQ(download.text.rfind(L"https://files.corvanel.test/", 0), 0u) << download.text.c_str();
  EXPECT_EQ(download.text.substr(download.text.size() - 4), L".jpg");
  EXPECT_EQ(download.caption.rfind(target + L".", 0), 0u) << "beside the file: " << WideToUtf8(download.caption);
}

}  // namespace
