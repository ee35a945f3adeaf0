// Records that a core completion hands to a window: they reach only a live
// window, and the sender frees every one that does not.

#include <gtest/gtest.h>

#include "app/ui/WindowRecords.h"
#include "duilib/testing.h"

namespace app_test {
namespace {

using namespace mireloomwnd;

struct CountedRecord {
  static inline int alive = 0;
  CountedRecord() { ++alive; }
  ~CountedRecord() { --alive; }
};

// Takes the record of its message, as a window's handler does.
class Receiver final : public DuiLib::CWindowWnd {
 public:
  static constexpr UINT kMessage = WM_APP + 40;
  LPCTSTR GetWindowClassName() const override { return L"WindowRecordsReceiver"; }
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
    if (message != kMessage) return CWindowWnd::HandleMessage(message, wParam, lParam);
    delete reinterpret_cast<CountedRecord*>(lParam);
    ++received;
    return kRecordTaken;
  }
  int received = 0;
};

TEST(WindowRecords, ARecordReachesOnlyALiveWindowAndIsFreedOtherwise) {
  CUiThread::Attach();
  Receiver receiver;
  ASSERT_TRUE(receiver.Create(nullptr, L"", WS_POPUP, 0));
  auto guard = std::make_unique<CLifetimeGuard>();
  const WindowRecipient to{guard->Token(), &receiver};
  DeliverRecord(to, Receiver::kMessage, std::make_unique<CountedRecord>());
  DuiLib::Testing::PumpPending();
  EXPECT_EQ(receiver.received, 1);

  DeliverRecord(to, Receiver::kMessage, std::make_unique<CountedRecord>());
  DestroyWindow(receiver.GetHWND());  // the window goes, its object stays
  DuiLib::Testing::PumpPending();
  DeliverRecord(to, Receiver::kMessage, std::make_unique<CountedRecord>());
  guard.reset();  // and then the object
  DuiLib::Testing::PumpPending();
  EXPECT_EQ(receiver.received, 1);
  EXPECT_EQ(CountedRecord::alive, 0) << "every undelivered record was freed";
  CUiThread::Detach();
}

}  // namespace
}  // namespace app_test
