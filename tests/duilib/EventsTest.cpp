// Mouse, keyboard and focus input, and the notifications they raise.

#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>

#include "TestWindow.h"
#include "WindowFixture.h"

namespace duilib_test {
namespace {

using namespace DuiLib;
using Testing::NotifyRecorder;
using Lines = std::vector<std::wstring>;

LPARAM At(POINT pt) { return MAKELPARAM(pt.x, pt.y); }
POINT Centre(CControlUI* control) {
  const RECT& rc = control->GetPos();
  return POINT{(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2};
}

const wchar_t kButtons[] = LR"(<VerticalLayout>
    <Button name="a" text="A" height="30"/>
    <Button name="b" text="B" height="30"/>
    <Button name="off" text="off" height="30" enabled="false"/>
    <Button name="gone" text="gone" height="30" visible="false"/>
    <Button name="kb" text="kb" height="30" keyboard="true" tooltip="提示&#10;第二行"/>
  </VerticalLayout>)";

using ClickTest = WindowTest;

TEST_F(ClickTest, ClickOnlyWhenReleasedOverTheControlThatTookThePress) {
  TestWindow window(Skin(kButtons));
  HWND hwnd = window.CreatePopup();
  ASSERT_NE(hwnd, nullptr);
  NotifyRecorder recorder(hwnd);
  Testing::PumpPending();
  const POINT a = Centre(window.Find(L"a"));
  const POINT b = Centre(window.Find(L"b"));

  SendMessageW(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, At(a));
  SendMessageW(hwnd, WM_MOUSEMOVE, MK_LBUTTON, At(b));
  EXPECT_FALSE(static_cast<CButtonUI*>(window.Find(L"a"))->IsPushed()) << "dragged off, the button pops up";
  SendMessageW(hwnd, WM_LBUTTONUP, 0, At(b));
  EXPECT_EQ(recorder.Count(L"click"), 0u);

  SendMessageW(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, At(a));
  window.Find(L"a")->SetEnabled(false);  // cancelled while pressed
  SendMessageW(hwnd, WM_LBUTTONUP, 0, At(a));
  EXPECT_EQ(recorder.Count(L"click"), 0u);
  window.Find(L"a")->SetEnabled(true);

  ASSERT_TRUE(Testing::Click(hwnd, L"a"));
  ASSERT_TRUE(Testing::DoubleClick(hwnd, L"b"));
  EXPECT_EQ(recorder.Summary(), (Lines{L"click:a", L"click:b", L"click:b"})) << "a double-click gives two clicks";
}

TEST_F(ClickTest, DisabledControlsTakeHitsButRaiseNothingInvisibleOnesCannotBeHit) {
  TestWindow window(Skin(kButtons));
  HWND hwnd = window.CreatePopup();
  NotifyRecorder recorder(hwnd);
  Testing::PumpPending();
  CControlUI* off = window.Find(L"off");
  EXPECT_EQ(window.Manager().FindControl(Centre(off)), off);
  EXPECT_TRUE(Testing::Click(hwnd, L"off"));
  EXPECT_FALSE(Testing::Click(hwnd, L"gone"));
  EXPECT_EQ(recorder.Count(L"click"), 0u);
  auto* button = static_cast<CButtonUI*>(window.Find(L"a"));
  EXPECT_TRUE(button->Activate());
  EXPECT_FALSE(static_cast<CButtonUI*>(off)->Activate());
  EXPECT_EQ(recorder.Summary(), (Lines{L"click:a"}));
}

// A row that records the mouse presses that reach it.
class RecordingRow : public CHorizontalLayoutUI {
 public:
  void DoEvent(TEventUI& event) override {
    if (event.Type == UIEVENT_BUTTONDOWN) presses.push_back(event.pSender ? event.pSender->GetName().str() : L"");
    CHorizontalLayoutUI::DoEvent(event);
  }
  std::vector<std::wstring> presses;
};

TEST_F(ClickTest, EventsAControlDoesNotUseBubbleToItsRow) {
  TestWindow window(Skin(LR"(<VerticalLayout>
      <Row name="row" height="40"><Label name="avatar" width="40" mouse="false"/><Label name="title"/><Button name="btn" width="40"/></Row>
      <HorizontalLayout name="sealed" height="40" mousechild="false"><Button name="inner"/></HorizontalLayout>
    </VerticalLayout>)"));
  RecordingRow* row = nullptr;
  window.onCreateControl = [&row](LPCTSTR cls) -> CControlUI* {
    if (std::wstring(cls) != L"Row") return nullptr;
    return row = new RecordingRow;
  };
  HWND hwnd = window.CreatePopup();
  NotifyRecorder recorder(hwnd);
  ASSERT_NE(row, nullptr);
  Testing::PumpPending();
  EXPECT_EQ(window.Manager().FindControl(Centre(window.Find(L"avatar"))), row) << "mouse-disabled: transparent to hits";
  Testing::Click(hwnd, L"avatar");
  Testing::Click(hwnd, L"title");
  Testing::Click(hwnd, L"btn");
  EXPECT_EQ(row->presses, (Lines{L"row", L"title"})) << "the button used its press";
  EXPECT_EQ(window.Manager().FindControl(Centre(window.Find(L"inner"))), window.Find(L"sealed"));
  Testing::Click(hwnd, L"inner");
  EXPECT_EQ(recorder.Summary(), (Lines{L"click:btn"}));
}

using OptionTest = WindowTest;

const wchar_t kOptions[] = LR"(<VerticalLayout>
    <Option name="tab1" group="tabs" selected="true" height="30"/>
    <Option name="tab2" group="tabs" height="30"/>
    <Option name="tab3" group="tabs" height="30"/>
    <CheckBox name="chk" height="30"/>
    <Option name="other" group="elsewhere" selected="true" height="30"/>
  </VerticalLayout>)";

TEST_F(OptionTest, AClickTogglesThenRaisesSelectChangedThenClick) {
  TestWindow window(Skin(kOptions));
  std::vector<bool> selectedAtClick;
  window.onNotify = [&](TestWindow& self, TNotifyUI& msg) {
    if (msg.sType == L"click") selectedAtClick.push_back(static_cast<COptionUI*>(msg.pSender)->IsSelected());
    return false;
  };
  HWND hwnd = window.CreatePopup();
  NotifyRecorder recorder(hwnd);
  auto* tab1 = window.FindAs<COptionUI>(L"tab1", L"Option");
  auto* tab2 = window.FindAs<COptionUI>(L"tab2", L"Option");
  auto* chk = window.FindAs<CCheckBoxUI>(L"chk", L"CheckBox");

  Testing::Click(hwnd, L"tab2");
  EXPECT_EQ(recorder.Summary(), (Lines{L"selectchanged:tab1", L"selectchanged:tab2", L"click:tab2"}));
  EXPECT_FALSE(tab1->IsSelected());
  EXPECT_TRUE(tab2->IsSelected());
  EXPECT_TRUE(window.FindAs<COptionUI>(L"other", L"Option")->IsSelected()) << "other groups are untouched";

  recorder.Clear();
  Testing::Click(hwnd, L"tab2");
  EXPECT_EQ(recorder.Summary(), (Lines{L"click:tab2"})) << "the chosen radio stays chosen";

  recorder.Clear();
  Testing::Click(hwnd, L"chk");
  Testing::Click(hwnd, L"chk");
  EXPECT_EQ(recorder.Summary(), (Lines{L"selectchanged:chk", L"click:chk", L"selectchanged:chk", L"click:chk"}));
  EXPECT_FALSE(chk->GetCheck());
  EXPECT_EQ(selectedAtClick, (std::vector<bool>{true, true, true, false}));
}

TEST_F(OptionTest, CodeSelectsSilentlyUnlessAskedAndThenEvenWhenHidden) {
  TestWindow window(Skin(kOptions));
  HWND hwnd = window.CreatePopup();
  NotifyRecorder recorder(hwnd);
  auto* tab3 = window.FindAs<COptionUI>(L"tab3", L"Option");
  tab3->Selected(true);
  EXPECT_TRUE(recorder.Records().empty());
  EXPECT_FALSE(window.FindAs<COptionUI>(L"tab1", L"Option")->IsSelected());

  tab3->SetVisible(false);
  window.FindAs<COptionUI>(L"tab2", L"Option")->Selected(true, true);
  EXPECT_EQ(recorder.Summary(), (Lines{L"selectchanged:tab3", L"selectchanged:tab2"}));
  recorder.Clear();
  window.FindAs<CCheckBoxUI>(L"chk", L"CheckBox")->SetCheck(true);
  EXPECT_TRUE(recorder.Records().empty());
}

TEST_F(OptionTest, AnOptionRemovedBySelectChangedRaisesNoClick) {
  TestWindow window(Skin(kOptions));
  window.onNotify = [](TestWindow& self, TNotifyUI& msg) {
    if (msg.sType == L"selectchanged" && msg.pSender->GetName() == L"chk") {
      auto* parent = static_cast<CContainerUI*>(msg.pSender->GetParent());
      parent->Remove(msg.pSender);
    }
    return false;
  };
  HWND hwnd = window.CreatePopup();
  NotifyRecorder recorder(hwnd);
  Testing::Click(hwnd, L"chk");
  EXPECT_EQ(recorder.Summary(), (Lines{L"selectchanged:chk"}));
  EXPECT_EQ(window.Find(L"chk"), nullptr);
}

using KeyboardTest = WindowTest;

// Counts the key messages that reach a native child window.
class KeySpy {
 public:
  explicit KeySpy(HWND child) : m_child(child) {
    s_spy = this;
    m_previous = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(child, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(Proc)));
  }
  ~KeySpy() {
    if (IsWindow(m_child)) SetWindowLongPtrW(m_child, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_previous));
    s_spy = nullptr;
  }
  int keys = 0;

