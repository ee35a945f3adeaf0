// The program's entry: prepares the process, keeps it to one running copy and
// runs the whole session inside the modal loop of the team-subdomain window.
// The windows that follow (log-in, initial password, main window) open
// modally from inside that loop, so the loops nest; every way out runs the
// quit sequence, whose quit message ends each loop in turn.

#include <windows.h>
#include <ole2.h>

#include "app/frame/CrashDump.h"
#include "app/frame/DamagedSkin.h"
#include "app/frame/SingleInstance.h"
#include "app/storage/Settings.h"
#include "app/storage/SkinPaths.h"
#include "app/storage/UserFolders.h"
#include "app/text/StringTable.h"
#include "app/ui/AfterFirstPaint.h"
#include "app/ui/CachedPictureRepair.h"
#include "app/ui/UiThread.h"
#include "app/ui/WindowConventions.h"
#include "app/ui/WndShadow.h"
#include "browser/CefAppEx.h"
#include "cef/cef_app.h"
#include "duilib/UIlib.h"
#include "quennet/EventLog.h"
#include "signin/LastTeam.h"
#include "signin/SubdomainWnd.h"

namespace {

void LoadStoredLanguage() {
  const int stored = settings::ReadInt(settings::kLanguageKey);
  // Every start resets the close action to "quit".
  settings::WriteString(settings::kCloseActionKey, std::to_wstring(settings::kCloseActionQuit));
  LoadLanguageFile(LanguageFileFor(stored, LOWORD(GetUserDefaultUILanguage())), StringTable);
}

// GDI+ (the first window is drawn with GDI alone), COM on this thread (the
// clipboard of rich edits, the shell, drag and drop) and the browser layer
// serve the windows after the first one: started once the first window has
// painted, they add nothing to the time before a person sees it.
void RunSession(HINSTANCE instance) {
  RunAfterFirstPaint([instance] { DuiLib::CPaintManagerUI::SetInstance(instance); });
  HRESULT ole = E_FAIL;
  RunAfterFirstPaint([&ole] { ole = OleInitialize(nullptr); });
  CefRefPtr<CCefAppEx> app(new CCefAppEx);
  RunAfterFirstPaint([instance, app] {
    CefMainArgs args(instance);
    CefSettings cef_settings;
    cef_settings.multi_threaded_message_loop = true;
    CefInitialize(args, cef_settings, app.get(), nullptr);
  });

  mireloomwnd::SubdomainWnd subdomain;
  if (subdomain.Create(nullptr, L"登录团队", mireloomwnd::kDialogStyle, mireloomwnd::kWindowExStyle, CW_USEDEFAULT,
                       CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT)) {
    subdomain.CenterWindow();
    subdomain.ShowModal();
  } else {
    ReportDamagedSkin(subdomain);
  }
  DropStartUpWork();
  // The session's quit sequence has shut the browser layer down already:
  // both calls return at once.
  cef_run_message_loop();
  cef_shutdown();
  if (SUCCEEDED(ole)) OleUninitialize();
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  SetUnhandledExceptionFilter(CrashHandler);
  quennet::log_event("App init");
  // Before anything reads the skin: a file dialog may move the working
  // directory later on.
  mireloomwnd::ResolveSkinFolder();
  // Settings, crash dump and the core library's databases all live here.
  EnsureUserDataFolder();
  // Read while Windows sets up the user interface: the team window fills it in.
  signin::StartReadingLastTeam();
  CWndShadow::Initialize(instance);
  LoadStoredLanguage();
  CUiThread::Attach();
  InstallCachedPictureRepair();

  SingleInstance instance_lock;
  switch (instance_lock.Acquire()) {
    case SingleInstance::Outcome::Acquired:
      RunSession(instance);
      break;
    case SingleInstance::Outcome::AnotherIsRunning:
      BringRunningInstanceForward();
      break;
    case SingleInstance::Outcome::Failed:
      break;
  }
  CUiThread::Detach();
  return SessionExitCode();
}
