// Images: skin-relative, absolute, non-ASCII and extension-less paths, load
// failures and retries, and the pixels they paint.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <set>

#include "duilib/ImageFiles.h"
#include "GdiPlus.h"
#include "GifWriter.h"
#include "ImageCache.h"
#include "ImageCodecs.h"
#include "support/BlankPng.h"
#include "support/TempFolder.h"
#include "TestWindow.h"
#include "WindowFixture.h"

namespace duilib_test {
namespace {

using namespace DuiLib;

// Saves the bitmap in the given GDI+ format ("image/png", "image/bmp"...).
bool SavePicture(Gdiplus::Bitmap& bitmap, const std::wstring& path, const wchar_t* mime = L"image/png") {
  UINT count = 0, size = 0;
  Gdiplus::GetImageEncodersSize(&count, &size);
  std::vector<BYTE> buffer(size);
  auto* encoders = reinterpret_cast<Gdiplus::ImageCodecInfo*>(buffer.data());
  Gdiplus::GetImageEncoders(count, size, encoders);
  for (UINT i = 0; i < count; ++i) {
    if (wcscmp(encoders[i].MimeType, mime) == 0) return bitmap.Save(path.c_str(), &encoders[i].Clsid, nullptr) == Gdiplus::Ok;
  }
  return false;
}

// Writes a solid picture in the given format.
bool WritePicture(const std::wstring& path, int width, int height, Gdiplus::Color color, const wchar_t* mime = L"image/png") {
  Gdiplus::Bitmap bitmap(width, height, PixelFormat32bppARGB);
  {
    Gdiplus::Graphics graphics(&bitmap);
    graphics.Clear(color);
  }
  return SavePicture(bitmap, path, mime);
}

// The premultiplied BGRA pixels of a decoded picture.
std::vector<DWORD> PixelsOf(const detail::DecodedImage& image) {
  DIBSECTION dib = {};
  if (!GetObjectW(image.hBitmap, sizeof dib, &dib) || !dib.dsBm.bmBits) return {};
  const auto* bits = static_cast<const DWORD*>(dib.dsBm.bmBits);
  return std::vector<DWORD>(bits, bits + static_cast<size_t>(image.width) * image.height);
}

// The largest difference of any channel between two pixel sets.
int LargestChannelDifference(const std::vector<DWORD>& a, const std::vector<DWORD>& b) {
  int largest = a.size() == b.size() ? 0 : 256;
  for (size_t i = 0; i < a.size() && i < b.size(); ++i) {
    for (int shift = 0; shift < 32; shift += 8) {
      largest = std::max(largest, std::abs(static_cast<int>((a[i] >> shift) & 0xFF) - static_cast<int>((b[i] >> shift) & 0xFF)));
    }
  }
  return largest;
}

class ImagesTest : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    detail::ClearImageCache();
    CreateDirectoryW((m_folder / L"skin").c_str(), nullptr);
    CreateDirectoryW((m_folder / L"skin\\session").c_str(), nullptr);
  }
  test_support::TempFolder m_folder;
};

