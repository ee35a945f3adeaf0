// A member without a picture (白露 has none) shows the default face wherever
// a member's avatar is shown, in the main window and in the dialogs it opens;
// a picture whose download failed is asked for again when next shown.

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <vector>

#include "../files/TestPictures.h"
#include "app/storage/CacheNames.h"
#include "app/storage/UserFolders.h"
#include "app/text/TextHelpers.h"
#include "app/ui/MemberAvatar.h"
#include "duilib/testing.h"
#include "mainwnd/contacts/ContactsPanel.h"
#include "MainWndFixture.h"
#include "mireloom/UserManager.h"
#include "quennet/testing.h"
#include "quennet/WinHandles.h"
#include "support/TempFolder.h"

namespace mainwnd_test {
namespace {

using namespace DuiLib;

// The face's colours where its head is and beside it (skin/chat/default_avatar.png).
constexpr DWORD kFaceHead = 0xF4F6F9;
constexpr DWORD kFaceBackground = 0xC9D3DF;

bool Near(DWORD a, DWORD b) {
  for (int shift : {0, 8, 16}) {
    if (std::abs(static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF)) > 16) return false;
  }
  return true;
}

// The avatar as the window paints it: the face's head in its middle, the
// face's background beside it, and no picture of anyone.
void ExpectDefaultFace(const char* place, HWND window, CControlUI* avatar) {
  ASSERT_NE(avatar, nullptr) << place;
  const quennet::UniqueBitmap painted(Testing::RenderWindow(window));
  const RECT rc = avatar->GetPos();
  const int width = rc.right - rc.left;
  const int height = rc.bottom - rc.top;
  ASSERT_GT(width, 0) << place;
  EXPECT_TRUE(Near(Testing::PixelAt(painted.get(), rc.left + width / 2, rc.top + height * 39 / 100), kFaceHead))
      << place;
  EXPECT_TRUE(Near(Testing::PixelAt(painted.get(), rc.left + width / 5, rc.top + height * 45 / 100), kFaceBackground))
      << place;
  auto* button = static_cast<CButtonUI*>(avatar->GetInterface(L"Button"));
  EXPECT_TRUE(button && button->GetNormalImage().IsEmpty()) << place << ": no picture";
}

CContainerUI* AsContainer(CControlUI* control) {
  return control ? static_cast<CContainerUI*>(control->GetInterface(L"Container")) : nullptr;
}

// The first button under the control, depth first: rows and tiles hold
// their avatar before any other button.
CControlUI* AvatarUnder(CControlUI* control) {
  if (!control) return nullptr;
  if (control->GetInterface(L"Button")) return control;
  CContainerUI* container = AsContainer(control);
  for (int i = 0; container && i < container->GetCount(); ++i) {
    if (CControlUI* found = AvatarUnder(container->GetItemAt(i))) return found;
  }
  return nullptr;
}

bool ShowsText(CControlUI* control, const std::wstring& text) {
  if (!control) return false;
  if (std::wstring(control->GetText().GetData()).find(text) != std::wstring::npos) return true;
  CContainerUI* container = AsContainer(control);
  for (int i = 0; container && i < container->GetCount(); ++i) {
    if (ShowsText(container->GetItemAt(i), text)) return true;
  }
  return false;
}

// The item of a list or tile layout that shows `text`.
CControlUI* ItemShowing(CControlUI* list, const std::wstring& text) {
  CContainerUI* items = AsContainer(list);
  for (int i = 0; items && i < items->GetCount(); ++i) {
    if (ShowsText(items->GetItemAt(i), text)) return items->GetItemAt(i);
  }
  return nullptr;
}

CControlUI* In(const wchar_t* windowClass, const wchar_t* name) {
  const HWND window = windowClass ? FindOwnWindow(windowClass) : MainWindowTest::MainWindow();
  return window ? Testing::ManagerOf(window)->FindControl(name) : nullptr;
}

CTreeViewUI* ContactsTree() {
  return static_cast<CTreeViewUI*>(MainWindowTest::Control(L"contacts_tree")->GetInterface(L"TreeView"));
}

CTreeNodeUI* ContactNode(const wchar_t* id) {
  CTreeViewUI* tree = ContactsTree();
  for (int i = 0; i < tree->GetCount(); ++i) {
    if (tree->GetItemAt(i)->GetUserData() == id) return static_cast<CTreeNodeUI*>(tree->GetItemAt(i)->GetInterface(L"TreeNode"));
  }
  return nullptr;
}

void SelectContact(const wchar_t* id) {
  CTreeViewUI* tree = ContactsTree();
  tree->SelectItem(tree->GetItemIndex(ContactNode(id)), false, true);
}

void ClickIn(const wchar_t* windowClass, const wchar_t* name) {
  const HWND window = windowClass ? FindOwnWindow(windowClass) : MainWindowTest::MainWindow();
  ASSERT_TRUE(window && Testing::Click(window, name)) << WideToUtf8(name);
}

// One act that brings 白露 on screen, once its window shows (null: the main window).
struct Act {
  const wchar_t* inWindow;
  std::function<void()> act;
};

// A place where a member's avatar shows: how to bring her there, the window
// it is in and her avatar in it.
struct Place {
  const char* name;
  std::vector<Act> show;
  const wchar_t* windowClass;  // null: the main window
  std::function<CControlUI*()> avatar;
};

class MainWndAvatarsTest : public MainWindowTest {
 protected:
  void SetUp() override {
    MainWindowTest::SetUp();
    // Each window builds its contacts tree once; this process has seen other windows.
    mireloomwnd::ContactsTreeBuildCount = 0;
  }
};

TEST_F(MainWndAvatarsTest, AMemberWithoutAPictureShowsTheDefaultFaceEverywhere) {
  const Place places[] = {
      {"contacts tree",
       {{nullptr,
         [] {
           ClickIn(nullptr, L"contacts_btn");
           // The channels folded, her letter comes into view.
           static_cast<CTreeNodeUI*>(Control(L"group")->GetInterface(L"TreeNode"))->SetExpanded(false);
         }}},
       nullptr, [] { return AvatarUnder(ContactNode(L"usr-bai")); }},
      {"member card", {{nullptr, [] { SelectContact(L"usr-bai"); }}}, nullptr, [] { return Control(L"avatar_image_btn"); }},
      {"channel tiles", {{nullptr, [] { SelectContact(L"chn-fe"); }}}, nullptr,
       [] { return AvatarUnder(ItemShowing(Control(L"group_members_tile_layout"), L"白露")); }},
      {"search results", {{nullptr, [] { ASSERT_TRUE(Testing::TypeText(MainWindow(), L"search", L"白露")); }}}, nullptr,
       [] { return AvatarUnder(Control(L"imItem_usr-bai")); }},
      {"message view",
       {{nullptr,
         [] {
           ClickIn(nullptr, L"chat_btn");
           ClickIn(nullptr, L"channelItem_chn-fe");
         }}},
       nullptr, [] { return AvatarUnder(ItemShowing(Control(L"chat_display"), L"白露")); }},
      // Each dialog runs inside the click that opens it.
      {"conversation picker", {{nullptr, [] { ClickIn(nullptr, L"open_im_btn"); }}}, L"OpenImWnd",
       [] { return AvatarUnder(ItemShowing(In(L"OpenImWnd", L"result_list"), L"白露")); }},
      {"group call picker", {{nullptr, [] { ClickIn(nullptr, L"make_call_btn"); }}}, L"SelectGroupCallMembersWnd",
       [] { return AvatarUnder(ItemShowing(In(L"SelectGroupCallMembersWnd", L"result_list"), L"白露")); }},
      {"group call",
       {{nullptr, [] { ClickIn(nullptr, L"make_call_btn"); }},
        {L"SelectGroupCallMembersWnd", [] { ClickIn(L"SelectGroupCallMembersWnd", L"ueid_usr-bai"); }},
        {L"SelectGroupCallMembersWnd", [] { ClickIn(L"SelectGroupCallMembersWnd", L"make_call_button"); }}},
       L"GroupTelephoneCallingWnd",
       [] {
         return AvatarUnder(ItemShowing(In(L"GroupTelephoneCallingWnd", L"group_phone_members_tile_layout"), L"白露"));
       }},
  };
  StepRunner script;
  WaitForFilledList(script);
  for (const Place& place : places) {
    for (const Act& act : place.show) {
      script.Then(place.name, [&act] { return !act.inWindow || FindOwnWindow(act.inWindow); }, act.act);
    }
    script.WaitFor(place.name, [&place] { return place.avatar() != nullptr; })
        .Do(place.name, [&place] {
          const HWND window = place.windowClass ? FindOwnWindow(place.windowClass) : MainWindow();
          ExpectDefaultFace(place.name, window, place.avatar());
          if (place.windowClass) ClickIn(place.windowClass, L"closeBtn");
        })
        .WaitFor("back in the main window", [&place] { return !place.windowClass || !FindOwnWindow(place.windowClass); });
  }
  script.Do("close", [] { CloseMainWindow(); });
  RunMainWindow(script);
}

// Avatars that are never built again (the contacts tree lives as long as its
// window, the rail's own avatar too): once the service answers, their next
// paint fetches the pictures that failed, and nothing asks again while
// nobody looks.
TEST_F(MainWndAvatarsTest, APictureThatFailedIsFetchedAgainOnItsNextDisplay) {
  namespace core = mireloom::testing;
  struct Shown {
    const char* place;
    const char* uid;
    std::function<CButtonUI*()> avatar;
    AvatarPicture picture;
  };
  std::vector<Shown> shown = {
      {"contacts row", "usr-lin", [] { return static_cast<CButtonUI*>(AvatarUnder(ContactNode(L"usr-lin"))); }, {}},
      {"own avatar in the rail", "usr-zhou", [] { return static_cast<CButtonUI*>(Control(L"personal_menu_btn")); }, {}},
  };
  const test_support::TempFolder folder;
  ASSERT_TRUE(files_test::WriteTestPicture(folder / L"picture.png", 40, 40, L"image/png"));
  for (Shown& one : shown) {
    const auto user = mireloom::UserManager::DefaultManager()->FetchUserFromCacheByUid(one.uid);
    ASSERT_TRUE(user) << one.uid;
    one.picture = MemberAvatarPicture(user->header_uri(), 40);
    DeleteFileW(GetCachedFilePath(one.picture.cacheKey).c_str());
    core::HttpTransportFailure(one.picture.address);
  }
  const auto asked = [&shown] {
    size_t count = 0;
    for (const auto& request : core::HttpRequests()) {
      for (const Shown& one : shown) count += request.url == one.picture.address ? 1 : 0;
    }
    return count;
  };
  const auto allShowPictures = [&shown] {
    return std::all_of(shown.begin(), shown.end(), [](const Shown& one) { return !one.avatar()->GetNormalImage().IsEmpty(); });
  };
  DWORD deadline = 0;
  size_t failed = 0;
  StepRunner script;
  WaitForFilledList(script)
      .Do("open the contacts", [] {
        ClickIn(nullptr, L"contacts_btn");
        static_cast<CTreeNodeUI*>(Control(L"group")->GetInterface(L"TreeNode"))->SetExpanded(false);
      })
      .WaitFor("lin's row shown, the pictures asked for", [&] { return shown[0].avatar() && asked() >= shown.size(); })
      .Do("the downloads failed; the service answers again", [&] {
        // The session list and the message view show lin too, and ask for themselves.
        ASSERT_TRUE(quennet::WaitForIdle(10000));
        Testing::PumpPending();
        failed = asked();
        Sleep(300);
        Testing::PumpPending();
        EXPECT_EQ(asked(), failed) << "nothing asks again while nobody looks";
        const std::string bytes = test_support::ReadFileBytes(folder / L"picture.png");
        for (const Shown& one : shown) {
          EXPECT_TRUE(one.avatar()->GetNormalImage().IsEmpty()) << one.place << ": the face stays";
          core::HttpScript(one.picture.address, 200, {}, bytes);
        }
        deadline = GetTickCount() + 10000;
        RedrawWindow(MainWindow(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
      })
      .WaitFor("the pictures, or the time is up", [&] { return allShowPictures() || GetTickCount() > deadline; })
      .Do("check and close", [&] {
        for (const Shown& one : shown) {
          EXPECT_EQ(std::wstring(one.avatar()->GetNormalImage()), GetCachedFilePath(one.picture.cacheKey)) << one.place;
        }
        EXPECT_GT(asked(), failed);
        CloseMainWindow();
      });
  RunMainWindow(script);
}

}  // namespace
}  // namespace mainwnd_test
