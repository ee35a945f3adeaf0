// The upload dialog's decisions: name, extension, which files are previewed
// as pictures and how large, the path the core library gets, and what is
// sniffed.

#include <gtest/gtest.h>

#include <string>

#include "files/list/ThumbnailBoxes.h"
#include "files/UploadLogic.h"
#include "support/TempFolder.h"

namespace {

std::string Box(const files::FittedBox& box) {
  return std::to_string(box.width) + "x" + std::to_string(box.height) + " at " + std::to_string(box.padding.left) +
         "," + std::to_string(box.padding.top);
}

TEST(UploadLogicTest, TheNameIsTheLastPieceAndTheExtensionFollowsItsLastDot) {
  EXPECT_EQ(files::FileNameOfPath("C:\\docs\\report.final.PDF"), "report.final.PDF");
  EXPECT_EQ(files::FileNameOfPath("C:/docs/a.png"), "a.png");
  EXPECT_EQ(files::FileNameOfPath("README"), "README");
  EXPECT_EQ(files::ExtensionOfName("report.final.PDF"), "PDF");
  EXPECT_EQ(files::ExtensionOfName("README"), "");
}

TEST(UploadLogicTest, OnlyTheListedExtensionsArePreviewedAsPictures) {
  for (const char* picture : {"png", "jpg", "bmp", "gif", "JPG", "PNG"}) EXPECT_TRUE(files::HasPicturePreview(picture));
  for (const char* icon : {"jpeg", "Png", "pdf", ""}) EXPECT_FALSE(files::HasPicturePreview(icon)) << icon;
}

TEST(UploadLogicTest, PreviewsFitTheirLongSideAndAreCentred) {
  EXPECT_EQ(Box(files::UploadPreviewBox(800, 400)), "160x80 at 152,45");
  EXPECT_EQ(Box(files::UploadPreviewBox(300, 600)), "80x160 at 192,5");
  EXPECT_EQ(Box(files::UploadPreviewBox(500, 500)), "160x160 at 152,5");
  EXPECT_EQ(Box(files::UploadPreviewBox(0, 0)), "160x160 at 152,5") << "an unreadable picture";
}

TEST(UploadLogicTest, APathCodePage936CannotHoldIsRefused) {
  EXPECT_EQ(files::UploadPathCp936(L"C:\\文件\\a.png"), std::string("C:\\\xCE\xC4\xBC\xFE\\a.png"));
  EXPECT_EQ(files::UploadPathCp936(L"C:\\\x0E01.png"), std::nullopt);
  EXPECT_EQ(files::UploadPathCp936(L""), std::nullopt);
}

TEST(UploadLogicTest, TheSniffReadsAtMost260BytesAndFallsBackToAGenericType) {
  test_support::TempFolder folder;
  ASSERT_TRUE(test_support::WriteFileBytes(folder / L"long.bin", std::string(1000, 'x')));
  ASSERT_TRUE(test_support::WriteFileBytes(folder / L"short.bin", "abc"));
  EXPECT_EQ(files::ReadFileHead(folder / L"long.bin")->size(), 260u);
  EXPECT_EQ(files::ReadFileHead(folder / L"short.bin"), std::string("abc"));
  EXPECT_EQ(files::ReadFileHead(folder / L"missing.bin"), std::nullopt);
  EXPECT_EQ(files::MimeTypeToSend(L"image/png"), "image/png");
  EXPECT_EQ(files::MimeTypeToSend(L""), "application/octet-stream");
}

}  // namespace
