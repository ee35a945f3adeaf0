#include "DialogFixture.h"

#include "app/frame/WindowManager.h"
#include "app/storage/CacheNames.h"
#include "app/storage/UserFolders.h"
#include "app/text/TextHelpers.h"
#include "app/ui/UiThread.h"
#include "app/ui/WndShadow.h"
#include "duilib/testing.h"
#include "quennet/testing.h"
#include "support/TempFolder.h"

namespace dialogs_test {

using namespace DuiLib;
namespace mt = mireloom::testing;

void DialogTest::SetUp() {
  CPaintManagerUI::SetInstance(GetModuleHandleW(nullptr));
  CWndShadow::Initialize(GetModuleHandleW(nullptr));
  CUiThread::Attach();
  ASSERT_TRUE(mt::SignIn("zhou", m_core.DataFolder(), "demo", "demo1234", false));
  ASSERT_TRUE(mt::FetchMainWindowData());
  Testing::SetModalWatchdog(20000);
  m_controlsAtStart = Testing::LiveControlCount();
}

void DialogTest::TearDown() {
  Testing::CloseAllWindows();
  Settle();
  for (const auto& failure : Testing::TakeWatchdogFailures()) ADD_FAILURE() << "modal loop overran: " << failure.c_str();
  Testing::SetModalWatchdog(0);
  for (int slot = 1; slot <= mireloomwnd::kSlotCount; ++slot) {
    EXPECT_EQ(mireloomwnd::WindowManager::GetInstance()->Get(static_cast<mireloomwnd::WindowSlot>(slot)), nullptr)
        << "slot " << slot;
  }
  EXPECT_EQ(Testing::LiveControlCount(), m_controlsAtStart) << "every control of a closed dialog is freed";
  CUiThread::Detach();
  for (const std::string& key : m_cachedKeys) DeleteFileW(GetCachedFilePath(key).c_str());
}

void DialogTest::Drive(const wchar_t* windowClass, const std::function<void()>& show,
                       const std::function<void(HWND)>& script) {
  Testing::PostToLoop([&] {
    const HWND window = FindWindowW(windowClass, nullptr);
    if (window) script(window);
    if (!window || !Testing::PumpUntil([&] { return !IsWindow(window); }, 2000)) {
      ADD_FAILURE() << "the dialog did not open, or stayed open after its script";
      if (window) DestroyWindow(window);
    }
  });
  show();
}

bool DialogTest::WaitUntil(const std::function<bool()>& condition) { return Testing::PumpUntil(condition, 5000); }

void DialogTest::Settle() {
  mt::WaitIdle();
  // Downloads (avatars) run on the transfer threads, which the core's idle
  // does not count; their completions may give the core work again.
  if (quennet::WaitForIdle(5000)) mt::WaitIdle();
  // The completions the core has finished post their closures; pumping runs
  // them and whatever they post in turn.
  Testing::PumpPending();
}

CControlUI* DialogTest::Find(HWND window, const wchar_t* name) { return Testing::ManagerOf(window)->FindControl(name); }

std::wstring DialogTest::TextOf(HWND window, const wchar_t* name) {
  CControlUI* control = Find(window, name);
  return control ? control->GetText().str() : L"<missing>";
}

std::vector<std::wstring> DialogTest::RowTexts(HWND window, const wchar_t* listName) {
  const std::function<void(CControlUI*, std::wstring&)> collect = [&](CControlUI* control, std::wstring& into) {
    if (!control->GetText().IsEmpty()) into += (into.empty() ? L"" : L"|") + control->GetText().str();
    for (int i = 0; i < control->GetChildCount(); ++i) collect(control->GetChildAt(i), into);
  };
  std::vector<std::wstring> rows;
  auto* list = static_cast<CContainerUI*>(Find(window, listName)->GetInterface(L"Container"));
  for (int i = 0; i < list->GetCount(); ++i) collect(list->GetItemAt(i), rows.emplace_back());
  return rows;
}

std::wstring DialogTest::ImageOf(CControlUI* control) {
  auto* button = control ? static_cast<CButtonUI*>(control->GetInterface(L"Button")) : nullptr;
  return button ? button->GetNormalImage().str() : std::wstring();
}

bool DialogTest::AvatarRequested(const std::string& key) {
  for (const auto& request : mt::HttpRequests()) {
    if (request.url.size() >= key.size() && request.url.compare(request.url.size() - key.size(), key.size(), key) == 0) {
      return true;
    }
  }
  return false;
}

void DialogTest::SaveShot(HWND window, const wchar_t* name) const {
  Testing::PumpPending();  // laid out and painted as on the screen now
  EXPECT_TRUE(Testing::SaveWindowPng(window, (m_program.StartFolder() + name + L".png").c_str()));
}

void DialogTest::SetCached(const std::string& key, bool cached) {
  m_cachedKeys.push_back(key);
  if (!cached) {
    DeleteFileW(GetCachedFilePath(key).c_str());
    return;
  }
  CreateDirectoryW(AnsiToWide(GetDownloadTmpFolder()).c_str(), nullptr);
  const std::string picture = test_support::ReadFileBytes(L"..\\Mireloom\\skin\\common\\logo.png");
  ASSERT_TRUE(!picture.empty() && test_support::WriteFileBytes(GetCachedFilePath(key), picture));
}

}  // namespace dialogs_test
