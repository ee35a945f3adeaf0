// A window written as the conventions say, and the shadow it carries.

#include <gtest/gtest.h>

#include "app/storage/SkinPaths.h"
#include "app/text/StringTable.h"
#include "app/text/TextHelpers.h"
#include "app/ui/WindowConventions.h"
#include "app/ui/WndShadow.h"
#include "AppWindowFixture.h"
#include "support/TempFolder.h"

namespace {

using namespace mireloomwnd;
using namespace DuiLib;

constexpr UINT kRefreshMessage = kFirstWindowMessage;

// The shape every client window has.
class ExampleWnd : public WindowImplBase {
 public:
  LPCTSTR GetWindowClassName() const override { return L"ExampleWnd"; }
  CDuiString GetSkinFolder() override { return SkinFolder(); }
  CDuiString GetSkinFile() override { return L"skin_example_wnd.xml"; }
  LRESULT OnCreate(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled) override {
    if (!withShadow) return WindowImplBase::OnCreate(uMsg, wParam, lParam, bHandled);
    if (sidePanel) return CreateSidePanel(*this, m_shadow, *sidePanel, uMsg, wParam, lParam, bHandled);
    return CreateWithShadow(*this, m_shadow, uMsg, wParam, lParam, bHandled);
  }
  void InitWindow() override {
    ApplyTexts(m_PaintManager, {{L"title", "ExampleTitle"},
                                {L"name_edit", "NameTip", TextTarget::TipValue},
                                {L"save_btn", "Save"},
                                {L"save_btn", "SaveTips", TextTarget::ToolTip},
                                {L"no_such_control", "Save"}});
  }
  void Notify(TNotifyUI& msg) override {
    if (msg.sType == L"click") {
      if (msg.pSender->GetName() == L"save_btn") {
        ++saves;
        return;
      }
    }
    WindowImplBase::Notify(msg);
  }
  LRESULT HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) override {
    if (uMsg == kRefreshMessage) {
      ++refreshes;
      return 0;
    }
    return WindowImplBase::HandleMessage(uMsg, wParam, lParam);
  }
  CWndShadow& Shadow() { return m_shadow; }
  CPaintManagerUI& Manager() { return m_PaintManager; }
  int saves = 0;
  int refreshes = 0;
  bool withShadow = true;
  const RECT* sidePanel = nullptr;

 private:
  CWndShadow m_shadow;
};

