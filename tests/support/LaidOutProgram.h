#pragma once

// Window tests read their skins as the program does, from "../Mireloom/skin"
// of the laid-out program's folder, resolved as at start-up, with the English
// texts. The folder and the text table come back when it goes. Header-only: it needs the test
// target's CORVANEL_DIST_DIR and the application frame's string table.

#include <windows.h>

#include <map>
#include <string>

#include "app/storage/SkinPaths.h"
#include "app/text/StringTable.h"

namespace test_support {

class LaidOutProgram final {
 public:
  LaidOutProgram() : m_savedTable(StringTable) {
    GetCurrentDirectoryW(MAX_PATH, m_previousFolder);
    const std::string dist = CORVANEL_DIST_DIR;
    SetCurrentDirectoryW((std::wstring(dist.begin(), dist.end()) + L"\\bin").c_str());
    mireloomwnd::ResolveSkinFolder();
    StringTable.clear();
    LoadLanguageFile("../Mireloom/skin/i18n/english.xml", StringTable);
  }
  ~LaidOutProgram() {
    StringTable = m_savedTable;
    SetCurrentDirectoryW(m_previousFolder);
    mireloomwnd::ResolveSkinFolder();
  }
  // The working directory the test started in, where its pictures go, with a
  // trailing separator.
  [[nodiscard]] std::wstring StartFolder() const { return std::wstring(m_previousFolder) + L"\\"; }

  LaidOutProgram(const LaidOutProgram&) = delete;
  LaidOutProgram& operator=(const LaidOutProgram&) = delete;

 private:
  wchar_t m_previousFolder[MAX_PATH] = {};
  const std::map<std::string, std::string> m_savedTable;
};

}  // namespace test_support
