// The pieces the dialogs share, without a dialog: row ids, the call
// windows' avatar keys, and records that must never outlive their window.

#include <gtest/gtest.h>

#include "app/UiThread.h"
#include "dialogs/CallCore.h"
#include "dialogs/DialogRecords.h"
#include "dialogs/RowIds.h"

namespace dialogs_test {
namespace {

using namespace mireloomwnd;

TEST(RowIds, TheSecondPieceOfANameHoldingThePrefixIsTheId) {
  struct Case {
    const wchar_t* name;
    bool found;
    const char* id;
  };
  const Case cases[] = {
      {L"ueid_usr-lin", true, "usr-lin"},
      {L"row_ueid_usr-lin", true, "ueid"},        // the prefix anywhere, the second piece in any case
      {L"ueid_usr_lin", true, "usr"},             // an id holding "_" is cut
      {L"ueid_用户", true, "用户"},
      {L"ueid_", false, ""},                      // no id after the prefix
      {L"ueid__", false, ""},
      {L"ueidusr-lin", false, ""},
      {L"ceid_chn-core", false, ""},              // the other prefix
  };
  for (const Case& c : cases) {
    std::string id;
    EXPECT_EQ(IdFromControlName(c.name, kUserIdPrefix, &id), c.found) << c.name;
    EXPECT_EQ(id, c.id) << c.name;
  }
  EXPECT_EQ(RowControlName(kChannelIdPrefix, "chn-core"), L"ceid_chn-core");
}

TEST(CallAvatarKeys, EachCallWindowMarksItsOwnCopyAndAShortKeyHasNone) {
  EXPECT_EQ(MarkedAvatarKey("s160x160-abc.png", CallAvatarMark::LargeCallee), "s+60x160-abc.png");
  EXPECT_EQ(MarkedAvatarKey("s60x60-abc.png", CallAvatarMark::GroupTile), "!60x60-abc.png");
  for (const char* shortKey : {"", "s"}) {
    EXPECT_EQ(MarkedAvatarKey(shortKey, CallAvatarMark::LargeCallee), "") << shortKey;
    EXPECT_EQ(MarkedAvatarKey(shortKey, CallAvatarMark::GroupTile), "") << shortKey;
  }
}

// A record that counts how many of its kind are alive.
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

TEST(DialogRecords, ARecordReachesOnlyALiveWindowAndIsFreedOtherwise) {
  CUiThread::Attach();
  Receiver receiver;
  ASSERT_TRUE(receiver.Create(nullptr, L"", WS_POPUP, 0));
  auto guard = std::make_unique<CLifetimeGuard>();
  const WindowRecipient to{guard->Token(), &receiver};

  DeliverRecord(to, Receiver::kMessage, std::make_unique<CountedRecord>());
  CUiThread::RunPending();
  EXPECT_EQ(receiver.received, 1);

  // The window has gone, its object still lives: nothing reaches it.
  DeliverRecord(to, Receiver::kMessage, std::make_unique<CountedRecord>());
  DestroyWindow(receiver.GetHWND());
  CUiThread::RunPending();
  EXPECT_EQ(receiver.received, 1);

  // The object has gone too: the closure is dropped, and the record with it.
  DeliverRecord(to, Receiver::kMessage, std::make_unique<CountedRecord>());
  guard.reset();
  CUiThread::RunPending();
  EXPECT_EQ(CountedRecord::alive, 0) << "every undelivered record was freed";
  CUiThread::Detach();
}

}  // namespace
}  // namespace dialogs_test