TEST_F(ImagesTest, EveryKindOfPathDrawsAndAMissingFileIsRetriedWhenSetAgain) {
  ASSERT_TRUE(WritePicture(m_folder / L"skin\\session\\chat.png", 8, 8, Gdiplus::Color(255, 255, 0, 0)));
  ASSERT_TRUE(WritePicture(m_folder / L"头像.png", 8, 8, Gdiplus::Color(255, 0, 0, 255)));
  // A cache file has no extension: the format comes from the content.
  ASSERT_TRUE(WritePicture(m_folder / L"3f2a9c", 8, 8, Gdiplus::Color(255, 0, 255, 0), L"image/bmp"));
  const std::wstring later = m_folder / L"later";
  TestWindow window(Skin(L"<HorizontalLayout>"
                         L"<Control name=\"relative\" width=\"40\" bkimage=\"session/chat.png\"/>"
                         L"<Control name=\"backslash\" width=\"40\" bkimage=\"session\\chat.png\"/>"
                         L"<Control name=\"absolute\" width=\"40\" bkimage=\"" + (m_folder / L"头像.png") + L"\"/>"
                         L"<Control name=\"noext\" width=\"40\" bkimage=\"file='" + (m_folder / L"3f2a9c") + L"'\"/>"
                         L"<Button name=\"avatar\" width=\"40\" normalimage=\"" + later + L"\"/>"
                         L"<Control bkcolor=\"#FFFFFFFF\"/></HorizontalLayout>", L"size=\"240,40\""));
  window.SetFolder(m_folder / L"skin");
  // The working directory plus an absolute folder still names that folder on Windows only
  // through the resource path, so give it directly.
  HWND hwnd = window.CreatePopup();
  ASSERT_NE(hwnd, nullptr);
  window.Manager().SetResourcePath((m_folder / L"skin").c_str());
  window.Manager().Invalidate();

  HBITMAP shot = Testing::RenderWindow(hwnd);
  ASSERT_NE(shot, nullptr);
  EXPECT_EQ(Testing::PixelAt(shot, 20, 20), 0xFF0000u);
  EXPECT_EQ(Testing::PixelAt(shot, 60, 20), 0xFF0000u);
  EXPECT_EQ(Testing::PixelAt(shot, 100, 20), 0x0000FFu);
  EXPECT_EQ(Testing::PixelAt(shot, 140, 20), 0x00FF00u);
  EXPECT_EQ(Testing::PixelAt(shot, 180, 20), 0xFFFFFFu) << "missing: nothing drawn";
  DeleteObject(shot);

  // The download arrives and the handler sets the same path again.
  ASSERT_TRUE(WritePicture(later, 8, 8, Gdiplus::Color(255, 0, 0, 0)));
  shot = Testing::RenderWindow(hwnd);
  EXPECT_EQ(Testing::PixelAt(shot, 180, 20), 0xFFFFFFu) << "a failure is not retried on every paint";
  DeleteObject(shot);
  window.FindAs<CButtonUI>(L"avatar", L"Button")->SetNormalImage(later.c_str());
  shot = Testing::RenderWindow(hwnd);
  EXPECT_EQ(Testing::PixelAt(shot, 180, 20), 0x000000u);
  DeleteObject(shot);
  EXPECT_EQ(window.FindAs<CButtonUI>(L"avatar", L"Button")->GetNormalImage(), later.c_str());
}

// A value is parsed and resolved once, not on every paint: what it was
// resolved against still decides the picture when the folder or the value
// changes after a paint.
TEST_F(ImagesTest, ARepaintFollowsANewResourceFolderAndANewValue) {
  CreateDirectoryW((m_folder / L"other").c_str(), nullptr);
  ASSERT_TRUE(WritePicture(m_folder / L"skin\\face.png", 8, 8, Gdiplus::Color(255, 255, 0, 0)));
  ASSERT_TRUE(WritePicture(m_folder / L"other\\face.png", 8, 8, Gdiplus::Color(255, 0, 0, 255)));
  ASSERT_TRUE(WritePicture(m_folder / L"other\\next.png", 8, 8, Gdiplus::Color(255, 0, 255, 0)));
  TestWindow window(Skin(L"<HorizontalLayout><Button name=\"face\" width=\"40\" normalimage=\"face.png\"/>"
                         L"<Control/></HorizontalLayout>", L"size=\"80,40\""));
  HWND hwnd = window.CreatePopup();
  ASSERT_NE(hwnd, nullptr);
  window.Manager().SetResourcePath((m_folder / L"skin").c_str());
  HBITMAP shot = Testing::RenderWindow(hwnd);
  EXPECT_EQ(Testing::PixelAt(shot, 20, 20), 0xFF0000u);
  DeleteObject(shot);

  window.Manager().SetResourcePath((m_folder / L"other").c_str());
  shot = Testing::RenderWindow(hwnd);
  EXPECT_EQ(Testing::PixelAt(shot, 20, 20), 0x0000FFu) << "the same value in the new folder";
  DeleteObject(shot);

  window.FindAs<CButtonUI>(L"face", L"Button")->SetNormalImage(L"next.png");
  shot = Testing::RenderWindow(hwnd);
  EXPECT_EQ(Testing::PixelAt(shot, 20, 20), 0x00FF00u);
  DeleteObject(shot);
}

