// The helpers the dialogs share, without a dialog: row ids, the call windows'
// avatar keys, and records that never outlive their window.

#include <gtest/gtest.h>

#include "dialogs/calls/CallCore.h"
#include "dialogs/common/DialogRecords.h"
#include "dialogs/common/RowIds.h"

namespace dialogs_test {
namespace {

using namespace mireloomwnd;

TEST(DialogHelpers, ARowIdIsTheSecondPieceOfANameHoldingThePrefix) {
  const std::pair<const wchar_t*, const char*> cases[] = {
      {L"ueid_usr-lin", "usr-lin"}, {L"row_ueid_usr-lin", "ueid"},  // the prefix anywhere
      {L"ueid_usr_lin", "usr"},     {L"ueid_用户", "用户"},          // an id holding "_" is cut
      {L"ueid_", nullptr},          {L"ueid__", nullptr},            // no second piece: no id
      {L"ueidusr-lin", nullptr},    {L"ceid_chn-core", nullptr},
  };
  for (const auto& [name, expected] : cases) {
    std::string id = "untouched";
    EXPECT_EQ(IdFromControlName(name, kUserIdPrefix, &id), expected != nullptr) << name;
    EXPECT_EQ(id, expected ? expected : "untouched") << name;
  }
}

TEST(DialogHelpers, EachCallWindowMarksItsOwnAvatarKeyAndAShortKeyHasNone) {
  EXPECT_EQ(MarkedAvatarKey("s160x160-abc.png", CallAvatarMark::LargeCallee), "s+60x160-abc.png");
  EXPECT_EQ(MarkedAvatarKey("s60x60-abc.png", CallAvatarMark::GroupTile), "!60x60-abc.png");
  for (const char* key : {"", "s"}) {
    EXPECT_EQ(MarkedAvatarKey(key, CallAvatarMark::LargeCallee) + MarkedAvatarKey(key, CallAvatarMark::GroupTile), "");
  }
}

struct CountedRecord {
  static inline int alive = 0;
  CountedRecord() { ++alive; }
  ~CountedRecord() { --alive; }
};

// Takes the record of its message, as a dialog's handler does.
class Receiver final : public DuiLib::CWindowWnd {
 public:
  static constexpr UINT kMessage = WM_APP + 40;
  LPCTSTR GetWindowClassName() const override { return L"DialogRecordsReceiver"; }
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
    if (message != kMessage) return CWindowWnd::HandleMessage(message, wParam, lParam);
    delete reinterpret_cast<CountedRecord*>(lParam);
    ++received;
    return kRecordTaken;
  }
  int received = 0;
};

TEST(DialogHelpers, ARecordReachesOnlyALiveWindowAndIsFreedOtherwise) {
  CUiThread::Attach();
  Receiver receiver;
  ASSERT_TRUE(receiver.Create(nullptr, L"", WS_POPUP, 0));
  auto guard = std::make_unique<CLifetimeGuard>();
  const WindowRecipient to{guard->Token(), &receiver};
  DeliverRecord(to, Receiver::kMessage, std::make_unique<CountedRecord>());
  CUiThread::RunPending();
  EXPECT_EQ(receiver.received, 1);

  DeliverRecord(to, Receiver::kMessage, std::make_unique<CountedRecord>());
  DestroyWindow(receiver.GetHWND());  // the window goes, its object stays
  CUiThread::RunPending();
  DeliverRecord(to, Receiver::kMessage, std::make_unique<CountedRecord>());
  guard.reset();  // and then the object
  CUiThread::RunPending();
  EXPECT_EQ(receiver.received, 1);
  EXPECT_EQ(CountedRecord::alive, 0) << "every undelivered record was freed";
  CUiThread::Detach();
}

}  // namespace
}  // namespace dialogs_test
