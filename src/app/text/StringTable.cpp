#include "app/text/StringTable.h"

#include <tinyxml2.h>

#include <cstdio>

#include "app/text/TextHelpers.h"
#include "quennet/EventLog.h"

std::map<std::string, std::string> StringTable;

namespace {

constexpr unsigned short kTraditionalChineseTaiwan = 0x0404;
constexpr unsigned short kSimplifiedChinesePrc = 0x0804;

const char* TextOf(const tinyxml2::XMLElement* element) {
  const char* text = element ? element->GetText() : nullptr;
  return text ? text : "";
}

}  // namespace

void LoadLanguageFile(const std::string& path, std::map<std::string, std::string>& table) {
  tinyxml2::XMLDocument document(true, tinyxml2::PRESERVE_WHITESPACE);
  // Paths are multibyte text of code page 936; opening them ourselves keeps
  // them independent of the process code page. A missing or malformed file
  // leaves the document empty.
  FILE* file = _wfopen(AnsiToWide(path).c_str(), L"rb");
  if (!file) {
    quennet::log_error("Language file %s is missing: every text is empty", path.c_str());
    return;
  }
  document.LoadFile(file);
  fclose(file);
  const tinyxml2::XMLElement* root = document.RootElement();
  if (!root) {
    // Texts stay empty, as without a file; someone must hear of it.
    quennet::log_error("Language file %s is malformed: every text is empty", path.c_str());
    return;
  }
  // The first "String" child starts the entries; every later sibling is one.
  for (const tinyxml2::XMLElement* entry = root->FirstChildElement("String"); entry;
       entry = entry->NextSiblingElement()) {
    const tinyxml2::XMLElement* key = entry->FirstChildElement();
    if (!key) continue;
    const std::string key_text = TextOf(key);
    if (key_text.empty()) continue;
    table.insert({key_text, TextOf(key->NextSiblingElement())});
  }
}

std::string LookupText(const std::string& key) {
  const auto found = StringTable.find(key);
  return found == StringTable.end() ? std::string() : found->second;
}

std::wstring LocalizedText(const std::string& key) { return Utf8ToWide(LookupText(key)); }

settings::Language SystemLanguage(unsigned short ui_language) {
  switch (ui_language) {
    case kSimplifiedChinesePrc: return settings::Language::SimplifiedChinese;
    case kTraditionalChineseTaiwan: return settings::Language::TraditionalChinese;
    default: return settings::Language::English;
  }
}
