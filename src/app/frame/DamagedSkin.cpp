#include "app/frame/DamagedSkin.h"

#include <windows.h>

#include <atomic>

#include "app/frame/QuitSequence.h"
#include "app/text/StringTable.h"
#include "app/text/TextHelpers.h"
#include "app/ui/PlatformSeam.h"
#include "duilib/UIlib.h"
#include "quennet/EventLog.h"

namespace {

std::atomic<int> g_exitCode{0};

}  // namespace

void ReportDamagedSkin(DuiLib::WindowImplBase& window) {
  const std::wstring file = std::wstring(window.GetSkinFolder().GetData()) + L"/" + window.GetSkinFile().GetData();
  quennet::log_error("Damaged installation: the skin file %s is missing or damaged", WideToUtf8(file).c_str());
  g_exitCode = 1;
  // The language file may be damaged too: the file's name is shown either way.
  Platform().ShowMessageBox(nullptr, LocalizedText("DamagedSkinFile") + L"\n" + file, L"Corvanel", MB_OK | MB_ICONERROR);
  RunQuitSequence();
}

int SessionExitCode() { return g_exitCode; }
