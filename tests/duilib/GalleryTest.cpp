// The gallery: every control of the framework in every state, laid out like
// a real window, checked and saved as "gallery.png" beside the test program.

#include <gtest/gtest.h>

#include <functional>

#include "support/TempFolder.h"
#include "TestWindow.h"
#include "WindowFixture.h"

namespace duilib_test {
namespace {

using namespace DuiLib;

std::wstring ReadSkin(const std::wstring& path) {
  const std::string bytes = test_support::ReadFileBytes(path);
  const int size = MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
  std::wstring text(static_cast<size_t>(size), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), text.data(), size);
  // Skip what comes before the root element: the builder takes text from its first "<".
  return text.substr(text.find(L"<Window"));
}

template <class Visit>
void Walk(CControlUI* control, Visit&& visit) {
  visit(control);
  for (int i = 0; i < control->GetChildCount(); ++i) Walk(control->GetChildAt(i), visit);
}

class GalleryTest : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    m_folder = test_support::SourcePath(L"tests/duilib/gallery");
    m_window = std::make_unique<TestWindow>(ReadSkin(m_folder + L"\\gallery.xml"), L"GalleryWnd");
    m_window->onInit = [this](TestWindow& self) { self.Manager().SetResourcePath(m_folder.c_str()); };
    m_hwnd = m_window->Create(nullptr, L"控件样式一览", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, 0);
    ASSERT_NE(m_hwnd, nullptr);
    // The picture shows the gallery at its designed size, which is larger
    // than this display's work area (a skin's own size is kept within it).
    SetWindowPos(m_hwnd, nullptr, 0, 0, 1400, 900, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    Testing::PumpPending();
  }
  void TearDown() override {
    m_window.reset();
    WindowTest::TearDown();
  }
  // Puts the controls into the states the picture shows, through real input.
  void ShowStates() {
    Testing::Hover(m_hwnd, L"btn_hot");
    const RECT& pressed = m_window->Find(L"btn_pressed")->GetPos();
    SendMessageW(m_hwnd, WM_LBUTTONDOWN, MK_LBUTTON,
                 MAKELPARAM((pressed.left + pressed.right) / 2, (pressed.top + pressed.bottom) / 2));
    m_window->Find(L"edit_focus")->SetFocus();
    m_window->FindAs<CContainerUI>(L"scroll_list", L"Container")->SetScrollPos({0, 24});
    m_window->FindAs<CContainerUI>(L"chip_strip", L"Container")->SetScrollPos({70, 0});
    m_window->FindAs<CListUI>(L"session_list", L"List")->SelectItem(0);
    auto* tree = m_window->FindAs<CTreeViewUI>(L"contacts_tree", L"TreeView");
    tree->SelectItem(tree->GetItemIndex(m_window->Find(L"member_anna")));
    Testing::PumpPending();
  }
  std::wstring m_folder;
  std::unique_ptr<TestWindow> m_window;
  HWND m_hwnd = nullptr;
};

TEST_F(GalleryTest, EveryTextFitsItsControlAndNothingSpillsOutOfItsParent) {
  std::vector<std::wstring> problems;
  Walk(m_window->Manager().GetRoot(), [&](CControlUI* control) {
    const RECT& rc = control->GetPos();
    // Hidden, or not shown here at all (a combo's entries show in its list).
    if (!control->IsVisible() || IsRectEmpty(&rc)) return;
    CControlUI* parent = control->GetParent();
    auto* scroller = parent ? static_cast<CContainerUI*>(parent->GetInterface(L"Container")) : nullptr;
    // Rows of a scrolling list leave it on purpose.
    if (parent && !control->IsFloat() && !(scroller && (scroller->IsVScrollEnabled() || scroller->IsHScrollEnabled()))) {
      const RECT& outer = parent->GetPos();
      if (rc.left < outer.left || rc.top < outer.top || rc.right > outer.right || rc.bottom > outer.bottom) {
        problems.push_back(L"outside its parent: " + Testing::Describe(control));
      }
    }
    auto* label = static_cast<CLabelUI*>(control->GetInterface(L"Label"));
    if (!label || control->GetInterface(L"Text") || (label->GetTextStyle() & DT_END_ELLIPSIS)) return;
    if (label->GetText().IsEmpty() || control->GetInterface(L"Edit")) return;
    // One line: the text's own width and the font's height must fit.
    CLabelUI probe;
    probe.SetFont(label->GetFont());
    probe.SetShowHtml(label->IsShowHtml());
    probe.SetText(label->GetText());
    probe.SetAutoCalcWidth(true);
    probe.SetManager(&m_window->Manager(), nullptr);
    const SIZE needed = probe.EstimateSize({9999, 9999});
    probe.SetManager(nullptr, nullptr);
    const RECT pad = label->GetTextPadding();
    const int room = rc.right - rc.left - pad.left - pad.right;
    const int lineHeight = m_window->Manager().GetFontInfo(label->GetFont())->tm.tmHeight;
    if (needed.cx > room || lineHeight > rc.bottom - rc.top) problems.push_back(L"text clipped: " + Testing::Describe(control));
  });
  for (const auto& problem : problems) {
    const int size = WideCharToMultiByte(CP_UTF8, 0, problem.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, problem.c_str(), -1, utf8.data(), size, nullptr, nullptr);
    ADD_FAILURE() << utf8;
  }
  EXPECT_TRUE(problems.empty());
}

