#pragma once

// The texts of the current interface language, by key. Windows look texts up
// with StringTable["Key"] on the user-interface thread: a missing key gives "".

#include <map>
#include <string>

#include "app/text/Language.h"

extern std::map<std::string, std::string> StringTable;

// Adds the "String" entries of a language file; a key already in the table
// keeps its text. A missing or malformed file adds nothing.
void LoadLanguageFile(const std::string& path, std::map<std::string, std::string>& table);

// Lookup that never inserts, for threads other than the user-interface thread.
std::string LookupText(const std::string& key);
// The text of the key as wide text, for controls and message boxes.
std::wstring LocalizedText(const std::string& key);

// The language that following the system's interface language gives:
// simplified Chinese for the PRC, traditional Chinese for Taiwan, English for
// every other one.
settings::Language SystemLanguage(unsigned short ui_language);
