// Figures, not timed tests: how fast the add-members list of a team of 5,000
// generated members builds and how fast each keystroke of a search filters
// it, while the avatar downloads it starts go on. Printed for the record;
// only the results are checked. Run by hand, after a build:
//
//   cd build/tests/dialogs && WINEPREFIX=$PWD/../../wineprefix wine dialogs_benchmark.exe

#include <chrono>
#include <cstdio>

#include "DialogFixture.h"
#include "app/WindowManager.h"
#include "duilib/testing.h"

namespace dialogs_test {
namespace {

using namespace DuiLib;
namespace mt = mireloom::testing;
using Clock = std::chrono::steady_clock;

double MillisecondsSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

void Report(const std::string& what, double milliseconds) {
  std::printf("BENCHMARK %-58s %8.1f ms\n", what.c_str(), milliseconds);
}

// The window laid out and painted as it is now.
void Paint(HWND window) {
  Testing::ManagerOf(window)->UpdateLayout();
  RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
}

class DialogBenchmark : public DialogTest {
 protected:
  void SetUp() override {
    DialogTest::SetUp();
    mt::GenerateTeam(5000, 0);
    ASSERT_TRUE(mt::SignIn("zhou", m_core.DataFolder(), "demo", "demo1234", false));
    ASSERT_TRUE(mt::FetchMainWindowData());
  }
};

TEST_F(DialogBenchmark, AddMembersWithFiveThousandMoreMembers) {
  // The program has shown windows before this one: the framework's first-use
  // costs (fonts, skin pictures) are paid by another dialog first.
  Drive(L"FeedbackWnd", [] { mireloomwnd::WindowManager::GetInstance()->ShowFeedbackWnd(); },
        [](HWND window) { Testing::Click(window, L"close_btn"); });
  for (const char* round : {"first, avatars fetched", "again, avatars cached"}) {
    const auto opened = Clock::now();
    Drive(L"AddMembersWnd", [] { mireloomwnd::WindowManager::GetInstance()->ShowAddMembersWnd("chn-core"); },
          [&](HWND window) {
            Report("add members: window up", MillisecondsSince(opened));
            Paint(window);
            Report(std::string("add members: 5,016 rows built and shown (") + round + ")", MillisecondsSince(opened));
            EXPECT_EQ(RowTexts(window, L"result_list").size(), 5016u);
            // Each keystroke narrows the rows shown: 5,000, then about 1,100, 110, 11, 1.
            for (const wchar_t* key : {L"g", L"e", L"n", L"1", L"2", L"3", L"4"}) {
              const auto typed = Clock::now();
              ASSERT_TRUE(Testing::TypeText(window, L"search", key));
              const double filtered = MillisecondsSince(typed);
              Paint(window);
              const double took = MillisecondsSince(typed);
              const size_t rows = RowTexts(window, L"result_list").size();
              Report("add members: keystroke to " + std::to_string(rows) + " rows (filtered in " +
                         std::to_string(static_cast<int>(filtered)) + " ms), shown",
                     took);
            }
            EXPECT_EQ(RowTexts(window, L"result_list").size(), 1u);
            Testing::Click(window, L"closeBtn");
          });
    Settle();
  }
}

}  // namespace
}  // namespace dialogs_test