class ConventionsTest : public AppWindowTest {
 protected:
  void SetUp() override {
    AppWindowTest::SetUp();
    // dist/bin is the working directory; the skin is at ../Mireloom/skin.
    CreateDirectoryW((m_root / L"bin").c_str(), nullptr);
    CreateDirectoryW((m_root / L"Mireloom").c_str(), nullptr);
    CreateDirectoryW((m_root / L"Mireloom\\skin").c_str(), nullptr);
    ASSERT_TRUE(test_support::WriteFileBytes(m_root / L"Mireloom\\skin\\skin_example_wnd.xml", u8R"(
      <Window size="360,200" caption="0,0,0,40" roundcorner="6,6">
        <Font id="0" name="微软雅黑" size="13" default="true"/>
        <VerticalLayout bkcolor="#FFFFFFFF" inset="16,0,16,16">
          <HorizontalLayout height="40"><Label name="title" font="0"/><Button name="closebtn" width="28"/></HorizontalLayout>
          <Edit name="name_edit" height="30" bordercolor="#FFDDDDDD"/>
          <Control/>
          <HorizontalLayout height="32"><Control/><Button name="save_btn" width="88" bkcolor="#FF2D8CF0" textcolor="#FFFFFFFF"/></HorizontalLayout>
        </VerticalLayout>
      </Window>)"));
    GetCurrentDirectoryW(MAX_PATH, m_previous);
    SetCurrentDirectoryW((m_root / L"bin").c_str());
    ResolveSkinFolder();
    m_savedTable = StringTable;
    StringTable["ExampleTitle"] = u8"设置名称";
    StringTable["NameTip"] = u8"请输入名称";
    StringTable["Save"] = u8"保存";
  }
  void TearDown() override {
    SetCurrentDirectoryW(m_previous);
    ResolveSkinFolder();
    StringTable = m_savedTable;
    AppWindowTest::TearDown();
  }
  test_support::TempFolder m_root;
  wchar_t m_previous[MAX_PATH] = {};
  std::map<std::string, std::string> m_savedTable;
};

TEST_F(ConventionsTest, AWindowWrittenByTheConventionsIsBuiltTextedAndShadowed) {
  ExampleWnd window;
  HWND hwnd = window.Create(nullptr, L"示例", kDialogStyle, kWindowExStyle);
  ASSERT_NE(hwnd, nullptr);
  window.CenterWindow();
  EXPECT_EQ(FindWindowW(L"ExampleWnd", L"示例"), hwnd);

  EXPECT_EQ(window.Manager().FindControl(L"title")->GetText(), L"设置名称");
  EXPECT_EQ(static_cast<CEditUI*>(window.Manager().FindControl(L"name_edit"))->GetTipValue(), L"请输入名称");
  EXPECT_EQ(window.Manager().FindControl(L"name_edit")->GetText(), L"") << "the tip is not text";
  EXPECT_EQ(window.Manager().FindControl(L"save_btn")->GetText(), L"保存");
  EXPECT_EQ(window.Manager().FindControl(L"save_btn")->GetToolTip(), L"") << "a missing key gives an empty text";

  const LONG style = GetWindowLongW(hwnd, GWL_STYLE);
  EXPECT_EQ(style & WS_CAPTION, 0);
  EXPECT_EQ(style & (WS_CLIPSIBLINGS | WS_CLIPCHILDREN), WS_CLIPSIBLINGS | WS_CLIPCHILDREN);
  HWND shadow = window.Shadow().GetShadowWindow();
  ASSERT_TRUE(IsWindow(shadow));
  EXPECT_EQ(GetWindow(shadow, GW_OWNER), hwnd);
  EXPECT_EQ(window.Shadow().GetParams().size, 4);
  EXPECT_EQ(window.Shadow().GetParams().xOffset, 0);
  EXPECT_TRUE(window.Shadow().GetStatus() & CWndShadow::kShown);

  SendMessageW(hwnd, kRefreshMessage, 0, 0);
  EXPECT_EQ(window.refreshes, 1);
  Testing::PostToLoop([&] {
    Testing::Click(hwnd, L"save_btn");
    Testing::Click(hwnd, L"closebtn");
  });
  EXPECT_EQ(window.ShowModal(), static_cast<UINT>(IDOK));
  EXPECT_EQ(window.saves, 1);
  EXPECT_FALSE(IsWindow(shadow)) << "the shadow goes with its window";
}

// A file dialog may leave the working directory anywhere while the program
// runs: the skin, the language files and the sound stay where start-up found them.
TEST_F(ConventionsTest, SkinTextsAndSoundStayWhereStartUpFoundThemWhenTheWorkingDirectoryMoves) {
  const std::wstring skin = m_root / L"Mireloom\\skin";
  ASSERT_TRUE(SetCurrentDirectoryW(L"C:\\"));
  ExampleWnd window;
  HWND hwnd = window.Create(nullptr, L"示例", kDialogStyle, kWindowExStyle);
  ASSERT_NE(hwnd, nullptr) << "the skin was looked for under the new working directory";
  EXPECT_EQ(window.Manager().FindControl(L"save_btn")->GetText(), L"保存");
  DestroyWindow(hwnd);
  EXPECT_EQ(AnsiToWide(LanguageFileFor(3, 0)), skin + L"\\i18n\\english.xml");
  EXPECT_EQ(MessageSoundPath(), skin + L"\\sound\\knock_brush.wav");
}

TEST_F(ConventionsTest, ASidePanelTakesItsOpenersRectangleAndKeepsItsStyle) {
  const RECT placement = {50, 60, 370, 460};
  ExampleWnd window;
  window.sidePanel = &placement;
  HWND hwnd = window.Create(nullptr, L"示例", kDialogStyle, kWindowExStyle, 50, 60, 320, 400);
  ASSERT_NE(hwnd, nullptr);
  RECT rect = {};
  GetWindowRect(hwnd, &rect);
  EXPECT_EQ(rect.left, 50);
  EXPECT_EQ(rect.top, 60);
  EXPECT_EQ(rect.right - rect.left, 320) << "not the skin's 360";
  EXPECT_EQ(rect.bottom - rect.top, 400);
  EXPECT_EQ(static_cast<DWORD>(GetWindowLongW(hwnd, GWL_STYLE)) & WS_CAPTION, static_cast<DWORD>(WS_CAPTION));
  EXPECT_TRUE(IsWindow(window.Shadow().GetShadowWindow()));
  DestroyWindow(hwnd);
}

TEST_F(ConventionsTest, TheShadowHidesWhenMaximisedAndReturnsOnRestore) {
  ExampleWnd window;
  HWND hwnd = window.Create(nullptr, L"示例", kOverlappedStyle, kWindowExStyle);
  ASSERT_NE(hwnd, nullptr);
  HWND shadow = window.Shadow().GetShadowWindow();
  ASSERT_TRUE(IsWindowVisible(shadow));
  ShowWindow(hwnd, SW_MAXIMIZE);
  EXPECT_FALSE(IsWindowVisible(shadow));
  EXPECT_FALSE(window.Shadow().GetStatus() & CWndShadow::kShown);
  ShowWindow(hwnd, SW_RESTORE);
  EXPECT_TRUE(IsWindowVisible(shadow));
  EXPECT_TRUE(window.Shadow().GetStatus() & CWndShadow::kShown);
  // Following the window.
  SetWindowPos(hwnd, nullptr, 100, 120, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  RECT rc;
  GetWindowRect(shadow, &rc);
  EXPECT_EQ(rc.left, 96);
  EXPECT_EQ(rc.top, 116);
}

TEST_F(ConventionsTest, ShadowValuesOutsideTheirRangeChangeNothing) {
  EXPECT_FALSE(CWndShadow::Initialize(GetModuleHandleW(nullptr))) << "once per process";
  CWndShadow shadow;
  EXPECT_FALSE(shadow.SetSize(21));
  EXPECT_FALSE(shadow.SetPosition(0, -21));
  EXPECT_EQ(shadow.GetParams().size, 0);
  EXPECT_EQ(shadow.GetParams().yOffset, 5);
  EXPECT_TRUE(shadow.SetSize(-20));
  EXPECT_TRUE(shadow.SetPosition(20, -20));

  // On a shown tiny window a size of -20 leaves nothing to draw, safely.
  ExampleWnd window;
  HWND hwnd = window.Create(nullptr, L"tiny", kDialogStyle, kWindowExStyle);
  ASSERT_NE(hwnd, nullptr);
  SetWindowPos(hwnd, nullptr, 0, 0, 12, 9, SWP_NOMOVE | SWP_NOZORDER);
  EXPECT_TRUE(window.Shadow().SetSize(-20));
  EXPECT_TRUE(window.Shadow().SetPosition(-20, 20));
  Testing::PumpPending();
}

TEST_F(ConventionsTest, AShadowObjectDestroyedBeforeItsWindowDetachesFromIt) {
  ExampleWnd window;
  window.withShadow = false;
  HWND hwnd = window.Create(nullptr, L"示例", kDialogStyle, kWindowExStyle);
  auto shadow = std::make_unique<CWndShadow>();
  AttachShadow(*shadow, hwnd);
  HWND shadowWindow = shadow->GetShadowWindow();
  ASSERT_TRUE(IsWindow(shadowWindow));
  CWndShadow second;
  AttachShadow(second, hwnd);
  EXPECT_EQ(second.GetShadowWindow(), reinterpret_cast<HWND>(-1)) << "one shadow per window";
  shadow.reset();
  EXPECT_FALSE(IsWindow(shadowWindow));
  // The window still works and is destroyed without reaching the dead shadow.
  SetWindowPos(hwnd, nullptr, 0, 0, 300, 150, SWP_NOMOVE | SWP_NOZORDER);
  Testing::PumpPending();
  DestroyWindow(hwnd);
  EXPECT_FALSE(IsWindow(hwnd));
}

}  // namespace
