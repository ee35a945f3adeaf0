// The data folder: the account store, the schema check with its migration,
// and the session-start clean-up that must be able to empty the folder.

#include <gtest/gtest.h>

#include "app/storage/FileHelpers.h"
#include "CoreTestSupport.h"
#include "mireloom/AccountManager.h"
#include "mireloom/ChannelManager.h"
#include "mireloom/Director.h"
#include "mireloom/SqlMigrate.h"
#include "quennet/FileUtils.h"
#include "support/TempFolder.h"

using namespace mireloom;
namespace mt = mireloom::testing;
using test_support::TempFolder;
using test_support::ToCp936;

namespace {

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

}  // namespace

TEST(SqlMigrate, AMissingMetaDbIsCreatedCurrent) {
  TempFolder folder;
  const std::wstring data = folder / L"数据";
  SqlMigrate migrate;
  EXPECT_FALSE(migrate.IsExpired(35)) << "nothing checked yet";
  ASSERT_TRUE(migrate.InitOrDie(ToCp936(data) + "/"));
  EXPECT_TRUE(Exists(data + L"\\Meta.db"));
  EXPECT_FALSE(migrate.IsExpired(35));
  EXPECT_TRUE(migrate.IsExpired(36));
}

TEST(SqlMigrate, AnOlderSchemaIsExpiredAndMigrated) {
  TempFolder folder;
  ASSERT_TRUE(mt::WriteMetaSchema(folder.Path(), 34));
  SqlMigrate migrate;
  ASSERT_TRUE(migrate.InitOrDie(folder.NarrowPath() + "\\"));
  EXPECT_TRUE(migrate.IsExpired(35));
  EXPECT_TRUE(migrate.MigrateOrDieV2(35));
  EXPECT_FALSE(migrate.IsExpired(35));
  SqlMigrate again;
  ASSERT_TRUE(again.InitOrDie(folder.NarrowPath() + "/"));
  EXPECT_FALSE(again.IsExpired(35)) << "the migration was stored";
}

TEST(SqlMigrate, ANewerSchemaIsLeftAlone) {
  TempFolder folder;
  ASSERT_TRUE(mt::WriteMetaSchema(folder.Path(), 36));
  SqlMigrate migrate;
  ASSERT_TRUE(migrate.InitOrDie(folder.NarrowPath() + "/"));
  EXPECT_FALSE(migrate.IsExpired(35));
}

TEST(SqlMigrate, TheCleanUpLoopEndsAndTheNextSessionStartsAfresh) {
  mt::ScopedCore core;
  const std::wstring data = core.DataFolder();
  ASSERT_TRUE(mt::WriteMetaSchema(data, 34));
  ASSERT_TRUE(mt::MakeSessionFolders(data, 3));
  AccountManager accounts(ToCp936(data));
  ASSERT_TRUE(accounts.InitOrDie());
  accounts.Register(Team("team-demo", "demo", "示例团队"), "zhou");

  // What the log-in window does at session start.
  const std::string folder = ToCp936(data) + "/";
  auto migrate = std::make_unique<SqlMigrate>();
  migrate->InitOrDie(folder);
  ASSERT_TRUE(migrate->IsExpired(35));
  migrate->MigrateOrDieV2(35);
  int rounds = 0;
  while (CountSubfolders(data) > 0 && rounds < 5) {
    quennet::FileUtils::SharedFileUtils()->DeleteFolderContentsExcept(folder, {"Accounts.db"});
    ++rounds;
  }
  EXPECT_EQ(rounds, 1) << "nothing of the core held a file open";
  EXPECT_TRUE(Exists(data + L"\\Accounts.db"));
  EXPECT_FALSE(Exists(data + L"\\Meta.db"));
  EXPECT_EQ(accounts.UsernameForTeamId("team-demo"), "zhou") << "the open store survived";

  // The director recreates what the clean-up removed.
  ASSERT_TRUE(mt::SignIn("zhou", data));
  EXPECT_TRUE(Exists(data + L"\\Meta.db"));
  EXPECT_TRUE(Exists(data + L"\\team-demo\\usr-zhou\\Cache.db"));
  SqlMigrate check;
  ASSERT_TRUE(check.InitOrDie(folder));
  EXPECT_FALSE(check.IsExpired(35));
}

TEST(SqlMigrate, AnObsoleteSessionCacheStartsEmpty) {
  mt::ScopedCore core;
  ASSERT_TRUE(core_test::SignInWithData(core));
  Director::ResetDefaultDirector(nullptr);
  auto reopen = [&core] {
    auto* director = new Director();
    director->Init(User({"usr-zhou"}), Team("team-demo", "demo", "示例团队"), Token({"w", "a"}),
                   core.DataFolderCp936(), "", "windows_device_id", "1.2", "WebSite");
    Director::ResetDefaultDirector(director);
    const size_t channels = ChannelManager::DefaultManager()->FetchChannelsFromCache().size();
    Director::ResetDefaultDirector(nullptr);
    return channels;
  };
  EXPECT_EQ(reopen(), 11u) << "a current cache is kept";
  ASSERT_TRUE(mt::WriteSchemaVersion(core.DataFolder() + L"\\team-demo\\usr-zhou\\Cache.db", 34));
  EXPECT_EQ(reopen(), 0u) << "a cache of an older schema is obsolete";
  EXPECT_EQ(reopen(), 0u);
}

TEST(AccountManager, RemembersTeamsUserNamesAndTheLastTeam) {
  TempFolder folder;
  const std::string data = ToCp936(folder / L"账户\\子目录");
  {
    AccountManager accounts(data);
    ASSERT_TRUE(accounts.InitOrDie());
    EXPECT_EQ(accounts.LastTeamId(), "");
    EXPECT_EQ(accounts.TeamForTeamId("team-demo"), nullptr);
    EXPECT_EQ(accounts.UsernameForTeamId("team-demo"), "");
    accounts.Register(Team("team-demo", "demo", "示例团队"), "zhou");
    accounts.Register(Team("team-lab", "lab", "Lab Team"), "lin");
    accounts.Register(Team("team-demo", "demo2", "示例团队二"), "qian");  // an update, not a second entry
  }
  AccountManager reopened(data + "\\");
  ASSERT_TRUE(reopened.InitOrDie());
  EXPECT_EQ(reopened.LastTeamId(), "team-demo");
  auto team = reopened.TeamForTeamId("team-demo");
  ASSERT_NE(team, nullptr);
  EXPECT_EQ(team->team_subdomain(), "demo2");
  EXPECT_EQ(team->team_name(), "示例团队二");
  EXPECT_EQ(reopened.UsernameForTeamId("team-demo"), "qian");
  EXPECT_EQ(reopened.UsernameForTeamId("team-lab"), "lin");
}

TEST(AccountManager, AnImpossibleFolderFailsQuietly) {
  TempFolder folder;
  ASSERT_TRUE(test_support::WriteFileBytes(folder / L"file", "x"));
  AccountManager blocked(ToCp936(folder / L"file"));  // a file where the folder should be
  EXPECT_FALSE(blocked.InitOrDie());
  EXPECT_EQ(blocked.LastTeamId(), "");
  blocked.Register(Team("t", "s", "n"), "u");  // nothing happens, nothing breaks
  AccountManager empty("");
  EXPECT_FALSE(empty.InitOrDie());
}
