// Opening a one-to-one conversation, and the channel members panel that
// opens one the same way (chn-general holds every member of the demo team).

#include <algorithm>

#include "app/frame/WindowManager.h"
#include "app/text/TextHelpers.h"
#include "DialogFixture.h"
#include "dialogs/conversations/OpenImWnd.h"
#include "duilib/testing.h"
#include "mireloom/ChannelManager.h"
#include "mireloom/IMManager.h"

namespace dialogs_test {
namespace {

// Whether the label's text, in its font, fits between its text padding, which
// keeps it clear of a frame on either side.
bool TextFitsInside(HWND window, DuiLib::CControlUI* control) {
  auto* label = static_cast<DuiLib::CLabelUI*>(control->GetInterface(L"Label"));
  const HDC dc = GetDC(window);
  const HGDIOBJ previous = SelectObject(dc, DuiLib::Testing::ManagerOf(window)->GetFont(label->GetFont()));
  SIZE text = {};
  GetTextExtentPoint32W(dc, label->GetText().GetData(), label->GetText().GetLength(), &text);
  SelectObject(dc, previous);
  ReleaseDC(window, dc);
  const RECT padding = label->GetTextPadding();
  const RECT box = control->GetPos();
  return padding.left > 0 && padding.right > 0 && text.cx + padding.left + padding.right <= box.right - box.left;
}

using namespace DuiLib;
using mireloomwnd::WindowManager;
namespace mt = mireloom::testing;

constexpr char kNewIm[] = "IMManager::NewIM";

bool HasRowOf(const std::vector<std::wstring>& rows, const std::wstring& start) {
  return std::any_of(rows.begin(), rows.end(), [&](const std::wstring& row) { return row.rfind(start, 0) == 0; });
}

// The uids NewIM was asked for, in order.
std::vector<std::string> NewImRequests() {
  std::vector<std::string> uids;
  for (const auto& record : mt::CallLog()) {
    if (record.kind == mt::CallRecord::kCall && record.name == kNewIm) uids.push_back(record.detail);
  }
  return uids;
}

// Clicks the middle of a control that shares its name with another.
void ClickControl(HWND window, CControlUI* control) {
  const RECT rect = control->GetPos();
  Testing::ClickAt(window, {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2});
}

bool HasImWith(const std::string& uid) {
  for (const auto& im : mireloom::IMManager::DefaultManager()->FetchImsFromCache()) {
    if (im->to_uid() == uid) return true;
  }
  return false;
}

class OpenImWndTest : public DialogTest {
 protected:
  static void Open(const std::function<void(HWND)>& script) {
    Drive(L"OpenImWnd", [] { WindowManager::GetInstance()->ShowOpenImWnd(); }, script);
  }
  static void OpenMembers(const std::function<void(HWND)>& script) {
    Drive(L"ViewGroupMembersWnd",
          [] { WindowManager::GetInstance()->ShowViewGroupMembersWnd("chn-general", 640, 120, 540); }, script);
  }
};

TEST_F(OpenImWndTest, EveryoneButTheSignedInUserAndThoseWhoLeftAndBothRowControlsAskForTheSameUid) {
  mt::Script(kNewIm).Hold();
  Open([&](HWND window) {
    const auto rows = RowTexts(window, L"result_list");
    EXPECT_EQ(rows.size(), 17u);
    EXPECT_EQ(rows[0], L"林晓|@lin|Message");
    EXPECT_FALSE(HasRowOf(rows, L"周一鸣")) << "not the signed-in user";
    EXPECT_FALSE(HasRowOf(rows, L"何川")) << "nor a member who left";
    SaveShot(window, L"open_im");

    CControlUI* icon = Find(window, L"ueid_usr-olivia");
    CControlUI* button = static_cast<CContainerUI*>(icon->GetParent())->GetItemAt(1);
    EXPECT_EQ(button->GetName(), icon->GetName());
    EXPECT_TRUE(TextFitsInside(window, button)) << "the button's focus frame leaves its text whole";
    ClickControl(window, icon);
    mt::Release(mt::WaitForHeld(kNewIm));
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(window); })) << "the answer closes the dialog";
  });
  Open([&](HWND window) {
    CControlUI* icon = Find(window, L"ueid_usr-olivia");
    ClickControl(window, static_cast<CContainerUI*>(icon->GetParent())->GetItemAt(1));
    Testing::Click(window, L"ueid_usr-olivia");  // the second click's answer finds the dialog gone
    mt::Release(mt::WaitForHeld(kNewIm));
    mt::Release(mt::WaitForHeld(kNewIm));
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(window); }));
  });
  Settle();
  EXPECT_EQ(NewImRequests(), (std::vector<std::string>{"usr-olivia", "usr-olivia", "usr-olivia"}));
  EXPECT_TRUE(HasImWith("usr-olivia"));
}

