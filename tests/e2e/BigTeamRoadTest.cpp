// A team of thousands signs in: the main window fills while the members'
// avatars are still on their way, and they all arrive afterwards.

#include <gtest/gtest.h>

#include "app/storage/UserFolders.h"
#include "GeneratedTeam.h"
#include "ProgramRoad.h"
#include "quennet/FileUtils.h"

namespace e2e {
namespace {

constexpr int kGeneratedMembers = 3000;

class BigTeamRoadTest : public ProgramRoadTest {};

TEST_F(BigTeamRoadTest, TheMainWindowFillsBeforeTheAvatarsAreAllDownloaded) {
  const GeneratedTeam team(kGeneratedMembers);
  ASSERT_TRUE(team.IsReady());
  // Nothing of an earlier run cached or logged.
  quennet::FileUtils::SharedFileUtils()->DeleteFolderContentsExcept(GetDownloadTmpFolder(), {});
  DeleteFileW(EventLogPath().c_str());
  std::map<std::wstring, std::wstring> environment = Environment();
  environment[L"MIRELOOM_DEMO_FOLDER"] = team.DemoFolder();
  ProgramDriver program;
  ASSERT_TRUE(program.Launch(environment));
  HWND login = ChooseTeam(program, L"big-team.png");
  ASSERT_NE(login, nullptr);
  SignIn(login, L"zhou", L"demo1234");
  ProgramDriver::PressEnter(login);
  HWND main = program.WaitForWindow(L"MainWindow", L"Corvanel", 30000);
  ASSERT_NE(main, nullptr) << "no main window";
  EXPECT_TRUE(WaitForFirstSessionItem(main, 30000)) << "the session list stayed empty";

  const std::string log = EventLog();
  const size_t prepared = log.find("MainWnd data prepared");
  ASSERT_NE(prepared, std::string::npos);
  EXPECT_LT(CountOf(log.substr(0, prepared), "successed"), size_t{kGeneratedMembers / 10})
      << "the main window waited for the avatars";
  EXPECT_TRUE(WaitForLogLine("Avatars prefetched: ", 120000)) << "the avatars never all arrived";
  EXPECT_GE(CountOf(EventLog(), "successed"), size_t{kGeneratedMembers});
  CloseMainWindow(main);
  EXPECT_EQ(program.WaitForExit(), 0);
}

}  // namespace
}  // namespace e2e
