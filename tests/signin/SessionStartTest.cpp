#include <gtest/gtest.h>

#include "app/FileHelpers.h"
#include "app/UserFolders.h"
#include "mireloom/ServiceManager.h"
#include "mireloom/UserManager.h"
#include "mireloom/testing.h"
#include "quennet/FileUtils.h"
#include "quennet/testing.h"
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

TEST_F(SessionStartTest, AvatarsOfMembersAndServicesGoIntoTheCache) {
  ASSERT_TRUE(core::SignIn("zhou", GetUserDataFolder()));
  quennet::FileUtils::SharedFileUtils()->DeleteFolderContentsExcept(GetDownloadTmpFolder(), {});
  signin::CSessionFetchChain::DownloadAllAvatars();
  ASSERT_TRUE(quennet::WaitForIdle(10000));
  auto cached = [](const std::string& key) {
    return GetFileAttributesW(GetCachedFilePath(key).c_str()) != INVALID_FILE_ATTRIBUTES;
  };
  int users = 0;
  for (const auto& user : mireloom::UserManager::DefaultManager()->FetchUsersFromCache()) {
    const std::string key = mireloom::avatar_url(user->header_uri(), 40, 40, 1);
    if (key.empty()) continue;
    EXPECT_TRUE(cached(key)) << key;
    ++users;
  }
  int services = 0;
  for (const auto& service : mireloom::ServiceManager::DefaultManager()->FetchServicesFromCache()) {
    if (service->avatar_url().empty()) continue;
    EXPECT_TRUE(cached(service->avatar_url())) << service->avatar_url();
    ++services;
  }
  EXPECT_GT(users, 10);
  EXPECT_GT(services, 0);
}

}  // namespace
