#pragma once

// Where the program finds its skin, its language files and its message
// sound: "../Mireloom/skin" of the working directory the program starts in.
// The folder is resolved once, at start-up, into an absolute path, because
// the working directory does not stay put: a common file dialog may move it,
// and Wine remembers the last folder picked for the next start as well.

#include <string>

namespace mireloomwnd {

// Resolves "../Mireloom/skin" against the working directory now and keeps
// the absolute path. The program calls it once, before its first window;
// tests call it again after they change to a laid-out program's folder.
void ResolveSkinFolder();

// The absolute skin folder, without a trailing separator. Resolves it on
// the first call when nobody has yet.
[[nodiscard]] const std::wstring& SkinFolder();

// The language files' folder, in code page 936 as the loader takes it,
// ending with a separator.
[[nodiscard]] std::string LanguageFolder();

// The sound played when a message arrives.
[[nodiscard]] std::wstring MessageSoundPath();

}  // namespace mireloomwnd

// The language file of a stored "Language" value, in the language folder;
// 0 follows the system's interface language.
[[nodiscard]] std::string LanguageFileFor(int stored_language, unsigned short ui_language);
