// The program's entry: prepares the process, keeps it to one running copy and
// runs the whole session inside the modal loop of the team-subdomain window.
// The windows that follow (log-in, initial password, main window) open
// modally from inside that loop, so the loops nest; every way out runs the
// quit sequence, whose quit message ends each loop in turn.

#include <windows.h>
#include <ole2.h>

#include "app/CachedPictureRepair.h"
#include "app/CrashDump.h"
#include "app/DamagedSkin.h"
#include "app/Settings.h"
#include "app/SingleInstance.h"
#include "app/SkinPaths.h"
#include "app/StringTable.h"
#include "app/UiThread.h"
#include "app/UserFolders.h"
#include "app/WindowConventions.h"
#include "app/WndShadow.h"
#include "browser/CefAppEx.h"
#include "cef/cef_app.h"
#include "duilib/UIlib.h"
#include "quennet/EventLog.h"
#include "signin/SubdomainWnd.h"

namespace {

void LoadStoredLanguage() {
  const int stored = settings::ReadInt(settings::kLanguageKey);
  // Every start resets the close action to "quit".
  settings::WriteString(settings::kCloseActionKey, std::to_wstring(settings::kCloseActionQuit));
  LoadLanguageFile(LanguageFileFor(stored, LOWORD(GetUserDefaultUILanguage())), StringTable);
}

void RunSession() {
  mireloomwnd::SubdomainWnd subdomain;
  if (subdomain.Create(nullptr, L"登录团队", mireloomwnd::kDialogStyle, mireloomwnd::kWindowExStyle, CW_USEDEFAULT,
                       CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT)) {
    subdomain.CenterWindow();
    subdomain.ShowModal();
  } else {
    ReportDamagedSkin(subdomain);
  }
  // The session's quit sequence has shut the browser layer down already:
  // both calls return at once.
  cef_run_message_loop();
  cef_shutdown();
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  SetUnhandledExceptionFilter(CrashHandler);
  // The shell, the clipboard and drag and drop need COM on this thread.
  const HRESULT ole = OleInitialize(nullptr);
  CWndShadow::Initialize(instance);
  DuiLib::CPaintManagerUI::SetInstance(instance);
  quennet::log_event("App init");
  // Before anything reads the skin: a file dialog may move the working
  // directory later on.
  mireloomwnd::ResolveSkinFolder();
  // Settings, crash dump and the core library's databases all live here.
  EnsureUserDataFolder();
  LoadStoredLanguage();
  CUiThread::Attach();
  InstallCachedPictureRepair();

  CefMainArgs args(instance);
  CefRefPtr<CCefAppEx> app(new CCefAppEx);
  CefSettings cef_settings;
  cef_settings.multi_threaded_message_loop = true;
  CefInitialize(args, cef_settings, app.get(), nullptr);

  SingleInstance instance_lock;
  switch (instance_lock.Acquire()) {
    case SingleInstance::Outcome::Acquired:
      RunSession();
      break;
    case SingleInstance::Outcome::AnotherIsRunning:
      BringRunningInstanceForward();
      cef_shutdown();
      break;
    case SingleInstance::Outcome::Failed:
      cef_shutdown();
      break;
  }
  CUiThread::Detach();
  if (SUCCEEDED(ole)) OleUninitialize();
  return SessionExitCode();
}