TEST_F(ImagesTest, SourceDestAndFadeAndAlphaBlending) {
  // Left half red, right half half-transparent blue.
  Gdiplus::Bitmap bitmap(20, 10, PixelFormat32bppARGB);
  {
    Gdiplus::Graphics graphics(&bitmap);
    graphics.Clear(Gdiplus::Color(255, 255, 0, 0));
    Gdiplus::SolidBrush blue(Gdiplus::Color(128, 0, 0, 255));
    graphics.SetCompositingMode(Gdiplus::CompositingModeSourceCopy);
    graphics.FillRectangle(&blue, 10, 0, 10, 10);
  }
  ASSERT_TRUE(SavePicture(bitmap, m_folder / L"skin\\two.png"));

  TestWindow window(Skin(LR"(<HorizontalLayout bkcolor="#FFFFFFFF">
      <Control width="40" bkimage="file='two.png' source='0,0,10,10'"/>
      <Control width="40" bkimage="file='two.png' source='10,0,20,10'"/>
      <Control width="40" bkimage="file='two.png' source='0,0,10,10' dest='10,10,20,20'"/>
      <Control width="40" bkimage="file='two.png' source='0,0,10,10' fade='0'"/>
    </HorizontalLayout>)", L"size=\"160,40\""));
  HWND hwnd = window.CreatePopup();
  window.Manager().SetResourcePath((m_folder / L"skin").c_str());
  HBITMAP shot = Testing::RenderWindow(hwnd);
  EXPECT_EQ(Testing::PixelAt(shot, 20, 20), 0xFF0000u);
  const DWORD blended = Testing::PixelAt(shot, 60, 20);
  EXPECT_NEAR(static_cast<int>(blended & 0xFF), 255, 2);
  EXPECT_NEAR(static_cast<int>((blended >> 16) & 0xFF), 127, 3) << "blended over white";
  EXPECT_EQ(Testing::PixelAt(shot, 95, 15), 0xFF0000u);
  EXPECT_EQ(Testing::PixelAt(shot, 85, 5), 0xFFFFFFu) << "outside dest";
  EXPECT_EQ(Testing::PixelAt(shot, 140, 20), 0xFFFFFFu) << "fade 0 is invisible";
  DeleteObject(shot);
}

// A picture drawn smaller than its file is filtered, opaque or not: a
// checkerboard of single black and white pixels becomes an even grey, where
// picking pixels would leave black or white.
TEST_F(ImagesTest, APictureDrawnSmallerIsFilteredNotPicked) {
  for (const BYTE alpha : {BYTE{255}, BYTE{254}}) {
    Gdiplus::Bitmap board(40, 40, PixelFormat32bppARGB);
    for (int y = 0; y < 40; ++y) {
      for (int x = 0; x < 40; ++x) {
        const BYTE shade = (x + y) % 2 ? 255 : 0;
        board.SetPixel(x, y, Gdiplus::Color(alpha, shade, shade, shade));
      }
    }
    const std::wstring file = alpha == 255 ? L"opaque.png" : L"translucent.png";
    ASSERT_TRUE(SavePicture(board, m_folder / (L"skin\\" + file)));
    TestWindow window(Skin(L"<HorizontalLayout bkcolor=\"#FFFFFFFF\"><Button width=\"28\" height=\"28\" normalimage=\"" + file +
                           L"\"/><Control/></HorizontalLayout>", L"size=\"60,28\""));
    HWND hwnd = window.CreatePopup();
    window.Manager().SetResourcePath((m_folder / L"skin").c_str());
    HBITMAP shot = Testing::RenderWindow(hwnd);
    for (const POINT at : {POINT{5, 5}, POINT{14, 14}, POINT{20, 9}}) {
      const int grey = static_cast<int>(Testing::PixelAt(shot, at.x, at.y) & 0xFF);
      EXPECT_NEAR(grey, 128, 40) << (alpha == 255 ? "opaque" : "translucent") << " at " << at.x << "," << at.y;
    }
    DeleteObject(shot);
    DestroyWindow(hwnd);
  }
}

