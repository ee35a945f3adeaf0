#pragma once

// The settings file "Personalpreferences.ini" of the user data folder, read
// through the platform's profile functions: there is no settings object in
// memory, so every window sees what the last writer wrote. A write rewrites
// the whole file beside it and renames it into place, so that a crash or a
// full disk never leaves a file cut short.

#include <windows.h>

#include <string>

#include "app/text/Language.h"

namespace settings {

inline constexpr wchar_t kSection[] = L"Corvanel";
inline constexpr wchar_t kLanguageKey[] = L"Language";
inline constexpr wchar_t kCloseActionKey[] = L"CLOSE_ACTION";
inline constexpr wchar_t kWindowPlacementKey[] = L"WP";

// "2" in CLOSE_ACTION: the main window's close button quits.
inline constexpr int kCloseActionQuit = 2;

// User data folder + "//" + "Personalpreferences.ini": every reader and
// writer builds the path this way.
std::wstring FilePath();

// GetPrivateProfileIntW with a default of 0.
int ReadInt(const wchar_t* key);
// Sets the key's text; false when the file could not be written (a read-only
// folder, a full disk), and then the old file is left whole. Callers that can
// go on without the value ignore it.
bool WriteString(const wchar_t* key, const std::wstring& value);

// The main window's placement, stored as a checksummed structure.
[[nodiscard]] bool LoadWindowPlacement(WINDOWPLACEMENT* placement);
void SaveWindowPlacement(const WINDOWPLACEMENT& placement);

}  // namespace settings