TEST_F(GalleryTest, StatesArePaintedAndThePictureIsSaved) {
  ShowStates();
  HBITMAP shot = Testing::RenderWindow(m_hwnd);
  ASSERT_NE(shot, nullptr);
  auto pixelIn = [&](LPCTSTR name, int dx, int dy) {
    const RECT& rc = m_window->Find(name)->GetPos();
    return Testing::PixelAt(shot, rc.left + dx, rc.top + dy);
  };
  EXPECT_EQ(pixelIn(L"btn_primary", 6, 4), 0x2F6BFFu);
  EXPECT_EQ(pixelIn(L"btn_hot", 6, 4), 0x5A8CFFu) << "hot";
  EXPECT_EQ(pixelIn(L"btn_pressed", 6, 4), 0x1D4FC4u) << "pressed";
  EXPECT_EQ(pixelIn(L"nav_overview", 20, 4), 0xE8EFFFu) << "selected option";
  const DWORD check = pixelIn(L"chk_on", 12, 16);
  EXPECT_TRUE((check & 0xFF) > 0xF0 && (check >> 16) < 0x60) << std::hex << check << ": the check image is drawn";
  EXPECT_EQ(pixelIn(L"chk_off", 8, 12), 0xFFFFFFu);
  EXPECT_EQ(Testing::PixelAt(shot, 0, 0), 0xFFFFFFu) << "outside the round corner";
  auto* focused = m_window->FindAs<CEditUI>(L"edit_focus", L"Edit");
  EXPECT_TRUE(focused->IsFocused());
  EXPECT_TRUE(IsWindowVisible(focused->GetNativeWindow()));
  EXPECT_EQ(pixelIn(L"edit_focus", 20, 0), 0x2F6BFFu) << "focus border";
  EXPECT_EQ(pixelIn(L"session_general", 4, 26), 0xE8EFFFu) << "selected row";
  EXPECT_EQ(pixelIn(L"member_anna", 4, 15), 0xE8EFFFu) << "selected tree node";
  EXPECT_FALSE(m_window->Find(L"member_bob")->IsVisible()) << "under a collapsed node";
  auto inkIn = [&](const RECT& rc, auto&& wanted) {
    int count = 0;
    for (int x = rc.left; x < rc.right; ++x) {
      for (int y = rc.top; y < rc.bottom; ++y) count += wanted(Testing::PixelAt(shot, x, y)) ? 1 : 0;
    }
    return count;
  };
  RECT link;
  ASSERT_TRUE(m_window->FindAs<CLabelUI>(L"message_1_text", L"Label")->GetLinkRect(0, &link));
  EXPECT_GT(inkIn(link, [](DWORD p) { return (p >> 16) < 0x90 && (p & 0xFF) > 0xC0; }), 10) << "the link in the link colour";
  EXPECT_GT(inkIn(m_window->Find(L"switch_language_combo")->GetPos(), [](DWORD p) { return p < 0x606060; }), 20)
      << "the combo shows its entry";
  EXPECT_GT(inkIn(m_window->Find(L"chat_input")->GetPos(), [](DWORD p) { return p < 0xC0C0C0 && p > 0x808080; }), 20)
      << "the tip of the empty input";
  EXPECT_GT(inkIn(m_window->Find(L"typing_dots")->GetPos(), [](DWORD p) { return p < 0xE0E0E0; }), 4) << "the animation";
  DeleteObject(shot);
  EXPECT_TRUE(Testing::SaveWindowPng(m_hwnd, L"gallery.png"));
  // Let the press go without a click, so the picture's states leave nothing behind.
  SendMessageW(m_hwnd, WM_LBUTTONUP, 0, MAKELPARAM(1, 300));
}

TEST_F(GalleryTest, TheCaptionDragsExceptOverItsButtons) {
  auto hit = [this](int x, int y) {
    POINT pt = {x, y};
    ClientToScreen(m_hwnd, &pt);
    return SendMessageW(m_hwnd, WM_NCHITTEST, 0, MAKELPARAM(pt.x, pt.y));
  };
  const RECT& close = m_window->Find(L"closebtn")->GetPos();
  EXPECT_EQ(hit(300, 26), HTCAPTION);
  EXPECT_EQ(hit((close.left + close.right) / 2, (close.top + close.bottom) / 2), HTCLIENT);
}

}  // namespace
}  // namespace duilib_test
