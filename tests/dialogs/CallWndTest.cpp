// The one-to-one and the group call windows: what they place, how hanging up
// and closing end them, and the avatars under their own keys.

#include "app/frame/WindowManager.h"
#include "app/storage/CacheNames.h"
#include "app/storage/UserFolders.h"
#include "DialogFixture.h"
#include "duilib/testing.h"
#include "mireloom/Types.h"
#include "mireloom/UserManager.h"

namespace dialogs_test {
namespace {

using namespace DuiLib;
using mireloomwnd::WindowManager;
namespace mt = mireloom::testing;

constexpr wchar_t kNoPhone[] = L"This member has no phone number";

std::string Source(const std::string& uid, int size) {
  auto user = mireloom::UserManager::DefaultManager()->FetchUserFromCacheByUid(uid);
  return mireloom::avatar_url(user->header_uri(), size, size, 1);
}

// The service's call to these callees (the caller left out); a default one when none.
mt::PhoneCall CallTo(const std::vector<std::string>& callees) {
  for (const auto& call : mt::ServiceCalls()) {
    if (call.callees == callees) return call;
  }
  return {};
}

class CallWndTest : public DialogTest {
 protected:
  static void Call(const std::string& uid, const std::function<void(HWND)>& script) {
    Drive(L"TelephoneCallingWnd", [&] { WindowManager::GetInstance()->ShowTelephoneCallingWnd(uid); }, script);
  }
  static void GroupCall(const std::vector<std::string>& uids, const std::function<void(HWND)>& script) {
    Drive(L"GroupTelephoneCallingWnd", [&] { WindowManager::GetInstance()->ShowGroupTelephoneCallingWnd(uids); },
          script);
  }
  static bool HangUpShown(HWND window) { return Find(window, L"delete_calling_btn")->IsVisible(); }
};

TEST_F(CallWndTest, CallingLinPlacesTheCallAndHangingUpCancelsIt) {
  Call("usr-lin", [&](HWND window) {
    EXPECT_EQ(TextOf(window, L"calling_name"), L"Calling 林晓…");
    EXPECT_TRUE(HangUpShown(window));
    ASSERT_TRUE(WaitUntil([] { return CallTo({"usr-lin"}).state == "ringing"; }));
    WindowManager::GetInstance()->ShowTelephoneCallingWnd("usr-sun");  // opens nothing while one is open
    Settle();
    EXPECT_TRUE(CallTo({"usr-sun"}).call_id.empty());
    SaveShot(window, L"call");
    Testing::Click(window, L"delete_calling_btn");
  });
  EXPECT_EQ(CallTo({"usr-lin"}).state, "cancelled");
}

TEST_F(CallWndTest, NoCallForAMemberWithoutAPhoneARobotOrAUserMissingFromTheCache) {
  struct Case {
    const char* uid;
    const wchar_t* reason;
  };
  for (const Case& c : {Case{"usr-zhao", kNoPhone}, Case{"usr-bot", L"不能与机器人进行通话"}, Case{"usr-nobody", kNoPhone}}) {
    Settle();
    const size_t requests = mt::HttpRequests().size();
    Call(c.uid, [&](HWND window) {
      EXPECT_EQ(TextOf(window, L"calling_name"), c.reason) << c.uid;
      EXPECT_FALSE(HangUpShown(window)) << c.uid;
      if (c.reason == kNoPhone) SaveShot(window, L"call_no_phone");
      Testing::Click(window, L"closeBtn");
    });
    Settle();
    if (std::string(c.uid) == "usr-nobody") {
      EXPECT_EQ(mt::HttpRequests().size(), requests) << "no key, nothing fetched";
    }
  }
  EXPECT_TRUE(mt::ServiceCalls().empty());
}

TEST_F(CallWndTest, TheLargeAvatarIsFetchedOnceAndKeptUnderItsOwnKey) {
  const std::string source = Source("usr-lin", 160);
  const std::string marked = "s+" + source.substr(2);
  SetCached(marked, false);
  SetCached(source, true);  // the other windows' copy is not the call window's
  const auto requests = [&] {
    size_t count = 0;
    for (const auto& request : mt::HttpRequests()) count += request.url.find(source) != std::string::npos;
    return count;
  };
  for (size_t round = 1; round <= 2; ++round) {
    Call("usr-lin", [&](HWND window) {
      EXPECT_TRUE(WaitUntil([&] { return ImageOf(Find(window, L"avatar_btn")) == GetCachedFilePath(marked); }));
      Testing::Click(window, L"closeBtn");
    });
    Settle();
    EXPECT_EQ(requests(), 1u) << "fetched from the unmarked address, and not again once cached (round " << round << ")";
  }
}

TEST_F(CallWndTest, HangingUpBeforeTheIdOrInVainKeepsTheWindowAndClosingLeavesTheCallRinging) {
  const auto check = [&](const char* place, const std::vector<std::string>& callees,
                         const std::function<void(const std::function<void(HWND)>&)>& open) {
    mt::Script(place).Hold().Times(1);
    open([&](HWND window) {
      const int held = mt::WaitForHeld(place);
      ASSERT_NE(held, 0);
      Testing::Click(window, L"delete_calling_btn");
      Settle();
      EXPECT_TRUE(IsWindow(window)) << place << ": the core refuses the empty id of a call not placed yet";
      mt::Release(held);
      Settle();
      mt::Script("CallManager::CancelCallById").Fail(500).Times(1);
      Testing::Click(window, L"delete_calling_btn");
      Settle();
      EXPECT_TRUE(IsWindow(window)) << place << ": a failed hang-up";
      Testing::Click(window, L"closeBtn");
    });
    EXPECT_EQ(CallTo(callees).state, "ringing") << place << ": the close button does not end the call";
  };
  check("CallManager::MakeCallByUid", {"usr-lin"}, [&](const auto& script) { Call("usr-lin", script); });
  check("CallManager::MakeGroupCall", {"usr-sun"}, [&](const auto& script) { GroupCall({"usr-zhou", "usr-sun"}, script); });
}

TEST_F(CallWndTest, GroupTilesFollowTheUidsAndTheCallGetsThemAsSent) {
  const std::vector<std::string> uids = {"usr-zhou", "usr-lin", "usr-lin"};
  const auto tileNames = [](HWND window) {
    auto* tiles = static_cast<CContainerUI*>(Find(window, L"group_phone_members_tile_layout"));
    std::vector<std::wstring> names;
    for (int i = 0; i < tiles->GetCount(); ++i) names.push_back(tiles->GetItemAt(i)->GetChildAt(1)->GetText().str());
    return names;
  };
  GroupCall(uids, [&](HWND window) {
    EXPECT_EQ(tileNames(window), (std::vector<std::wstring>{L"周一鸣", L"林晓", L"林晓"}));
    EXPECT_EQ(TextOf(window, L"calling_name"), L"正在与3人通话中");
    ASSERT_TRUE(WaitUntil([] { return !CallTo({"usr-lin"}).call_id.empty(); }));
    EXPECT_EQ(CallTo({"usr-lin"}).requested, uids);
    EXPECT_TRUE(CallTo({"usr-lin"}).phone_numbers.empty());
    SaveShot(window, L"group_call");
    Testing::Click(window, L"delete_calling_btn");
  });
  EXPECT_EQ(CallTo({"usr-lin"}).state, "cancelled");

  GroupCall({"usr-zhou", "usr-nobody"}, [&](HWND window) {
    EXPECT_EQ(tileNames(window), (std::vector<std::wstring>{L"周一鸣", L""})) << "missing from the cache: no name";
    auto* tiles = static_cast<CContainerUI*>(Find(window, L"group_phone_members_tile_layout"));
    EXPECT_EQ(ImageOf(tiles->GetItemAt(1)->GetChildAt(0)), L"") << "and no picture";
    Testing::Click(window, L"closeBtn");
  });
}

}  // namespace
}  // namespace dialogs_test
