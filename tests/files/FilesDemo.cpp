// Opens one file window, signed in as zhou on the demo team, for a person
// to use with mouse and keyboard (no test runs here):
//   files_demo.exe list | details <entity> | viewer [picture] | upload <file> | snippet <entity> [zh]
// Without a picture the viewer shows the demo's large picture, fetched into
// the download cache as the message view fetches it.

#include <windows.h>

#include <chrono>
#include <future>
#include <string>

#include "app/frame/WindowManager.h"
#include "app/storage/DownloadCache.h"
#include "app/text/StringTable.h"
#include "app/text/TextHelpers.h"
#include "app/ui/UiThread.h"
#include "app/ui/WndShadow.h"
#include "files/FileAddresses.h"
#include "mireloom/testing.h"
#include "support/LaidOutProgram.h"

namespace {

using mireloomwnd::WindowManager;

std::wstring Argument(int argc, wchar_t** argv, int index) { return index < argc ? argv[index] : L""; }

std::wstring FetchDemoPicture() {
  std::promise<std::string> cached;
  RequestRedirectLocation(files::DownloadAddress("ent-img-large", "team-demo"), [&](const std::string& location) {
    DownloadToCache(location, "demo-large-picture", [&](const std::string& path) { cached.set_value(path); });
  });
  auto path = cached.get_future();
  return path.wait_for(std::chrono::seconds(10)) == std::future_status::ready ? AnsiToWide(path.get()) : L"";
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const std::wstring window = Argument(argc, argv, 1);
  const std::wstring subject = Argument(argc, argv, 2);
  DuiLib::CPaintManagerUI::SetInstance(GetModuleHandleW(nullptr));
  CWndShadow::Initialize(GetModuleHandleW(nullptr));
  test_support::LaidOutProgram program;
  if (Argument(argc, argv, 3) == L"zh" || Argument(argc, argv, 2) == L"zh") {
    StringTable.clear();
    LoadLanguageFile("../Mireloom/skin/i18n/simplified_chinese.xml", StringTable);
  }
  CUiThread::Attach();
  mireloom::testing::ScopedCore core;
  if (!mireloom::testing::SignIn("zhou", core.DataFolder(), "demo", "demo1234", false)) return 1;

  WindowManager* manager = WindowManager::GetInstance();
  if (window == L"list") {
    manager->ShowViewFilesWnd("chn-files", 900, 40, 720, 1);
  } else if (window == L"details") {
    manager->ShowFileDetailsWnd(WideToUtf8(subject), 900, 40, 720);
  } else if (window == L"viewer") {
    const std::wstring address = Utf8ToWide(files::DownloadAddress("ent-img-large", "team-demo"));
    const std::wstring picture = subject.empty() || subject == L"zh" ? FetchDemoPicture() : subject;
    manager->ShowImageViewerWnd(picture.c_str(), address.c_str(), L"大图.jpg");
  } else if (window == L"upload") {
    manager->ShowUploadFileWnd("chn-files", WideToAnsi(subject), 1);
  } else if (window == L"snippet") {
    manager->ShowViewSnippetWnd(WideToUtf8(subject));
  } else {
    return 2;
  }
  mireloom::testing::WaitIdle();
  CUiThread::Detach();
  return 0;
}
