#include <windows.h>

#include <gtest/gtest.h>

#include "app/storage/Settings.h"
#include "app/storage/UserFolders.h"
#include "support/TempFolder.h"

namespace {

// Works on the settings file of the throw-away prefix's data folder.
class SettingsTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(EnsureUserDataFolder());
    DeleteFileW(settings::FilePath().c_str());
  }
  void TearDown() override { DeleteFileW(settings::FilePath().c_str()); }
};

TEST_F(SettingsTest, LivesInTheUserDataFolderUnderItsFixedName) {
  EXPECT_EQ(settings::FilePath(), GetUserDataFolder() + L"//Personalpreferences.ini");
}

TEST_F(SettingsTest, MissingKeysReadAsZero) {
  EXPECT_EQ(settings::ReadInt(settings::kLanguageKey), 0);
  EXPECT_EQ(settings::ReadInt(settings::kCloseActionKey), 0);
  WINDOWPLACEMENT placement = {};
  EXPECT_FALSE(settings::LoadWindowPlacement(&placement));
}

TEST_F(SettingsTest, WritesTextInTheCorvanelSection) {
  settings::WriteString(settings::kCloseActionKey, L"2");
  settings::WriteString(settings::kLanguageKey, L"3");
  EXPECT_EQ(settings::ReadInt(settings::kCloseActionKey), settings::kCloseActionQuit);
  EXPECT_EQ(settings::ReadInt(settings::kLanguageKey), 3);
  wchar_t raw[16] = {};
  GetPrivateProfileStringW(L"Corvanel", L"CLOSE_ACTION", L"", raw, 16, settings::FilePath().c_str());
  EXPECT_STREQ(raw, L"2");
}

TEST_F(SettingsTest, WindowPlacementRoundTrips) {
  WINDOWPLACEMENT saved = {};
  saved.length = sizeof saved;
  saved.showCmd = SW_SHOWMAXIMIZED;
  saved.rcNormalPosition = {120, 80, 1080, 720};
  saved.ptMaxPosition = {-1, -1};
  settings::SaveWindowPlacement(saved);

  WINDOWPLACEMENT loaded = {};
  ASSERT_TRUE(settings::LoadWindowPlacement(&loaded));
  EXPECT_EQ(sizeof loaded, 44u);
  EXPECT_EQ(memcmp(&saved, &loaded, sizeof saved), 0);
}

// A write never touches the old file: the new one is written whole beside it
// and renamed over it (another file takes the name), so a full disk or a
// crash leaves the old file whole. The new file holds every other key, the
// placement and someone else's section among them. When the old file cannot
// be replaced, it stays as it was and nothing is left beside it.
TEST_F(SettingsTest, AWriteReplacesTheWholeFileOrLeavesTheOldOneWhole) {
  const std::wstring path = settings::FilePath();
  WritePrivateProfileStringW(L"Other", L"Kept", L"yes", path.c_str());
  ASSERT_TRUE(settings::WriteString(settings::kLanguageKey, L"3"));
  WINDOWPLACEMENT saved = {};
  saved.length = sizeof saved;
  saved.rcNormalPosition = {10, 20, 810, 620};
  settings::SaveWindowPlacement(saved);
  const auto identity = [&] {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    BY_HANDLE_FILE_INFORMATION info = {};
    GetFileInformationByHandle(file, &info);
    CloseHandle(file);
    return (static_cast<uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
  };

  const uint64_t before = identity();
  ASSERT_TRUE(settings::WriteString(settings::kCloseActionKey, L"2"));
  EXPECT_NE(identity(), before) << "the old file was written in place";
  EXPECT_EQ(settings::ReadInt(settings::kLanguageKey), 3);
  EXPECT_EQ(settings::ReadInt(settings::kCloseActionKey), 2);
  WINDOWPLACEMENT loaded = {};
  ASSERT_TRUE(settings::LoadWindowPlacement(&loaded));
  EXPECT_EQ(memcmp(&saved, &loaded, sizeof saved), 0);
  wchar_t other[8] = {};
  GetPrivateProfileStringW(L"Other", L"Kept", L"", other, 8, path.c_str());
  EXPECT_STREQ(other, L"yes");

  // Another program has the file open and lets nobody replace it.
  HANDLE keeper = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(keeper, INVALID_HANDLE_VALUE);
  const std::string kept = test_support::ReadFileBytes(path);
  EXPECT_FALSE(settings::WriteString(settings::kLanguageKey, L"1"));
  CloseHandle(keeper);
  EXPECT_EQ(test_support::ReadFileBytes(path), kept);
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW((path + L".*.part").c_str(), &found);
  EXPECT_EQ(search, INVALID_HANDLE_VALUE) << "a file was left beside it";
  if (search != INVALID_HANDLE_VALUE) FindClose(search);
}

TEST_F(SettingsTest, ACorruptPlacementIsRefused) {
  WritePrivateProfileStringW(L"Corvanel", L"WP", L"00112233", settings::FilePath().c_str());
  WINDOWPLACEMENT loaded = {};
  EXPECT_FALSE(settings::LoadWindowPlacement(&loaded));
}

}  // namespace
