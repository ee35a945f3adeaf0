#include "app/storage/SkinPaths.h"

#include <windows.h>

#include "app/storage/UserFolders.h"
#include "app/text/StringTable.h"
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

std::string LanguageFileFor(int stored_language, unsigned short ui_language) {
  auto language = static_cast<settings::Language>(stored_language);
  if (language == settings::Language::FollowSystem) language = SystemLanguage(ui_language);
  const char* file = "english.xml";
  switch (language) {
    case settings::Language::SimplifiedChinese: file = "simplified_chinese.xml"; break;
    case settings::Language::TraditionalChinese: file = "traditional_chinese.xml"; break;
    default: break;  // English and every value nobody stores
  }
  return mireloomwnd::LanguageFolder() + file;
}
