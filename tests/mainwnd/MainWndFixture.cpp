#include "MainWndFixture.h"

#include <algorithm>

#include "app/frame/WindowManager.h"
#include "app/storage/Settings.h"
#include "app/storage/UserFolders.h"
#include "app/text/StringTable.h"
#include "app/ui/UiThread.h"
#include "duilib/testing.h"
#include "mainwnd/shell/TrayAttention.h"
#include "quennet/FileUtils.h"
#include "signin/SessionStart.h"
#include "support/TempFolder.h"

namespace mainwnd_test {

using namespace DuiLib;
using mireloomwnd::WindowManager;

void MainWindowTest::SetUp() {
  ASSERT_TRUE(EnsureUserDataFolder());
  quennet::FileUtils::SharedFileUtils()->DeleteFolderContentsExcept(signin::CoreDataFolder(), {});
  mireloomwnd::NetworkOnline = true;
  CUiThread::Attach();
  Testing::SetModalWatchdog(30000);
  m_liveControls = Testing::LiveControlCount();
  ASSERT_TRUE(mireloom::testing::SignIn("zhou", m_core.DataFolder()));
}

void MainWindowTest::TearDown() {
  Testing::CloseAllWindows();
  // A quit re-posts itself after the outermost loop.
  MSG msg;
  while (PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
  }
  EXPECT_EQ(Main(), nullptr) << "the window's slot outlived it";
  EXPECT_EQ(mireloomwnd::ChatInputEdit, nullptr) << "the chat input outlived its window";
  EXPECT_EQ(Testing::LiveControlCount(), m_liveControls);
  for (const auto& failure : Testing::TakeWatchdogFailures()) ADD_FAILURE() << "modal loop overran: " << failure.c_str();
  Testing::SetModalWatchdog(0);
  CUiThread::Detach();
}

void MainWindowTest::RunMainWindow(StepRunner& script) {
  script.Start();
  WindowManager::GetInstance()->ShowMainWnd();
  EXPECT_TRUE(script.Done()) << "the script stopped at: " << script.Waiting();
}

mireloomwnd::MainWnd* MainWindowTest::Main() { return WindowManager::GetInstance()->GetMainWnd(); }

HWND MainWindowTest::MainWindow() { return Main() ? Main()->GetHWND() : nullptr; }

CControlUI* MainWindowTest::Control(const wchar_t* name) {
  CPaintManagerUI* manager = MainWindow() ? Testing::ManagerOf(MainWindow()) : nullptr;
  return manager ? manager->FindControl(name) : nullptr;
}

std::wstring MainWindowTest::Text(const wchar_t* name) {
  CControlUI* control = Control(name);
  return control ? std::wstring(control->GetText().GetData()) : L"<missing>";
}

bool MainWindowTest::IsShown(const wchar_t* name) {
  CControlUI* control = Control(name);
  return control && control->IsVisible();
}

CListUI* MainWindowTest::SessionList() {
  CControlUI* control = Control(L"sessionList");
  return control ? static_cast<CListUI*>(control->GetInterface(L"List")) : nullptr;
}

std::vector<std::wstring> MainWindowTest::SessionItemNames() {
  std::vector<std::wstring> names;
  if (CListUI* list = SessionList()) {
    for (int i = 0; i < list->GetCount(); ++i) names.emplace_back(list->GetItemAt(i)->GetName().GetData());
  }
  return names;
}

std::wstring MainWindowTest::TitleOf(const std::wstring& itemName) {
  const std::wstring name = Text((itemName + L"_name_label_id").c_str());
  return itemName.rfind(L"channelItem_", 0) == 0 ? L"#" + name : name;
}

StepRunner& MainWindowTest::WaitForFilledList(StepRunner& script) {
  return script.WaitFor("the filled list", [] {
    const auto names = SessionItemNames();
    return std::find(names.begin(), names.end(), L"imItem_im-zhou-notice") != names.end();
  });
}

std::ptrdiff_t MainWindowTest::CallPosition(const std::string& operation) {
  const auto log = mireloom::testing::CallLog();
  const auto found = std::find_if(log.begin(), log.end(), [&operation](const mireloom::testing::CallRecord& record) {
    return record.kind == mireloom::testing::CallRecord::kCall && record.name == operation;
  });
  return found == log.end() ? -1 : found - log.begin();
}

void MainWindowTest::CloseMainWindow() { WindowManager::GetInstance()->CloseMainWnd(); }

void MainWindowTest::WriteCloseAction(const wchar_t* value) {
  WritePrivateProfileStringW(settings::kSection, settings::kCloseActionKey, *value ? value : nullptr,
                             settings::FilePath().c_str());
}

std::vector<CRecordingPlatform::Call> MainWindowTest::TrayCalls() const {
  return m_platform.CallsOf(PlatformCall::NotifyIcon);
}

PostedMessageCounter::PostedMessageCounter(UINT message) {
  s_message = message;
  s_count = 0;
  m_hook = SetWindowsHookExW(WH_GETMESSAGE, &PostedMessageCounter::OnMessage, nullptr, GetCurrentThreadId());
}

PostedMessageCounter::~PostedMessageCounter() {
  if (m_hook) UnhookWindowsHookEx(m_hook);
}

LRESULT CALLBACK PostedMessageCounter::OnMessage(int code, WPARAM wParam, LPARAM lParam) {
  const auto* msg = reinterpret_cast<const MSG*>(lParam);
  // Counted once, when a loop takes the message off the queue.
  if (code == HC_ACTION && wParam == PM_REMOVE && msg->message == s_message) ++s_count;
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

}  // namespace mainwnd_test
