#include <windows.h>
#include <winioctl.h>

#include <gtest/gtest.h>

#include "quennet/FileUtils.h"
#include "quennet/WinHandles.h"
#include "support/TempFolder.h"

using test_support::TempFolder;
using test_support::ToCp936;
using test_support::WriteFileBytes;

namespace {

quennet::FileUtils& Files() { return *quennet::FileUtils::SharedFileUtils(); }

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

TEST(FileUtilsTest, MakesNestedChineseFoldersAndSeesThem) {
  TempFolder folder;
  const std::string nested = ToCp936(folder / L"下载\\缓存\\图片");
  EXPECT_FALSE(Files().DirectoryExists(nested));
  EXPECT_TRUE(Files().MakeDirectory(nested));
  EXPECT_TRUE(Files().DirectoryExists(nested));
  EXPECT_FALSE(Files().FileExists(nested)) << "a folder is not a file";
  EXPECT_TRUE(Files().MakeDirectory(nested)) << "an existing folder is fine";

  ASSERT_TRUE(WriteFileBytes(folder / L"下载\\缓存\\图片\\头像.png", "png"));
  EXPECT_TRUE(Files().FileExists(nested + "\\" + ToCp936(L"头像.png")));
  EXPECT_FALSE(Files().DirectoryExists(nested + "\\" + ToCp936(L"头像.png")));
}

TEST(FileUtilsTest, AcceptsEitherSeparatorDoubledOrTrailing) {
  TempFolder folder;
  const std::string base = folder.NarrowPath();
  ASSERT_TRUE(Files().MakeDirectory(base + "/a//b/"));
  ASSERT_TRUE(WriteFileBytes(folder / L"a\\b\\file.txt", "x"));
  EXPECT_TRUE(Files().DirectoryExists(base + "\\a\\b"));
  EXPECT_TRUE(Files().DirectoryExists(base + "//a//b//"));
  EXPECT_TRUE(Files().FileExists(base + "/a/b/file.txt"));
  EXPECT_TRUE(Files().FileExists(base + "\\\\a\\b//file.txt"));
}

TEST(FileUtilsTest, RefusesBadPaths) {
  TempFolder folder;
  EXPECT_FALSE(Files().FileExists(""));
  EXPECT_FALSE(Files().DirectoryExists(""));
  EXPECT_FALSE(Files().MakeDirectory(""));
  // A lead byte of code page 936 followed by an invalid trail byte.
  const std::string invalid = folder.NarrowPath() + "\\bad\x81\x20name";
  EXPECT_FALSE(Files().MakeDirectory(invalid));
  EXPECT_FALSE(Files().FileExists(invalid));
  const std::string too_long = folder.NarrowPath() + "\\" + std::string(300, 'n');
  EXPECT_FALSE(Files().MakeDirectory(too_long));
  EXPECT_FALSE(Files().DirectoryExists(too_long));
}

TEST(FileUtilsTest, MakeDirectoryFailsWhenAFileIsInTheWay) {
  TempFolder folder;
  ASSERT_TRUE(WriteFileBytes(folder / L"blocker", "x"));
  EXPECT_FALSE(Files().MakeDirectory(ToCp936(folder / L"blocker\\inner")));
  EXPECT_FALSE(Files().MakeDirectory(ToCp936(folder / L"blocker")));
}

TEST(FileUtilsTest, DeleteFolderContentsKeepsNamesIgnoringCase) {
  TempFolder folder;
  ASSERT_TRUE(WriteFileBytes(folder / L"accounts.DB", "keep"));
  ASSERT_TRUE(WriteFileBytes(folder / L"Meta.db", "x"));
  ASSERT_TRUE(WriteFileBytes(folder / L"会话.db", "x"));
  ASSERT_TRUE(CreateDirectoryW((folder / L"子目录").c_str(), nullptr));
  ASSERT_TRUE(CreateDirectoryW((folder / L"子目录\\更深").c_str(), nullptr));
  ASSERT_TRUE(WriteFileBytes(folder / L"子目录\\更深\\只读.txt", "x"));
  SetFileAttributesW((folder / L"子目录\\更深\\只读.txt").c_str(), FILE_ATTRIBUTE_READONLY);
  SetFileAttributesW((folder / L"Meta.db").c_str(), FILE_ATTRIBUTE_READONLY);

  EXPECT_TRUE(Files().DeleteFolderContentsExcept(folder.NarrowPath() + "/", {"Accounts.db"}));
  EXPECT_TRUE(Exists(folder / L"accounts.DB"));
  EXPECT_FALSE(Exists(folder / L"Meta.db"));
  EXPECT_FALSE(Exists(folder / L"会话.db"));
  EXPECT_FALSE(Exists(folder / L"子目录"));
  EXPECT_TRUE(Exists(folder.Path())) << "the folder itself stays";
}

TEST(FileUtilsTest, DeleteFolderContentsGoesOnPastALockedFile) {
  TempFolder folder;
  ASSERT_TRUE(WriteFileBytes(folder / L"a.txt", "x"));
  ASSERT_TRUE(WriteFileBytes(folder / L"locked.txt", "x"));
  ASSERT_TRUE(WriteFileBytes(folder / L"z.txt", "x"));
  // Open without FILE_SHARE_DELETE: deleting it must fail.
  quennet::UniqueHandle lock(CreateFileW((folder / L"locked.txt").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  ASSERT_NE(lock.get(), INVALID_HANDLE_VALUE);

  EXPECT_FALSE(Files().DeleteFolderContentsExcept(folder.NarrowPath(), {}));
  EXPECT_FALSE(Exists(folder / L"a.txt"));
  EXPECT_FALSE(Exists(folder / L"z.txt"));
  EXPECT_TRUE(Exists(folder / L"locked.txt"));
}

TEST(FileUtilsTest, DeleteFolderContentsRefusesEmptyMissingAndRoots) {
  TempFolder folder;
  EXPECT_FALSE(Files().DeleteFolderContentsExcept("", {}));
  EXPECT_FALSE(Files().DeleteFolderContentsExcept(folder.NarrowPath() + "\\missing", {}));
  EXPECT_FALSE(Files().DeleteFolderContentsExcept("C:\\", {}));
  EXPECT_FALSE(Files().DeleteFolderContentsExcept("C:", {}));
  EXPECT_FALSE(Files().DeleteFolderContentsExcept("/", {}));
  EXPECT_TRUE(Exists(L"C:\\windows"));
}

// A junction inside the folder is removed as a link; its target survives.
TEST(FileUtilsTest, DeleteFolderContentsLeavesAJunctionTargetAlone) {
  TempFolder folder;
  TempFolder target;
  ASSERT_TRUE(WriteFileBytes(target / L"precious.txt", "x"));
  const std::wstring link = folder / L"link";
  ASSERT_TRUE(CreateDirectoryW(link.c_str(), nullptr));

  quennet::UniqueHandle directory(CreateFileW(link.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                              FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  ASSERT_NE(directory.get(), INVALID_HANDLE_VALUE);
  // A mount-point reparse buffer: substitute name "\??\<target>", print name empty.
  const std::wstring substitute = L"\\??\\" + target.Path();
  std::vector<BYTE> buffer(sizeof(DWORD) + 2 * sizeof(WORD) + 4 * sizeof(WORD) + (substitute.size() + 2) * sizeof(wchar_t));
  auto* words = reinterpret_cast<WORD*>(buffer.data() + sizeof(DWORD));
  *reinterpret_cast<DWORD*>(buffer.data()) = IO_REPARSE_TAG_MOUNT_POINT;
  words[0] = static_cast<WORD>(buffer.size() - 8);                 // data length
  words[2] = 0;                                                     // substitute offset
  words[3] = static_cast<WORD>(substitute.size() * sizeof(wchar_t));  // substitute length
  words[4] = static_cast<WORD>((substitute.size() + 1) * sizeof(wchar_t));  // print offset
  words[5] = 0;                                                     // print length
  memcpy(&words[6], substitute.c_str(), (substitute.size() + 1) * sizeof(wchar_t));
  DWORD returned = 0;
  if (!DeviceIoControl(directory.get(), FSCTL_SET_REPARSE_POINT, buffer.data(), static_cast<DWORD>(buffer.size()),
                       nullptr, 0, &returned, nullptr)) {
    GTEST_SKIP() << "this system cannot make junctions (error " << GetLastError() << ")";
  }
  directory.reset();

  EXPECT_TRUE(Files().DeleteFolderContentsExcept(folder.NarrowPath(), {}));
  EXPECT_FALSE(Exists(link));
  EXPECT_TRUE(Exists(target / L"precious.txt"));
}

}  // namespace
