#include <windows.h>

#include <gtest/gtest.h>

#include "app/storage/CacheNames.h"
#include "app/storage/FileHelpers.h"
#include "app/storage/UserFolders.h"
#include "app/text/TextHelpers.h"
#include "mireloom/AccountManager.h"
#include "mireloom/Team.h"
#include "support/TempFolder.h"

using test_support::TempFolder;
using test_support::WriteFileBytes;

namespace {

TEST(CacheKeyTest, CutsAtTheLengthOfAUuid) {
  const std::string uuid = "0f8fad5b-d9cb-469f-a165-70867728950e";
  ASSERT_EQ(uuid.size(), 36u);
  EXPECT_EQ(CacheKey(uuid), uuid);
  EXPECT_EQ(CacheKey(uuid + "_48x48"), uuid);
  EXPECT_EQ(CacheKey("short-key1"), "short-key1");
  EXPECT_EQ(CacheKey(""), "");
}

TEST(CountSubfoldersTest, CountsFoldersOnly) {
  TempFolder folder;
  CreateDirectoryW((folder / L"一").c_str(), nullptr);
  CreateDirectoryW((folder / L"二").c_str(), nullptr);
  CreateDirectoryW((folder / L"二\\深").c_str(), nullptr);
  for (const wchar_t* name : {L"a.txt", L"b.txt", L"c.txt"}) WriteFileBytes(folder / name, "x");
  EXPECT_EQ(CountSubfolders(folder.Path()), 2);
  EXPECT_EQ(CountSubfolders(folder.Path() + L"\\"), 2);
  EXPECT_EQ(CountSubfolders(folder / L"missing"), 0);
}

// Pictures are looked up beside the program: <program folder>/../Mireloom/skin/file_type/.
class FileTypeIconTest : public testing::Test {
 protected:
  void SetUp() override {
    std::wstring parent = GetExeFolder();
    parent = parent.substr(0, parent.find_last_of(L"\\/"));
    m_folder = parent + L"\\Mireloom\\skin\\file_type";
    CreateDirectoryW((parent + L"\\Mireloom").c_str(), nullptr);
    CreateDirectoryW((parent + L"\\Mireloom\\skin").c_str(), nullptr);
    CreateDirectoryW(m_folder.c_str(), nullptr);
  }
  void TearDown() override {
    for (const auto& file : m_created) DeleteFileW(file.c_str());
  }
  void Provide(const std::wstring& picture) {
    m_created.push_back(m_folder + L"\\" + picture);
    WriteFileBytes(m_created.back(), "png");
  }

