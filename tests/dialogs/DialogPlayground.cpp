// Opens one dialog on the demo team, signed in as zhou, for trying it by hand
// until the main window can open it. Run after a build, from build/tests/dialogs:
//
//   WINEPREFIX=$PWD/../../wineprefix wine dialog_playground.exe call usr-lin [english|simplified_chinese|traditional_chinese]
//
// Dialogs: add-members <channel>, card <uid>, call <uid>, pick-group-call <channel>,
// group-call <uid> <uid>..., feedback, join <1|2>, create, open-im, members <channel>,
// language.

#include <cstdio>
#include <string>
#include <vector>

#include "app/frame/WindowManager.h"
#include "app/text/StringTable.h"
#include "app/ui/UiThread.h"
#include "app/ui/WndShadow.h"
#include "mireloom/testing.h"

namespace {

using mireloomwnd::WindowManager;

bool Open(const std::string& dialog, const std::vector<std::string>& ids) {
  WindowManager* manager = WindowManager::GetInstance();
  const std::string id = ids.empty() ? std::string() : ids.front();
  if (dialog == "add-members") {
    manager->ShowAddMembersWnd(id);
  } else if (dialog == "card") {
    manager->ShowViewImMemberWnd(id, 700, 100, 600);
  } else if (dialog == "call") {
    manager->ShowTelephoneCallingWnd(id);
  } else if (dialog == "pick-group-call") {
    manager->ShowSelectGroupCallMembersWnd(id);
  } else if (dialog == "group-call") {
    manager->ShowGroupTelephoneCallingWnd(ids);
  } else if (dialog == "feedback") {
    manager->ShowFeedbackWnd();
  } else if (dialog == "join") {
    manager->ShowJoinChannelWnd(id == "2" ? 2 : 1);
  } else if (dialog == "create") {
    manager->ShowCreateChannelWnd();
  } else if (dialog == "open-im") {
    manager->ShowOpenImWnd();
  } else if (dialog == "members") {
    manager->ShowViewGroupMembersWnd(id, 700, 100, 600);
  } else if (dialog == "language") {
    manager->ShowSwitchLanguageWnd();
  } else {
    return false;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: dialog_playground <dialog> [ids...] [language]\n");
    return 2;
  }
  std::vector<std::string> ids(argv + 2, argv + argc);
  std::string language = "english";
  if (!ids.empty() && ids.back().find('_') != std::string::npos) {
    language = ids.back();
    ids.pop_back();
  }
  const std::string dist = CORVANEL_DIST_DIR;
  SetCurrentDirectoryW((std::wstring(dist.begin(), dist.end()) + L"\\bin").c_str());
  mireloomwnd::ResolveSkinFolder();
  LoadLanguageFile("../Mireloom/skin/i18n/" + language + ".xml", StringTable);
  DuiLib::CPaintManagerUI::SetInstance(GetModuleHandleW(nullptr));
  CWndShadow::Initialize(GetModuleHandleW(nullptr));
  CUiThread::Attach();
  mireloom::testing::ScopedCore core;
  if (!mireloom::testing::SignIn("zhou", core.DataFolder(), "demo", "demo1234", false) ||
      !mireloom::testing::FetchMainWindowData()) {
    std::fprintf(stderr, "signing in failed\n");
    return 1;
  }
  if (!Open(argv[1], ids)) {
    std::fprintf(stderr, "no dialog %s\n", argv[1]);
    return 2;
  }
  CUiThread::Detach();
  return 0;
}