// The fast decoder must give what GDI+ gives: channel order, premultiplied
// alpha and the alpha flag, for translucent PNGs and opaque JPEGs.
TEST_F(ImagesTest, PngAndJpegDecodeToTheSamePixelsAsGdiplus) {
  Gdiplus::Bitmap bitmap(16, 8, PixelFormat32bppARGB);
  for (UINT y = 0; y < 8; ++y) {
    for (UINT x = 0; x < 16; ++x) {
      bitmap.SetPixel(x, y, Gdiplus::Color(static_cast<BYTE>(x * 17), static_cast<BYTE>(200 - y * 20),
                                           static_cast<BYTE>(x * 9 + 40), static_cast<BYTE>(y * 30)));
    }
  }
  ASSERT_TRUE(SavePicture(bitmap, m_folder / L"ramp.png"));
  ASSERT_TRUE(SavePicture(bitmap, m_folder / L"ramp.jpg", L"image/jpeg"));

  for (const wchar_t* name : {L"ramp.png", L"ramp.jpg"}) {
    SCOPED_TRACE(testing::Message() << (name[5] == L'p' ? "png" : "jpeg"));
    std::string bytes;
    ASSERT_TRUE(detail::ReadImageBytes(m_folder / name, &bytes));
    auto fast = detail::DecodeWithStb(bytes);
    auto reference = detail::DecodeWithGdiplus(bytes);
    ASSERT_NE(fast, nullptr);
    ASSERT_NE(reference, nullptr);
    EXPECT_EQ(fast->width, 16);
    EXPECT_EQ(fast->height, 8);
    EXPECT_EQ(fast->alpha, reference->alpha);
    // JPEG decoders differ a little in their transforms and chroma upsampling.
    EXPECT_LE(LargestChannelDifference(PixelsOf(*fast), PixelsOf(*reference)), name[5] == L'p' ? 1 : 12);
  }
  std::string junk = "\x89PNG\r\n\x1a\n and then nothing a decoder could read";
  EXPECT_EQ(detail::DecodeImageBytes(junk), nullptr) << "neither decoder reads a broken PNG";
}

TEST_F(ImagesTest, ImageFileSizeSniffsTheFormat) {
  ASSERT_TRUE(WritePicture(m_folder / L"图片.jpg.tmp", 33, 17, Gdiplus::Color(255, 1, 2, 3), L"image/jpeg"));
  SIZE size = {};
  EXPECT_TRUE(GetImageFileSize((m_folder / L"图片.jpg.tmp").c_str(), &size));
  EXPECT_EQ(size.cx, 33);
  EXPECT_EQ(size.cy, 17);
  EXPECT_FALSE(GetImageFileSize((m_folder / L"none.png").c_str(), &size));
  ASSERT_TRUE(test_support::WriteFileBytes(m_folder / L"junk.png", "not a picture"));
  EXPECT_FALSE(GetImageFileSize((m_folder / L"junk.png").c_str(), &size));
}

// A small file can hold a picture of gigabytes: both decoders read the size
// from the header and decode nothing above the budget, which still takes a
// photograph of 4000 x 3000.
TEST_F(ImagesTest, BothDecodersRefuseAPictureAboveThePixelBudget) {
  struct Case {
    LONG width;
    LONG height;
    bool decoded;
  };
  const Case cases[] = {
      {4000, 3000, true},      // a photograph
      {4096, 4096, true},      // the whole budget
      {4097, 4096, false},     // one column more
      {40000, 16, false},      // few pixels, but a side too long
      {23000, 21500, false},   // about 2 GB of pixels
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.width << " x " << c.height);
    const std::string bytes = test_support::BlankPngBytes(c.width, c.height);
    EXPECT_LT(bytes.size(), 512u * 1024) << "a small file";
    SIZE size = {};
    ASSERT_TRUE(detail::ReadSizeWithStb(bytes, &size));
    EXPECT_EQ(size.cx, c.width);
    EXPECT_EQ(size.cy, c.height);
    const auto stb = detail::DecodeWithStb(bytes);
    EXPECT_EQ(stb != nullptr, c.decoded) << "stb";
    const auto gdiplus = detail::DecodeWithGdiplus(bytes);
    EXPECT_EQ(gdiplus != nullptr, c.decoded) << "GDI+";
    if (gdiplus) {
      EXPECT_EQ(gdiplus->width * gdiplus->height, c.width * c.height);
    }
  }
}

TEST_F(ImagesTest, TheCacheSharesByPathAndStaysWithinItsBound) {
  for (int i = 0; i < 6; ++i) {
    ASSERT_TRUE(WritePicture(m_folder / (L"p" + std::to_wstring(i) + L".png"), 100, 100, Gdiplus::Color(255, 9, 9, 9)));
  }
  detail::SetImageCacheLimit(100 * 100 * 4 * 3);
  auto first = detail::LoadImageFile(m_folder / L"p0.png");
  EXPECT_EQ(detail::LoadImageFile(m_folder / L"p0.png"), first) << "shared by path";
  for (int i = 1; i < 6; ++i) detail::LoadImageFile(m_folder / (L"p" + std::to_wstring(i) + L".png"));
  EXPECT_LE(detail::ImageCacheBytes(), 100u * 100u * 4u * 3u);
  EXPECT_NE(detail::LoadImageFile(m_folder / L"p0.png"), nullptr) << "evicted images load again";
  detail::SetImageCacheLimit(32u << 20);
}

