#include <gtest/gtest.h>

#include "app/FileHelpers.h"
#include "app/ServiceConstants.h"
#include "app/UserFolders.h"
#include "mireloom/testing.h"
#include "quennet/FileUtils.h"
#include "quennet/testing.h"
#include "signin/LoginWnd.h"
#include "signin/SessionStart.h"
#include "support/TempFolder.h"

namespace {

namespace core = mireloom::testing;

class SessionStartTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(EnsureUserDataFolder());
    quennet::FileUtils::SharedFileUtils()->DeleteFolderContentsExcept(signin::CoreDataFolder(), {});
    m_folder = GetUserDataFolder();
    for (const wchar_t* name : {L"Accounts.db", L"Personalpreferences.ini", L"corvanel.dmp", L"event.log"}) {
      ASSERT_TRUE(test_support::WriteFileBytes(m_folder + L"\\" + name, "kept"));
    }
    ASSERT_TRUE(core::MakeSessionFolders(m_folder, 3));
  }
  void TearDown() override {
    quennet::FileUtils::SharedFileUtils()->DeleteFolderContentsExcept(signin::CoreDataFolder(), {});
  }
  bool Exists(const wchar_t* name) const {
    return GetFileAttributesW((m_folder + L"\\" + name).c_str()) != INVALID_FILE_ATTRIBUTES;
  }

  core::ScopedCore m_core;
  std::wstring m_folder;
};

TEST_F(SessionStartTest, AnOlderSchemaIsMigratedAndTheOldCachesGo) {
  ASSERT_TRUE(core::WriteMetaSchema(m_folder, 30));
  signin::CheckLocalDatabase(signin::CoreDataFolder());
  EXPECT_EQ(CountSubfolders(m_folder), 0);
  for (const wchar_t* name : {L"Accounts.db", L"Personalpreferences.ini", L"corvanel.dmp", L"event.log"}) {
    EXPECT_TRUE(Exists(name)) << "kept: " << test_support::ToCp936(name);
  }
}

TEST_F(SessionStartTest, ACurrentSchemaLeavesTheFolderAsItIs) {
  ASSERT_TRUE(core::WriteMetaSchema(m_folder, 35));
  signin::CheckLocalDatabase(signin::CoreDataFolder());
  EXPECT_EQ(CountSubfolders(m_folder), 3);
}

TEST_F(SessionStartTest, ACleanUpThatCannotFinishGivesUpAndSaysSo) {
  ASSERT_TRUE(core::WriteMetaSchema(m_folder, 30));
  // A file held open without sharing deletion keeps its folder alive.
  const std::wstring stuck = m_folder + L"\\stuck";
  ASSERT_TRUE(CreateDirectoryW(stuck.c_str(), nullptr));
  ASSERT_TRUE(test_support::WriteFileBytes(stuck + L"\\held.db", "x"));
  HANDLE held = CreateFileW((stuck + L"\\held.db").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                            nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  quennet::ScopedLogCapture log;
  signin::CheckLocalDatabase(signin::CoreDataFolder());
  CloseHandle(held);
  EXPECT_EQ(CountSubfolders(m_folder), 1);
  size_t reports = 0;
  for (const auto& entry : log.Entries()) reports += entry.text.rfind("Clean data folder failed: ", 0) == 0 ? 1 : 0;
  EXPECT_EQ(reports, 1u);
}

// Every picture asked for lands in the cache under its name; a member or
// service without a picture asks for nothing.
TEST_F(SessionStartTest, AvatarsOfMembersAndServicesGoIntoTheCache) {
  ASSERT_TRUE(core::SignIn("zhou", GetUserDataFolder()));
  quennet::FileUtils::SharedFileUtils()->DeleteFolderContentsExcept(GetDownloadTmpFolder(), {});
  mireloomwnd::LoginWnd::DownloadAllAvatars();
  ASSERT_TRUE(quennet::WaitForIdle(10000));
  int members = 0, services = 0;
  for (const auto& request : core::HttpRequests()) {
    for (const std::string* base : {&AvatarBaseUrl, &StaticBaseUrl}) {
      if (request.url.rfind(*base, 0) != 0) continue;
      const std::string name = request.url.substr(base->size());
      EXPECT_FALSE(name.empty()) << "asked for a picture without a name";
      EXPECT_NE(GetFileAttributesW(GetCachedFilePath(name).c_str()), INVALID_FILE_ATTRIBUTES) << name;
      ++(base == &AvatarBaseUrl ? members : services);
    }
  }
  EXPECT_GT(members, 10);
  EXPECT_GT(services, 0);
}

}  // namespace
