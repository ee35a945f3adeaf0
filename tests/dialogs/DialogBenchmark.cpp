// Figures, not timed tests: how fast the add-members and open-IM lists of a
// team of 5,000 more generated members build, and how fast each keystroke of
// a search filters them, while the avatar downloads they start go on. Printed for the record;
// only the results are checked. Run by hand, after a build:
//
//   cd build/tests/dialogs && WINEPREFIX=$PWD/../../wineprefix wine dialogs_benchmark.exe

#include <chrono>
#include <cstdio>
#include <functional>
#include <string>

#include "app/frame/WindowManager.h"
#include "DialogFixture.h"
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
    // The program has shown windows before these: the framework's first-use
    // costs (fonts, skin pictures) are paid by another dialog first.
    Drive(L"FeedbackWnd", [] { mireloomwnd::WindowManager::GetInstance()->ShowFeedbackWnd(); },
          [](HWND window) { Testing::Click(window, L"close_btn"); });
  }
};

// Opens the dialog twice (avatars fetched, then cached), reports how long
// its rows take to build and show, then how long each keystroke of a search
// takes to narrow them: about 5,000 rows, then 1,100, 110, 11, 1.
void MeasureMemberList(const std::string& label, const wchar_t* windowClass, const std::function<void()>& show,
                       size_t rowCount) {
  for (const char* round : {"first, avatars fetched", "again, avatars cached"}) {
    const auto opened = Clock::now();
    DialogTest::Drive(windowClass, show, [&](HWND window) {
      Report(label + ": window up", MillisecondsSince(opened));
      Paint(window);
      Report(label + ": " + std::to_string(rowCount) + " rows built and shown (" + round + ")",
             MillisecondsSince(opened));
      EXPECT_EQ(DialogTest::RowTexts(window, L"result_list").size(), rowCount);
      for (const wchar_t* key : {L"g", L"e", L"n", L"1", L"2", L"3", L"4"}) {
        const auto typed = Clock::now();
        ASSERT_TRUE(Testing::TypeText(window, L"search", key));
        const double filtered = MillisecondsSince(typed);
        Paint(window);
        const double took = MillisecondsSince(typed);
        const size_t rows = DialogTest::RowTexts(window, L"result_list").size();
        Report(label + ": keystroke to " + std::to_string(rows) + " rows (filtered in " +
                   std::to_string(static_cast<int>(filtered)) + " ms), shown",
               took);
      }
      EXPECT_EQ(DialogTest::RowTexts(window, L"result_list").size(), 1u);
      Testing::Click(window, L"closeBtn");
    });
    DialogTest::Settle();
  }
}

TEST_F(DialogBenchmark, AddMembersWithFiveThousandMoreMembers) {
  MeasureMemberList("add members", L"AddMembersWnd",
                    [] { mireloomwnd::WindowManager::GetInstance()->ShowAddMembersWnd("chn-core"); }, 5016);
}

TEST_F(DialogBenchmark, OpenImWithFiveThousandMoreMembers) {
  // Everyone but the signed-in user and the one who left.
  MeasureMemberList("open IM", L"OpenImWnd", [] { mireloomwnd::WindowManager::GetInstance()->ShowOpenImWnd(); },
                    5017);
}

}  // namespace
}  // namespace dialogs_test
