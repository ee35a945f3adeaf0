// What the file list and the file details decide without a window: size
// texts, thumbnail boxes, addresses and keys, times, links and paging.

#include <gtest/gtest.h>

#include <string>

#include "files/FileAddresses.h"
#include "files/FileTexts.h"
#include "files/list/FilePaging.h"
#include "files/list/ThumbnailBoxes.h"

namespace {

using files::FileFilter;
using files::FilePaging;

std::string Box(const files::FittedBox& box) {
  return std::to_string(box.width) + "x" + std::to_string(box.height) + " at " + std::to_string(box.padding.left) +
         "," + std::to_string(box.padding.top);
}

TEST(FileLogicTest, SizesHaveOneDecimalAndNoBlankBeforeTheUnit) {
  EXPECT_EQ(files::FormatFileSize(1023), "1023Bytes");
  EXPECT_EQ(files::FormatFileSize(1024), "1.0KB");
  EXPECT_EQ(files::FormatFileSize(1536), "1.5KB");
  EXPECT_EQ(files::FormatFileSize(1048575), "1024.0KB");
  EXPECT_EQ(files::FormatFileSize(1048576), "1.0MB");
  EXPECT_EQ(files::FormatFileSize(5LL * 1024 * 1024 * 1024), "5120.0MB") << "nothing above MB";
  EXPECT_EQ(files::FormatFileSize(-5), "-5Bytes");
}

TEST(FileLogicTest, ThumbnailsFitTheirBoxes) {
  EXPECT_EQ(Box(files::DetailsThumbnailBox(600, 300)), "300x150 at 12,13");
  EXPECT_EQ(Box(files::DetailsThumbnailBox(200, 400)), "88x177 at 106,0");
  EXPECT_EQ(Box(files::DetailsThumbnailBox(500, 500)), "177x177 at 61,0");
  EXPECT_EQ(Box(files::DetailsThumbnailBox(0, 300)), "300x177 at 12,0");
  EXPECT_EQ(Box(files::ListIconBox(200, 100)), "68x34 at 0,17");
  EXPECT_EQ(Box(files::ListIconBox(0, 0)), "68x68 at 0,0");
  EXPECT_EQ(Box(files::ListIconBox(-3, 100)), "68x68 at 0,0") << "a size that makes no sense counts as unknown";
}

TEST(FileLogicTest, AddressesAndKeysOfAFile) {
  EXPECT_EQ(files::DownloadAddress("ent-1", "team-demo"),
            "https://files.corvanel.test/entities/ent-1/from-s3?team_id=team-demo");
  EXPECT_EQ(files::ThumbnailAddress("ab12", 300, 150), "https://files.corvanel.test/thumb/ab12_300x150.png");
  EXPECT_EQ(files::FileAddress("ab12", "jpg"), "https://files.corvanel.test/ab12.jpg");
  EXPECT_EQ(files::ImageCacheKey("ab12", "jpg"), "ab12.jpg");
  EXPECT_EQ(files::DetailsThumbnailKey("ab12", "jpg"), "-b12.jpg") << "cached apart from the list's thumbnail";
  EXPECT_EQ(files::DetailsThumbnailKey("", ""), "") << "no path, no picture";
  EXPECT_EQ(files::ImageCacheKey("", "png"), "");
}

TEST(FileLogicTest, TimesAreEmptyWhenTheyCannotBeShown) {
  EXPECT_EQ(files::FormatLocalTime(40000000, L"%Y"), L"1971");
  EXPECT_EQ(files::FormatLocalTime(1700000000, L"%Y年%m月"), L"2023年11月") << "translated formats stay wide";
  EXPECT_EQ(files::FormatLocalTime(-100000, L"%Y"), L"") << "before the epoch";
  EXPECT_EQ(files::FormatLocalTime(40000000, std::wstring(40, L'x')), L"") << "longer than 31 characters";
  EXPECT_EQ(files::FormatLocalTime(40000000, L""), L"");
}

TEST(FileLogicTest, ExtensionsAndLinks) {
  EXPECT_EQ(files::UpperAscii("png"), "PNG");
  EXPECT_EQ(files::UpperAscii("图.jpeg"), "图.JPEG") << "other bytes unchanged";
  EXPECT_EQ(files::LinkAddress("x=|link|https://a.test/b|"), "https://a.test/b");
  EXPECT_EQ(files::LinkAddress("a||b|https://a.test/"), "https://a.test/") << "empty pieces are dropped";
  EXPECT_EQ(files::LinkAddress("a|b"), std::nullopt);
}

TEST(FilePagingTest, FullPagesAdvanceAndPlaceTheButtonAfterThem) {
  FilePaging paging;
  EXPECT_EQ(paging.NextPage(FileFilter::Images), 1);
  EXPECT_FALSE(paging.FirstPageAsked(FileFilter::Images));
  paging.RequestStarted(FileFilter::Images);
  EXPECT_TRUE(paging.FirstPageAsked(FileFilter::Images));
  EXPECT_TRUE(paging.IsPending(FileFilter::Images));
  EXPECT_TRUE(paging.PageArrived(FileFilter::Images, 20));
  EXPECT_EQ(paging.LoadMoreIndex(FileFilter::Images), 20);
  paging.RequestStarted(FileFilter::Images);
  EXPECT_TRUE(paging.PageArrived(FileFilter::Images, 20));
  paging.RequestStarted(FileFilter::Images);
  EXPECT_FALSE(paging.PageArrived(FileFilter::Images, 5)) << "a partial page ends the list";
  EXPECT_EQ(paging.NextPage(FileFilter::Images), 3);
  EXPECT_EQ(paging.NextPage(FileFilter::All), 1) << "each filter pages on its own";
}

TEST(FilePagingTest, ARebuiltListEndsWithTheButtonOnlyAfterFullPagesWithNothingOnTheWay) {
  FilePaging paging;
  EXPECT_FALSE(paging.RebuiltListEndsWithLoadMore(FileFilter::All, 0)) << "a failed first page leaves it empty";
  paging.RequestStarted(FileFilter::All);
  paging.PageArrived(FileFilter::All, 20);
  EXPECT_TRUE(paging.RebuiltListEndsWithLoadMore(FileFilter::All, 20));
  paging.RequestStarted(FileFilter::All);
  EXPECT_FALSE(paging.RebuiltListEndsWithLoadMore(FileFilter::All, 20)) << "the next page is being fetched";
  paging.RequestFailed(FileFilter::All);
  EXPECT_TRUE(paging.RebuiltListEndsWithLoadMore(FileFilter::All, 20)) << "a rebuild offers the page again";
  paging.RequestStarted(FileFilter::All);
  paging.PageArrived(FileFilter::All, 7);
  EXPECT_FALSE(paging.RebuiltListEndsWithLoadMore(FileFilter::All, 27));
}

}  // namespace
