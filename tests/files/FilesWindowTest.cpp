#include "FilesWindowTest.h"

#include "app/ui/UiThread.h"
#include "app/ui/WndShadow.h"
#include "duilib/testing.h"
#include "support/Clipboard.h"

namespace files_test {

using namespace DuiLib;

void FilesWindowTest::SetUp() {
  CPaintManagerUI::SetInstance(GetModuleHandleW(nullptr));
  CWndShadow::Initialize(GetModuleHandleW(nullptr));
  CUiThread::Attach();
  Testing::SetModalWatchdog(30000);
  ASSERT_TRUE(mt::SignIn("zhou", m_core.DataFolder(), "demo", "demo1234", false));
  m_controlsAtStart = Testing::LiveControlCount();
}

void FilesWindowTest::TearDown() {
  Testing::CloseAllWindows();
  Testing::PumpPending();
  for (const auto& failure : Testing::TakeWatchdogFailures()) ADD_FAILURE() << "modal loop overran: " << failure.c_str();
  Testing::SetModalWatchdog(0);
  for (int slot = 1; slot <= mireloomwnd::kSlotCount; ++slot) {
    EXPECT_EQ(mireloomwnd::WindowManager::GetInstance()->Get(static_cast<mireloomwnd::WindowSlot>(slot)), nullptr)
        << "slot " << slot;
  }
  EXPECT_EQ(Testing::LiveControlCount(), m_controlsAtStart) << "every control went with its window";
  mt::WaitIdle();
  CUiThread::Detach();
}

void FilesWindowTest::OpenAndRun(WindowSlot slot, const wchar_t* windowClass, const std::function<void()>& open,
                                 const std::function<void(HWND)>& script) {
  Testing::PostToLoop([&script, slot, windowClass] {
    script(WindowOf(windowClass));
    WindowManager::GetInstance()->Close(slot);
  });
  open();
}

HWND FilesWindowTest::WindowOf(const wchar_t* windowClass) {
  for (HWND window : Testing::FrameworkWindows()) {
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    if (wcscmp(name, windowClass) == 0 && IsWindow(window)) return window;
  }
  return nullptr;
}

CControlUI* FilesWindowTest::Control(HWND window, const wchar_t* name) {
  CPaintManagerUI* manager = window ? Testing::ManagerOf(window) : nullptr;
  return manager ? manager->FindControl(name) : nullptr;
}

std::wstring FilesWindowTest::TextOf(HWND window, const wchar_t* name) {
  CControlUI* control = Control(window, name);
  return control ? std::wstring(control->GetText().GetData()) : L"<missing>";
}

bool FilesWindowTest::WaitFor(const std::function<bool()>& predicate) { return Testing::PumpUntil(predicate, 10000); }

void FilesWindowTest::ClickControl(HWND window, CControlUI* control) {
  ASSERT_NE(control, nullptr);
  const RECT& rect = control->GetPos();
  Testing::ClickAt(window, POINT{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2});
}

void FilesWindowTest::SetClipboard(HWND owner, const std::wstring& text) {
  ASSERT_TRUE(test_support::PutOnClipboard(text, owner));
}

std::wstring FilesWindowTest::ClipboardText(HWND owner) { return test_support::ClipboardText(owner); }

void FilesWindowTest::Screenshot(HWND window, const wchar_t* name) const {
  Testing::PumpPending();
  Testing::SaveWindowPng(window, (m_program.StartFolder() + name + L".png").c_str());
}

}  // namespace files_test