 private:
  static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM w, LPARAM l) {
    if (msg == WM_KEYDOWN || msg == WM_CHAR) ++s_spy->keys;
    return CallWindowProcW(s_spy->m_previous, hwnd, msg, w, l);
  }
  static inline KeySpy* s_spy = nullptr;
  HWND m_child;
  WNDPROC m_previous;
};

const wchar_t kForm[] = LR"(<VerticalLayout>
    <Edit name="edit1" height="30" tipvalue="用户名"/>
    <Edit name="edit2" height="30" password="true"/>
    <Button name="kb" height="30" keyboard="true"/>
    <Button name="plain" height="30"/>
  </VerticalLayout>)";

TEST_F(KeyboardTest, CtrlASelectsEverythingInEditsAndRichEdits) {
  TestWindow window(Skin(LR"(<VerticalLayout>
      <Edit name="edit1" height="30"/>
      <RichEdit name="rich" height="60" multiline="true"/>
    </VerticalLayout>)"));
  HWND hwnd = window.CreatePopup();
  for (const wchar_t* name : {L"edit1", L"rich"}) {
    ASSERT_TRUE(Testing::TypeText(hwnd, name, L"第一 second"));
    CControlUI* control = window.Find(name);
    HWND child = control->GetInterface(L"Edit") ? window.FindAs<CEditUI>(name, L"Edit")->GetNativeWindow()
                                               : window.FindAs<CRichEditUI>(name, L"RichEdit")->GetNativeWindow();
    ASSERT_NE(child, nullptr) << name;
    SendMessageW(child, EM_SETSEL, 3, 3);
    Testing::PressKey(child, 'A', /*shift=*/false, /*ctrl=*/true);
    DWORD start = 99, end = 0;
    SendMessageW(child, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    EXPECT_EQ(start, 0u) << name;
    EXPECT_GE(end, 9u) << name;  // a rich edit counts its final paragraph mark too
    EXPECT_EQ(control->GetText(), L"第一 second") << "no character was typed";
  }
}

TEST_F(KeyboardTest, EnterConsumedByTheWindowGivesNothingPassedOnGivesReturnOnly) {
  TestWindow window(Skin(kForm));
  bool consumeEnter = true;
  int enterSeen = 0;
  window.onMessage = [&](TestWindow&, UINT msg, WPARAM w, LPARAM, bool& handled) -> LRESULT {
    if (msg == WM_KEYDOWN && w == VK_RETURN) {
      ++enterSeen;
      handled = consumeEnter;
    }
    return 0;
  };
  HWND hwnd = window.CreatePopup();
  ASSERT_TRUE(Testing::TypeText(hwnd, L"edit1", L"ab"));
  auto* edit = window.FindAs<CEditUI>(L"edit1", L"Edit");
  HWND child = edit->GetNativeWindow();
  ASSERT_NE(child, nullptr);
  NotifyRecorder recorder(hwnd);
  KeySpy spy(child);

  Testing::PressKey(child, VK_RETURN);
  EXPECT_EQ(enterSeen, 1);
  EXPECT_TRUE(recorder.Records().empty());
  EXPECT_EQ(spy.keys, 0) << "consumed: not translated, nothing reaches the edit";

  consumeEnter = false;
  Testing::PressKey(child, VK_RETURN);
  EXPECT_EQ(enterSeen, 2);
  EXPECT_EQ(recorder.Summary(), (Lines{L"return:edit1"}));
  EXPECT_EQ(spy.keys, 0);
  EXPECT_EQ(edit->GetText(), L"ab");

  recorder.Clear();
  Testing::PressKey(child, 'C');
  EXPECT_EQ(spy.keys, 2) << "other keys go on to the edit as typing";
  EXPECT_EQ(edit->GetText(), L"abc");
  EXPECT_EQ(recorder.Summary(), (Lines{L"textchanged:edit1"}));
}

TEST_F(KeyboardTest, TextChangesComeFromTheUserOnlyAndTheTipIsNeverText) {
  TestWindow window(Skin(kForm));
  HWND hwnd = window.CreatePopup();
  NotifyRecorder recorder(hwnd);
  auto* edit = window.FindAs<CEditUI>(L"edit1", L"Edit");
  EXPECT_EQ(edit->GetText(), L"");
  EXPECT_EQ(edit->GetTipValue(), L"用户名");
  edit->SetText(L"code");
  edit->SetTipValue(L"other tip");
  EXPECT_TRUE(recorder.Records().empty());
  edit->SetText(L"");
  ASSERT_TRUE(Testing::TypeText(hwnd, L"edit1", L"中文"));
  EXPECT_EQ(edit->GetText(), L"中文");
  EXPECT_EQ(recorder.Count(L"textchanged"), 2u);
  EXPECT_EQ(recorder.Count(L"setfocus"), 1u);
  auto* password = window.FindAs<CEditUI>(L"edit2", L"Edit");
  password->SetText(L"secret");
  EXPECT_EQ(password->GetText(), L"secret");
}

TEST_F(KeyboardTest, FocusMovesWithClicksKillFocusFirstAndStaysWhenTheClickedControlTakesNoKeyboard) {
  TestWindow window(Skin(kForm));
  HWND hwnd = window.CreatePopup();
  NotifyRecorder recorder(hwnd);
  Testing::Click(hwnd, L"edit1");
  Testing::Click(hwnd, L"edit2");
  auto* edit2 = window.FindAs<CEditUI>(L"edit2", L"Edit");
  EXPECT_TRUE(edit2->IsFocused());
  EXPECT_EQ(GetFocus(), edit2->GetNativeWindow());
  Testing::Click(hwnd, L"plain");
  EXPECT_EQ(recorder.Summary(), (Lines{L"setfocus:edit1", L"killfocus:edit1", L"setfocus:edit2", L"click:plain"}));
  EXPECT_TRUE(edit2->IsFocused()) << "a control that takes no keyboard leaves the caret where it is";
  EXPECT_EQ(GetFocus(), edit2->GetNativeWindow());
  Testing::Click(hwnd, L"kb");
  EXPECT_EQ(window.Manager().GetFocus(), window.Find(L"kb"));
  EXPECT_EQ(GetFocus(), hwnd) << "windowless controls keep the keyboard on the window";
}

TEST_F(KeyboardTest, TabCyclesFocusableControlsAndSpaceOrEnterClicksAFocusedButton) {
  TestWindow window(Skin(kForm));
  HWND hwnd = window.CreatePopup();
  SetFocus(hwnd);
  NotifyRecorder recorder(hwnd);
  CPaintManagerUI& manager = window.Manager();
  Testing::PressKey(hwnd, VK_TAB);
  EXPECT_EQ(manager.GetFocus(), window.Find(L"edit1"));
  Testing::PressKey(GetFocus(), VK_TAB);
  EXPECT_EQ(manager.GetFocus(), window.Find(L"edit2"));
  Testing::PressKey(GetFocus(), VK_TAB);
  EXPECT_EQ(manager.GetFocus(), window.Find(L"kb")) << "a keyboard button; the plain one is skipped";
  EXPECT_EQ(GetFocus(), hwnd);
  Testing::PressKey(hwnd, VK_SPACE);
  Testing::PressKey(hwnd, VK_RETURN);
  EXPECT_EQ(recorder.Count(L"click"), 2u);
  Testing::PressKey(hwnd, VK_TAB, /*shift=*/true);
  EXPECT_EQ(manager.GetFocus(), window.Find(L"edit2"));
  Testing::PressKey(GetFocus(), VK_TAB);
  Testing::PressKey(hwnd, VK_TAB);
  EXPECT_EQ(manager.GetFocus(), window.Find(L"edit1")) << "wraps around";
}

TEST_F(KeyboardTest, HidingOrDisablingTheFocusedControlGivesTheFocusToTheWindow) {
  TestWindow window(Skin(kForm));
  HWND hwnd = window.CreatePopup();
  Testing::Click(hwnd, L"edit1");
  auto* edit = window.FindAs<CEditUI>(L"edit1", L"Edit");
  ASSERT_EQ(GetFocus(), edit->GetNativeWindow());
  edit->SetVisible(false);
  EXPECT_EQ(window.Manager().GetFocus(), nullptr);
  EXPECT_EQ(GetFocus(), hwnd);
  EXPECT_FALSE(IsWindowVisible(edit->GetNativeWindow()));

  Testing::PressKey(hwnd, VK_TAB);
  Testing::PressKey(GetFocus(), VK_TAB);
  ASSERT_EQ(window.Manager().GetFocus(), window.Find(L"kb"));
  static_cast<CContainerUI*>(window.Find(L"kb")->GetParent())->SetEnabled(false);
  EXPECT_EQ(window.Manager().GetFocus(), nullptr) << "a disabled ancestor counts";
}

TEST_F(KeyboardTest, EditLimitsReadOnlyAndPasswordReachTheNativeEdit) {
  TestWindow window(Skin(LR"(<VerticalLayout>
      <Edit name="short" height="30" maxchar="3"/>
      <Edit name="fixed" height="30" readonly="true" text="固定"/>
      <Edit name="secret" height="30" password="true"/>
    </VerticalLayout>)"));
  HWND hwnd = window.CreatePopup();
  Testing::TypeText(hwnd, L"short", L"abcd");
  EXPECT_EQ(window.Find(L"short")->GetText(), L"abc");
  Testing::TypeText(hwnd, L"fixed", L"x");
  EXPECT_EQ(window.Find(L"fixed")->GetText(), L"固定");
  Testing::TypeText(hwnd, L"secret", L"pw");
  auto* secret = window.FindAs<CEditUI>(L"secret", L"Edit");
  EXPECT_EQ(secret->GetText(), L"pw");
  EXPECT_TRUE(GetWindowLongW(secret->GetNativeWindow(), GWL_STYLE) & ES_PASSWORD);
  secret->SetSel(0, -1);
  DWORD from = 0, to = 0;
  SendMessageW(secret->GetNativeWindow(), EM_GETSEL, reinterpret_cast<WPARAM>(&from), reinterpret_cast<LPARAM>(&to));
  EXPECT_EQ(to, 2u);
}

TEST_F(KeyboardTest, AHostedEditFollowsScrollingAndHidesWithItsAncestors) {
  TestWindow window(Skin(LR"(<VerticalLayout name="list" vscrollbar="true" vscrollbarstyle="width=&quot;0&quot;">
      <Edit name="edit" height="30" text="在列表里"/>
      <Control height="400"/>
    </VerticalLayout>)", L"size=\"200,200\""));
  HWND hwnd = window.CreatePopup();
  Testing::PumpPending();
  auto* edit = window.FindAs<CEditUI>(L"edit", L"Edit");
  HWND child = edit->GetNativeWindow();
  ASSERT_NE(child, nullptr);
  RECT before, after;
  GetWindowRect(child, &before);
  window.FindAs<CContainerUI>(L"list", L"Container")->SetScrollPos({0, 10});
  GetWindowRect(child, &after);
  EXPECT_EQ(after.top, before.top - 10) << "the text moves with the list";
  HRGN shape = CreateRectRgn(0, 0, 0, 0);
  ASSERT_NE(GetWindowRgn(child, shape), ERROR) << "the part above the list is cut off";
  RECT visible;
  GetRgnBox(shape, &visible);
  DeleteObject(shape);
  EXPECT_EQ(visible.top, 4);
  Testing::Wheel(hwnd, L"list", -1);
  EXPECT_FALSE(IsWindowVisible(child)) << "scrolled out of view";
  window.FindAs<CContainerUI>(L"list", L"Container")->SetScrollPos({0, 0});
  EXPECT_TRUE(IsWindowVisible(child));
  window.Find(L"list")->SetVisible(false);
  EXPECT_FALSE(IsWindowVisible(child)) << "hidden with its ancestor";
}

using WheelTest = WindowTest;

TEST_F(WheelTest, ScrollIsRaisedOnlyForUserInputThatMoves) {
  std::wstring rows;
  for (int i = 0; i < 10; ++i) rows += L"<Control name=\"row" + std::to_wstring(i) + L"\" height=\"50\"/>";
  TestWindow window(Skin(L"<VerticalLayout name=\"list\" vscrollbar=\"true\">" + rows + L"</VerticalLayout>",
                         L"size=\"200,200\""));
  HWND hwnd = window.CreatePopup();
  NotifyRecorder recorder(hwnd);
  auto* list = window.FindAs<CContainerUI>(L"list", L"Container");
  Testing::Wheel(hwnd, L"row0", 1);
  EXPECT_TRUE(recorder.Records().empty()) << "at the top a notch up moves nothing";
  Testing::Wheel(hwnd, L"row0", -1);
  ASSERT_EQ(recorder.Records().size(), 1u);
  EXPECT_EQ(recorder.Records()[0].type, L"scroll");
  EXPECT_EQ(recorder.Records()[0].wParam, 60u) << "one notch is three steps of 20";
  EXPECT_EQ(list->GetScrollPos().cy, 60);
  list->SetScrollPos({0, 100});
  list->EndDown();
  list->HomeUp();
  list->RemoveAll();
  EXPECT_EQ(recorder.Records().size(), 1u);
}

TEST_F(WheelTest, TheInnermostContainerThatCanMoveTakesTheWheel) {
  TestWindow window(Skin(LR"(<VerticalLayout name="outer" vscrollbar="true">
      <VerticalLayout name="inner" height="100" vscrollbar="true"><Control name="cell" height="150"/></VerticalLayout>
      <Control height="300"/>
    </VerticalLayout>)", L"size=\"200,200\""));
  HWND hwnd = window.CreatePopup();
  NotifyRecorder recorder(hwnd);
  Testing::Wheel(hwnd, L"cell", -1);
  Testing::Wheel(hwnd, L"inner", -1);
  EXPECT_EQ(recorder.Summary(), (Lines{L"scroll:inner", L"scroll:outer"}));
  EXPECT_EQ(window.FindAs<CContainerUI>(L"inner", L"Container")->GetScrollPos().cy, 50);
}

TEST_F(WheelTest, DraggingTheThumbAndPageClicksScroll) {
  std::wstring rows;
  for (int i = 0; i < 20; ++i) rows += L"<Control height=\"50\"/>";
  TestWindow window(Skin(L"<VerticalLayout name=\"list\" vscrollbar=\"true\" vscrollbarstyle=\"width=&quot;10&quot;\">" +
                         rows + L"</VerticalLayout>", L"size=\"200,200\""));
  HWND hwnd = window.CreatePopup();
  NotifyRecorder recorder(hwnd);
  auto* list = window.FindAs<CContainerUI>(L"list", L"Container");
  Testing::PumpPending();
  ASSERT_EQ(list->GetScrollRange().cy, 800);
  // The thumb is 200 * 200 / 1000 = 40 high at the top of the bar at x 190..200.
  SendMessageW(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(195, 10));
  SendMessageW(hwnd, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(195, 90));
  SendMessageW(hwnd, WM_LBUTTONUP, 0, MAKELPARAM(195, 90));
  EXPECT_EQ(list->GetScrollPos().cy, 400);
  Testing::ClickAt(hwnd, POINT{195, 195});
  EXPECT_EQ(list->GetScrollPos().cy, 600) << "a click below the thumb pages down";
  EXPECT_EQ(recorder.Count(L"scroll"), 2u);
}

using NotifyTest = WindowTest;

TEST_F(NotifyTest, NotificationsRaisedInInitWindowAreDelivered) {
  TestWindow window(Skin(kOptions));
  std::vector<std::wstring> seen;
  window.onInit = [](TestWindow& self) {
    EXPECT_FALSE(IsWindowVisible(self.GetHWND())) << "InitWindow runs inside WM_CREATE";
    self.FindAs<COptionUI>(L"tab3", L"Option")->Selected(true, true);
  };
  window.onNotify = [&seen](TestWindow&, TNotifyUI& msg) {
    seen.push_back(msg.sType.str() + L":" + msg.pSender->GetName().str());
    return false;
  };
  ASSERT_NE(window.CreatePopup(), nullptr);
  EXPECT_EQ(seen, (Lines{L"selectchanged:tab1", L"selectchanged:tab3"}));
}

TEST_F(NotifyTest, AsynchronousRecordsKeepTheirOrderAndDropRemovedSenders) {
  TestWindow window(Skin(kButtons));
  HWND hwnd = window.CreatePopup();
  NotifyRecorder recorder(hwnd);
  CPaintManagerUI& manager = window.Manager();
  manager.SendNotify(window.Find(L"a"), L"first", 0, 0, true);
  manager.SendNotify(window.Find(L"b"), L"dropped", 0, 0, true);
  manager.SendNotify(window.Find(L"a"), L"second", 0, 0, true);
  EXPECT_TRUE(recorder.Records().empty());
  static_cast<CContainerUI*>(window.Find(L"b")->GetParent())->Remove(window.Find(L"b"));
  Testing::PumpPending();
  EXPECT_EQ(recorder.Summary(), (Lines{L"first:a", L"second:a"}));
  EXPECT_TRUE(Testing::RaiseNotify(hwnd, L"kb", L"custom", 7, 9));
  EXPECT_FALSE(Testing::RaiseNotify(hwnd, L"nobody", L"custom"));
  ASSERT_EQ(recorder.Records().size(), 3u);
  EXPECT_EQ(recorder.Records()[2].wParam, 7u);
  EXPECT_EQ(recorder.Records()[2].lParam, 9);
}

TEST_F(NotifyTest, TheBaseActsOnAClickOncePerRecordAndOnlyOnItsOwnNames) {
  TestWindow window(Skin(LR"(<HorizontalLayout><Button name="minbtn"/><Button name="close_btn"/><Button name="closeBtn"/></HorizontalLayout>)"));
  int minimise = 0, closes = 0;
  window.onMessage = [&](TestWindow&, UINT msg, WPARAM w, LPARAM, bool& handled) -> LRESULT {
    if (msg == WM_SYSCOMMAND && (w & 0xFFF0) == SC_MINIMIZE) {
      ++minimise;
      handled = true;
    }
    if (msg == WM_CLOSE) ++closes;
    return 0;
  };
  // Like a window that sends unhandled clicks to the base OnClick, then
  // every record to the base Notify.
  window.onNotify = [](TestWindow& self, TNotifyUI& msg) {
    if (msg.sType == L"click") self.WindowImplBase::OnClick(msg);
    return false;
  };
  HWND hwnd = window.CreatePopup();
  Testing::Click(hwnd, L"minbtn");
  Testing::Click(hwnd, L"close_btn");
  Testing::Click(hwnd, L"closeBtn");
  Testing::PumpPending();
  EXPECT_EQ(minimise, 1);
  EXPECT_EQ(closes, 0);
  EXPECT_TRUE(IsWindow(hwnd));
}

TEST_F(NotifyTest, ARecordForwardedToAnotherWindowRunsItsNotifyBeforeTheNextStatement) {
  TestWindow owner(Skin(kButtons), L"DuiOwner");
  TestWindow menu(Skin(kButtons), L"DuiMenu");
  std::vector<std::wstring> order;
  POINT seenPoint = {};
  owner.onNotify = [&](TestWindow&, TNotifyUI& msg) {
    if (msg.sType == L"itemclick") {
      order.push_back(L"owner:" + msg.pSender->GetName().str());
      seenPoint = msg.ptMouse;
    }
    return false;
  };
  HWND ownerWindow = owner.CreatePopup();
  menu.onNotify = [&](TestWindow& self, TNotifyUI& msg) {
    if (msg.sType != L"click") return false;
    TNotifyUI forwarded = msg;
    forwarded.sType = L"itemclick";
    owner.Manager().SendNotify(forwarded, false);
    order.push_back(L"menu:after");
    DestroyWindow(self.GetHWND());  // the menu goes; the record's sender stays readable
    return false;
  };
  HWND menuWindow = menu.CreatePopup(ownerWindow);
  Testing::NotifyRecorder everything;  // process-wide
  POINT menuPoint = {};
  {
    const RECT& rc = menu.Find(L"b")->GetPos();
    menuPoint = POINT{(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2};
  }
  Testing::Click(menuWindow, L"b");
  EXPECT_EQ(order, (Lines{L"owner:b", L"menu:after"}));
  EXPECT_EQ(seenPoint.x, menuPoint.x) << "the forwarded record keeps the menu's point";
  EXPECT_EQ(everything.Summary(), (Lines{L"click:b", L"itemclick:b"}));
  EXPECT_FALSE(IsWindow(menuWindow));
}

TEST_F(NotifyTest, EscapeAndEnterDoNotCloseTheSystemCloseDoes) {
  TestWindow window(Skin(kButtons));
  HWND hwnd = window.CreatePopup(nullptr, WS_POPUP | WS_VISIBLE | WS_SYSMENU);
  SetFocus(hwnd);
  Testing::PressKey(hwnd, VK_ESCAPE);
  Testing::PressKey(hwnd, VK_RETURN);
  Testing::PumpPending();
  EXPECT_TRUE(IsWindow(hwnd));
  SendMessageW(hwnd, WM_SYSCOMMAND, SC_CLOSE, 0);  // what Alt+F4 sends
  Testing::PumpPending();
  EXPECT_FALSE(IsWindow(hwnd));
  EXPECT_EQ(window.finalCount, 1);
}

TEST_F(NotifyTest, TooltipsShowOnHoverAndHideOnLeaveOrPress) {
  TestWindow window(Skin(kButtons));
  HWND hwnd = window.CreatePopup();
  CPaintManagerUI& manager = window.Manager();
  ASSERT_TRUE(Testing::Hover(hwnd, L"kb"));
  EXPECT_EQ(manager.GetCurrentToolTip(), L"提示\n第二行");
  Testing::Leave(hwnd);
  EXPECT_EQ(manager.GetCurrentToolTip(), L"");
  Testing::Hover(hwnd, L"kb");
  Testing::Click(hwnd, L"kb");
  EXPECT_EQ(manager.GetCurrentToolTip(), L"");
  Testing::Hover(hwnd, L"a");
  EXPECT_EQ(manager.GetCurrentToolTip(), L"") << "no tip without a tooltip";
}

TEST_F(NotifyTest, ATooltipGoesWhenItsControlScrollsAwayOrTheWindowIsResized) {
  TestWindow window(Skin(LR"(<VerticalLayout>
      <VerticalLayout name="list" height="60" vscrollbar="true">
        <Button name="first" height="30" tooltip="first"/><Button name="second" height="30" tooltip="second"/>
        <Button name="third" height="30" tooltip="third"/><Button name="fourth" height="30"/>
      </VerticalLayout>
      <Control/>
      <Button name="bottom" height="30" tooltip="bottom"/>
    </VerticalLayout>)"));
  HWND hwnd = window.CreatePopup();
  CPaintManagerUI& manager = window.Manager();
  const auto centre = [&](const wchar_t* name) {
    const RECT box = window.Find(name)->GetPos();
    return POINT{(box.left + box.right) / 2, (box.top + box.bottom) / 2};
  };
  // The pointer rests where it is: the hover notice that tracking posts.
  const auto rest = [&](POINT pt) { SendMessageW(hwnd, WM_MOUSEHOVER, 0, MAKELPARAM(pt.x, pt.y)); };

  ASSERT_TRUE(Testing::Hover(hwnd, L"first"));
  const POINT pointer = centre(L"first");
  ASSERT_EQ(manager.GetCurrentToolTip(), L"first");
  ASSERT_TRUE(Testing::Wheel(hwnd, L"list", -1));
  CControlUI* under = manager.FindControl(pointer);
  ASSERT_NE(under, window.Find(L"first")) << "the wheel scrolled the list";
  EXPECT_EQ(manager.GetCurrentToolTip(), L"") << "its control scrolled away";
  rest(pointer);
  EXPECT_EQ(manager.GetCurrentToolTip(), under->GetToolTip()) << "the tip of the control under the pointer now";

  ASSERT_TRUE(Testing::Hover(hwnd, L"bottom"));
  const POINT above = centre(L"bottom");
  ASSERT_EQ(manager.GetCurrentToolTip(), L"bottom");
  RECT frame = {};
  GetWindowRect(hwnd, &frame);
  SetWindowPos(hwnd, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top + 100, SWP_NOMOVE | SWP_NOZORDER);
  EXPECT_EQ(manager.GetCurrentToolTip(), L"") << "a new size hides it";
  ASSERT_NE(manager.FindControl(above), window.Find(L"bottom")) << "its control moved down";
  rest(above);
  EXPECT_EQ(manager.GetCurrentToolTip(), L"") << "and nothing under the pointer has a tip";
}

// The tip control a window's tooltips show in.
HWND ToolTipWindowOf(HWND owner) {
  struct Search {
    HWND owner;
    HWND found;
  } search = {owner, nullptr};
  EnumThreadWindows(
      GetCurrentThreadId(),
      [](HWND window, LPARAM param) -> BOOL {
        auto* search = reinterpret_cast<Search*>(param);
        wchar_t name[64] = {};
        GetClassNameW(window, name, 64);
        if (wcscmp(name, TOOLTIPS_CLASSW) != 0 || GetWindow(window, GW_OWNER) != search->owner) return TRUE;
        search->found = window;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

TEST_F(NotifyTest, ATooltipGoesWhenItsWindowMovesComesBackOnlyWithThePointerAndGoesAfterItsShowTime) {
  TestWindow window(Skin(LR"(<VerticalLayout><Button name="tip" height="60" tooltip="tip"/></VerticalLayout>)"));
  HWND hwnd = window.CreatePopup();
  CPaintManagerUI& manager = window.Manager();
  // The pointer itself rests on the button, as the system reports it after a move.
  POINT pointer = Centre(window.Find(L"tip"));
  ClientToScreen(hwnd, &pointer);
  SetCursorPos(pointer.x, pointer.y);
  const auto restHere = [&] {
    POINT client = pointer;
    ScreenToClient(hwnd, &client);
    SendMessageW(hwnd, WM_MOUSEMOVE, 0, At(client));
    SendMessageW(hwnd, WM_MOUSEHOVER, 0, At(client));
  };
  restHere();
  ASSERT_EQ(manager.GetCurrentToolTip(), L"tip");
  RECT frame = {};
  GetWindowRect(hwnd, &frame);
  SetWindowPos(hwnd, nullptr, frame.left + 4, frame.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  EXPECT_EQ(manager.GetCurrentToolTip(), L"") << "a move hides it";
  restHere();
  EXPECT_EQ(manager.GetCurrentToolTip(), L"") << "the system's move under a resting pointer does not bring it back";
  pointer.x += 2;
  SetCursorPos(pointer.x, pointer.y);
  restHere();
  EXPECT_EQ(manager.GetCurrentToolTip(), L"tip") << "a real move does";

  SendMessageW(ToolTipWindowOf(hwnd), TTM_SETDELAYTIME, TTDT_AUTOPOP, 100);
  Testing::Leave(hwnd);
  restHere();
  ASSERT_EQ(manager.GetCurrentToolTip(), L"tip");
  EXPECT_TRUE(Testing::PumpUntil([&] { return manager.GetCurrentToolTip().IsEmpty(); }, 3000))
      << "it goes after its show time, the pointer resting";
}

TEST_F(NotifyTest, ClientTimersPassThroughAndControlTimersStayInside) {
  TestWindow window(Skin(kButtons));
  std::vector<WPARAM> timers;
  window.onMessage = [&](TestWindow&, UINT msg, WPARAM w, LPARAM, bool&) -> LRESULT {
    if (msg == WM_TIMER) timers.push_back(w);
    return 0;
  };
  HWND hwnd = window.CreatePopup();
  SetTimer(hwnd, 1058, 10, nullptr);
  EXPECT_TRUE(window.Manager().SetTimer(window.Find(L"a"), 5, 10));
  Testing::PumpUntil([&] { return timers.size() >= 3; }, 2000);
  KillTimer(hwnd, 1058);
  ASSERT_FALSE(timers.empty());
  EXPECT_TRUE(std::find(timers.begin(), timers.end(), WPARAM{1058}) != timers.end());
  EXPECT_TRUE(std::all_of(timers.begin(), timers.end(), [](WPARAM id) { return id == 1058 || id >= 0x10000; }));
}

}  // namespace
}  // namespace duilib_test
