// The one-to-one and the group call windows: what they place, how hanging up
// and closing end them, and the avatars under their own keys.

#include <algorithm>

#include "DialogFixture.h"
#include "app/UserFolders.h"
#include "app/WindowManager.h"
#include "duilib/testing.h"
#include "mireloom/Types.h"
#include "mireloom/UserManager.h"

namespace dialogs_test {
namespace {

using namespace DuiLib;
using mireloomwnd::WindowManager;
namespace mt = mireloom::testing;

constexpr wchar_t kCallWindow[] = L"TelephoneCallingWnd";
constexpr wchar_t kGroupWindow[] = L"GroupTelephoneCallingWnd";
constexpr char kCancel[] = "CallManager::CancelCallById";

std::string Source(const std::string& uid, int size) {
  auto user = mireloom::UserManager::DefaultManager()->FetchUserFromCacheByUid(uid);
  return mireloom::avatar_url(user->header_uri(), size, size, 1);
}

// The calls the service has placed, by callee list.
std::vector<mt::PhoneCall> CallsTo(const std::vector<std::string>& callees) {
  std::vector<mt::PhoneCall> found;
  for (const auto& call : mt::ServiceCalls()) {
    if (call.callees == callees) found.push_back(call);
  }
  return found;
}

bool Visible(HWND window, const wchar_t* name) {
  CControlUI* control = DialogTest::Find(window, name);
  return control && control->IsVisible();
}

class CallWndTest : public DialogTest {
 protected:
  static void Call(const std::string& uid, const std::function<void(HWND)>& script) {
    Drive(kCallWindow, [&] { WindowManager::GetInstance()->ShowTelephoneCallingWnd(uid); }, script);
  }
  static void GroupCall(const std::vector<std::string>& uids, const std::function<void(HWND)>& script) {
    Drive(kGroupWindow, [&] { WindowManager::GetInstance()->ShowGroupTelephoneCallingWnd(uids); }, script);
  }
  // Hangs up and waits for the core's answer to reach the window.
  static void HangUpAndSettle(HWND window) {
    Testing::Click(window, L"delete_calling_btn");
    Settle();
  }
};

TEST_F(CallWndTest, CallingLinPlacesTheCallAndHangingUpCancelsIt) {
  Call("usr-lin", [&](HWND window) {
    EXPECT_EQ(TextOf(window, L"calling_name"), L"Calling 林晓…");
    EXPECT_TRUE(Visible(window, L"delete_calling_btn"));
    ASSERT_TRUE(WaitUntil([] { return !CallsTo({"usr-lin"}).empty(); }));
    EXPECT_EQ(CallsTo({"usr-lin"})[0].state, "ringing");
    // A second call window while this one is open opens nothing.
    WindowManager::GetInstance()->ShowTelephoneCallingWnd("usr-sun");
    EXPECT_TRUE(CallsTo({"usr-sun"}).empty());
    Settle();
    SaveShot(window, L"call");
    Testing::Click(window, L"delete_calling_btn");
  });
  EXPECT_EQ(CallsTo({"usr-lin"})[0].state, "cancelled");
}

TEST_F(CallWndTest, NoCallForAMemberWithoutAPhoneARobotOrAnUnknownUid) {
  Call("usr-zhao", [&](HWND window) {
    EXPECT_EQ(TextOf(window, L"calling_name"), L"No phone number: this member cannot be called");
    EXPECT_FALSE(Visible(window, L"delete_calling_btn"));
    SaveShot(window, L"call_no_phone");
    Testing::Click(window, L"closeBtn");
  });
  Call("usr-bot", [&](HWND window) {
    EXPECT_EQ(TextOf(window, L"calling_name"), L"不能与机器人进行通话");
    EXPECT_FALSE(Visible(window, L"delete_calling_btn"));
    Testing::Click(window, L"closeBtn");
  });
  Settle();
  const size_t requests = mt::HttpRequests().size();
  Call("usr-nobody", [&](HWND window) {
    EXPECT_EQ(TextOf(window, L"calling_name"), L"No phone number: this member cannot be called");
    EXPECT_EQ(NormalImage(Find(window, L"avatar_btn")), L"") << "no key, no picture";
    Testing::Click(window, L"closeBtn");
  });
  Settle();
  EXPECT_EQ(mt::HttpRequests().size(), requests) << "nothing is fetched for a user missing from the cache";
  EXPECT_TRUE(mt::ServiceCalls().empty());
}

TEST_F(CallWndTest, TheLargeAvatarIsKeptUnderItsOwnKey) {
  const std::string source = Source("usr-lin", 160);
  std::string marked = source;
  marked[1] = '+';
  ForgetAvatar(marked);
  CacheAvatar(source);  // the unmarked copy is not the call window's
  Call("usr-lin", [&](HWND window) {
    EXPECT_TRUE(WaitUntil([&] { return NormalImage(Find(window, L"avatar_btn")) == GetCachedFilePath(marked); }))
        << "fetched from the unmarked address, kept under the marked key";
    EXPECT_TRUE(AvatarRequested(source));
    Testing::Click(window, L"closeBtn");
  });
  Settle();
  const size_t requests = mt::HttpRequests().size();
  Call("usr-lin", [&](HWND window) {
    EXPECT_EQ(NormalImage(Find(window, L"avatar_btn")), GetCachedFilePath(marked));
    Testing::Click(window, L"closeBtn");
  });
  Settle();
  EXPECT_EQ(mt::HttpRequests().size(), requests) << "a cached large avatar sends no request";
}

TEST_F(CallWndTest, AnEarlyOrFailedHangUpKeepsTheWindowAndClosingLeavesTheCallRinging) {
  mt::Script("CallManager::MakeCallByUid").Hold().Times(1);
  Call("usr-lin", [&](HWND window) {
    const int held = mt::WaitForHeld("CallManager::MakeCallByUid");
    ASSERT_NE(held, 0);
    HangUpAndSettle(window);
    EXPECT_TRUE(IsWindow(window)) << "the core refuses the empty id of a call not placed yet";
    mt::Release(held);
    Settle();
    mt::Script(kCancel).Fail(500).Times(1);
    HangUpAndSettle(window);
    EXPECT_TRUE(IsWindow(window)) << "a failed hang-up";
    Testing::Click(window, L"closeBtn");
  });
  ASSERT_EQ(CallsTo({"usr-lin"}).size(), 1u);
  EXPECT_EQ(CallsTo({"usr-lin"})[0].state, "ringing") << "the close button does not end the call";

  // The id of a call whose window has gone is dropped.
  mt::Script("CallManager::MakeCallByUid").Hold().Times(1);
  Call("usr-sun", [&](HWND window) {
    ASSERT_NE(mt::WaitForHeld("CallManager::MakeCallByUid"), 0);
    Testing::Click(window, L"closeBtn");
  });
  mt::Release(mt::WaitForHeld("CallManager::MakeCallByUid"));
  Settle();
  EXPECT_EQ(CallsTo({"usr-sun"}).size(), 1u);
}

TEST_F(CallWndTest, GroupTilesFollowTheUidsAndTheCallGetsThemAsSent) {
  const std::vector<std::string> uids = {"usr-zhou", "usr-lin", "usr-lin"};
  GroupCall(uids, [&](HWND window) {
    auto* tiles = static_cast<CContainerUI*>(Find(window, L"group_phone_members_tile_layout"));
    ASSERT_NE(tiles, nullptr);
    std::vector<std::wstring> names;
    for (int i = 0; i < tiles->GetCount(); ++i) names.push_back(tiles->GetItemAt(i)->GetChildAt(1)->GetText().GetData());
    EXPECT_EQ(names, (std::vector<std::wstring>{L"周一鸣", L"林晓", L"林晓"}));
    EXPECT_EQ(TextOf(window, L"calling_name"), L"正在与3人通话中");
    ASSERT_TRUE(WaitUntil([] { return !CallsTo({"usr-lin"}).empty(); }));
    EXPECT_EQ(CallsTo({"usr-lin"})[0].requested, uids);
    EXPECT_TRUE(CallsTo({"usr-lin"})[0].phone_numbers.empty());
    Settle();
    SaveShot(window, L"group_call");
    Testing::Click(window, L"delete_calling_btn");
  });
  EXPECT_EQ(CallsTo({"usr-lin"})[0].state, "cancelled");
}

TEST_F(CallWndTest, AGroupHangUpBeforeTheIdOrAFailedOneKeepsTheWindow) {
  mt::Script("CallManager::MakeGroupCall").Hold().Times(1);
  GroupCall({"usr-zhou", "usr-sun"}, [&](HWND window) {
    const int held = mt::WaitForHeld("CallManager::MakeGroupCall");
    ASSERT_NE(held, 0);
    HangUpAndSettle(window);
    EXPECT_TRUE(IsWindow(window));
    mt::Release(held);
    Settle();
    mt::Script(kCancel).Fail(500).Times(1);
    HangUpAndSettle(window);
    EXPECT_TRUE(IsWindow(window));
    Testing::Click(window, L"delete_calling_btn");
  });
  EXPECT_EQ(CallsTo({"usr-sun"})[0].state, "cancelled");
}

TEST_F(CallWndTest, AParticipantMissingFromTheCacheHasAnEmptyTile) {
  Settle();
  const size_t requests = mt::HttpRequests().size();
  GroupCall({"usr-zhou", "usr-nobody"}, [&](HWND window) {
    auto* tiles = static_cast<CContainerUI*>(Find(window, L"group_phone_members_tile_layout"));
    ASSERT_EQ(tiles->GetCount(), 2);
    CControlUI* unknown = tiles->GetItemAt(1);
    EXPECT_EQ(unknown->GetChildAt(1)->GetText(), L"");
    EXPECT_EQ(NormalImage(unknown->GetChildAt(0)), L"");
    Testing::Click(window, L"closeBtn");
  });
  Settle();
  const auto requested = mt::HttpRequests();
  const std::string zhou = Source("usr-zhou", 60);
  for (size_t i = requests; i < requested.size(); ++i) {
    EXPECT_NE(requested[i].url.find(zhou), std::string::npos) << "only zhou's tile fetches a picture";
  }
}

}  // namespace
}  // namespace dialogs_test