TEST_F(OpenImWndTest, AFailureOrAnAnswerWithoutConversationClosesTheDialog) {
  mt::Script(kNewIm).Fail(500).Times(1);
  Open([&](HWND window) { Testing::Click(window, L"ueid_usr-sun"); });
  // Known to the cache only: the service's scripted success hands over no conversation.
  mireloom::User::Data ghost;
  ghost.uid = "usr-ghost";
  ghost.display_name = "Ghost";
  mt::PreloadUsers({ghost});
  mt::Script(kNewIm).Answer(200).Times(1);
  Open([&](HWND window) {
    ASSERT_TRUE(Testing::TypeText(window, L"search", L"Ghost"));  // its row is below the fold
    Testing::Click(window, L"ueid_usr-ghost");
  });
  EXPECT_EQ(m_platform.Count(PlatformCall::MessageBox), 0u) << "nothing is shown";
}

TEST_F(OpenImWndTest, TheMembersPanelListsTheCacheInOrderBesideItsOpener) {
  std::vector<std::wstring> expected;
  for (const auto& member : mireloom::ChannelManager::DefaultManager()->FetchMembersOfChannelFromCache("chn-general")) {
    expected.push_back(Utf8ToWide(member->display_name() + " (@" + member->username() + ")") + L"|Message");
  }
  ASSERT_EQ(expected.size(), 18u);
  OpenMembers([&](HWND window) {
    RECT placed;
    GetWindowRect(window, &placed);
    EXPECT_EQ(placed.left, 640);
    EXPECT_EQ(placed.top, 120);
    EXPECT_EQ(placed.right - placed.left, 320);
    EXPECT_EQ(placed.bottom - placed.top, 540);
    EXPECT_EQ(RowTexts(window, L"group_members_list"), expected) << "neither sorted nor filtered";
    EXPECT_EQ(TextOf(window, L"group_members_label"), L"Members");
    SaveShot(window, L"group_members");
    Testing::Click(window, L"ueid_usr-lin");
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(window); })) << "the answer closes the panel";
  });
  EXPECT_EQ(NewImRequests(), std::vector<std::string>{"usr-lin"});
}

TEST_F(OpenImWndTest, LosingTheFocusClosesTheMembersPanelAndTheLaterAnswerIsDropped) {
  mt::Script(kNewIm).Hold().Times(1);
  int held = 0;
  OpenMembers([&](HWND window) {
    Testing::Click(window, L"ueid_usr-an");
    held = mt::WaitForHeld(kNewIm);
    ASSERT_NE(held, 0);
    EXPECT_TRUE(IsWindow(window)) << "a click does not close the panel";
    SetFocus(nullptr);
  });
  OpenMembers([&](HWND window) {
    mt::Release(held);
    Settle();
    EXPECT_TRUE(IsWindow(window)) << "the answer was for the panel that has gone";
    Testing::Click(window, L"close_btn");
  });
}

}  // namespace
}  // namespace dialogs_test