  std::wstring m_folder;
  std::vector<std::wstring> m_created;
};

TEST_F(FileTypeIconTest, UsesTheTextAfterTheLastDotWithItsCase) {
  Provide(L"file_type_PDF.png");
  EXPECT_EQ(GetFileTypeIcon("report.final.PDF"), "file_type/file_type_PDF.png");
  // File names do not differ by case here, but the answer keeps the name's case.
  EXPECT_EQ(GetFileTypeIcon("report.pdf"), "file_type/file_type_pdf.png");
}

TEST_F(FileTypeIconTest, ANameWithoutADotLooksForTheBarePicture) {
  EXPECT_EQ(GetFileTypeIcon("README"), "");
  Provide(L"file_type_.png");
  EXPECT_EQ(GetFileTypeIcon("README"), "file_type/file_type_.png");
}

TEST_F(FileTypeIconTest, RefusesExtensionsThatCouldLeaveTheFolder) {
  Provide(L"file_type_png.png");
  EXPECT_EQ(GetFileTypeIcon("a.png"), "file_type/file_type_png.png");
  for (const char* name : {"a./../../x", "a.p\\ng", "a.png/..", "a.p ng", "a.\xce\xc4", "a.p%ng"}) {
    EXPECT_EQ(GetFileTypeIcon(name), "") << name;
  }
}

TEST(ExeFolderTest, DropsTheFileNameAndEmptyPieces) {
  EXPECT_EQ(ExeFolderFromModulePath(L"C:\\Apps\\Client\\client.exe"), L"C:\\Apps\\Client");
  EXPECT_EQ(ExeFolderFromModulePath(L"\\\\server\\share\\client.exe"), L"server\\share");
  EXPECT_EQ(ExeFolderFromModulePath(L"C:\\程序\\客户端\\client.exe"), L"C:\\程序\\客户端");
  EXPECT_EQ(ExeFolderFromModulePath(L"client.exe"), L"");
  EXPECT_NE(ExeFolderFromModulePath(L"C:\\A\U0001F600\\client.exe"), L"C:\\A\U0001F600");
}

TEST(UserFoldersTest, AreBuiltOnTheDocumentsFolder) {
  const std::wstring documents = GetDocumentsFolder();
  ASSERT_FALSE(documents.empty());
  EXPECT_EQ(GetUserDataFolder(), documents + L"\\Corvanel");
  EXPECT_EQ(GetDownloadTmpFolder(), WideToAnsi(documents) + "\\tmp\\");
  const std::string key(36, 'k');
  EXPECT_EQ(GetCachedFilePath(key), AnsiToWide(GetDownloadTmpFolder()) + std::wstring(36, L'k'));
  EXPECT_EQ(GetCachedFilePath(key + "-longer"), GetCachedFilePath(key));
}

// A Documents folder whose name code page 936 cannot hold: the narrow path
// the core library is given must still lead to the same folder, so that its
// account store lands there and is found again.
TEST(UserFoldersTest, AFolderOutsideCodePage936IsReachedByItsShortName) {
  TempFolder root;
  for (const wchar_t* name : {L"Documentos Núñez", L"문서"}) {
    const std::wstring folder = root / name + L"\\Corvanel";
    ASSERT_TRUE(CreateDirectoryW((root / name).c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
    const std::string narrow = NarrowPathOf(folder);
    EXPECT_EQ(AnsiToWide(WideToAnsi(AnsiToWide(narrow))), AnsiToWide(narrow)) << "survives the code page";
    mireloom::AccountManager accounts(narrow);
    ASSERT_TRUE(accounts.InitOrDie());
    accounts.Register(mireloom::Team("team-demo", "demo", "示例团队"), "zhou");
    EXPECT_NE(GetFileAttributesW((folder + L"\\Accounts.db").c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(mireloom::AccountManager(narrow).InitOrDie() ? "found" : "lost", std::string("found"));
  }
  EXPECT_EQ(NarrowPathOf(L"C:\\程序"), WideToAnsi(L"C:\\程序")) << "a path the code page holds stays as it is";
}

// The shell's answer is kept between calls: moving Documents, which the
// registry records, must still show at the very next call, and moving it back too.
TEST(UserFoldersTest, AMovedDocumentsFolderShowsAtTheNextCall) {
  constexpr wchar_t kShellFolders[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
  wchar_t saved[MAX_PATH] = {};
  DWORD savedType = 0;
  DWORD size = sizeof saved - sizeof(wchar_t);
  ASSERT_EQ(RegGetValueW(HKEY_CURRENT_USER, kShellFolders, L"Personal", RRF_RT_REG_SZ | RRF_RT_REG_EXPAND_SZ | RRF_NOEXPAND,
                         &savedType, saved, &size),
            ERROR_SUCCESS);
  const auto setDocuments = [&](const std::wstring& value, DWORD type) {
    return RegSetKeyValueW(HKEY_CURRENT_USER, kShellFolders, L"Personal", type, value.c_str(),
                           static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
  };
  const std::wstring original = GetDocumentsFolder();
  EXPECT_EQ(GetDocumentsFolder(), original);
  TempFolder moved;
  ASSERT_TRUE(setDocuments(moved.Path(), REG_SZ));
  EXPECT_EQ(GetDocumentsFolder(), moved.Path());
  ASSERT_TRUE(setDocuments(saved, savedType));
  EXPECT_EQ(GetDocumentsFolder(), original);
}

TEST(UserFoldersTest, EnsureUserDataFolderCreatesIt) {
  const std::wstring folder = GetUserDataFolder();
  RemoveDirectoryW(folder.c_str());  // only succeeds when empty; fine either way
  EXPECT_TRUE(EnsureUserDataFolder());
  EXPECT_NE(GetFileAttributesW(folder.c_str()) & FILE_ATTRIBUTE_DIRECTORY, 0u);
  EXPECT_TRUE(EnsureUserDataFolder()) << "an existing folder is fine";
}

}  // namespace
