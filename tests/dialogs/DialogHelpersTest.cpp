// The helpers the dialogs share, without a dialog: row ids and the call
// windows' avatar keys.

#include <gtest/gtest.h>

#include "dialogs/calls/CallCore.h"
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

}  // namespace
}  // namespace dialogs_test