// A grid of hundreds of pictures opens fast because only what is painted
// is decoded; the rest waits until it scrolls into view.
TEST_F(ImagesTest, PicturesOutOfViewAreDecodedOnlyWhenScrolledIn) {
  ASSERT_TRUE(WritePicture(m_folder / L"skin\\top.png", 20, 20, Gdiplus::Color(255, 255, 0, 0)));
  ASSERT_TRUE(WritePicture(m_folder / L"skin\\below.png", 20, 20, Gdiplus::Color(255, 0, 0, 255)));
  TestWindow window(Skin(LR"(<VerticalLayout name="grid" vscrollbar="true">
      <Button height="20" normalimage="top.png"/><Control height="100"/>
      <Button height="20" normalimage="below.png"/></VerticalLayout>)", L"size=\"40,40\""));
  HWND hwnd = window.CreatePopup();
  ASSERT_NE(hwnd, nullptr);
  window.Manager().SetResourcePath((m_folder / L"skin").c_str());
  DeleteObject(Testing::RenderWindow(hwnd));
  EXPECT_EQ(detail::ImageCacheBytes(), 20u * 20u * 4u) << "only the picture in view";
  auto* grid = window.FindAs<CContainerUI>(L"grid", L"Container");
  grid->SetScrollPos(SIZE{0, grid->GetScrollRange().cy});
  HBITMAP shot = Testing::RenderWindow(hwnd);
  EXPECT_EQ(detail::ImageCacheBytes(), 2u * 20u * 20u * 4u);
  EXPECT_EQ(Testing::PixelAt(shot, 10, 30), 0x0000FFu);
  DeleteObject(shot);
}

TEST_F(ImagesTest, AnimatedGifsPlayWhileShownAndStopWhenHidden) {
  const std::wstring path = m_folder / L"typing.gif";
  ASSERT_TRUE(test_support::WriteFileBytes(path, SolidFramesGif(16, 16, {{0xFF0000, 10}, {0x0000FF, 30}})));
  SIZE size = {};
  EXPECT_TRUE(GetImageFileSize(path.c_str(), &size));
  EXPECT_EQ(size.cx, 16);
  auto image = detail::DecodeImageFile(path);
  ASSERT_NE(image, nullptr);
  ASSERT_EQ(image->frames.size(), 2u);
  EXPECT_EQ(image->delays, (std::vector<UINT>{100, 300}));
  UINT remaining = 0;
  EXPECT_EQ(image->FrameAt(4000 + 50, &remaining), image->frames[0]);
  EXPECT_EQ(remaining, 50u);
  EXPECT_EQ(image->FrameAt(4000 + 150, &remaining), image->frames[1]);
  EXPECT_EQ(remaining, 250u);

  TestWindow window(Skin(L"<HorizontalLayout><Control name=\"gif\" width=\"16\" bkimage=\"" + path +
                         L"\"/><Control/></HorizontalLayout>", L"size=\"100,20\""));
  int paints = 0;
  window.onMessage = [&](TestWindow&, UINT msg, WPARAM, LPARAM, bool&) -> LRESULT {
    paints += msg == WM_PAINT;
    return 0;
  };
  HWND hwnd = window.CreatePopup();
  Testing::PumpUntil([] { return false; }, 650);
  EXPECT_GE(paints, 3) << "repainted at every change of frame";
  std::set<DWORD> colours;
  for (int i = 0; i < 40 && colours.size() < 2; ++i) {
    HBITMAP shot = Testing::RenderWindow(hwnd);
    colours.insert(Testing::PixelAt(shot, 8, 8));
    DeleteObject(shot);
    Sleep(20);
  }
  EXPECT_EQ(colours, (std::set<DWORD>{0xFF0000u, 0x0000FFu}));
  window.Find(L"gif")->SetVisible(false);
  Testing::PumpUntil([] { return false; }, 350);
  paints = 0;
  Testing::PumpUntil([] { return false; }, 450);
  EXPECT_EQ(paints, 0) << "a hidden animation costs nothing";
}

}  // namespace
}  // namespace duilib_test
