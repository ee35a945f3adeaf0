#include "app/storage/SkinPaths.h"

#include <windows.h>

#include "app/storage/UserFolders.h"
#include "quennet/EventLog.h"

namespace mireloomwnd {

namespace {

constexpr wchar_t kRelativeSkinFolder[] = L"..\\Mireloom\\skin";

std::wstring& ResolvedSkinFolder() {
  static std::wstring folder;
  return folder;
}

}  // namespace

void ResolveSkinFolder() {
  wchar_t absolute[MAX_PATH * 2] = L"";
  const DWORD length = GetFullPathNameW(kRelativeSkinFolder, MAX_PATH * 2, absolute, nullptr);
  if (length == 0 || length >= MAX_PATH * 2) {
    // Nothing better is known: the windows go on resolving it against the
    // working directory, as long as it stays where it is.
    quennet::log_error("Skin folder could not be resolved (error %lu)", GetLastError());
    ResolvedSkinFolder() = kRelativeSkinFolder;
    return;
  }
  ResolvedSkinFolder().assign(absolute, length);
}

const std::wstring& SkinFolder() {
  if (ResolvedSkinFolder().empty()) ResolveSkinFolder();
  return ResolvedSkinFolder();
}

std::string LanguageFolder() {
  // NarrowPathOf gives the short form of a folder the code page cannot hold.
  return NarrowPathOf(SkinFolder() + L"\\i18n") + "\\";
}

std::wstring MessageSoundPath() { return SkinFolder() + L"\\sound\\knock_brush.wav"; }

}  // namespace mireloomwnd
