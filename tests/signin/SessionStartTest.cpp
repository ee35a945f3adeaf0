#include <gtest/gtest.h>

#include "app/storage/CacheNames.h"
#include "app/storage/FileHelpers.h"
#include "app/storage/UserFolders.h"
#include "app/text/ServiceConstants.h"
#include "duilib/testing.h"
#include "mireloom/Director.h"
#include "mireloom/testing.h"
#include "quennet/FileUtils.h"
#include "quennet/testing.h"
#include "signin/AvatarPrefetch.h"
#include "signin/LoginWnd.h"
#include "signin/SessionStart.h"
#include "SigninFixture.h"
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

// Damaged stores are moved aside on the real road (the account registered,
// the schema checked), and the clean-up after the migration that follows
// keeps the newest copy of each for whoever looks into it.
TEST_F(SessionStartTest, TheCleanUpKeepsTheNewestCopyOfEachDamagedStore) {
  for (const char* damage : {"the first damage", "the second damage"}) {
    ASSERT_TRUE(core::MakeSessionFolders(m_folder, 1));  // caches the clean-up has to go through
    for (const wchar_t* store : {L"Accounts.db", L"Meta.db"}) {
      ASSERT_TRUE(test_support::WriteFileBytes(m_folder + L"\\" + store, std::string(4096, 'Z') + damage));
    }
    signin::RegisterAccount(mireloom::Team("team-demo", "demo", "示例团队"), "zhou");
    signin::CheckLocalDatabase(signin::CoreDataFolder());
  }
  EXPECT_EQ(CountSubfolders(m_folder), 0) << "the clean-up ran";
  for (const wchar_t* copy : {L"\\Accounts.db.corrupt", L"\\Meta.db.corrupt"}) {
    EXPECT_EQ(test_support::ReadFileBytes(m_folder + copy), std::string(4096, 'Z') + "the second damage")
        << test_support::ToCp936(copy);
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
  ASSERT_TRUE(signin::CAvatarPrefetch::WaitUntilDone(10000));
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

// Each attempt logs the protocol asked for and its outcome; a failed
// question logs only that.
TEST_F(SessionStartTest, TheIMConnectionIsLoggedAndSoAreItsFailures) {
  ASSERT_TRUE(core::SignIn("zhou", GetUserDataFolder(), "demo", "demo1234", /*connect=*/false));
  quennet::ScopedLogCapture log;
  mireloomwnd::LoginWnd::ConnectToIMServer();
  ASSERT_TRUE(core::WaitIdle());
  EXPECT_EQ(log.Count("Director connecting to 1 server"), 1u);
  EXPECT_EQ(log.Count("Director connected to socket.io server"), 1u);

  core::Script("Director::ConnectToIMServer").Fail(-1).Times(1);
  mireloomwnd::LoginWnd::ConnectToIMServer();
  ASSERT_TRUE(core::WaitIdle());
  EXPECT_EQ(log.Count("Director connecting to 1 server"), 2u);
  EXPECT_EQ(log.Count("Director connect to IM server failed"), 1u);

  core::Script("Director::GetIMProtocol").Fail(-1).Times(1);
  mireloomwnd::LoginWnd::ConnectToIMServer();
  ASSERT_TRUE(core::WaitIdle());
  EXPECT_EQ(log.Count("Director::GetIMProtocol failed"), 1u);
  EXPECT_EQ(log.Count("Director connecting to 1 server"), 2u) << "no connection without a protocol";
}

// The session start as the sign-in windows run it.
class SessionStartRoad : public signin_test::SigninWindowTest {
 protected:
  // Signs in through the team and log-in windows; the session ends at the hand-over.
  void SignInAs(const wchar_t* user) {
    signin_test::StepRunner script;
    OpenLoginWindow(script).Do("sign in", [user] {
      HWND login = signin_test::FindOwnWindow(L"LoginWindow");
      Retype(login, L"username_edit", user);
      Retype(login, L"password_edit", L"demo1234");
      DuiLib::Testing::Click(login, L"login_btn");
    });
    CloseMainWindow(script);
    RunSession(script);
    MSG quit;
    while (PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
  }
  // The arguments of the last Director::Init, in order.
  static std::vector<std::string> InitArguments() {
    std::string detail;
    for (const auto& record : core::CallLog()) {
      if (record.name == "Director::Init") detail = record.detail;
    }
    std::vector<std::string> arguments;
    size_t start = 0;
    for (size_t bar; (bar = detail.find('|', start)) != std::string::npos; start = bar + 1) {
      arguments.push_back(detail.substr(start, bar - start));
    }
    arguments.push_back(detail.substr(start));
    return arguments;
  }
};

TEST_F(SessionStartRoad, TheDirectorGetsTheSessionsArgumentsInOrderAndTheDatabasePathIsLogged) {
  quennet::ScopedLogCapture log;
  SignInAs(L"zhou");
  ASSERT_FALSE(SessionWebToken.empty());
  const std::string folder = signin::CoreDataFolder();
  EXPECT_EQ(InitArguments(), (std::vector<std::string>{"usr-zhou", "team-demo", SessionWebToken, folder, "",
                                                       "windows_device_id", "1.2", "WebSite"}));
  EXPECT_TRUE(log.Contains("Database path is " + folder));
}

TEST_F(SessionStartRoad, ASecondLogInReplacesTheWebTokenAndTheDefaultDirector) {
  SignInAs(L"zhou");
  const std::string first = SessionWebToken;
  ASSERT_FALSE(first.empty());
  SignInAs(L"lin");
  EXPECT_NE(SessionWebToken, first);
  EXPECT_EQ(SessionWebToken, InitArguments().at(2)) << "the token of the second log-in";
  mireloom::Director* director = mireloom::Director::DefaultDirector();
  ASSERT_NE(director, nullptr);
  ASSERT_NE(director->me(), nullptr);
  EXPECT_EQ(director->me()->uid(), "usr-lin");
}

}  // namespace
