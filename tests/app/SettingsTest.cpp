#include <windows.h>

#include <gtest/gtest.h>

#include "app/frame/Settings.h"
#include "app/storage/UserFolders.h"

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

TEST_F(SettingsTest, ACorruptPlacementIsRefused) {
  WritePrivateProfileStringW(L"Corvanel", L"WP", L"00112233", settings::FilePath().c_str());
  WINDOWPLACEMENT loaded = {};
  EXPECT_FALSE(settings::LoadWindowPlacement(&loaded));
}

}  // namespace
