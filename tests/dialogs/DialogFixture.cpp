#include "DialogFixture.h"

#include "app/TextHelpers.h"
#include "app/UiThread.h"
#include "app/UserFolders.h"
#include "app/WindowManager.h"
#include "app/WndShadow.h"
#include "duilib/testing.h"
#include "support/TempFolder.h"

namespace dialogs_test {

using namespace DuiLib;
namespace mt = mireloom::testing;

namespace {

void CollectTexts(CControlUI* control, std::wstring& into) {
  if (!control) return;
  const CDuiString text = control->GetText();
  if (!text.IsEmpty()) {
    if (!into.empty()) into += L"|";
    into += text.GetData();
  }
  for (int i = 0; i < control->GetChildCount(); ++i) CollectTexts(control->GetChildAt(i), into);
}

}  // namespace

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
    if (!window) {
      ADD_FAILURE() << "no dialog of its class";
      return;
    }
    script(window);
    if (!WaitUntil([&] { return !IsWindow(window); }, 2000)) {
      ADD_FAILURE() << "the dialog stayed open after its script";
      DestroyWindow(window);
    }
  });
  show();
}

bool DialogTest::WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs) {
  return Testing::PumpUntil(condition, timeoutMs);
}

void DialogTest::Settle() {
  mt::WaitIdle();
  Testing::PumpPending();
  CUiThread::RunPending();
  Testing::PumpPending();
}

CControlUI* DialogTest::Find(HWND window, const wchar_t* name) {
  CPaintManagerUI* manager = Testing::ManagerOf(window);
  return manager ? manager->FindControl(name) : nullptr;
}

std::wstring DialogTest::TextOf(HWND window, const wchar_t* name) {
  CControlUI* control = Find(window, name);
  return control ? std::wstring(control->GetText().GetData()) : L"<missing>";
}

std::vector<std::wstring> DialogTest::RowTexts(HWND window, const wchar_t* listName) {
  std::vector<std::wstring> rows;
  auto* list = static_cast<CListUI*>(Find(window, listName) ? Find(window, listName)->GetInterface(L"List") : nullptr);
  if (!list) return rows;
  for (int i = 0; i < list->GetCount(); ++i) {
    std::wstring texts;
    CollectTexts(list->GetItemAt(i), texts);
    rows.push_back(texts);
  }
  return rows;
}

std::wstring DialogTest::NormalImage(CControlUI* control) {
  auto* button = control ? static_cast<CButtonUI*>(control->GetInterface(L"Button")) : nullptr;
  return button ? std::wstring(button->GetNormalImage().GetData()) : std::wstring();
}

void DialogTest::SaveShot(HWND window, const wchar_t* name) const {
  // Laid out and painted as it is on the screen now.
  Testing::PumpPending();
  EXPECT_TRUE(Testing::SaveWindowPng(window, (m_program.StartFolder() + name + L".png").c_str()));
}

void DialogTest::CacheAvatar(const std::string& key) {
  CreateDirectoryW(AnsiToWide(GetDownloadTmpFolder()).c_str(), nullptr);
  const std::string picture = test_support::ReadFileBytes(L"..\\Mireloom\\skin\\common\\logo.png");
  ASSERT_FALSE(picture.empty());
  ASSERT_TRUE(test_support::WriteFileBytes(GetCachedFilePath(key), picture));
  m_cachedKeys.push_back(key);
}

void DialogTest::ForgetAvatar(const std::string& key) {
  DeleteFileW(GetCachedFilePath(key).c_str());
  m_cachedKeys.push_back(key);
}

bool DialogTest::AvatarRequested(const std::string& key) {
  for (const auto& request : mt::HttpRequests()) {
    const std::string& url = request.url;
    if (url.size() >= key.size() && url.compare(url.size() - key.size(), key.size(), key) == 0) return true;
  }
  return false;
}

std::vector<std::wstring> DialogTest::MessageBoxTexts() const {
  std::vector<std::wstring> texts;
  for (const auto& call : m_platform.CallsOf(PlatformCall::MessageBox)) texts.push_back(call.text);
  return texts;
}

}  // namespace dialogs_test
